// Discards reported by the server: spoken, parked at the table's centre at the
// discarder's pool size, and the discards that cannot come from a hand.
#include "SeatedTable.h"

using namespace mj;
using mjtest::SeatedTable;

namespace {

class Discard : public SeatedTable {
protected:
    void SetUp() override
    {
        SeatedTable::SetUp();
        for (int side = 0; side <= 3; ++side)
            Deal(side, {0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x21, 0x22, 0x23, 0x24, 0x25});
        audio->ClearLog();
        Watch();
    }
    QString Voice(int side, const char* suffix) const
    {
        return Mod_Resource::VoiceDir + QStringLiteral("v0010%1%2").arg(side % 2 ? "13" : "02").arg(QLatin1String(suffix))
            + QStringLiteral(".wav");
    }
};

TEST_P(Discard, AnotherSeatsLastTileIsParkedFaceUpAtTheCentre)
{
    // The hand tile's size before the move sets the corner: 35 x 66 on the
    // side seats and 36 x 50 opposite, scaled.
    const struct {
        int side;
        int16_t tile;
        const char* voice;
        QRectF normal; // at scale 1
        QSizeF smallSize;
    } cases[] = {
        {1, 0x43, "83", QRectF(494.5, 351, 48, 35), QSizeF(38, 27)},
        {2, 0x87, "47", QRectF(494, 359, 30, 36), QSizeF(23, 28)},
        {3, 0x15, "15", QRectF(494.5, 351, 48, 35), QSizeF(38, 27)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.side);
        audio->ClearLog();
        Watch();
        SeatRecord& seat = custom[c.side];
        const int16_t image = seat.Slots[15].Image;
        const QRectF before = Rect(image);
        Operate::ShowDiscard(MaskOf(c.side), c.tile);

        EXPECT_EQ(Sleeps(), std::vector<int64_t>({50}));
        EXPECT_EQ(Played(), QStringList({Voice(c.side, c.voice)}));
        EXPECT_EQ(ClaimedDiscard, c.tile);
        EXPECT_EQ(ClaimedDiscardImage, image);
        EXPECT_EQ(DiscarderSide, c.side);
        EXPECT_EQ(seat.sum, 11);
        const QRectF parked = Rect(image);
        if (small()) {
            EXPECT_EQ(parked.topLeft(), QPointF(400 - before.width() / 2, 300 - before.height() / 2));
            EXPECT_EQ(parked.size(), c.smallSize);
        } else {
            EXPECT_EQ(parked, c.normal);
        }
        EXPECT_EQ(Picture(image), Resource(General::TilePictureOf(c.side, c.tile)));
        EXPECT_TRUE(OnTopOfTiles(image));
        ExpectConsistent();
        // The own draw lays it into its pool.
        Draw(0);
    }
}

TEST_P(Discard, TheOwnDiscardIsSpokenAndRecordedButNotMoved)
{
    const int16_t code = ParkOwnDiscard(6);
    const int16_t image = ClaimedDiscardImage;
    const QRectF parked = Rect(image);
    Operate::ShowDiscard(MaskOf(0), code);
    EXPECT_EQ(ClaimedDiscard, code);
    EXPECT_EQ(ClaimedDiscardImage, image);
    EXPECT_EQ(DiscarderSide, 0);
    EXPECT_EQ(custom[0].sum, 11);
    EXPECT_EQ(Rect(image), parked);
    EXPECT_EQ(Played(), QStringList({Voice(0, "13")}));
    ExpectConsistent();
}

// The server reports an own discard the player did not make (after a
// reconnection it played for the seat): that tile leaves the own hand, waits
// at the centre and goes into the own pool with the right-hand seat's draw;
// no other seat's tile moves. Before any discard of the hand, and after
// another seat's discard already laid into its pool, alike.
TEST_P(Discard, AnOwnDiscardThePlayerDidNotMakeLeavesTheHandForTheOwnPool)
{
    for (const bool afterAnother : {false, true}) {
        SCOPED_TRACE(afterAnother ? "after another seat's discard" : "the hand's first discard");
        NewHand();
        for (int side = 0; side <= 3; ++side)
            Deal(side, {0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x21, 0x22, 0x23, 0x24, 0x25});
        int16_t pooled = -1;
        if (afterAnother) {
            Operate::ShowDiscard(MaskOf(1), 0x43);
            pooled = ClaimedDiscardImage;
        }
        Draw(0, 0x29);
        QRectF pooledAt;
        if (pooled >= 0)
            pooledAt = Rect(pooled);
        SeatRecord& own = custom[0];
        ASSERT_EQ(own.sum, 13);
        const int16_t image = own.Slots[own.FirstConcealed + own.sum - 1].Image;
        const QPoint poolCursor(own.PoolX, own.PoolY);

        Operate::ShowDiscard(MaskOf(0), 0x29);
        EXPECT_EQ(own.sum, 12);
        EXPECT_FALSE(General::HandHasImage(image));
        EXPECT_EQ(ClaimedDiscardImage, image);
        EXPECT_EQ(DiscarderSide, 0);
        EXPECT_EQ(Rect(image).size(), QSizeF(CInt(36 * S()), CInt(50 * S())));
        EXPECT_TRUE(Rect(image).contains(General::TableCentre()));
        EXPECT_EQ(Picture(image), Resource(General::TilePictureOf(0, 0x29)));
        for (int i = own.FirstConcealed; i < own.FirstConcealed + own.sum; ++i)
            EXPECT_EQ(Rect(own.Slots[i].Image).topLeft(), QPointF(own.HandX + i * CInt(48 * S()), own.HandY)) << i;
        ExpectConsistent("after the discard");

        Draw(3);
        EXPECT_EQ(Rect(image).topLeft(), QPointF(poolCursor));
        if (pooled >= 0) {
            EXPECT_EQ(Rect(pooled), pooledAt);
        }
        ExpectConsistent("after the right-hand seat's draw");
    }
}

TEST_P(Discard, WithoutSoundNothingIsSpokenButThePauseStays)
{
    Mod_Sound::FunctionSoundOn = false;
    Operate::ShowDiscard(MaskOf(2), 0x29);
    EXPECT_TRUE(Played().isEmpty());
    EXPECT_EQ(Sleeps(), std::vector<int64_t>({50}));
    EXPECT_EQ(custom[2].sum, 11);
}

TEST_P(Discard, TileZeroOnlyClearsTheDiscardedTile)
{
    Operate::ShowDiscard(MaskOf(1), 0x43);
    const int16_t image = ClaimedDiscardImage;
    Watch();
    Operate::ShowDiscard(MaskOf(2), 0);
    EXPECT_EQ(ClaimedDiscard, 0);
    EXPECT_EQ(ClaimedDiscardImage, image);
    EXPECT_EQ(DiscarderSide, 1);
    EXPECT_TRUE(Sleeps().empty());
    EXPECT_EQ(custom[2].sum, 12);
    // The next draw moves nothing.
    const QRectF parked = Rect(image);
    Draw(0);
    EXPECT_EQ(Rect(image), parked);
}

TEST_P(Discard, ACodeThatNamesNoTileIsParkedFaceDownAndNotSpoken)
{
    for (int16_t code : {0x19, 0x4A, 0xFF, 0x30}) {
        SCOPED_TRACE(code);
        audio->ClearLog();
        Operate::ShowDiscard(MaskOf(3), code);
        EXPECT_EQ(ClaimedDiscard, code);
        EXPECT_EQ(Picture(ClaimedDiscardImage), Resource(36 * 3 + 7));
        EXPECT_TRUE(Played().isEmpty());
        ExpectConsistent();
        Draw(0);
    }
}

// A discard that cannot come from a hand parks nothing, moves no tile and
// changes no count; the next draw then moves nothing either.
TEST_P(Discard, ADiscardThatCannotComeFromAHandParksNothing)
{
    // A tile of side 2 already lies in its pool.
    Operate::ShowDiscard(MaskOf(2), 0x22);
    Draw(1);
    const int16_t pooled = ClaimedDiscardImage;
    const struct {
        const char* name;
        int side; // or 0x100 + a seat mask
        std::function<void()> arrange;
    } cases[] = {
        // The slot below the run still names the pooled tile.
        {"no concealed tile", 2, [&] {
             custom[2].sum = 0;
             custom[2].Slots[custom[2].FirstConcealed - 1].Image = pooled;
         }},
        {"last slot past 20", 1, [] {
             custom[1].FirstConcealed = 20;
             custom[1].sum = 2;
         }},
        {"last slot without a tile image", 3, [] {
             custom[3].Slots[custom[3].FirstConcealed + custom[3].sum - 1].Image = -1;
         }},
        // Seat masks naming no one seat.
        {"no seat", 0x100, [] {}},
        {"two seats", 0x103, [] {}},
        {"every seat", 0x10F, [] {}},
    };
    int drawer = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto saved = custom;
        c.arrange();
        const auto arranged = custom;
        std::vector<QRectF> rects;
        for (int i = 0; i <= 135; ++i)
            rects.push_back(Rect(i));
        const uint8_t mask = c.side < 0x100 ? MaskOf(c.side) : static_cast<uint8_t>(c.side & 0xFF);
        Operate::ShowDiscard(mask, 0x23);
        EXPECT_EQ(ClaimedDiscard, 0x23);
        EXPECT_EQ(ClaimedDiscardImage, -1);
        for (int i = 0; i <= 135; ++i)
            EXPECT_EQ(Rect(i), rects[static_cast<size_t>(i)]) << i;
        for (int s = 0; s <= 3; ++s)
            EXPECT_EQ(custom[s].sum, arranged[s].sum) << s;

        // The next draw moves no tile but the one it takes.
        custom = saved;
        const int16_t taken = WallHead;
        Draw(++drawer % 4);
        EXPECT_FALSE(InWall[taken]);
        for (int i = 0; i <= 135; ++i)
            if (i != taken) {
                EXPECT_EQ(Rect(i), rects[static_cast<size_t>(i)]) << i;
            }
        ExpectConsistent();
    }
}

MJ_SEATED_CASES(Discard);

} // namespace
