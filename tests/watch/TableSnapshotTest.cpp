// The snapshot of a running hand through the dispatcher (code 40): four
// frames draw every seat's tiles set aside, melds and face-down hand, and
// the fourth completes the wall, the pools and the wall head.
#include "WatchTable.h"

#include "FrameBuilder.h"
#include "dispatch/DispatchTable.h"

#include "client/Image_Resource.h"
#include "platform/Clock.h"
#include "table/TileSizes.h"

#include <QImage>

#include <vector>

using namespace mj;
using mjtest::ServerFrame;
using mjtest::WatchTable;

namespace {

constexpr int CodeSnapshot = 40;

struct Pair {
    uint8_t kind;
    uint8_t tile;
};

class TableSnapshot : public WatchTable {
protected:
    void SetUp() override
    {
        WatchTable::SetUp();
        WildTile = 0x22;
        FlippedWallTile = 0x47;
        FrameGroupCount = 0;
        SnapshotTaken = 0;
        Players[0].ShowHandToWatcher = 1;
        Clock::SetIdleStep([] { Clock::Advance(0.05); });
    }
    ServerFrame Frame(int side, uint8_t discards, uint8_t taken, uint8_t tail, const std::vector<Pair>& pairs) const
    {
        ServerFrame f = mjtest::frames::WithHeader(CodeSnapshot, MaskOf(side), 0, taken, 0, tail);
        f.Byte(7, discards);
        for (size_t i = 0; i < pairs.size(); ++i)
            f.Byte(16 + 2 * static_cast<int>(i), pairs[i].kind).Byte(17 + 2 * static_cast<int>(i), pairs[i].tile);
        return f;
    }
    static std::vector<Pair> Hand(std::vector<uint8_t> tiles, std::vector<Pair> exposed = {})
    {
        for (uint8_t t : tiles)
            exposed.push_back({0x10, t});
        return exposed;
    }
    // The sprite the k-th tile of the snapshot took.
    int16_t Sprite(int k) const { return static_cast<int16_t>((head0 + k) % 136); }
    QRectF Rect(int16_t image) const
    {
        const Image& i = f->MJ_Image(image);
        return QRectF(i.Left(), i.Top(), i.Width(), i.Height());
    }
    double Meld(int side, bool width) const
    {
        static constexpr TileSize sizes[] = {{45, 56}, {45, 35}, {34, 40}, {45, 35}};
        return width ? ScaledWidth(sizes[side]) : ScaledHeight(sizes[side]);
    }
    int16_t Picture(int16_t image) const { return static_cast<int16_t>(f->MJ_Image(image).Picture().ResourceId()); }
    int16_t Face(int view, int16_t code) const
    {
        return CInt(Image_Resource::TilePicture[Image_Resource::TilePicIndex(
            static_cast<int16_t>(view), General::MaskToIndex(static_cast<uint8_t>(code >> 4)),
            static_cast<int16_t>(code & 15))]);
    }
    int16_t Back(int index) const { return CInt(Image_Resource::TilePicture[index]); }

