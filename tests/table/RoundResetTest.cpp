// The reset before a hand and the four walls, at both scales: what the reset
// clears and keeps, where every wall lies, how the stacks overlap in the
// drawing order, the seats' origins, and the plates and flags of a hand.
#include "TableSupport.h"
#include "TestSupport.h"

#include "client/Data.h"
#include "client/MainForm.h"
#include "social/Mod_Prop.h"
#include "social/Talk.h"
#include "table/General.h"
#include "table/NewGame.h"

#include <gtest/gtest.h>

#include <vector>

using namespace mj;
using mjtest::LaidOutTable;

namespace {

constexpr float Small = 0.78125f;

class RoundReset : public ::testing::TestWithParam<float> {
protected:
    void SetUp() override { f = &LaidOutTable(GetParam()); }
    bool small() const { return GetParam() < 1; }

    // What the last hand left behind: every value the reset touches holds
    // something else, the table shows tiles, buttons and plates.
    void LeaveAHandBehind()
    {
        for (int s = 0; s <= 3; ++s) {
            SeatRecord& seat = custom[s];
            seat.Name = QStringLiteral("player%1").arg(s);
            seat.SeatMask = static_cast<uint8_t>(1 << s);
            seat.HandScore = 12;
            seat.IsBanker = true;
            for (int k = 0; k <= 20; ++k)
                seat.Slots[k] = TileSlot{SlotInHand, 0x21, static_cast<int16_t>(k)};
            seat.MeldEnd = 9;
            seat.FirstConcealed = 10;
            seat.sum = 7;
            seat.RedCount = 1;
            seat.WildCount = 2;
            RoundResult(s, 16) = 5;
            RoundResult(s, 15) = 5;
            RoundScores[s] = 8;
            SeatNames[s] = QStringLiteral("seat");
            TileW[s] = 99;
            TileH[s] = 99;
        }
        ClaimedDiscardImage = 7;
        BlinkImage = 3;
        WildTile = 0x22;
        NormalDraw = false;
        MayDiscard = true;
        FrameGroupCount = 3;
        HiddenTiles(2, 5) = 0x11;
        RightPoolOrder[23] = 4;
        RightPoolOrder[24] = 4;
        RightPoolOrder[135] = 4;
        RightPoolCount = 4;
        SpecialTileImages(3, 7) = 9;
        WinnerSide = 2;
        Fen_Num = 4;
        GameRunning = true;
        for (int i = 0; i <= 135; ++i) {
            f->MJ_Image(i).SetPicture(f->SZ_Image(0).Picture());
            f->MJ_Image(i).SetVisible(true);
        }
        for (int i = 0; i <= 4; ++i) {
            f->Operation(i).SetEnabled(true);
            f->Operation(i).SetVisible(true);
        }
        f->QV_Image.SetPicture(f->SZ_Image(1).Picture());
        f->QV_Image.SetVisible(true);
        f->Zhuang.SetCaption(QStringLiteral("东"));
        for (Control* c : std::vector<Control*>{&f->Time_Img, &f->Number, &f->ZhiNan, &f->Host, &f->Zhuang,
                                                &f->Words, &f->lblDifen, &f->imgsezi(0), &f->imgsezi(1),
                                                &f->imgBeishu, &f->Imgwealth, &f->lbwealth})
            c->SetVisible(true);
        for (int i = 0; i <= 2; ++i) {
            f->Speak(i).SetVisible(true);
            f->lbfont(i).SetVisible(true);
        }
        f->Speak(2).SetTop(400);
        f->lblDifen.SetCaption(QStringLiteral("6"));
        f->lbwealth.SetCaption(QStringLiteral("10"));
        f->Bank.SetVisible(false);
        f->Bank.ZOrder(1);
        form<Talk>().Show();
        Mod_Prop::PropExitAfterScore = true;
        Mod_Prop::ScoreShowState = 2;
        Mod_Prop::DrawnRound = true;
        Mod_Prop::PropBoxesHidden = true;
    }

