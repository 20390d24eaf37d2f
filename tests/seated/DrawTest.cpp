// The deal and the draws: tiles from the wall's two ends into the hands, the
// parked discard into its pool, the pools' rows and columns, and the deals
// and draws that find no slot or no tile left.
#include "SeatedTable.h"

#include <algorithm>
#include <map>
#include <numeric>
#include <set>

using namespace mj;
using mjtest::SeatedTable;

namespace {

const std::vector<int16_t> Twelve = {0x29, 0x11, 0x85, 0x43, 0x17, 0x22, 0x81, 0x49, 0x15, 0x23, 0x88, 0x41};

class DrawTiles : public SeatedTable {
protected:
    // The hand tile of a side at this scale.
    double HandW(int side) const { return CInt((side == 0 ? 48 : side == 2 ? 36 : 35) * S()); }
    double HandH(int side) const { return CInt((side == 0 ? 78 : side == 2 ? 50 : 66) * S()); }
    // Where slot s of a side stands, before any setting apart.
    QPointF SlotAt(int side, int s) const
    {
        const SeatRecord& seat = custom[side];
        const double W = HandW(side);
        switch (side) {
        case 0: return QPointF(seat.HandX + s * W, seat.HandY);
        case 1: return QPointF(seat.HandX - 5 * S() * s, seat.HandY + s * W / 2);
        case 2: return QPointF(seat.HandX - s * W, seat.HandY);
        default: return QPointF(seat.HandX - 5 * S() * (s + 1), seat.HandY - (s + 1) * W / 2);
        }
    }
    std::vector<int16_t> Codes(int side) const
    {
        std::vector<int16_t> codes;
        const SeatRecord& seat = custom[side];
        for (int i = seat.FirstConcealed; i < seat.FirstConcealed + seat.sum; ++i)
            codes.push_back(seat.Slots[i].Code);
        return codes;
    }
};

TEST_P(DrawTiles, TheOwnDealFillsSlotsFourToFifteenFaceUp)
{
    const int16_t head = WallHead;
    Deal(0, Twelve);
    const SeatRecord& own = custom[0];
    EXPECT_EQ(own.sum, 12);
    EXPECT_TRUE(Sleeps().empty());
    for (int i = 0; i < 12; ++i) {
        const int slot = 4 + i;
        SCOPED_TRACE(slot);
        const int16_t image = static_cast<int16_t>((head + i) % 136);
        EXPECT_EQ(own.Slots[slot].State, SlotInHand);
        EXPECT_EQ(own.Slots[slot].Code, Twelve[static_cast<size_t>(i)]);
        EXPECT_EQ(own.Slots[slot].Image, image);
        EXPECT_FALSE(InWall[image]);
        EXPECT_EQ(Rect(image), QRectF(SlotAt(0, slot), QSizeF(HandW(0), HandH(0))));
        EXPECT_EQ(Picture(image), Resource(General::TilePictureOf(4, Twelve[static_cast<size_t>(i)])));
    }
    EXPECT_EQ(WallHead, (head + 12) % 136);
    EXPECT_EQ(Operate::WallTilesLeft(), 124);
    ExpectConsistent();
}

TEST_P(DrawTiles, TheOtherDealsAreStandingBacksAlongTheirRows)
{
    for (int side = 1; side <= 3; ++side) {
        SCOPED_TRACE(side);
        const int16_t head = WallHead;
        Deal(side, Twelve);
        const SeatRecord& seat = custom[side];
        EXPECT_EQ(seat.sum, 12);
        for (int slot = 4; slot <= 15; ++slot) {
            const int16_t image = seat.Slots[slot].Image;
            EXPECT_EQ(image, (head + slot - 4) % 136) << slot;
            EXPECT_EQ(seat.Slots[slot].Code, 0) << slot; // other seats' codes are not read
            EXPECT_EQ(Rect(image), QRectF(SlotAt(side, slot), QSizeF(HandW(side), HandH(side)))) << slot;
            EXPECT_EQ(Picture(image), Resource(36 * side + 7)) << slot;
        }
        // The left row is drawn downwards each over the last, the right row
        // upwards each under the last.
        if (side == 1) {
            EXPECT_GT(At(seat.Slots[15].Image), At(seat.Slots[4].Image));
        }
        if (side == 3) {
            EXPECT_LT(At(seat.Slots[15].Image), At(seat.Slots[4].Image));
        }
        ExpectConsistent();
    }
}

TEST_P(DrawTiles, TheHandIsSortedAfterASecondWhenTheDealCompletesIt)
{
    for (bool banker : {false, true}) {
        SCOPED_TRACE(banker);
        NewHand(banker ? 0 : 1);
        Deal(0, Twelve);
        look = [this] {
            QStringList codes;
            for (int16_t c : Codes(0))
                codes << QString::number(c, 16);
            return codes.join(u' ');
        };
        Watch();
        Draw(0, 0x12);
        std::vector<int16_t> sorted = Codes(0);
        if (banker) {
            // The banker's thirteenth tile changes nothing; the fourteenth sorts.
            EXPECT_TRUE(Sleeps().empty());
            EXPECT_EQ(Codes(0).back(), 0x12);
            Watch();
            Draw(0, 0x44);
        }
        EXPECT_EQ(Sleeps(), std::vector<int64_t>({1000}));
        // Still in the dealt order during the pause, sorted after it: dots,
        // characters, bamboo, honours, ranks ascending.
        EXPECT_EQ(pauses.back().seen.split(u' ').back(), banker ? "44" : "12");
        std::vector<int16_t> expected = {0x81, 0x85, 0x88, 0x41, 0x43, 0x49, 0x22, 0x23, 0x29, 0x11, 0x12, 0x15, 0x17};
        if (banker) {
            expected = {0x81, 0x85, 0x88, 0x41, 0x43, 0x44, 0x49, 0x22, 0x23, 0x29, 0x11, 0x12, 0x15, 0x17};
        }
        EXPECT_EQ(Codes(0), expected);
        const SeatRecord& own = custom[0];
        for (int i = own.FirstConcealed; i < own.FirstConcealed + own.sum; ++i)
            EXPECT_EQ(Picture(own.Slots[i].Image), Resource(General::TilePictureOf(4, own.Slots[i].Code))) << i;
        ExpectConsistent();
        (void)sorted;
    }
}

TEST_P(DrawTiles, ADrawnTileStandsApartOnceTheWildTileIsKnown)
{
    for (int side = 0; side <= 3; ++side)
        Deal(side, Twelve);
    WildTile = 0x22;
    const double apart[][2] = {{HandW(0) / 2, 0}, {0, 10 * S()}, {-10 * S(), 0}, {0, -10 * S()}};
    for (int side = 0; side <= 3; ++side) {
        SCOPED_TRACE(side);
        Draw(side, 0x33 - 0x10);
        const TileSlot& drawn = custom[side].Slots[16];
        EXPECT_EQ(custom[side].sum, 13);
        EXPECT_EQ(Rect(drawn.Image).topLeft(), SlotAt(side, 16) + QPointF(apart[side][0], apart[side][1]));
        ExpectConsistent();
    }
    // Without the wild tile another seat's fourteenth tile stands apart too,
    // its thirteenth not.
    NewHand();
    Deal(2, Twelve);
    Draw(2);
    EXPECT_EQ(Rect(custom[2].Slots[16].Image).topLeft(), SlotAt(2, 16));
    Draw(2);
    EXPECT_EQ(Rect(custom[2].Slots[17].Image).topLeft(), SlotAt(2, 17) + QPointF(-10 * S(), 0));
}

// Eight tiles to a row of the own and opposite pools and to a column of the
// side pools, then a new one: the cursor after the first tile and the place
// of the ninth, relative to the pool's origin.
TEST_P(DrawTiles, PoolsTakeEightTilesToARowOrColumn)
{
    const struct {
        QPointF step, ninth; // at scale 1
        QPointF smallStep, smallNinth;
        QSizeF size, smallSize;
    } cases[] = {
        {{36, 0}, {0, -32}, {28, 0}, {0, -25}, {36, 50}, {28, 39}},
        {{-5, 18}, {43, 0}, {-5, 14}, {34, 0}, {48, 35}, {38, 27}},
        {{-30, 0}, {0, 22}, {-23, 0}, {0, 17}, {30, 36}, {23, 28}},
        {{-5, -18}, {-43, 0}, {-5, -14}, {-34, 0}, {48, 35}, {38, 27}},
    };
    int16_t next = 0;
    for (int side = 0; side <= 3; ++side) {
        SCOPED_TRACE(side);
        const auto& c = cases[side];
        const QPointF origin(custom[side].PoolX, custom[side].PoolY);
        std::vector<int16_t> images;
        for (int n = 0; n < 9; ++n) {
            images.push_back(Operate::TakeWallTile(next++));
            Operate::PlaceInPool(static_cast<int16_t>(side), images.back());
        }
        EXPECT_EQ(Rect(images[0]), QRectF(origin, small() ? c.smallSize : c.size));
        EXPECT_EQ(Rect(images[1]).topLeft() - origin, small() ? c.smallStep : c.step);
        EXPECT_EQ(Rect(images[8]).topLeft() - origin, small() ? c.smallNinth : c.ninth);
        EXPECT_EQ(BlinkCount, 3);
        ExpectConsistent();
    }
}

// The right pool restacked as it grows: the drawing order of its tiles, top
// first, after n tiles (the list goes on past 32 tiles).
TEST_P(DrawTiles, TheRightPoolIsRestackedColumnByColumn)
{
    const auto run = [](int from, int to) {
        std::vector<int> v;
        for (int i = from; i <= to; ++i)
            v.push_back(i);
        return v;
    };
    const auto join = [](std::initializer_list<std::vector<int>> parts) {
        std::vector<int> v;
        for (const auto& p : parts)
            v.insert(v.end(), p.begin(), p.end());
        return v;
    };
    const std::map<int, std::vector<int>> topFirst = {
        {1, {0}},
        {8, run(0, 7)},
        {9, join({{8}, run(0, 7)})},
        {16, join({run(8, 15), run(0, 7)})},
        {17, join({{16}, run(8, 15), run(0, 7)})},
        {25, join({{24}, run(16, 23), run(8, 15), run(0, 7)})},
        {33, join({{32}, run(24, 31), run(16, 23), run(8, 15), run(0, 7)})},
    };
    std::vector<int16_t> images;
    for (int n = 1; n <= 40; ++n) {
        images.push_back(Operate::TakeWallTile(static_cast<int16_t>(n - 1)));
        Operate::PlaceInPool(3, images.back());
        auto it = topFirst.find(n);
        if (it == topFirst.end())
            continue;
        SCOPED_TRACE(n);
        std::vector<int> order(static_cast<size_t>(n));
        std::iota(order.begin(), order.end(), 0);
        std::sort(order.begin(), order.end(),
                  [&](int a, int b) { return At(images[static_cast<size_t>(a)]) > At(images[static_cast<size_t>(b)]); });
        EXPECT_EQ(order, it->second);
    }
    EXPECT_EQ(RightPoolCount, 40);
    ExpectConsistent();
}

TEST_P(DrawTiles, TheOwnDiscardMovesOnlyWhenTheRightHandSeatDraws)
{
    for (int side = 0; side <= 3; ++side)
        Deal(side, Twelve);
    Draw(0);
    const int16_t code = ParkOwnDiscard(9);
    const int16_t image = ClaimedDiscardImage;
    Operate::ShowDiscard(MaskOf(0), code);
    const QRectF parked = Rect(image);
    for (int side : {2, 1}) {
        SCOPED_TRACE(side);
        Watch();
        Draw(side);
        EXPECT_EQ(Sleeps(), std::vector<int64_t>({400}));
        EXPECT_EQ(Rect(image), parked);
        ExpectConsistent();
    }
    Watch();
    Draw(3);
    EXPECT_EQ(Sleeps(), std::vector<int64_t>({400}));
    EXPECT_EQ(Rect(image).topLeft(), QPointF(CInt(358 * S()), CInt(438 * S())));
    EXPECT_EQ(custom[0].PoolX, CInt(358 * S()) + CInt(36 * S()));
    ExpectConsistent();
    // A draw with no discard since moves it no further, without a pause.
    ClaimedDiscard = 0;
    Watch();
    Draw(2);
    EXPECT_TRUE(Sleeps().empty());
    EXPECT_FALSE(SkipDiscardMove);
}

// A second draw with no discard between meets the same parked tile again: it
// stays where the first laid it, and the pool's next tile lies beside it.
TEST_P(DrawTiles, ASecondDrawWithoutADiscardKeepsThePoolWithoutAHole)
{
    for (int side = 0; side <= 3; ++side)
        Deal(side, Twelve);
    for (int side : {3, 1, 2}) {
        SCOPED_TRACE(side);
        const int drawer = (side + 3) % 4; // the next in the order of play
        Operate::ShowDiscard(MaskOf(side), 0x41);
        const int16_t first = ClaimedDiscardImage;
        Draw(drawer);
        const QRectF laid = Rect(first);
        const QPoint cursor(custom[side].PoolX, custom[side].PoolY);
        Draw(drawer); // no discard between
        EXPECT_EQ(Rect(first), laid);
        EXPECT_EQ(QPoint(custom[side].PoolX, custom[side].PoolY), cursor);
        if (side == 3) {
            EXPECT_EQ(RightPoolCount, 1);
            EXPECT_EQ(RightPoolOrder[0], first);
        }
        // The next discard of the side takes the very next place.
        Operate::ShowDiscard(MaskOf(side), 0x42);
        const int16_t second = ClaimedDiscardImage;
        Draw(drawer);
        EXPECT_EQ(Rect(second).topLeft(), QPointF(cursor));
        ExpectConsistent();
    }
}

// The wall drawn out to its last tile, round the table in the order of play,
// each seat discarding what it draws: every one of the 136 tiles is drawn
// once, the ends' meeting strands none. With replacement draws the tail's
// rule takes part too.
TEST_P(DrawTiles, TheWholeWallIsDrawnEveryTileOnce)
{
    for (const int replacementEvery : {0, 5}) {
        SCOPED_TRACE(replacementEvery);
        NewHand(0, 4);
        std::set<int16_t> drawn;
        for (int side = 0; side <= 3; ++side) {
            Deal(side, Twelve);
            for (int i = custom[side].FirstConcealed; i < custom[side].FirstConcealed + custom[side].sum; ++i)
                drawn.insert(custom[side].Slots[i].Image);
        }
        ASSERT_EQ(drawn.size(), 48u);
        int side = 0, draws = 0;
        while (Operate::WallTilesLeft() > 0 && draws < 136) {
            SCOPED_TRACE(testing::Message() << "draw " << draws << ", head " << WallHead << ", tail " << WallTail);
            ++draws;
            if (replacementEvery > 0 && draws % replacementEvery == 0) {
                NormalDraw = false; // as a gang leaves it
                SkipDiscardMove = true;
            }
            SeatRecord& seat = custom[side];
            const int16_t sum = seat.sum, left = Operate::WallTilesLeft();
            Draw(side, 0x26);
            ASSERT_EQ(seat.sum, sum + 1);
            ASSERT_EQ(Operate::WallTilesLeft(), left - 1);
            const int last = seat.FirstConcealed + seat.sum - 1;
            EXPECT_TRUE(drawn.insert(seat.Slots[last].Image).second) << "tile " << seat.Slots[last].Image;
            if (side == 0) {
                ParkOwnDiscard(last);
                Operate::ShowDiscard(MaskOf(0), 0x26);
            } else {
                Operate::ShowDiscard(MaskOf(side), 0x26);
            }
            side = (side + 3) % 4;
        }
        EXPECT_EQ(Operate::WallTilesLeft(), 0);
        EXPECT_EQ(drawn.size(), 136u);
        ExpectConsistent();
    }
}

TEST_P(DrawTiles, TheReplacementDrawComesFromTheTailWithoutAPause)
{
    NewHand(2); // the deals take 42 to 89
    for (int side = 0; side <= 3; ++side)
        Deal(side, Twelve);
    WildTile = 0x22;
    Operate::ShowDiscard(MaskOf(2), 0x19);
    const int16_t parked = ClaimedDiscardImage;
    const QRectF atCentre = Rect(parked);
    // The tail steps back a stack at a time: even +1, odd -3, 1 to 134.
    const struct {
        int side;
        int16_t tail, after;
    } cases[] = {{0, 100, 101}, {1, 101, 98}, {3, 1, 134}, {2, 134, 135}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tail);
        WallTail = c.tail;
        NormalDraw = false;
        SkipDiscardMove = true;
        Watch();
        const int slot = custom[c.side].FirstConcealed + custom[c.side].sum;
        Draw(c.side, 0x26);
        EXPECT_TRUE(Sleeps().empty());
        EXPECT_EQ(Rect(parked), atCentre);
        EXPECT_EQ(custom[c.side].Slots[slot].Image, c.tail);
        EXPECT_FALSE(InWall[c.tail]);
        EXPECT_EQ(WallTail, c.after);
        EXPECT_TRUE(NormalDraw);
        EXPECT_FALSE(SkipDiscardMove);
        // Always set apart.
        const QPointF apart[] = {{HandW(0) / 2, 0}, {0, 10 * S()}, {-10 * S(), 0}, {0, -10 * S()}};
        EXPECT_EQ(Rect(c.tail).topLeft(), SlotAt(c.side, slot) + apart[c.side]);
        ExpectConsistent();
    }
}

