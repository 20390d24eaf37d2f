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

#include <array>
#include <map>
#include <set>
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

    // A new hand whose snapshot is still to come, the wild tile known.
    void NextHand()
    {
        NewHand();
        WildTile = 0x22;
        FrameGroupCount = 0;
    }
    // `n` concealed tiles of `code`, after `exposed`.
    static std::vector<Pair> Hidden(int n, uint8_t code = 0, std::vector<Pair> exposed = {})
    {
        return Hand(std::vector<uint8_t>(static_cast<size_t>(n), code), std::move(exposed));
    }
    static std::vector<Pair> Exposed(std::vector<uint8_t> tiles)
    {
        std::vector<Pair> pairs;
        for (uint8_t t : tiles)
            pairs.push_back({0x20, t});
        return pairs;
    }
    // A whole group, side by side: none of its frames ends the watch.
    void Group(const std::vector<ServerFrame>& frames)
    {
        for (const ServerFrame& frame : frames)
            ASSERT_FALSE(EndsWatching([&] { mjtest::Dispatch(frame); }));
    }
    // A group of four seats with the same head and tail counts.
    void Group(uint8_t taken, uint8_t tail, const std::array<std::vector<Pair>, 4>& seats,
               std::array<uint8_t, 4> discards = {})
    {
        std::vector<ServerFrame> frames;
        for (int side = 0; side <= 3; ++side)
            frames.push_back(Frame(side, discards[side], taken, tail, seats[side]));
        Group(frames);
    }
    void Play(int code, int side, int16_t v0, int16_t v1, int16_t v2, int16_t v3)
    {
        ASSERT_FALSE(EndsWatching(
            [&] { mjtest::Dispatch(mjtest::frames::WithHeader(code, MaskOf(side), v0, v1, v2, v3)); }));
    }
    // Every image a seat record shows (melds, concealed run, tiles set aside)
    // with its place and picture.
    std::map<int16_t, std::pair<QRectF, int16_t>> SeatImages() const
    {
        std::map<int16_t, std::pair<QRectF, int16_t>> shown;
        for (int side = 0; side <= 3; ++side) {
            const SeatRecord& seat = custom[side];
            for (int k = side == 0 ? 1 : 2; k <= seat.MeldEnd - 3; ++k)
                shown[seat.Slots[k].Image] = {};
            for (int k = seat.FirstConcealed; k < seat.FirstConcealed + seat.sum; ++k)
                shown[seat.Slots[k].Image] = {};
            for (int k = 0; k < seat.RedCount; ++k)
                shown[SpecialTileImages(side, k)] = {};
            for (int k = 0; k < seat.WildCount; ++k)
                shown[SpecialTileImages(side, 4 + k)] = {};
        }
        for (auto& [image, seen] : shown)
            seen = {Rect(image), Picture(image)};
        return shown;
    }

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
    // The melds sorted, dots first, in the slots a claim fills (from slot
    // 2); the peng marks; the fourth 5 of bamboo on the second, 17 px
    // higher, its record left in slot 8.
    const int16_t codes[] = {0x81, 0x82, 0x83, 0x25, 0x25, 0x25};
    for (int k = 0; k < 6; ++k) {
        EXPECT_EQ(one.Slots[2 + k].Code, codes[k]) << k;
        EXPECT_EQ(one.Slots[2 + k].Image, Sprite(2 + k)) << k;
        EXPECT_EQ(Picture(Sprite(2 + k)), Face(1, codes[k])) << k;
        const int m = 4 + k;
        EXPECT_EQ(Rect(Sprite(2 + k)).topLeft(), QPointF(hx - 5.0 * m + 10, hy + (Meld(1, false) - 17) * (m - 2))) << k;
    }
    for (int k = 2; k <= 8; ++k)
        EXPECT_EQ(one.Slots[k].State == SlotPeng, k >= 5) << k;
    EXPECT_EQ(Rect(Sprite(8)).topLeft(), Rect(Sprite(6)).topLeft() - QPointF(0, 17));
    EXPECT_EQ(one.Slots[8].Image, Sprite(8));
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
    const struct {
        const char* name;
        std::vector<Pair> pairs;
        int16_t wild;
    } cases[] = {
        {"fifteen concealed tiles", fifteen, 0x22},
        {"five red dragons", fiveReds, 0x22},
        {"five wild tiles", std::vector<Pair>(5, Pair{0x20, 0x22}), 0x22},
        {"an exposed code that names no tile", {{0x20, 0x00}}, 0x22},
        {"an exposed code past the tiles", {{0x20, 0x81}, {0x20, 0x1A}}, 0x22},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        NewHand();
        WildTile = c.wild;
        FrameGroupCount = 0;
        EXPECT_TRUE(EndsWatching([&] { mjtest::Dispatch(Frame(1, 0, 40, 135, c.pairs)); }));
    }
    // The fourth frame with no wild tile known, or one that names no tile.
    for (int16_t wild : {-1, 0x1A}) {
        SCOPED_TRACE(wild);
        NewHand();
        WildTile = wild;
        FrameGroupCount = 3;
        EXPECT_TRUE(EndsWatching([&] { mjtest::Dispatch(Frame(2, 0, 40, 135, Hand({0x11}))); }));
    }
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