    int16_t head0 = 0;
};

// One group of four frames: the seats in the order of the frames, the tiles
// of each in the order the Part draws them, the wall completed.
TEST_P(TableSnapshot, FourFramesDrawEverySeatAndCompleteTheWall)
{
    head0 = WallHead;
    const int16_t tail0 = WallTail;
    // Side 1: a red dragon and a wild tile set aside; melds of dots and a
    // gang of 5 of bamboo, sent out of order; four concealed tiles.
    mjtest::Dispatch(Frame(1, 2, 40, 135,
                           Hand({0x11, 0x12, 0x13, 0x14}, {{0x25, 0x25}, {0x20, 0x15}, {0x2F, 0x83}, {0x20, 0x25},
                                                           {0x20, 0x22}, {0x20, 0x81}, {0x25, 0x25}, {0x20, 0x82},
                                                           {0x20, 0x25}, {0x30, 0x11}})));
    EXPECT_EQ(FrameGroupCount, 1);
    EXPECT_EQ(Players[0].ShowHandToWatcher, 1);
    const SeatRecord& one = custom[1];
    const double hx = one.HandX, hy = one.HandY;
    // The red dragon and the wild tile, first, in the pairs' order.
    EXPECT_EQ(SpecialTileImages(1, 0), Sprite(0));
    EXPECT_EQ(SpecialTileImages(1, 4), Sprite(1));
    EXPECT_EQ(Rect(Sprite(0)), QRectF(hx, hy, Meld(1, true), Meld(1, false)));
    EXPECT_EQ(Rect(Sprite(1)), QRectF(hx - 5, hy + (Meld(1, false) - 17), Meld(1, true), Meld(1, false)));
    EXPECT_EQ(Picture(Sprite(0)), Face(1, 0x15));
    EXPECT_EQ(Picture(Sprite(1)), Face(1, 0x22));
    // The melds sorted, dots first; the peng marks; the fourth 5 of bamboo
    // on the second, 17 px higher, its record left in slot 10.
    const int16_t codes[] = {0x81, 0x82, 0x83, 0x25, 0x25, 0x25};
    for (int k = 0; k < 6; ++k) {
        EXPECT_EQ(one.Slots[4 + k].Code, codes[k]) << k;
        EXPECT_EQ(one.Slots[4 + k].Image, Sprite(2 + k)) << k;
        EXPECT_EQ(Picture(Sprite(2 + k)), Face(1, codes[k])) << k;
        const int m = 4 + k;
        EXPECT_EQ(Rect(Sprite(2 + k)).topLeft(), QPointF(hx - 5.0 * m + 10, hy + (Meld(1, false) - 17) * (m - 2))) << k;
    }
    for (int k = 4; k <= 10; ++k)
        EXPECT_EQ(one.Slots[k].State == SlotPeng, k >= 7) << k;
    EXPECT_EQ(Rect(Sprite(8)).topLeft(), Rect(Sprite(6)).topLeft() - QPointF(0, 17));
    EXPECT_EQ(one.Slots[10].Image, Sprite(8));
    EXPECT_EQ(one.MeldEnd, 10);
    EXPECT_EQ(one.FirstConcealed, 11);
    // The concealed tiles, face down, half a tile apart.
    const double tw1 = ScaledWidth(HandTileSize[1]);
    for (int k = 0; k < 4; ++k) {
        const int n = 11 + k + 1;
        EXPECT_EQ(one.Slots[n - 1].Image, Sprite(9 + k));
        EXPECT_EQ(Rect(Sprite(9 + k)).topLeft(), QPointF(hx - 5.0 * (n - 1), hy + (n - 1) * tw1 / 2)) << k;
        EXPECT_EQ(Picture(Sprite(9 + k)), Back(43));
    }
    EXPECT_EQ(SnapshotTaken, 13);

    // Side 0, the watched player: thirteen tiles face down.
    mjtest::Dispatch(Frame(0, 1, 50, 133, Hand({0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x21, 0x22, 0x23, 0x24, 0x26, 0x27})));
    EXPECT_EQ(Players[0].ShowHandToWatcher, 0);
    EXPECT_EQ(Picture(Sprite(13)), Back(7));
    // Side 2: two red dragons, the second 18 px above the first.
    mjtest::Dispatch(Frame(2, 0, 30, 135, Hand({0x41, 0x42, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48, 0x49, 0x41}, {{0x20, 0x15}, {0x20, 0x15}})));
    EXPECT_EQ(Rect(Sprite(27)).topLeft(), Rect(Sprite(26)).topLeft() - QPointF(0, 18));
    EXPECT_EQ(custom[2].RedCount, 2);
    // Side 3: a peng of 7 of characters, then its first concealed tile at
    // n = 8: HX - 40, HY - 4 tile widths.
    EXPECT_FALSE(WatchSynced);
    mjtest::Dispatch(Frame(3, 2, 45, 135, Hand({0x31 - 0x10, 0x31 - 0x10}, {{0x20, 0x47}, {0x20, 0x47}, {0x20, 0x47}})));
    const SeatRecord& three = custom[3];
    const double tw3 = ScaledWidth(HandTileSize[3]);
    EXPECT_EQ(Rect(three.Slots[7].Image).topLeft(), QPointF(three.HandX - 40, three.HandY - 4 * tw3));

    // The fourth frame: wild tile, tail, turned tile, pools, head.
    const int drawn = 13 + 13 + 12 + 5;
    EXPECT_EQ(FrameGroupCount, 0);
    EXPECT_TRUE(WatchSynced);
    EXPECT_TRUE(f->QV_Image.Visible());
    EXPECT_EQ(f->QV_Image.Picture().ResourceId(), Face(4, 0x22));
    EXPECT_EQ(SnapshotHeadMax, 50);
    EXPECT_EQ(SnapshotTailMin, 133);
    EXPECT_EQ(WallTail, (tail0 + 133 + 1) % 136); // t = 2, even
    EXPECT_EQ(SnapshotWallPos, Sprite(drawn));
    // The discards: 2 + 1 + 0 + 2, all within the budget of 50.
    EXPECT_EQ(SnapshotTaken, drawn + 1 + 5);
    EXPECT_EQ(WallHead, (head0 + 50) % 136);
    for (int k = (head0 + 50) % 136; k != WallTail; k = (k + 1) % 136)
        EXPECT_TRUE(f->MJ_Image(static_cast<int16_t>(k)).Visible()) << k;
    EXPECT_TRUE(f->MJ_Image(static_cast<int16_t>((WallTail + 1) % 136)).Visible());

    mjtest::FitTableToScreen(*f, small() ? 800 : 1024, small() ? 600 : 768);
    const QImage shot = f->Grab();
    EXPECT_TRUE(shot.save(mjtest::ArtifactDir() +
                          QStringLiteral("/watch-snapshot-%1-own%2.png").arg(small() ? "800x600" : "1024x768").arg(ownMask())));
}

// A frame beyond the limits ends the watch through the dispatcher's error
// path, the hall restored first, before anything out of bounds is touched.
TEST_P(TableSnapshot, AFrameBeyondTheLimitsEndsTheWatch)
{
    std::vector<Pair> fifteen = Hand(std::vector<uint8_t>(15, 0x11));
    std::vector<Pair> fiveReds(5, Pair{0x20, 0x15});
    std::vector<Pair> slotsPast20(18, Pair{0x20, 0x81});
    const struct {
        const char* name;
        std::vector<Pair> pairs;
        int16_t wild;
    } cases[] = {
        {"fifteen concealed tiles", fifteen, 0x22},
        {"five red dragons", fiveReds, 0x22},
        {"five wild tiles", std::vector<Pair>(5, Pair{0x20, 0x22}), 0x22},
        {"meld slots past 20", slotsPast20, 0x22},
        {"a code that names no tile", Hand({0x11, 0x1A}), 0x22},
        {"an exposed code that names no tile", {{0x20, 0x00}}, 0x22},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        NewHand();
        WildTile = c.wild;
        FrameGroupCount = 0;
        EXPECT_TRUE(EndsWatching([&] { mjtest::Dispatch(Frame(1, 0, 40, 135, c.pairs)); }));
    }
    // The fourth frame with no wild tile known.
    NewHand();
    WildTile = -1;
    FrameGroupCount = 3;
    EXPECT_TRUE(EndsWatching([&] { mjtest::Dispatch(Frame(2, 0, 40, 135, Hand({0x11}))); }));
}

// The group counter is shared with the seat names and the user information:
// a group that starts with it at 2 completes early; at 4 never.
TEST_P(TableSnapshot, AGroupStartingWithTheCounterNotAtZero)
{
    FrameGroupCount = 2;
    SnapshotHeadMax = 10;
    SnapshotTailMin = 135;
    const int16_t head = WallHead;
    mjtest::Dispatch(Frame(1, 0, 4, 135, Hand({0x11})));
    EXPECT_FALSE(WatchSynced);
    mjtest::Dispatch(Frame(2, 0, 3, 135, Hand({0x12})));
    EXPECT_TRUE(WatchSynced);
    EXPECT_EQ(WallHead, (head + 10) % 136); // carried over from before
    EXPECT_EQ(FrameGroupCount, 0);

    NewHand();
    WatchSynced = false;
    FrameGroupCount = 4;
    const int16_t head2 = WallHead;
    for (int side = 0; side <= 3; ++side)
        mjtest::Dispatch(Frame(side, 0, 20, 135, Hand({0x13})));
    EXPECT_FALSE(WatchSynced);
    EXPECT_EQ(WallHead, head2);
    EXPECT_EQ(FrameGroupCount, 8);
    EXPECT_EQ(custom[3].sum, 1); // the seats are drawn all the same
}

// The tail's arithmetic keeps WallTail on the wall, also when the tail
// position would take it below 0.
TEST_P(TableSnapshot, TheTailStaysOnTheWall)
{
    const struct {
        int16_t tail;
        uint8_t tailMin;
        int16_t after;
    } cases[] = {
        {0, 2, 135}, // t odd: 0 + 2 - 3
        {1, 0, 134}, // t odd: 1 + 0 - 3 = -2, kept on the wall
        {0, 1, 2},   // t even: 0 + 1 + 1
        {100, 135, 100},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tail);
        NewHand();
        WildTile = 0x22;
        WallTail = c.tail;
        FrameGroupCount = 3;
        SnapshotHeadMax = 0;
        SnapshotTailMin = 135;
        EXPECT_FALSE(EndsWatching([&] { mjtest::Dispatch(Frame(2, 0, 1, c.tailMin, Hand({0x11}))); }));
        EXPECT_EQ(WallTail, c.after);
    }
}

