// The tile events of a hand (codes 1, 2, 5, 7, 8, 14, 15) as the dispatcher
// handles them: what it keeps itself (the last discarder and the claimed
// tile's place, the follow-the-dealer bubble, the tiles seen, the wall-end
// record, the wild tile) and what it hands to the seated table.
#include "FrameBuilder.h"
#include "SeatedTable.h"

#include "client/SoftTimer.h"
#include "client/Total.h"
#include "dispatch/Total.h"

#include <QImage>
#include <QRectF>

#include <algorithm>
#include <map>
#include <utility>

using namespace mj;
using mjtest::SeatedTable;
namespace frames = mjtest::frames;

namespace {

constexpr int CodeDeal = 1, CodeDiscard = 2, CodeDraw = 5, CodePlayerOperation = 7, CodeRevealWallTail = 8,
              CodeWildTile = 14, CodeSeatTiles = 15;

class TileEvents : public SeatedTable {
protected:
    void TearDown() override
    {
        WatchMode = false;
        SeatedTable::TearDown();
    }
    static void Discard(uint8_t seat, uint16_t tile, uint16_t follow = 0)
    {
        mjtest::Dispatch(frames::WithHeader(CodeDiscard, seat, follow, 0, 0, tile));
    }
    static void Claim(uint8_t seat, uint16_t op, uint16_t t0, uint16_t t1, uint16_t t2)
    {
        mjtest::Dispatch(frames::WithHeader(CodePlayerOperation, seat, op, t0, t1, t2));
    }
    // The non-zero entries of SeenTiles, (suit, rank) -> count.
    static std::map<std::pair<int, int>, int> SeenCounts()
    {
        std::map<std::pair<int, int>, int> seen;
        for (int s = 0; s <= 3; ++s)
            for (int r = 1; r <= 9; ++r)
                if (SeenTiles(s, r) != 0)
                    seen[{s, r}] = SeenTiles(s, r);
        return seen;
    }
};

TEST_P(TileEvents, DiscardsAndClaimsCountTheTilesSeenInSeatedModeOnly)
{
    using Counts = std::map<std::pair<int, int>, int>;
    const uint8_t other = MaskOf(2);
    const struct {
        const char* name;
        bool watch;
        std::function<void()> frames;
        Counts seen;
    } cases[] = {
        {"discard of bamboo 5 by another seat", false, [&] { Discard(other, 0x25); }, {{{1, 5}, 1}}},
        {"discard of bamboo 5 by the own seat", false, [&] { Discard(ownMask(), 0x25); }, {{{1, 5}, 1}}},
        {"discard of an honour", false, [&] { Discard(other, 0x13); }, {}},
        {"discard of dots 9 and characters 1", false, [&] { Discard(other, 0x89), Discard(other, 0x41); },
         {{{3, 9}, 1}, {{2, 1}, 1}}},
        {"discard of rank 0", false, [&] { Discard(other, 0x20); }, {}},
        {"discard of rank 12", false, [&] { Discard(other, 0x8C); }, {}},
        {"peng of characters 8", false, [&] { Claim(other, OpPeng, 0x48, 0x48, 0x48); }, {{{2, 8}, 2}}},
        {"chi: the first two tiles", false, [&] { Claim(other, OpChi, 0x23, 0x24, 0x25); }, {{{1, 3}, 1}, {{1, 4}, 1}}},
        {"peng of an honour", false, [&] { Claim(other, OpPeng, 0x13, 0x13, 0x13); }, {{{0, 3}, 2}}},
        {"exposed gang of dots 6", false, [&] { Claim(other, OpExposedGang, 0x86, 0x86, 0x86); }, {{{3, 6}, 3}}},
        {"added gang with its tile last", false, [&] { Claim(other, OpAddedGang, 0, 0, 0x86); }, {{{3, 6}, 1}}},
        {"concealed gang", false, [&] { Claim(other, OpConcealedGang, 0x86, 0x86, 0x86); }, {}},
        {"hu", false, [&] { Claim(other, OpHu, 0, 0, 0x86); }, {}},
        {"a claim's rank 0 counts as 1", false, [&] { Claim(other, OpChi, 0x20, 0x22, 0x23); },
         {{{1, 1}, 1}, {{1, 2}, 1}}},
        {"a claim's rank 12 is not counted", false, [&] { Claim(other, OpPeng, 0x4C, 0x4C, 0x4C); }, {}},
        {"watch mode: discard", true, [&] { Discard(other, 0x25); }, {}},
        {"watch mode: peng", true, [&] { Claim(other, OpPeng, 0x48, 0x48, 0x48); }, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SeenTiles.Fill(0);
        WatchMode = c.watch;
        c.frames();
        EXPECT_EQ(SeenCounts(), c.seen);
    }
}

TEST_P(TileEvents, AClaimKeepsWhereTheClaimedTileSitsByTheDiscardersPlace)
{
    // By the claimer's seat index less the discarder's: 1 gives 2, 2 gives
    // 1, 3 gives 0, and the discarder's own seat 0.
    const struct {
        uint8_t discarder, claimer;
        int16_t position;
    } cases[] = {
        {1, 2, 2}, {1, 4, 1}, {1, 8, 0}, {1, 1, 0},
        {8, 1, 2}, {8, 2, 1}, {4, 2, 0}, {2, 2, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.discarder) << " then " << int(c.claimer));
        Discard(c.discarder, 0x11);
        EXPECT_EQ(ActorSeat, c.discarder);
        Claim(c.claimer, OpPeng, 0x11, 0x11, 0x11);
        EXPECT_EQ(ActorSeat, c.position);
    }
}

TEST_P(TileEvents, TheFollowTheDealerBubbleShowsBesideAnotherSeatForTwoSeconds)
{
    const double s = S();
    const Image& avatar = f->Tou(2);
    const struct {
        int side;
        double left, top;
    } cases[] = {
        {1, 8 * s, 280 * s},
        {2, avatar.Left() + 0.8 * avatar.Width(), avatar.Top() + 0.8 * avatar.Height()},
        {3, 936 * s, 280 * s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.side);
        Image& bubble = f->tsSpeak(c.side - 1);
        bubble.SetVisible(false);
        f->Speak(c.side - 1).SetVisible(true);
        Discard(MaskOf(c.side), 0x11, 3);
        EXPECT_TRUE(bubble.Visible());
        EXPECT_FALSE(f->Speak(c.side - 1).Visible());
        EXPECT_NEAR(bubble.Left(), c.left, 1e-3);
        EXPECT_NEAR(bubble.Top(), c.top, 1e-3);
        EXPECT_EQ(bubble.Picture().ResourceId(), CInt(Image_Resource::FollowBubblePicture[c.side - 1]));
        EXPECT_TRUE(f->Pic1.DrawingOrder().indexOf(QStringLiteral("tsSpeak(%1)").arg(c.side - 1))
                    > f->Pic1.DrawingOrder().indexOf(QStringLiteral("MJ_Image(0)")));
        EXPECT_TRUE(BubbleHideOn);
        EXPECT_EQ(BubbleSide, c.side - 1);
        for (int tick = 1; tick <= 39; ++tick)
            f->TimerBong_Timer();
        EXPECT_TRUE(bubble.Visible());
        f->TimerBong_Timer();
        EXPECT_FALSE(bubble.Visible());
    }

    // No bubble for the own discard, for another value, or for an onlooker.
    const struct {
        const char* name;
        int side;
        uint16_t follow;
        bool watch;
    } none[] = {{"own discard", 0, 3, false}, {"value 2", 1, 2, false},
                {"watch mode", 2, 3, true}};
    for (const auto& c : none) {
        SCOPED_TRACE(c.name);
        BubbleHideOn = false;
        for (int i = 0; i <= 2; ++i)
            f->tsSpeak(i).SetVisible(false);
        WatchMode = c.watch;
        Discard(MaskOf(c.side), 0x11, c.follow);
        for (int i = 0; i <= 2; ++i)
            EXPECT_FALSE(f->tsSpeak(i).Visible()) << i;
        EXPECT_FALSE(BubbleHideOn);
    }
}

TEST_P(TileEvents, TheFirstSeatTilesOfARoundRecordTheWallEndTiles)
{
    const struct {
        const char* name;
        int16_t tail, head;
        QByteArray bytes;
        int count;
        std::vector<int16_t> places;
    } cases[] = {
        {"even tail", 94, 96, QByteArray::fromHex("1122330000"), 3, {94, 95, 96, 0, 0}},
        {"odd tail", 95, 96, QByteArray::fromHex("1122330000"), 3, {95, 92, 96, 0, 0}},
        {"five tiles", 40, 42, QByteArray::fromHex("1122334455"), 5, {40, 41, 42, 43, 44}},
        {"the tail wraps", 135, 1, QByteArray::fromHex("1100000000"), 1, {135, 132, 0, 0, 0}},
        {"places follow the entries", 94, 96, QByteArray::fromHex("1100330000"), 2, {94, 95, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TailTileCount = 0;
        TailSlots.Fill(0);
        WallTail = c.tail;
        WallHead = c.head;
        mjtest::Dispatch(frames::WithHeader(CodeSeatTiles, ownMask()).Bytes(16, c.bytes));
        EXPECT_EQ(TailTileCount, c.count);
        for (int i = 0; i <= 4; ++i) {
            EXPECT_EQ(TailTiles[i], uint8_t(c.bytes[i])) << i;
            EXPECT_EQ(TailSlots[i], c.places[static_cast<size_t>(i)]) << i;
        }
        // A second one in the same round leaves the record alone.
        WallTail = 10;
        mjtest::Dispatch(frames::WithHeader(CodeSeatTiles, ownMask()).Bytes(16, QByteArray::fromHex("2929292929")));
        EXPECT_EQ(TailTileCount, c.count);
        EXPECT_EQ(TailSlots[0], c.tail);
        EXPECT_EQ(TailTiles[0], uint8_t(c.bytes[0]));
    }
    // A first frame naming no tile leaves the record to the next.
    TailTileCount = 0;
    WallTail = 94;
    mjtest::Dispatch(frames::WithHeader(CodeSeatTiles, ownMask()));
    EXPECT_EQ(TailTileCount, 0);
    mjtest::Dispatch(frames::WithHeader(CodeSeatTiles, ownMask()).Bytes(16, QByteArray::fromHex("29")));
    EXPECT_EQ(TailTileCount, 1);
}

TEST_P(TileEvents, TheWildTileFrameKeepsItsTilesAndTheClaimedTileMark)
{
    mjtest::Dispatch(frames::WithHeader(CodeWildTile, 0, 1, 0, 0x122, 0x386));
    EXPECT_EQ(WildTile, 0x22);
    EXPECT_EQ(FlippedWallTile, 0x86);
    EXPECT_TRUE(MarkClaimedTile);
    mjtest::Dispatch(frames::WithHeader(CodeWildTile, 0, 0, 0, 0x29, 0x11));
    EXPECT_EQ(WildTile, 0x29);
    EXPECT_EQ(FlippedWallTile, 0x11);
    EXPECT_TRUE(MarkClaimedTile); // a later 0 keeps it
}

TEST_P(TileEvents, TheDealAndTheDrawsReachTheHandsAndADrawStopsTheCountdown)
{
    const int16_t left = Operate::WallTilesLeft();
    mjtest::Dispatch(frames::WithHeader(CodeDeal, ownMask()).Bytes(16, QByteArray::fromHex("111213141516172122232425")));
    mjtest::Dispatch(frames::WithHeader(CodeDeal, MaskOf(1)).Bytes(16, QByteArray::fromHex("111213141516172122232425")));
    EXPECT_EQ(custom[0].sum, 12);
    EXPECT_EQ(custom[1].sum, 12);
    EXPECT_EQ(custom[0].Slots[custom[0].FirstConcealed].Code, 0x11);
    NextRoundCountdownOn = true;
    mjtest::Dispatch(frames::WithHeader(CodeDraw, ownMask(), 0, 0, 0, 0x29));
    EXPECT_FALSE(NextRoundCountdownOn);
    EXPECT_EQ(custom[0].sum, 13);
    EXPECT_EQ(Operate::WallTilesLeft(), left - 25);
    ExpectConsistent("after the draws");

    // One tile turned up at the wall's end and not kept.
    mjtest::Dispatch(frames::WithHeader(CodeRevealWallTail, 0).Bytes(16, QByteArray::fromHex("000129")));
    EXPECT_EQ(Operate::WallTilesLeft(), left - 26);
    ExpectConsistent("after the wall's end");
}

TEST_P(TileEvents, TheDealAndTheDiscardsPlayTheirSoundsWhileSoundsAreOn)
{
    const QString deal = Mod_Resource::SoundFile[3], discard = Mod_Resource::SoundFile[2];
    const qsizetype start = Played().size(); // the wall building's
    mjtest::Dispatch(frames::WithHeader(CodeDeal, MaskOf(1)).Bytes(16, QByteArray::fromHex("111213141516172122232425")));
    EXPECT_EQ(Played().mid(start), QStringList{deal});
    mjtest::Dispatch(frames::WithHeader(CodeDiscard, MaskOf(1), 0, 0, 0, 0x25));
    ASSERT_EQ(Played().size(), start + 3);
    EXPECT_EQ(Played()[start + 1], discard); // then the discarder's voice
    Mod_Sound::FunctionSoundOn = false;
    const qsizetype before = audio->Log().size();
    mjtest::Dispatch(frames::WithHeader(CodeDeal, MaskOf(2)).Bytes(16, QByteArray::fromHex("111213141516172122232425")));
    mjtest::Dispatch(frames::WithHeader(CodeDiscard, MaskOf(2), 0, 0, 0, 0x25));
    EXPECT_EQ(audio->Log().size(), before);
}

TEST_P(TileEvents, ATileEventForNoOneSeatIsDroppedWhole)
{
    mjtest::Dispatch(frames::WithHeader(CodeDiscard, MaskOf(1), 0, 0, 0, 0x11));
    const int16_t left = Operate::WallTilesLeft();
    for (const uint8_t seat : {uint8_t{0}, uint8_t{3}, uint8_t{12}, uint8_t{15}}) {
        SCOPED_TRACE(int(seat));
        mjtest::Dispatch(frames::WithHeader(CodeDeal, seat).Bytes(16, QByteArray::fromHex("111213141516172122232425")));
        mjtest::Dispatch(frames::WithHeader(CodeDraw, seat, 0, 0, 0, 0x29));
        mjtest::Dispatch(frames::WithHeader(CodeDiscard, seat, 3, 0, 0, 0x25));
        mjtest::Dispatch(frames::WithHeader(CodePlayerOperation, seat, OpPeng, 0x25, 0x25, 0x25));
        mjtest::Dispatch(frames::WithHeader(CodeSeatTiles, seat, 0x11, 0x12, 0x13, 0x14).Bytes(16, QByteArray::fromHex("11")));
        EXPECT_EQ(Operate::WallTilesLeft(), left);
        for (int side = 0; side <= 3; ++side)
            EXPECT_EQ(custom[side].sum, 0) << side;
        EXPECT_TRUE(SeenCounts().empty());
        EXPECT_EQ(ActorSeat, MaskOf(1));
        EXPECT_EQ(TailTileCount, 0);
        EXPECT_FALSE(BubbleHideOn);
    }
}

// The table snapshot is an onlooker's: on a seated player's table it is
// dropped before it is drawn. It deals nothing, moves no tile and, sent
// twice, does not end the program, even when it shows a face-up tile that
// names no tile (which ends an onlooker's watch).
TEST_P(TileEvents, ATableSnapshotLeavesASeatedTableAlone)
{
    constexpr int CodeSnapshot = 40;
    mjtest::Dispatch(frames::WithHeader(CodeDeal, ownMask()).Bytes(16, QByteArray::fromHex("111213141516172122232425")));
    std::vector<QRectF> before;
    for (int i = 0; i <= 135; ++i)
        before.push_back(Rect(i));
    const int16_t left = Operate::WallTilesLeft();
    const int16_t first = custom[0].FirstConcealed;
    // The own seat's snapshot: three discards, a peng and nine hand tiles;
    // the second also shows a tile of code 0x1F face up.
    const QByteArray pairs = QByteArray::fromHex("3015301530151011101210131014101510161017102110221023");
    for (int n = 1; n <= 2; ++n) {
        SCOPED_TRACE(n);
        const mjtest::ServerFrame snapshot = frames::WithHeader(CodeSnapshot, ownMask(), 0, 20, 0, 2)
                                                 .Byte(7, 3)
                                                 .Bytes(16, n == 1 ? pairs : pairs + QByteArray::fromHex("201F"));
        EXPECT_FALSE(mjtest::EndsProgram([&] { mjtest::Dispatch(snapshot); }));
        EXPECT_EQ(custom[0].sum, 12);
        EXPECT_EQ(custom[0].FirstConcealed, first);
        EXPECT_EQ(Operate::WallTilesLeft(), left);
        for (int i = 0; i <= 135; ++i)
            EXPECT_EQ(Rect(i), before[static_cast<size_t>(i)]) << "tile " << i;
    }
    ExpectConsistent("after the snapshots");
}

// On the screen of the scale, with the banker plate up: every seat's
// follow-the-dealer and claim bubble stands whole inside the table window,
// off the banker plate (which the small table raises into the left seat's
// bubble place), at the place its seat gives where that fits and as near to
// it as fits where not, with its word inside it. Screenshots of the three
// sides' bubbles at once, for people to look at.
TEST_P(TileEvents, EveryBubbleStaysInsideTheWindowAndOffTheBankerPlate)
{
    const QSize screen = small() ? QSize(800, 600) : QSize(1024, 768);
    mjtest::FitTableToScreen(*f, screen.width(), screen.height());
    f->Host.SetVisible(true);
    f->Zhuang.SetVisible(true);
    const QRectF window(0, 0, f->Pic1.ScaleWidth(), f->Pic1.ScaleHeight());
    ASSERT_EQ(window.size(), QSizeF(screen));
    const auto box = [](const Control& c) { return QRectF(c.Left(), c.Top(), c.Width(), c.Height()); };
    const QRectF plate = box(f->Host);
    // Where each seat's bubble stands: the left and right seats' places;
    // the opposite seat's hangs from its avatar and is checked for fit only.
    const QPointF left(8 * S(), 280 * S()), right(936 * S(), 280 * S());
    const QPointF leftFitted(left.x(), std::max(left.y(), plate.bottom()));
    const QPointF rightFitted(std::min(right.x(), window.width() - f->Speak(2).Width()), right.y());
    ASSERT_EQ(small(), leftFitted != left);
    ASSERT_EQ(small(), rightFitted != right);
    for (int side = 1; side <= 3; ++side) {
        SCOPED_TRACE(side);
        Discard(MaskOf(side), 0x11, 3);
        const Image& follow = f->tsSpeak(side - 1);
        ASSERT_TRUE(follow.Visible());
        EXPECT_TRUE(window.contains(box(follow)));
        EXPECT_FALSE(box(follow).intersects(plate));

        Claim(MaskOf(side), OpPeng, 0x11, 0x11, 0x11);
        const Image& claim = f->Speak(side - 1);
        ASSERT_TRUE(claim.Visible());
        EXPECT_TRUE(window.contains(box(claim)));
        EXPECT_FALSE(box(claim).intersects(plate));
        EXPECT_TRUE(box(claim).contains(box(f->Words)));
        if (side == 1) {
            EXPECT_EQ(box(follow).topLeft(), leftFitted);
            EXPECT_EQ(box(claim).topLeft(), leftFitted);
        } else if (side == 3) {
            EXPECT_EQ(box(follow).topLeft(), QPointF(std::min(right.x(), window.width() - follow.Width()), right.y()));
            EXPECT_EQ(box(claim).topLeft(), rightFitted);
        }
    }
    if (ownMask() != 1)
        return;
    const QString size = small() ? QStringLiteral("800x600") : QStringLiteral("1024x768");
    for (const bool claims : {false, true}) {
        for (int i = 0; i <= 2; ++i) {
            f->Speak(i).SetVisible(claims);
            f->tsSpeak(i).SetVisible(!claims);
        }
        f->Words.SetVisible(false);
        const QImage shot = f->Grab();
        EXPECT_EQ(shot.size(), screen);
        EXPECT_TRUE(shot.save(mjtest::ArtifactDir()
                              + QStringLiteral("/bubbles-%1-%2.png").arg(claims ? "claim" : "follow", size)));
    }
}

MJ_SEATED_CASES(TileEvents);

} // namespace