// After t tiles drawn from the tail, the tail stands where t steps of the
// seated table's tail walk leave it (an upper tile, then the lower one
// beneath it, then the stack before), on the wall however far the walk goes.
// The images the hand took are out of the wall, the turned tile lies on the
// first the tail gave (with none left for it, it is not shown), and the next
// draws take the tiles the walk reaches next at either end.
TEST_P(TableSnapshot, TheTailStaysOnTheWall)
{
    const struct {
        int16_t tail;
        uint8_t tailMin;
        int16_t after;
    } cases[] = {
        {100, 135, 100}, // t = 0: the tail stays
        {100, 134, 101}, // t = 1: the lower tile of the stack drawn from
        {100, 133, 98},  // t = 2: the upper tile of the stack before
        {100, 132, 99},  // t = 3
        {0, 1, 2},       // t = 134, round the wall's end
        {0, 2, 5},       // t = 133
        {1, 0, 0},       // t = 135 from a lower tile: the wall is used up
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "tail " << c.tail << ", value(3) " << int(c.tailMin));
        NewHand();
        WildTile = 0x22;
        WallTail = c.tail;
        const int16_t head = WallHead;
        FrameGroupCount = 3;
        SnapshotHeadMax = 0;
        SnapshotTailMin = 135;
        EXPECT_FALSE(EndsWatching([&] { mjtest::Dispatch(Frame(2, 0, 1, c.tailMin, Hand({0x11}))); }));
        EXPECT_EQ(WallTail, c.after);
        const int t = 135 - c.tailMin;
        std::set<int16_t> wall = mjtest::Untaken(head, 1, c.tail, t);
        EXPECT_EQ(Operate::WallTilesLeft(), static_cast<int16_t>(wall.size()));
        for (int16_t k = 0; k <= 135; ++k)
            EXPECT_EQ(InWall[k], wall.count(k) == 1) << k;
        const int16_t handTile = mjtest::LastHandImage(2);
        EXPECT_EQ(handTile, head);
        if (t == 0) {
            EXPECT_EQ(SnapshotWallPos, -1);
        } else {
            EXPECT_EQ(SnapshotWallPos, c.tail);
            EXPECT_EQ(Picture(SnapshotWallPos),
                      Resource(General::TilePictureOf(static_cast<int16_t>(WallTail / 34), FlippedWallTile)));
        }
        const QRectF turnedAt = t == 0 ? QRectF() : Rect(SnapshotWallPos);
        int16_t tailAt = c.after, headAt = static_cast<int16_t>((head + 1) % 136);
        for (bool fromTail : {true, false}) {
            SCOPED_TRACE(fromTail ? "the tail's draw" : "the head's draw");
            const int16_t expected = mjtest::TakeNext(wall, fromTail ? tailAt : headAt, fromTail);
            const int16_t sum = custom[1].sum;
            // A gang shown makes the next draw the tail's.
            NormalDraw = !fromTail;
            Play(5, 1, 0, 0, 0, 0x23);
            if (expected < 0) {
                EXPECT_EQ(custom[1].sum, sum) << "a draw from an empty wall took a tile";
                continue;
            }
            ASSERT_EQ(custom[1].sum, sum + 1) << "the draw took no tile";
            EXPECT_EQ(mjtest::LastHandImage(1), expected);
        }
        if (t != 0) {
            EXPECT_EQ(Rect(SnapshotWallPos), turnedAt);
        }
        EXPECT_EQ(custom[2].Slots[custom[2].FirstConcealed].Image, handTile);
        ExpectConsistent();
    }
}

