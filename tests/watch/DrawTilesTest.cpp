// The onlooker's deal and draws: every side's tiles come from the wall's head
// (or, for the first draw after a gang, from its far end) and stand as backs
// in the side's hand row; side 0's slots keep the codes.
#include "WatchTable.h"

#include "watch/Side.h"

#include <vector>

using namespace mj;
using mjtest::RowPlace;
using mjtest::WatchTable;

namespace {

class DrawTiles : public WatchTable {
protected:
    void Deal(int side, int16_t first = 0x21)
    {
        VbArray<int16_t, 0, 11> tiles;
        for (int i = 0; i <= 11; ++i)
            tiles[i] = static_cast<int16_t>(0x300 + first + i % 9); // a high byte is cut off
        Side::DrawTiles(MaskOf(side), 12, std::span<const int16_t>(tiles.data(), tiles.Count));
    }
    void Draw(int side, int16_t code = 0x47)
    {
        VbArray<int16_t, 0, 3> values;
        values[0] = 0x11; // only value(3) is the drawn tile
        values[3] = code;
        Side::DrawTiles(MaskOf(side), 1, std::span<const int16_t>(values.data(), values.Count));
    }
};

TEST_P(DrawTiles, ADealOfTwelveTakesTheHeadsNextTilesIntoTheRowAsBacks)
{
    const int16_t designW[] = {48, 35, 36, 35}, smallW[] = {38, 27, 28, 27};
    for (int side = 0; side <= 3; ++side) {
        SCOPED_TRACE(side);
        NewHand();
        WallHead = 130;
        SeatRecord& seat = custom[side];
        for (int s = 0; s <= 20; ++s)
            seat.Slots[s].Code = 0x99;
        Deal(side);
        EXPECT_EQ(WallHead, 6);
        EXPECT_EQ(seat.sum, 12);
        EXPECT_EQ(TileW[side], small() ? smallW[side] : designW[side]);
        EXPECT_TRUE(NormalDraw);
        std::vector<int16_t> images;
        for (int k = 0; k < 12; ++k) {
            const int s = seat.FirstConcealed + k;
            const TileSlot& slot = seat.Slots[s];
            const int16_t image = static_cast<int16_t>((130 + k) % 136);
            images.push_back(image);
            EXPECT_EQ(slot.State, SlotInHand);
            EXPECT_EQ(slot.Image, image);
            EXPECT_EQ(slot.Code, side == 0 ? 0x21 + k % 9 : 0x99) << k;
            EXPECT_EQ(Rect(image), RowPlace(side, s)) << k;
            EXPECT_EQ(Picture(image), Resource(36 * side + 7));
            EXPECT_TRUE(f->MJ_Image(image).Visible());
        }
        // The left row brings each new tile forward, the right row sends it back.
        for (int k = 1; k < 12; ++k) {
            if (side == 1) {
                EXPECT_GT(At(images[k]), At(images[k - 1]));
            }
            if (side == 3) {
                EXPECT_LT(At(images[k]), At(images[k - 1]));
            }
        }
        ExpectConsistent();
    }
}

TEST_P(DrawTiles, ADealAfterAGangStillComesFromTheHead)
{
    WallHead = 20;
    WallTail = 60;
    NormalDraw = false;
    Deal(2);
    EXPECT_EQ(custom[2].Slots[custom[2].FirstConcealed].Image, 20);
    EXPECT_EQ(WallHead, 32);
    EXPECT_EQ(WallTail, 60);
    EXPECT_TRUE(NormalDraw);
    ExpectConsistent();
}

TEST_P(DrawTiles, ReplacementDrawsWalkTheTailBackAStackAtATime)
{
    for (int side : {0, 3}) {
        SCOPED_TRACE(side);
        NewHand();
        WallHead = 100;
        WallTail = 40;
        for (int16_t expected : {40, 41, 38, 39}) {
            NormalDraw = false;
            Draw(side);
            const SeatRecord& seat = custom[side];
            const int s = seat.FirstConcealed + seat.sum - 1;
            EXPECT_EQ(seat.Slots[s].Image, expected);
            EXPECT_EQ(Rect(expected), RowPlace(side, s, side == 0 ? 0.5 : 0));
            EXPECT_TRUE(NormalDraw);
        }
        EXPECT_EQ(WallTail, 36);
        EXPECT_EQ(WallHead, 100);
        // The next draw comes from the head again.
        Draw(side);
        EXPECT_EQ(custom[side].Slots[custom[side].FirstConcealed + 4].Image, 100);
        EXPECT_EQ(WallHead, 101);
        ExpectConsistent();
    }

    const struct {
        int16_t from, to;
    } ends[] = {{0, 1}, {1, 134}, {135, 132}, {134, 135}};
    for (const auto& e : ends) {
        NewHand();
        WallTail = e.from;
        NormalDraw = false;
        Draw(2);
        EXPECT_EQ(custom[2].Slots[custom[2].FirstConcealed].Image, e.from);
        EXPECT_EQ(WallTail, e.to) << e.from;
    }
}

TEST_P(DrawTiles, TheWatchedSidesNewTileStandsApartOnceTheWildTileIsKnown)
{
    const struct {
        int16_t wild;
        bool fromTail;
        double apart;
    } cases[] = {{-1, false, 0}, {0, false, 0}, {0x23, false, 0.5}, {-1, true, 0.5}, {0x23, true, 0.5}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.wild << " " << c.fromTail);
        NewHand();
        Deal(0);
        Draw(0);
        WildTile = c.wild;
        // The last drawn tile still stands where the draw before put it.
        SeatRecord& own = custom[0];
        f->MJ_Image(own.Slots[own.FirstConcealed + 12].Image).SetLeft(999);
        NormalDraw = !c.fromTail;
        Draw(0, 0x89);
        const int s = own.FirstConcealed + own.sum - 1;
        EXPECT_EQ(own.Slots[s].Code, 0x89);
        EXPECT_EQ(Rect(own.Slots[s].Image), RowPlace(0, s, c.apart));
        // With a wild tile the run stands again at whole-tile steps.
        const double left = Rect(own.Slots[s - 1].Image).left();
        if (c.wild > 0) {
            EXPECT_EQ(left, RowPlace(0, s - 1).left());
        } else {
            EXPECT_EQ(left, 999);
        }
        ExpectConsistent();
    }
}

