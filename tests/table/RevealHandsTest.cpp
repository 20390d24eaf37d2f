// The hands shown at the end of a hand: the seat-tiles messages recorded four
// tiles at a time, the three other hands turned face up, sorted and resized
// once all are in, the winning tile where it belongs, and the messages that
// name no seat or find no slot.
#include "SeatedTable.h"

using namespace mj;
using mjtest::SeatedTable;

namespace {

const std::vector<int16_t> Thirteen = {0x29, 0x11, 0x85, 0x43, 0x17, 0x22, 0x81, 0x49, 0x15, 0x23, 0x88, 0x41, 0x12};
const std::vector<int16_t> SortedThirteen = {0x81, 0x85, 0x88, 0x41, 0x43, 0x49, 0x22,
                                             0x23, 0x29, 0x11, 0x12, 0x15, 0x17};

class RevealHands : public SeatedTable {
protected:
    void SetUp() override
    {
        SeatedTable::SetUp();
        for (int side = 0; side <= 3; ++side) {
            Deal(side, Thirteen);
            Draw(side, Thirteen[12]);
        }
    }
    // One seat-tiles message: the tiles go into value(3), value(2), ...
    void Message(uint8_t mask, std::vector<int16_t> tiles)
    {
        VbArray<int16_t, 0, 3> values;
        for (size_t n = 0; n < tiles.size() && n < 4; ++n)
            values[3 - static_cast<int>(n)] = tiles[n];
        Operate::RevealHands(mask, values);
    }
    // A side's tiles, four to a message.
    void Reveal(int side, const std::vector<int16_t>& tiles)
    {
        for (size_t i = 0; i < tiles.size(); i += 4)
            Message(MaskOf(side), std::vector<int16_t>(tiles.begin() + static_cast<long>(i),
                                                       tiles.begin() + static_cast<long>(std::min(i + 4, tiles.size()))));
    }
    std::vector<int16_t> Codes(int side, int count) const
    {
        std::vector<int16_t> codes;
        for (int i = 0; i < count; ++i)
            codes.push_back(custom[side].Slots[custom[side].FirstConcealed + i].Code);
        return codes;
    }
    QSizeF Shown(int side) const
    {
        const double w[] = {48, 45, 36, 45};
        const double h[] = {60, 35, 39, 35};
        return QSizeF(CInt(w[side] * S()), CInt(h[side] * S()));
    }
};

TEST_P(RevealHands, AMessageAboutTheOwnSeatOnlySetsTheTileSizes)
{
    const auto before = custom;
    Message(MaskOf(0), {0x11, 0x12, 0x13, 0x14});
    for (int side = 0; side <= 3; ++side) {
        EXPECT_EQ(QSizeF(TileW[side], TileH[side]), Shown(side)) << side;
        EXPECT_EQ(custom[side].sum, before[side].sum) << side;
    }
    EXPECT_EQ(HiddenTiles(1, 0), 0);
}

TEST_P(RevealHands, ThirteenTilesComeInMessagesOfFourFourFourAndOne)
{
    std::vector<QRectF> places;
    for (int i = 4; i <= 16; ++i)
        places.push_back(Rect(custom[2].Slots[i].Image));
    // The last message carries more words than tiles are left: ignored.
    Message(MaskOf(2), {0x29, 0x11, 0x85, 0x43});
    EXPECT_EQ(custom[2].sum, 9);
    Message(MaskOf(2), {0x17, 0x22, 0x81, 0x49});
    Message(MaskOf(2), {0x15, 0x23, 0x88, 0x41});
    Message(MaskOf(2), {0x12, 0x33, 0x34, 0x35});
    EXPECT_EQ(custom[2].sum, 0);
    for (int p = 0; p < 13; ++p)
        EXPECT_EQ(HiddenTiles(2, p), Thirteen[static_cast<size_t>(p)]) << p;
    EXPECT_EQ(HiddenTiles(2, 13), 0);
    // Nothing is shown until the other two hands are in.
    EXPECT_EQ(Picture(custom[2].Slots[4].Image), Resource(36 * 2 + 7));
    Reveal(1, Thirteen);
    EXPECT_EQ(Picture(custom[2].Slots[4].Image), Resource(36 * 2 + 7));
    Reveal(3, Thirteen);

    for (int side = 1; side <= 3; ++side) {
        SCOPED_TRACE(side);
        EXPECT_EQ(Codes(side, 13), SortedThirteen);
        for (int i = 4; i <= 16; ++i) {
            const int16_t image = custom[side].Slots[i].Image;
            EXPECT_EQ(Picture(image), Resource(General::TilePictureOf(side, custom[side].Slots[i].Code))) << i;
            EXPECT_EQ(Rect(image).size(), Shown(side)) << i;
        }
    }
    // Each tile keeps its place; only its picture and size change.
    for (int i = 4; i <= 16; ++i)
        EXPECT_EQ(Rect(custom[2].Slots[i].Image).topLeft(), places[static_cast<size_t>(i - 4)].topLeft()) << i;
    // The own hand shows its faces lying down, unsorted and unmoved.
    for (int i = 4; i <= 16; ++i) {
        const TileSlot& slot = custom[0].Slots[i];
        EXPECT_EQ(Picture(slot.Image), Resource(General::TilePictureOf(0, slot.Code))) << i;
    }
    ExpectConsistent();
}

TEST_P(RevealHands, ASelfDrawnFourteenthTileIsKeptLast)
{
    Draw(3, 0);
    const int16_t drawnImage = custom[3].Slots[17].Image;
    const QPointF drawnAt = Rect(drawnImage).topLeft();
    WinnerSide = 3;
    std::vector<int16_t> fourteen = Thirteen;
    fourteen.push_back(0x13); // drawn last, an honour that would sort elsewhere
    Reveal(1, Thirteen);
    Reveal(2, Thirteen);
    Reveal(3, fourteen);
    EXPECT_EQ(Codes(3, 13), SortedThirteen);
    EXPECT_EQ(custom[3].Slots[17].Code, 0x13);
    EXPECT_EQ(custom[3].Slots[17].Image, drawnImage);
    EXPECT_EQ(Rect(drawnImage).topLeft(), drawnAt);
    EXPECT_EQ(Picture(drawnImage), Resource(General::TilePictureOf(3, 0x13)));
    ExpectConsistent();
}

TEST_P(RevealHands, AWinnerOnADiscardTakesItAtTheEndOfItsRow)
{
    // Side 2 has made one meld and holds ten tiles; side 1's discard won.
    custom[2].FirstConcealed = 7;
    custom[2].MeldEnd = 7;
    custom[2].sum = 10;
    Operate::ShowDiscard(MaskOf(1), 0x37 - 0x10);
    const int16_t taken = ClaimedDiscardImage;
    WinnerSide = 2;
    Reveal(1, std::vector<int16_t>(Thirteen.begin(), Thirteen.begin() + 12));
    Reveal(2, std::vector<int16_t>(Thirteen.begin(), Thirteen.begin() + 10));
    Reveal(3, Thirteen);
    const SeatRecord& seat = custom[2];
    EXPECT_EQ(Rect(taken), QRectF(seat.HandX - 17 * TileW[2] - 5 * S(), seat.HandY, TileW[2], TileH[2]));
    EXPECT_EQ(Picture(taken), Resource(General::TilePictureOf(2, 0x27)));
}

TEST_P(RevealHands, ASideWinnerOnADiscardTakesItBesideItsLastTile)
{
    for (int side : {1, 3}) {
        SCOPED_TRACE(side);
        NewHand();
        for (int s = 0; s <= 3; ++s) {
            Deal(s, Thirteen);
            Draw(s, Thirteen[12]);
        }
        Operate::ShowDiscard(MaskOf(2), 0x45);
        const int16_t taken = ClaimedDiscardImage;
        WinnerSide = static_cast<int16_t>(side);
        for (int s = 1; s <= 3; ++s)
            Reveal(s, s == 2 ? std::vector<int16_t>(Thirteen.begin(), Thirteen.begin() + 12) : Thirteen);
        const QRectF last = Rect(custom[side].Slots[16].Image);
        const double dy = side == 1 ? TileH[1] - 13 * S() : -TileH[3] + 13 * S();
        EXPECT_EQ(Rect(taken), QRectF(last.x() - 5 * S(), last.y() + dy, TileW[side], TileH[side]));
        if (side == 1) {
            EXPECT_TRUE(OnTopOfTiles(taken));
        } else {
            for (int i = 0; i <= 135; ++i)
                EXPECT_LE(At(taken), At(i)) << i;
        }
    }
}

TEST_P(RevealHands, ADrawnHandShowsTheThreeHandsWithNoWinningTile)
{
    Operate::ShowDiscard(MaskOf(1), 0x45);
    const QRectF parked = Rect(ClaimedDiscardImage);
    for (int s = 1; s <= 3; ++s)
        Reveal(s, s == 1 ? std::vector<int16_t>(Thirteen.begin(), Thirteen.begin() + 12) : Thirteen);
    EXPECT_EQ(Rect(ClaimedDiscardImage), parked);
    EXPECT_EQ(Codes(3, 13), SortedThirteen);
    ExpectConsistent();
}

TEST_P(RevealHands, AnOnlookersHandIsSortedAndResized)
{
    WatchMode = true;
    for (int s = 1; s <= 3; ++s)
        Reveal(s, Thirteen);
    EXPECT_EQ(Codes(0, 13), SortedThirteen);
    EXPECT_EQ(Rect(custom[0].Slots[4].Image).size(), Shown(0));
    WatchMode = false;
}

TEST_P(RevealHands, AMaskNamingNoOneSeatChangesNothing)
{
    TileW[1] = 7;
    for (uint8_t mask : {0, 3, 6, 15}) {
        Message(mask, {0x11, 0x12, 0x13, 0x14});
        for (int s = 1; s <= 3; ++s)
            EXPECT_EQ(custom[s].sum, 13) << int(mask);
        EXPECT_EQ(TileW[1], 7);
    }
}

TEST_P(RevealHands, NothingIsRecordedPastSlotTwentyAndAMissingTileIsSkipped)
{
    // Side 1's run would reach past slot 20; side 3 wins with no tile
    // recorded and no parked discard.
    custom[1].FirstConcealed = 18;
    custom[1].sum = 6;
    custom[3].sum = 1;
    WinnerSide = 3;
    ClaimedDiscardImage = -1;
    const auto slotsBefore = custom[1].Slots;
    EXPECT_FALSE(mjtest::EndsProgram([&] {
        Reveal(1, {0x11, 0x12, 0x13, 0x14, 0x15, 0x16});
        Reveal(2, Thirteen);
        Message(MaskOf(3), {0});
    }));
    EXPECT_EQ(custom[1].sum, 0);
    EXPECT_EQ(custom[3].sum, 0);
    EXPECT_EQ(HiddenTiles(1, 0), 0x11);
    EXPECT_EQ(HiddenTiles(1, 2), 0x13);
    EXPECT_EQ(HiddenTiles(1, 3), 0);
    for (int i = 0; i <= 17; ++i)
        EXPECT_EQ(custom[1].Slots[i], slotsBefore[i]) << i;
    // And when a parked discard is there but the winner's last slot shows no
    // tile, the discard stays where it is.
    NewHand();
    for (int s = 0; s <= 3; ++s)
        Deal(s, Thirteen);
    Operate::ShowDiscard(MaskOf(2), 0x45);
    const QRectF parked = Rect(ClaimedDiscardImage);
    custom[1].Slots[custom[1].FirstConcealed + custom[1].sum - 1].Image = -1;
    WinnerSide = 1;
    for (int s = 1; s <= 3; ++s)
        Reveal(s, std::vector<int16_t>(Thirteen.begin(), Thirteen.begin() + custom[s].sum));
    EXPECT_EQ(Rect(ClaimedDiscardImage), parked);
}

MJ_SEATED_CASES(RevealHands);

} // namespace