    MainForm* f = nullptr;
};

struct Size {
    int width, height;
};
// Pool (and wall) tile sizes of sides 0..3.
const Size kTileSizes[] = {{36, 50}, {48, 35}, {30, 36}, {48, 35}};
const Size kSmallTileSizes[] = {{28, 39}, {38, 27}, {23, 28}, {38, 27}};

TEST_P(RoundReset, TheFullSequenceEmptiesEverySeatForTheNextHand)
{
    // Both names of the round data reset serve the sequence.
    for (auto resetRoundData : {&NewGame::ResetRoundData, &NewGame::ResetRoundDataCopy}) {
        LeaveAHandBehind();
        NewGame::ResetTableForRound();
        NewGame::ClearTableAndPlaceWalls();
        resetRoundData();

        for (int s = 0; s <= 3; ++s) {
            SCOPED_TRACE(s);
            const SeatRecord& seat = custom[s];
            for (int k = 0; k <= 20; ++k)
                EXPECT_EQ(seat.Slots[k], (TileSlot{SlotEmpty, 0, -1})) << k;
            EXPECT_EQ(seat.MeldEnd, s == 0 ? 3 : 4);
            EXPECT_EQ(seat.FirstConcealed, 4);
            EXPECT_EQ(seat.sum, 0);
            EXPECT_EQ(seat.HandScore, 0);
            EXPECT_FALSE(seat.IsBanker);
            EXPECT_EQ(seat.RedCount, 0);
            EXPECT_EQ(seat.WildCount, 0);
            EXPECT_EQ(RoundResult(s, 16), 0);
            EXPECT_EQ(RoundResult(s, 15), 5);
            EXPECT_EQ(RoundScores[s], 0);
            EXPECT_EQ(SeatNames[s], QString());
            // Who sits where stays.
            EXPECT_EQ(seat.Name, QStringLiteral("player%1").arg(s));
            EXPECT_EQ(seat.SeatMask, 1 << s);
            const Size size = (small() ? kSmallTileSizes : kTileSizes)[s];
            EXPECT_EQ(TileW[s], size.width);
            EXPECT_EQ(TileH[s], size.height);
        }
        EXPECT_EQ(ClaimedDiscardImage, -1);
        EXPECT_EQ(BlinkImage, -1);
        EXPECT_EQ(WildTile, -1);
        EXPECT_EQ(WinnerSide, -1);
        EXPECT_TRUE(NormalDraw);
        EXPECT_FALSE(MayDiscard);
        EXPECT_EQ(FrameGroupCount, 0);
        EXPECT_EQ(HiddenTiles(2, 5), 0);
        // The whole order list, as long as there are tiles.
        EXPECT_EQ(RightPoolOrder[23], 0);
        EXPECT_EQ(RightPoolOrder[24], 0);
        EXPECT_EQ(RightPoolOrder[135], 0);
        EXPECT_EQ(RightPoolCount, 0);
        EXPECT_EQ(SpecialTileImages(3, 7), 0);
        EXPECT_EQ(Fen_Num, 0);
        EXPECT_FALSE(GameRunning);

        for (int i = 0; i <= 135; ++i) {
            EXPECT_FALSE(f->MJ_Image(i).Visible()) << i;
            EXPECT_TRUE(f->MJ_Image(i).Picture().IsNull()) << i;
        }
        for (int i = 0; i <= 4; ++i) {
            EXPECT_FALSE(f->Operation(i).Enabled()) << i;
            EXPECT_FALSE(f->Operation(i).Visible()) << i;
        }
        EXPECT_FALSE(f->QV_Image.Visible());
        EXPECT_FALSE(f->QV_Image.Picture().IsNull()); // the wild tile's picture stays
        EXPECT_EQ(f->Zhuang.Caption(), QString());
    }
}

TEST_P(RoundReset, EachHalfLeavesWhatTheOtherClears)
{
    // The round data reset keeps the slots' codes; the table reset keeps their
    // states and images.
    LeaveAHandBehind();
    NewGame::ResetRoundData();
    EXPECT_EQ(custom[1].Slots[6], (TileSlot{SlotEmpty, 0x21, -1}));
    EXPECT_TRUE(f->MJ_Image(6).Visible());
    EXPECT_EQ(TileW[1], 99);

    LeaveAHandBehind();
    NewGame::ResetTableForRound();
    EXPECT_EQ(custom[1].Slots[6], (TileSlot{SlotInHand, 0, 6}));
    EXPECT_EQ(custom[1].MeldEnd, 9);
    EXPECT_EQ(WildTile, 0x22);
}

TEST_P(RoundReset, AnOnlookerKeepsTheBankersWind)
{
    for (bool watching : {false, true}) {
        SCOPED_TRACE(watching);
        WatchMode = watching;
        f->Zhuang.SetCaption(QStringLiteral("南"));
        NewGame::ResetTableForRound();
        EXPECT_EQ(f->Zhuang.Caption(), watching ? QStringLiteral("南") : QString());
    }
}

struct StackCase {
    int wall, stack;
    double upperX, upperY, lowerY; // at scale 1
    double smallX, smallY, smallLowerY;
};

// Upper and lower tiles of the first and last stack of every wall: the walls
// run from their corners, each stack placed from the previous one as the
// control reports it.
const StackCase kStacks[] = {
    {0, 0, 809, 476, 498, 632.03125, 371.875, 389.0625},
    {0, 16, 233, 476, 498, 184.03125, 371.875, 389.0625},
    {1, 0, 164, 476, 496, 128.125, 371.875, 387.5},
    {1, 16, 228, 236, 256, 178.125, 184.375, 200},
    {2, 0, 236, 192, 208, 184.375, 150, 162.5},
    {2, 16, 716, 192, 208, 552.375, 150, 162.5},
    {3, 0, 748, 192, 212, 584.375, 150, 165.625},
    {3, 16, 812, 432, 452, 634.375, 337.5, 353.125},
};

TEST_P(RoundReset, TheWallsRunFromTheirCornersInStacksOfTwo)
{
    NewGame::ClearTableAndPlaceWalls();
    for (const StackCase& c : kStacks) {
        SCOPED_TRACE(testing::Message() << "wall " << c.wall << " stack " << c.stack);
        const Image& upper = f->MJ_Image(34 * c.wall + 2 * c.stack);
        const Image& lower = f->MJ_Image(34 * c.wall + 2 * c.stack + 1);
        EXPECT_DOUBLE_EQ(upper.Left(), small() ? c.smallX : c.upperX);
        EXPECT_DOUBLE_EQ(upper.Top(), small() ? c.smallY : c.upperY);
        EXPECT_DOUBLE_EQ(lower.Left(), upper.Left());
        EXPECT_DOUBLE_EQ(lower.Top(), small() ? c.smallLowerY : c.lowerY);
    }
    // Every tile takes its wall's side's pool size; the bottom wall steps by
    // its tile width (28 on the small screen), the top wall by its own (23).
    for (int w = 0; w <= 3; ++w) {
        const Size size = (small() ? kSmallTileSizes : kTileSizes)[w];
        for (int k = 0; k <= 33; ++k) {
            const Image& tile = f->MJ_Image(34 * w + k);
            ASSERT_EQ(tile.Width(), size.width) << 34 * w + k;
            ASSERT_EQ(tile.Height(), size.height) << 34 * w + k;
            ASSERT_EQ(tile.Left(), f->MJ_Image(34 * w + k - k % 2).Left()) << 34 * w + k;
        }
    }
    for (int s = 1; s <= 16; ++s) {
        EXPECT_DOUBLE_EQ(f->MJ_Image(2 * s - 2).Left() - f->MJ_Image(2 * s).Left(), small() ? 28 : 36) << s;
        EXPECT_DOUBLE_EQ(f->MJ_Image(68 + 2 * s).Left() - f->MJ_Image(66 + 2 * s).Left(), small() ? 23 : 30) << s;
    }
}

TEST_P(RoundReset, TheWallsMeetAtTheCorners)
{
    NewGame::ClearTableAndPlaceWalls();
    const auto rect = [this](int image) {
        const Image& t = f->MJ_Image(image);
        return QRectF(t.Left(), t.Top(), t.Width(), t.Height());
    };
    // The left wall's top stack reaches over the lower tile of the top wall's
    // first stack, and the right wall's foot over the bottom wall's first
    // stack; the drawing order decides which lies on top (see below).
    EXPECT_TRUE(rect(66).intersects(rect(69)));
    EXPECT_TRUE(rect(135).intersects(rect(0)));
}

// Position of a control in the table's drawing order (bottom first).
int At(const MainForm& f, int image)
{
    return static_cast<int>(f.Pic1.DrawingOrder().indexOf(QStringLiteral("MJ_Image(%1)").arg(image)));
}

TEST_P(RoundReset, StacksLookStackedInTheDrawingOrder)
{
    NewGame::ClearTableAndPlaceWalls();
    const MainForm& t = *f;
    // Within every stack the upper tile lies over the lower one.
    for (int stack = 0; stack < 68; ++stack)
        EXPECT_GT(At(t, 2 * stack), At(t, 2 * stack + 1)) << "stack of " << 2 * stack;
    // In the side walls each stack lies over the stack above it on the screen:
    // the left wall climbs, so each stack over the next; the right wall
    // descends, so each over the one before.
    for (int s = 1; s <= 16; ++s) {
        for (int layer = 0; layer <= 1; ++layer) {
            EXPECT_GT(At(t, 34 + 2 * (s - 1)), At(t, 34 + 2 * s + layer)) << "left wall " << s;
            EXPECT_GT(At(t, 102 + 2 * s + layer), At(t, 102 + 2 * (s - 1))) << "right wall " << s;
        }
    }
    // The left wall lies over the top wall where they meet.
    for (int image = 34; image <= 67; ++image)
        for (int top : {68, 69, 70, 71})
            EXPECT_GT(At(t, image), At(t, top)) << image << " over " << top;
    // The top wall's first two lower tiles lie under every other tile.
    for (int image = 0; image <= 135; ++image)
        if (image != 69 && image != 71) {
            EXPECT_LT(At(t, 69), At(t, image)) << image;
            EXPECT_LT(At(t, 71), At(t, image)) << image;
        }
    // The bottom wall's first stack lies over the foot of the right wall.
    EXPECT_GT(At(t, 0), At(t, 134));
    EXPECT_GT(At(t, 0), At(t, 135));
}

TEST_P(RoundReset, SeatOriginsAreRoundedFromTheScaledDesign)
{
    struct Origins {
        int handX, handY, poolX, poolY;
    };
    const Origins normal[] = {{19, 564, 358, 438}, {163, 192, 287, 238}, {842, 122, 635, 238}, {942, 560, 758, 438}};
    // 560 x 0.78125 = 437.5 gives 438.
    const Origins smallOnes[] = {{15, 441, 280, 342}, {127, 150, 224, 186}, {658, 95, 496, 186}, {736, 438, 592, 342}};
    NewGame::ClearTableAndPlaceWalls();
    for (int side = 0; side <= 3; ++side) {
        SCOPED_TRACE(side);
        const Origins& o = (small() ? smallOnes : normal)[side];
        const SeatRecord& seat = custom[side];
        EXPECT_EQ(seat.HandX, o.handX);
        EXPECT_EQ(seat.HandY, o.handY);
        EXPECT_EQ(seat.PoolX, o.poolX);
        EXPECT_EQ(seat.PoolY, o.poolY);
        EXPECT_EQ(seat.PoolRowX, o.poolX);
        EXPECT_EQ(seat.PoolRowY, o.poolY);
    }
}

TEST_P(RoundReset, ClearingHidesTheHandsControlsAndShowsTheWarehouse)
{
    for (int32_t wealth : {0, 5}) {
        SCOPED_TRACE(wealth);
        LeaveAHandBehind();
        WealthRate = wealth;
        NewGame::ClearTableAndPlaceWalls();

        for (int i = 0; i <= 135; ++i)
            EXPECT_FALSE(f->MJ_Image(i).Visible()) << i;
        for (const Control* c : std::vector<const Control*>{&f->Time_Img, &f->Number, &f->ZhiNan, &f->Host,
                                                            &f->Zhuang, &f->Words, &f->lblDifen, &f->imgsezi(0),
                                                            &f->imgsezi(1), &f->imgBeishu})
            EXPECT_FALSE(c->Visible()) << c->Name().toStdString();
        for (int i = 0; i <= 2; ++i) {
            EXPECT_FALSE(f->Speak(i).Visible()) << i;
            EXPECT_FALSE(f->lbfont(i).Visible()) << i;
        }
        for (int i = 0; i <= 4; ++i)
            EXPECT_FALSE(f->Operation(i).Visible()) << i;
        EXPECT_DOUBLE_EQ(f->Speak(2).Top(), 280 * GetParam());
        EXPECT_FALSE(form<Talk>().Visible());
        EXPECT_EQ(f->lblDifen.Caption(), QStringLiteral("1"));
        // A wealth multiplier in force keeps its plate.
        EXPECT_EQ(f->Imgwealth.Visible(), wealth != 0);
        EXPECT_EQ(f->lbwealth.Visible(), wealth != 0);
        EXPECT_EQ(f->lbwealth.Caption(), wealth != 0 ? QStringLiteral("10") : QStringLiteral("1"));
        EXPECT_FALSE(Mod_Prop::PropExitAfterScore);
        EXPECT_EQ(Mod_Prop::ScoreShowState, 0);
        EXPECT_FALSE(Mod_Prop::DrawnRound);
        EXPECT_FALSE(Mod_Prop::PropBoxesHidden);
        // The warehouse button is shown over every tile.
        EXPECT_TRUE(f->Bank.Visible());
        const QStringList order = f->Pic1.DrawingOrder();
        for (int i = 0; i <= 135; ++i)
            EXPECT_GT(order.indexOf(QStringLiteral("Bank")), At(*f, i)) << i;
    }
}

TEST_P(RoundReset, ClearingTwiceGivesTheSameTableAsOnce)
{
    struct Snapshot {
        QStringList order;
        std::vector<QRectF> tiles;
        std::vector<int16_t> origins;
        bool operator==(const Snapshot&) const = default;
    };
    const auto take = [this] {
        Snapshot s{f->Pic1.DrawingOrder(), {}, {}};
        for (int i = 0; i <= 135; ++i) {
            const Image& t = f->MJ_Image(i);
            s.tiles.emplace_back(t.Left(), t.Top(), t.Width(), t.Height());
        }
        for (const SeatRecord& seat : custom)
            for (int16_t v : {seat.HandX, seat.HandY, seat.PoolX, seat.PoolY, seat.PoolRowX, seat.PoolRowY})
                s.origins.push_back(v);
        return s;
    };
    NewGame::ClearTableAndPlaceWalls();
    const Snapshot once = take();
    NewGame::ClearTableAndPlaceWalls();
    EXPECT_TRUE(take() == once);
    // The full sequence lays the same walls.
    NewGame::ResetTableForRound();
    NewGame::ClearTableAndPlaceWalls();
    NewGame::ResetRoundData();
    EXPECT_TRUE(take() == once);
}

// On screens larger than the drawn table (the small table on a 900x650
// screen, the full one inside the skin of a 1280x1024 screen) the middle of
// the table picture or of the window is elsewhere; the centre stays the
// drawn table's middle.
TEST_P(RoundReset, TheTableCentreIsTheDrawnTablesMiddle)
{
    mjtest::FitTableToScreen(*f, small() ? 900 : 1280, small() ? 650 : 1024);
    ASSERT_FLOAT_EQ(ScaleX, GetParam());
    const QPointF centre = General::TableCentre();
    EXPECT_DOUBLE_EQ(centre.x(), small() ? 400 : 512);
    EXPECT_DOUBLE_EQ(centre.y(), small() ? 300 : 384);
    const QPointF halfWindow(f->Width() / 15 / 2, f->Height() / 15 / 2);
    const QPointF halfPicture(f->Pic1.Width() / 15 / 2, f->Pic1.Height() / 15 / 2);
    EXPECT_NE(halfWindow, centre);
    if (small()) {
        EXPECT_NE(halfPicture, centre);
    }
}

INSTANTIATE_TEST_SUITE_P(Scales, RoundReset, ::testing::Values(1.0f, Small),
                         [](const ::testing::TestParamInfo<float>& info) {
                             return info.param < 1 ? std::string("Small") : std::string("Normal");
                         });

} // namespace