TEST_P(DrawTiles, TheHeadSkipsTheUpperTileTheTailHasTaken)
{
    Deal(1, Twelve);
    // The tail has taken the upper tile of the stack after the head's next.
    WallHead = 21;
    WallTail = 23;
    InWall[22] = false;
    Draw(1);
    EXPECT_EQ(custom[1].Slots[16].Image, 21);
    EXPECT_EQ(WallHead, 23);
    EXPECT_EQ(WallTail, 23);
    // The next draw finds the two ends together and moves them on first.
    Draw(2);
    EXPECT_EQ(WallHead, 25);
    EXPECT_EQ(WallTail, 24);
}

// ---- What does not fit, and what names no seat ---------------------------------

TEST_P(DrawTiles, OnlyTilesThatFitUpToSlotTwentyArePlaced)
{
    for (int side : {0, 2}) {
        SCOPED_TRACE(side);
        custom[side].FirstConcealed = 15;
        const int16_t head = WallHead;
        Deal(side, Twelve);
        EXPECT_EQ(custom[side].sum, 6);
        EXPECT_EQ(WallHead, (head + 6) % 136);
        ExpectConsistent();
        Draw(side);
        EXPECT_EQ(custom[side].sum, 6);
        EXPECT_EQ(WallHead, (head + 6) % 136);
        // A deal repeated for a full hand places nothing more.
        Deal(side, Twelve);
        EXPECT_EQ(custom[side].sum, 6);
        ExpectConsistent();
    }
}

