// The snapshot of a running table: its tile lists sorted, the wall's turned
// tile shown at the tail, and every side's earlier discards laid face down
// into the pools from the wall's head, within the snapshot's budget.
#include "WatchTable.h"

#include "watch/AI.h"
#include "watch/Side.h"

#include <vector>

using namespace mj;
using mjtest::ExpectRightPoolStacked;
using mjtest::PoolPlace;
using mjtest::PoolSize;
using mjtest::WatchTable;

namespace {

class Snapshot : public WatchTable {
protected:
    // Lays the counts with the head at `head`, the budget `headMax` and
    // `taken` images already used; returns the images each side received.
    std::vector<std::vector<int16_t>> Lay(std::array<int16_t, 4> counts, int16_t headMax, int16_t taken = 0,
                                          int16_t head = 130)
    {
        WallHead = head;
        SnapshotHeadMax = headMax;
        SnapshotTailMin = 135; // nothing drawn from the tail
        SnapshotTaken = taken;
        // The frames laid their tiles on the images from the head.
        SnapshotLaidBy.Fill(0);
        for (int n = 0; n < taken; ++n)
            SnapshotLaidBy[(head + n) % 136] = 1;
        for (int side = 0; side <= 3; ++side)
            SideTileCounts[side] = counts[side];
        audio->ClearLog();
        Watch();
        Side::LayWallTiles();
        std::vector<std::vector<int16_t>> laid(4);
        int16_t n = taken;
        for (int side = 0; side <= 3; ++side)
            for (int k = 0; k < counts[side] && n < headMax; ++k, ++n)
                laid[side].push_back(static_cast<int16_t>((head + n) % 136));
        return laid;
    }
};

TEST(SortTileCodes, TilesRunByFallingSuitBitThenRisingRank)
{
    const struct {
        std::vector<int16_t> codes;
        uint8_t count;
        std::vector<int16_t> sorted;
    } cases[] = {
        {{0x15, 0x83, 0x21, 0x81, 0x47}, 5, {0x81, 0x83, 0x47, 0x21, 0x15}},
        {{0x15, 0x83, 0x21, 0x81, 0x47}, 3, {0x83, 0x21, 0x15, 0x81, 0x47}},
        {{0x29, 0x13, 0x29, 0x11, 0x89, 0x41}, 6, {0x89, 0x41, 0x29, 0x29, 0x11, 0x13}},
        // Codes that name no tile sort by their nibbles like any other.
        {{0x00, 0x1F, 0xF1, 0x17}, 4, {0xF1, 0x17, 0x1F, 0x00}},
        {{0x47, 0x13}, 1, {0x47, 0x13}},
        {{0x47, 0x13}, 0, {0x47, 0x13}},
    };
    for (const auto& c : cases) {
        std::vector<int16_t> codes = c.codes;
        AI::SortTileCodes(std::span<int16_t>(codes), c.count);
        EXPECT_EQ(codes, c.sorted) << int(c.count);
    }
}

TEST_P(Snapshot, ACountPastTheListEndsWatching)
{
    VbArray<int16_t, 0, 23> codes;
    codes.Fill(0x11);
    EXPECT_TRUE(EndsWatching([&] { AI::SortTileCodes(codes, 25); }));
    EXPECT_FALSE(EndsWatching([&] { AI::SortTileCodes(codes, 24); }));
}

TEST_P(Snapshot, TheTurnedWallTileStandsRaisedOnTheTailInItsQuartersView)
{
    const struct {
        int16_t tail;
        int16_t tile;
        int view;
        QSizeF design;
        double lift;
        bool toFront;
    } cases[] = {
        {40, 0x23, 1, {48, 35}, 20, true},
        {41, 0x23, 1, {48, 35}, 20, false},
        {10, 0x89, 0, {36, 50}, 22, true},
        {33, 0x41, 0, {36, 50}, 22, false},
        {80, 0x17, 2, {30, 36}, 16, true},
        {135, 0x15, 3, {48, 35}, 20, false},
        {102, 0x15, 3, {48, 35}, 20, true},
        // A code that names no tile shows the back of the view.
        {70, 0x00, 2, {30, 36}, 16, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tail);
        NewHand();
        WallTail = c.tail;
        FlippedWallTile = c.tile;
        const int16_t image = 60;
        // Somewhere under other tiles, so that a move to the front shows.
        f->MJ_Image(image).ZOrder(1);
        const int before = At(image);
        const QRectF tail = Rect(c.tail);
        AI::TurnWallTileFaceUp(image);
        EXPECT_EQ(Rect(image), QRectF(tail.left(), tail.top() - c.lift, c.design.width() * S(), c.design.height() * S()));
        EXPECT_EQ(Picture(image), Resource(General::TilePictureOf(static_cast<int16_t>(c.view), c.tile)));
        EXPECT_TRUE(f->MJ_Image(image).Visible());
        if (c.toFront) {
            EXPECT_TRUE(OnTopOfTiles(image));
        } else {
            EXPECT_EQ(At(image), before);
        }
        EXPECT_FALSE(InWall[image]);
        ExpectConsistent();
    }
}

TEST_P(Snapshot, AnImageOrTailOutsideTheWallEndsWatching)
{
    const struct {
        int16_t tail;
        int16_t image;
    } cases[] = {{40, 136}, {40, -1}, {136, 10}, {-1, 10}};
    for (const auto& c : cases) {
        WallTail = c.tail;
        EXPECT_TRUE(EndsWatching([&] { AI::TurnWallTileFaceUp(c.image); })) << c.tail << " " << c.image;
    }
}

TEST_P(Snapshot, EachSidesDiscardsLieFaceDownInItsPoolByThePoolRule)
{
    const auto laid = Lay({3, 0, 9, 2}, 60, 0, 130);
    EXPECT_EQ(SnapshotTaken, 14);
    EXPECT_EQ(laid[0], (std::vector<int16_t>{130, 131, 132}));
    for (int side = 0; side <= 3; ++side) {
        SCOPED_TRACE(side);
        for (size_t k = 0; k < laid[side].size(); ++k) {
            const int16_t image = laid[side][k];
            EXPECT_EQ(Rect(image), QRectF(PoolPlace(side, static_cast<int>(k)), PoolSize(side))) << k;
            EXPECT_EQ(Picture(image), Resource(36 * side + 8));
            EXPECT_TRUE(f->MJ_Image(image).Visible());
            EXPECT_FALSE(InWall[image]);
        }
        // Sides 0 and 3 send each tile to the back, 1 and 2 bring it forward.
        for (size_t k = 1; k < laid[side].size(); ++k) {
            if (side == 0) {
                EXPECT_LT(At(laid[side][k]), At(laid[side][k - 1]));
            }
            if (side == 2) {
                EXPECT_GT(At(laid[side][k]), At(laid[side][k - 1]));
            }
        }
        EXPECT_EQ(QSizeF(TileW[side], TileH[side]), PoolSize(side));
        const QPointF next = PoolPlace(side, static_cast<int>(laid[side].size()));
        EXPECT_EQ(QPointF(custom[side].PoolX, custom[side].PoolY), next);
    }
    ExpectRightPoolStacked(laid[3]);
    EXPECT_EQ(RightPoolCount, 2);
    // The last back waits for a claim as the right side's discard.
    EXPECT_EQ(ClaimedDiscardImage, laid[3].back());
    EXPECT_EQ(DiscarderSide, 3);
    EXPECT_EQ(QPointF(PoolCursorBeforeDiscardX, PoolCursorBeforeDiscardY), PoolPlace(3, 1));
    EXPECT_TRUE(Played().isEmpty());
    EXPECT_TRUE(pauses.empty());
    for (int side = 0; side <= 3; ++side)
        EXPECT_EQ(custom[side].sum, 0);
    ExpectConsistent();
}

TEST_P(Snapshot, TheLeftPoolRunsDownAndLeftAndItsNinthStartsTheNextColumn)
{
    const auto laid = Lay({0, 17, 0, 0}, 100);
    const double x = custom[1].PoolRowX, y = custom[1].PoolRowY;
    const double step = small() ? 14 : 18, column = small() ? 34 : 43;
    for (int k = 0; k < 8; ++k)
        EXPECT_EQ(Rect(laid[1][k]).topLeft(), QPointF(x - 5 * k, y + step * k)) << k;
    EXPECT_EQ(Rect(laid[1][8]).topLeft(), QPointF(x + column, y));
    EXPECT_EQ(Rect(laid[1][16]).topLeft(), QPointF(x + 2 * column, y));
    for (int k = 1; k < 17; ++k)
        EXPECT_GT(At(laid[1][k]), At(laid[1][k - 1]));
    if (!small()) {
        EXPECT_EQ(Rect(laid[1][7]).topLeft(), QPointF(x - 35, y + 126));
    }
    EXPECT_EQ(DiscarderSide, 1);
    EXPECT_EQ(QPointF(PoolCursorBeforeDiscardX, PoolCursorBeforeDiscardY), QPointF(x + 2 * column, y));
}

TEST_P(Snapshot, TheRightPoolIsRestackedColumnOverColumn)
{
    for (int16_t count : {8, 9, 17, 25, 33}) {
        SCOPED_TRACE(count);
        NewHand();
        const auto laid = Lay({0, 0, 0, count}, 120);
        ASSERT_EQ(laid[3].size(), static_cast<size_t>(count));
        EXPECT_EQ(RightPoolCount, count);
        for (int k = 0; k < count; ++k) {
            EXPECT_EQ(RightPoolOrder[k], laid[3][k]);
            EXPECT_EQ(Rect(laid[3][k]).topLeft(), PoolPlace(3, k)) << k;
        }
        ExpectRightPoolStacked(laid[3]);
        ExpectConsistent();
    }
}

TEST_P(Snapshot, TheLayOutStopsWhereTheWallStillToBeDrawnBegins)
{
    // Budget 20 with 12 already used leaves 8: side 0's 3, then 5 of side
    // 2's 9; side 3 gets none.
    auto laid = Lay({3, 0, 9, 2}, 20, 12, 100);
    EXPECT_EQ(SnapshotTaken, 20);
    EXPECT_EQ(laid[0], (std::vector<int16_t>{112, 113, 114}));
    EXPECT_EQ(laid[2], (std::vector<int16_t>{115, 116, 117, 118, 119}));
    EXPECT_TRUE(InWall[120]);
    EXPECT_EQ(QPointF(custom[2].PoolX, custom[2].PoolY), PoolPlace(2, 5));
    EXPECT_EQ(QPointF(custom[3].PoolX, custom[3].PoolY), PoolPlace(3, 0));
    EXPECT_EQ(RightPoolCount, 0);
    EXPECT_EQ(ClaimedDiscardImage, 119);
    EXPECT_EQ(DiscarderSide, 2);
    EXPECT_EQ(QPointF(PoolCursorBeforeDiscardX, PoolCursorBeforeDiscardY), PoolPlace(2, 4));

    // With the budget spent on entry nothing is laid and no discard waits.
    for (int16_t taken : {20, 25}) {
        const QPointF cursor(custom[2].PoolX, custom[2].PoolY);
        laid = Lay({3, 4, 9, 2}, 20, taken, 100);
        EXPECT_EQ(SnapshotTaken, taken);
        EXPECT_EQ(QPointF(custom[2].PoolX, custom[2].PoolY), cursor);
        EXPECT_EQ(ClaimedDiscardImage, -1);
        EXPECT_EQ(DiscarderSide, 2);
    }
    ExpectConsistent();
}

TEST_P(Snapshot, TheImagesWrapRoundTheWall)
{
    const auto laid = Lay({4, 0, 0, 0}, 10, 0, 134);
    EXPECT_EQ(laid[0], (std::vector<int16_t>{134, 135, 0, 1}));
    for (int k = 0; k < 4; ++k)
        EXPECT_EQ(Rect(laid[0][k]).topLeft(), PoolPlace(0, k));
}

MJ_SEATED_CASES(Snapshot);

} // namespace