// A server that hides the other seats' concealed tiles sends them as code
// 0, and a wild tile of 0 means none is in force: the onlooker draws the
// hidden tiles as backs, shows no wild tile, and goes on with the hand.
TEST_P(TableSnapshot, HiddenConcealedTilesAndNoWildTileKeepTheWatchInStep)
{
    const struct {
        const char* name;
        uint8_t concealed;
        int16_t wild;
    } cases[] = {
        {"hidden concealed tiles", 0x00, 0x22},
        {"no wild tile", 0x13, 0},
        {"hidden tiles and no wild tile", 0x00, 0},
        {"concealed codes past the tiles", 0xFF, 0x22},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        NextHand();
        WatchSynced = false;
        WildTile = c.wild;
        Group(57, 135,
              {Hidden(13, 0x11), Hidden(13, c.concealed), Hidden(10, c.concealed, Exposed({0x47, 0x47, 0x47})),
               Hidden(13, c.concealed)},
              {1, 1, 1, 1});
        if (HasFatalFailure())
            return;
        EXPECT_TRUE(WatchSynced);
        EXPECT_EQ(f->QV_Image.Visible(), c.wild != 0);
        for (int side = 0; side <= 3; ++side) {
            const SeatRecord& seat = custom[side];
            EXPECT_EQ(seat.sum, side == 2 ? 10 : 13) << side;
            for (int k = seat.FirstConcealed; k < seat.FirstConcealed + seat.sum; ++k)
                EXPECT_EQ(Picture(seat.Slots[k].Image), Back(36 * side + 7)) << side << " " << k;
            EXPECT_EQ(QPointF(seat.PoolX, seat.PoolY), mjtest::PoolPlace(side, 1)) << side;
        }
        EXPECT_EQ(Picture(custom[2].Slots[3].Image), Face(2, 0x47));
        ExpectConsistent("after the snapshot");
        // The hand goes on: a draw and a discard of every side.
        for (int side : {1, 0, 3, 2}) {
            Play(5, side, 0, 0, 0, 0x23);
            Play(2, side, 0, 0, 0, 0x23);
            EXPECT_EQ(custom[side].sum, side == 2 ? 10 : 13) << side;
            EXPECT_EQ(QPointF(custom[side].PoolX, custom[side].PoolY), mjtest::PoolPlace(side, 2)) << side;
        }
        ExpectConsistent("after a round of play");
    }
    mjtest::FitTableToScreen(*f, small() ? 800 : 1024, small() ? 600 : 768);
    EXPECT_TRUE(f->Grab().save(mjtest::ArtifactDir() + QStringLiteral("/watch-hidden-tiles-%1-own%2.png")
                                                           .arg(small() ? "800x600" : "1024x768")
                                                           .arg(ownMask())));
}