TEST_P(DrawTiles, AnEmptyWallGivesNothing)
{
    for (int i = 0; i <= 135; ++i)
        Operate::TakeWallTile(static_cast<int16_t>(i));
    EXPECT_EQ(Operate::WallTilesLeft(), 0);
    for (int side = 0; side <= 3; ++side) {
        SCOPED_TRACE(side);
        const int16_t head = WallHead;
        Deal(side, Twelve);
        Draw(side);
        NormalDraw = false;
        Draw(side);
        EXPECT_EQ(custom[side].sum, 0);
        EXPECT_EQ(WallHead, head);
        ExpectConsistent();
    }
}

TEST_P(DrawTiles, ASeatMaskNamingNoOneSeatChangesNothing)
{
    Deal(1, Twelve);
    Operate::ShowDiscard(MaskOf(1), 0x43);
    const QRectF parked = Rect(ClaimedDiscardImage);
    SkipDiscardMove = false;
    NormalDraw = false;
    const auto before = custom;
    const int16_t head = WallHead, tail = WallTail;
    for (uint8_t mask : {0, 3, 5, 12, 15, 0x30}) {
        SCOPED_TRACE(mask);
        VbArray<int16_t, 0, 11> tiles;
        Watch();
        Operate::DrawFromWall(mask, 12, tiles);
        Operate::DrawFromWall(mask, 1, tiles);
        EXPECT_TRUE(Sleeps().empty());
        EXPECT_EQ(Rect(ClaimedDiscardImage), parked);
        EXPECT_EQ(WallHead, head);
        EXPECT_EQ(WallTail, tail);
        EXPECT_FALSE(NormalDraw);
        for (int s = 0; s <= 3; ++s)
            EXPECT_EQ(custom[s].sum, before[s].sum);
    }
    EXPECT_EQ(Operate::WallTilesLeft(), 136 - 12);
}

TEST_P(DrawTiles, AnOwnCodeThatNamesNoTileIsDrawnFaceDown)
{
    Deal(0, {0x29, 0x00, 0x1A, 0x99, 0x4F, 0x22, 0x81, 0x49, 0x15, 0x23, 0x88, 0x41});
    for (int slot : {5, 6, 7, 8})
        EXPECT_EQ(Picture(custom[0].Slots[slot].Image), Resource(36 * 4 + 7)) << slot;
    EXPECT_EQ(Picture(custom[0].Slots[4].Image), Resource(General::TilePictureOf(4, 0x29)));
    ExpectConsistent();
}

MJ_SEATED_CASES(DrawTiles);

} // namespace