MJ_SEATED_CASES(TableSnapshot);

} // namespace

// ---- An onlooker's whole arrival --------------------------------------------------

namespace {

class WatchArrival : public OnScreen<DispatchTable> {};

// The banker and dice (code 41), the four members (code 20) and the four
// seats of the snapshot (code 40), as an onlooker receives them: the table
// drawn from the watched player's seat, in step with the hand.
TEST_P(WatchArrival, TheBankerTheMembersAndTheSnapshotDrawTheRunningHand)
{
    const bool small = GetParam();
    Clock::SetIdleStep([] { Clock::Advance(0.05); });
    WatchMode = true;
    Players[0].UserId = 77;
    mjtest::Dispatch(mjtest::frames::WithHeader(41, 1, 3, 4, 0x22, 0x47));
    const uint8_t seats[] = {1, 2, 4, 8};
    for (int k = 0; k < 4; ++k) {
        mjtest::frames::UserInfo info(seats[k]);
        info.Name(QStringLiteral("座%1").arg(k)).Face("m3").Account(QByteArray("acc") + char('0' + k));
        info.UserId(k == 2 ? 77 : 100 + k).Coins(900);
        mjtest::Dispatch(info);
    }
    ASSERT_EQ(custom[0].SeatMask, 4);
    const int16_t head = WallHead;
    const std::vector<uint8_t> hand13 = {0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x21, 0x23, 0x24, 0x25, 0x26, 0x27};
    for (int k = 0; k < 4; ++k) {
        std::vector<Pair> pairs;
        if (k == 0)
            pairs = {{0x20, 0x86}, {0x20, 0x86}, {0x20, 0x86}};
        for (size_t i = 0; i < (k == 0 ? 10u : 13u); ++i)
            pairs.push_back({0x10, hand13[i]});
        ServerFrame f = mjtest::frames::WithHeader(CodeSnapshot, seats[k], 0, 60, 0, 135);
        f.Byte(7, 3);
        for (size_t i = 0; i < pairs.size(); ++i)
            f.Byte(16 + 2 * static_cast<int>(i), pairs[i].kind).Byte(17 + 2 * static_cast<int>(i), pairs[i].tile);
        ASSERT_FALSE(endsProgram(f));
    }
    EXPECT_TRUE(WatchSynced);
    EXPECT_EQ(WallHead, (head + 60) % 136);
    EXPECT_EQ(custom[0].sum, 13);
    EXPECT_EQ(custom[2].sum, 10);
    EXPECT_EQ(custom[2].Slots[4].Code, 0x86);
    // 52 tiles, the turned one and the 12 discards: within the budget of 60,
    // 7 of the discards are laid.
    EXPECT_EQ(SnapshotTaken, 60);
    EXPECT_EQ(Players[0].ShowHandToWatcher, 0);
    const QImage shot = w->Grab();
    EXPECT_TRUE(shot.save(mjtest::ArtifactDir() +
                          QStringLiteral("/watch-arrival-%1.png").arg(small ? "800x600" : "1024x768")));
}

INSTANTIATE_TEST_SUITE_P(Layouts, WatchArrival, ::testing::Bool());

} // namespace