// A hand joined after t = 135 - value(3) tiles were drawn from the tail
// (every gang and every tile set aside brings one): the snapshot's tiles lie
// on the images the head count and the tail draws took, the wall holds
// exactly the tiles not yet taken, and drawn out from both ends it gives
// every one of them once, each where a seated table's walk takes it, until
// it is empty. The discards the frames count are laid, the snapshot's tiles
// stay where they were laid, and none of them is drawn.
TEST_P(TableSnapshot, AJoinedHandIsDrawnOutFromBothEndsToTheWallsLastTile)
{
    const struct {
        const char* name;
        uint8_t taken, tail;
        std::array<uint8_t, 4> discards;
    } cases[] = {
        // 52 concealed tiles, the turned tile and the discards are the
        // tiles taken from the head and the tail.
        {"t 0, discards", 60, 135, {2, 2, 2, 1}},
        {"t 1", 52, 134, {0, 0, 0, 0}},
        {"t 1, discards", 54, 134, {1, 1, 0, 0}},
        {"t 2, as many tail draws as discards", 52, 133, {0, 0, 1, 0}},
        {"t 2, fewer tail draws than discards", 58, 133, {2, 2, 2, 1}},
        {"t 3", 50, 132, {0, 0, 0, 0}},
        {"t 4, more tail draws than discards", 50, 131, {1, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        NextHand();
        const int16_t head0 = WallHead, tail0 = WallTail;
        Group(c.taken, c.tail, {Hidden(13, 0x11), Hidden(13), Hidden(13), Hidden(13)}, c.discards);
        if (HasFatalFailure())
            return;
        for (int side = 0; side <= 3; ++side)
            EXPECT_EQ(QPointF(custom[side].PoolX, custom[side].PoolY), mjtest::PoolPlace(side, c.discards[side]))
                << side;
        const int t = 135 - c.tail;
        std::set<int16_t> wall = mjtest::Untaken(head0, c.taken, tail0, t);
        ASSERT_EQ(wall.size(), 136u - c.taken - t);
        EXPECT_EQ(Operate::WallTilesLeft(), static_cast<int16_t>(wall.size()));
        for (int16_t k = 0; k <= 135; ++k) {
            EXPECT_EQ(InWall[k], wall.count(k) == 1) << k;
            if (wall.count(k)) {
                EXPECT_TRUE(f->MJ_Image(k).Visible()) << k;
                EXPECT_EQ(Picture(k), Back(36 * (k / 34) + 8)) << k;
            }
        }
        auto laid = SeatImages();
        laid[SnapshotWallPos] = {Rect(SnapshotWallPos), Picture(SnapshotWallPos)};
        ExpectConsistent("after the snapshot");

        // Every third draw is a replacement from the tail.
        int16_t headAt = WallHead, tailAt = WallTail;
        std::set<int16_t> drawn;
        int draws = 0;
        for (; !wall.empty(); ++draws) {
            const int side = std::array{1, 0, 3, 2}[draws % 4];
            const bool fromTail = draws % 3 == 2;
            SCOPED_TRACE(testing::Message() << "draw " << draws << (fromTail ? " from the tail" : " from the head"));
            const int16_t expected = mjtest::TakeNext(wall, fromTail ? tailAt : headAt, fromTail);
            const int16_t sum = custom[side].sum;
            // A gang shown makes the next draw the tail's.
            NormalDraw = !fromTail;
            Play(5, side, 0, 0, 0, 0x23);
            ASSERT_EQ(custom[side].sum, sum + 1) << "the draw took no tile";
            const int16_t image = mjtest::LastHandImage(side);
            EXPECT_EQ(image, expected);
            EXPECT_TRUE(drawn.insert(image).second) << "image " << image << " drawn twice";
            EXPECT_EQ(laid.count(image), 0u) << "a tile the snapshot laid was drawn";
            EXPECT_EQ(Operate::WallTilesLeft(), static_cast<int16_t>(wall.size()));
            Play(2, side, 0, 0, 0, 0x23);
        }
        EXPECT_EQ(draws, 136 - c.taken - t);
        EXPECT_EQ(Operate::WallTilesLeft(), 0);
        for (const auto& [image, seen] : laid) {
            EXPECT_EQ(Rect(image), seen.first) << image;
            EXPECT_EQ(Picture(image), seen.second) << image;
        }
        ExpectConsistent("with the wall drawn out");
    }
    mjtest::FitTableToScreen(*f, small() ? 800 : 1024, small() ? 600 : 768);
    EXPECT_TRUE(f->Grab().save(mjtest::ArtifactDir() + QStringLiteral("/watch-drawn-out-%1-own%2.png")
                                                           .arg(small() ? "800x600" : "1024x768")
                                                           .arg(ownMask())));
}

// An added gang finds its peng whether the snapshot laid it or a claim
// after the snapshot made it, and lies on its middle tile face up.
TEST_P(TableSnapshot, AnAddedGangGrowsASnapshotPengAsAClaimedOne)
{
    for (int side = 0; side <= 3; ++side) {
        SCOPED_TRACE(side);
        NextHand();
        std::array<std::vector<Pair>, 4> seats = {Hidden(13, 0x11), Hidden(13), Hidden(13), Hidden(13)};
        seats[side] = Hidden(10, side == 0 ? 0x11 : 0, Exposed({0x47, 0x47, 0x47}));
        Group(56, 135, seats);
        if (HasFatalFailure())
            return;
        SeatRecord& seat = custom[side];
        const int first = side == 0 ? 1 : 2;
        // The snapshot's peng in the slots a claim would fill.
        for (int k = first; k <= first + 2; ++k) {
            EXPECT_EQ(seat.Slots[k].State, SlotPeng) << k;
            EXPECT_EQ(seat.Slots[k].Code, 0x47) << k;
        }
        // A peng claimed after it: the next side discards 0x25.
        const int discarder = (side + 3) % 4;
        Play(5, discarder, 0, 0, 0, 0x25);
        Play(2, discarder, 0, 0, 0, 0x25);
        Play(7, side, OpPeng, 0x25, 0x25, 0x25);
        Play(2, side, 0, 0, 0, 0x11);
        ExpectConsistent("after the claimed peng");

        const double SX = ScaleX, SY = ScaleY;
        const double W = Meld(side, true), H = Meld(side, false);
        const auto onMiddle = [&](int m) {
            switch (side) {
            case 0: return QPointF(seat.HandX + m * (W - 2 * SX), seat.HandY - 18 * SY);
            case 1: return QPointF(seat.HandX - 5 * SX * m, seat.HandY + m * (H - 17 * SY) - 17 * SY);
            case 2: return QPointF(seat.HandX - m * W, seat.HandY - 18 * SY);
            default:
                return QPointF(Rect(seat.Slots[m].Image).left(), seat.HandY - m * (H - 17 * SY) - 17 * SY);
            }
        };
        const struct {
            int16_t tile;
            int middle;
        } gangs[] = {{0x47, first + 1}, {0x25, first + 4}};
        for (const auto& g : gangs) {
            SCOPED_TRACE(g.tile);
            Play(5, side, 0, 0, 0, g.tile);
            const int16_t added = mjtest::LastHandImage(side);
            Play(7, side, OpAddedGang, 0, 0, g.tile);
            EXPECT_EQ(Rect(added).topLeft(), onMiddle(g.middle));
            EXPECT_EQ(Picture(added), Face(side, g.tile));
            ExpectConsistent("after the added gang");
        }
        if (ownMask() == 1) {
            mjtest::FitTableToScreen(*f, small() ? 800 : 1024, small() ? 600 : 768);
            EXPECT_TRUE(f->Grab().save(mjtest::ArtifactDir() + QStringLiteral("/watch-added-gang-%1-side%2.png")
                                                                   .arg(small() ? "800x600" : "1024x768")
                                                                   .arg(side)));
        }
    }
}

// The turned tile of a snapshot belongs to its hand: in the next hand its
// image is some other tile, and a discard pulls nothing but itself in the
// drawing order.
TEST_P(TableSnapshot, DiscardsInTheHandAfterTheSnapshotsKeepTheDrawingOrder)
{
    Group(57, 135, {Hidden(13, 0x11), Hidden(13), Hidden(13), Hidden(13)}, {1, 1, 1, 1});
    if (HasFatalFailure())
        return;
    const int16_t turned = SnapshotWallPos;
    NewHand();
    ASSERT_TRUE(WatchSynced);
    // The next hand deals the turned tile's image into the watched row.
    WallHead = turned;
    VbArray<int16_t, 0, 11> tiles;
    tiles.Fill(0x11);
    for (int side = 0; side <= 3; ++side)
        Side::DrawTiles(MaskOf(side), 12, std::span<const int16_t>(tiles.data(), tiles.Count));
    ASSERT_EQ(custom[0].Slots[4].Image, turned);
    const auto tileOrder = [&](int16_t leaving) {
        QStringList order = f->Pic1.DrawingOrder().filter(QStringLiteral("MJ_Image("));
        order.removeAll(QStringLiteral("MJ_Image(%1)").arg(leaving));
        return order;
    };
    for (int side : {1, 0, 2, 1, 0, 2}) {
        SCOPED_TRACE(side);
        Play(5, side, 0, 0, 0, 0x23);
        const int16_t discard = mjtest::LastHandImage(side);
        const QStringList before = tileOrder(discard);
        Play(2, side, 0, 0, 0, 0x23);
        EXPECT_EQ(tileOrder(discard), before);
    }
}

// A second snapshot in one run starts from a clean count: its tiles take the
// images from the wall head on, and its discards are laid.
TEST_P(TableSnapshot, ASecondSnapshotLaysItsDiscards)
{
    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE(run);
        NextHand();
        const int16_t head = WallHead;
        Group(57, 135, {Hidden(13, 0x11), Hidden(13), Hidden(13), Hidden(13)}, {1, 1, 1, 1});
        if (HasFatalFailure())
            return;
        EXPECT_EQ(SnapshotTaken, 57);
        EXPECT_EQ(custom[0].Slots[4].Image, head);
        for (int side = 0; side <= 3; ++side)
            EXPECT_EQ(QPointF(custom[side].PoolX, custom[side].PoolY), mjtest::PoolPlace(side, 1)) << side;
        ExpectConsistent();
    }
}

// A head count beyond the wall (value(1) up to 255) lays the wall and the
// discards only on images no tile of the snapshot shows, whichever seat's
// frame completes the group.
TEST_P(TableSnapshot, AHostileHeadCountTouchesNoHandOrMeldSprite)
{
    for (uint8_t taken : {137, 200, 255}) {
        for (int last = 0; last <= 3; ++last) {
            SCOPED_TRACE(testing::Message() << "value(1) " << int(taken) << ", side " << last << " last");
            NextHand();
            std::map<int16_t, std::pair<QRectF, int16_t>> laid;
            for (int k = 1; k <= 4; ++k) {
                const int side = (last + k) % 4;
                Group({Frame(side, 30, taken, 135, Hidden(10, 0, Exposed({0x15, 0x81, 0x82, 0x83})))});
                if (HasFatalFailure())
                    return;
                if (k < 4)
                    laid = SeatImages();
            }
            ASSERT_TRUE(WatchSynced);
            ASSERT_EQ(laid.size(), 3u * 14u);
            for (const auto& [image, seen] : laid) {
                EXPECT_EQ(Rect(image), seen.first) << image;
                EXPECT_EQ(Picture(image), seen.second) << image;
            }
            ExpectConsistent();
        }
    }
}

// Frames a fuzzer found: a second frame for a seat, and a seat with more
// tiles than its 21 slots. The table goes on: the second frame replaces
// what the first laid, tiles past the slot before the last are left out,
// and the concealed run starts where its tiles and the next draw fit, never
// among the melds. Every seat, the one with the hostile frames first, then
// draws and discards.
TEST_P(TableSnapshot, HostileFramesAreLaidAndTheWatchGoesOn)
{
    const struct {
        const char* name;
        std::vector<std::vector<Pair>> sideOne; // side 1's frames, in order
        int meldEnd, firstConcealed, sum;
    } cases[] = {
        {"a second frame for a seat", {Hidden(3, 0x11), Hidden(2, 0x12, Exposed({0x25, 0x25, 0x25}))}, 7, 7, 2},
        {"a second frame for a seat, smaller", {Hidden(13, 0x11), Hidden(1, 0x12)}, 4, 4, 1},
        {"concealed tiles past slot 20", {Hidden(12, 0, Exposed({0x81, 0x82, 0x83, 0x41, 0x42, 0x43, 0x27, 0x28, 0x29,
                                                                    0x11, 0x11, 0x11}))},
         16, 14, 6},
        {"meld tiles past slot 20",
         {Hidden(2, 0, Exposed({0x81, 0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x41, 0x42, 0x43, 0x44, 0x45,
                                0x46, 0x47, 0x48, 0x49, 0x25, 0x26, 0x27, 0x28}))},
         22, 20, 0},
        // Four gangs and one concealed tile: the run moves back a slot so
        // that the draw after it fits.
        {"four gangs", {Hidden(1, 0, Exposed({0x81, 0x81, 0x81, 0x81, 0x42, 0x42, 0x42, 0x42, 0x27, 0x27, 0x27, 0x27,
                                               0x13, 0x13, 0x13, 0x13}))},
         16, 19, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        NextHand();
        WatchSynced = false;
        std::vector<ServerFrame> frames;
        for (const auto& pairs : c.sideOne)
            frames.push_back(Frame(1, 0, 80, 135, pairs));
        for (int side : {0, 2, 3})
            frames.push_back(Frame(side, 0, 80, 135, Hidden(13, 0x11)));
        Group(frames);
        if (HasFatalFailure())
            return;
        EXPECT_TRUE(WatchSynced);
        const SeatRecord& one = custom[1];
        EXPECT_EQ(one.MeldEnd, c.meldEnd);
        EXPECT_EQ(one.FirstConcealed, c.firstConcealed);
        EXPECT_EQ(one.sum, c.sum);
        ExpectConsistent();
        // The hand goes on around the table, side 1 first.
        for (int side : {1, 0, 3, 2}) {
            SCOPED_TRACE(side);
            const int16_t sum = custom[side].sum;
            Play(5, side, 0, 0, 0, 0x23);
            EXPECT_EQ(custom[side].sum, sum + 1);
            Play(2, side, 0, 0, 0, 0x23);
            EXPECT_EQ(custom[side].sum, sum);
            ExpectConsistent("after a draw and a discard");
        }
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