TEST_P(DrawTiles, ALeftDrawKeepsTheWatchedSidesSetAsideWildTilesInFront)
{
    Deal(1);
    custom[0].WildCount = 2;
    SpecialTileImages(0, 4) = 90;
    SpecialTileImages(0, 5) = 91;
    InWall[90] = InWall[91] = false;
    f->MJ_Image(90).ZOrder(1);
    f->MJ_Image(91).ZOrder(1);
    Draw(1);
    const int16_t drawn = custom[1].Slots[custom[1].FirstConcealed + 12].Image;
    EXPECT_GT(At(90), At(drawn));
    EXPECT_GT(At(91), At(drawn));
    EXPECT_GT(At(91), At(90));
    // Another side's draw leaves them where they lie.
    f->MJ_Image(90).ZOrder(1);
    Draw(3);
    EXPECT_LT(At(90), At(drawn));
}

TEST_P(DrawTiles, ASeatMaskThatIsNotOneSeatChangesNothing)
{
    for (uint8_t mask : {0, 3, 5, 15, 16, 0x14}) {
        const int16_t head = WallHead;
        VbArray<int16_t, 0, 11> tiles;
        Side::DrawTiles(mask, 12, std::span<const int16_t>(tiles.data(), tiles.Count));
        Side::DrawTiles(mask, 1, std::span<const int16_t>(tiles.data(), 4));
        EXPECT_EQ(WallHead, head) << int(mask);
        for (int side = 0; side <= 3; ++side)
            EXPECT_EQ(custom[side].sum, 0);
    }
}

TEST_P(DrawTiles, ASlotPastTheRowOrAnImagePastTheWallEndsWatching)
{
    // A second deal reaches slot 27.
    Deal(2);
    EXPECT_TRUE(EndsWatching([&] { Deal(2); }));

    NewHand();
    WallHead = 200;
    EXPECT_TRUE(EndsWatching([&] { Draw(1); }));

    NewHand();
    WallHead = -1;
    EXPECT_TRUE(EndsWatching([&] { Draw(0); }));

    // A deal of more tiles than the frame holds reads past its list.
    NewHand();
    VbArray<int16_t, 0, 11> tiles;
    EXPECT_TRUE(EndsWatching([&] { Side::DrawTiles(MaskOf(0), 13, std::span<const int16_t>(tiles.data(), 12)); }));
    // A fifth set-aside wild tile does not exist.
    NewHand();
    custom[0].WildCount = 5;
    EXPECT_TRUE(EndsWatching([&] { Draw(1); }));
}

MJ_SEATED_CASES(DrawTiles);

} // namespace
