// Discards reported by the server: spoken, parked at the table's centre at the
// discarder's pool size, and the discards that cannot come from a hand.
#include "FrameBuilder.h"
#include "SeatedTable.h"

#include "client/SoftTimer.h"
#include "client/Total.h"

#include <algorithm>

using namespace mj;
using mjtest::SeatedTable;
namespace frames = mjtest::frames;

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
// reconnection, or a time-out, it played for the seat): that tile leaves the
// own hand, waits at the centre and goes into the own pool with the
// right-hand seat's draw; no other seat's tile moves. Before any discard of
// the hand and after another seat's discard already laid into its pool
// alike. While the own turn's offer is up the report ends that turn as the
// player's discard would: buttons and pickers away, the clock stopped, and
// nothing goes out for the turn, neither from the clock running out nor
// from 过 or the right button. A tile the player (or the time-out play)
// parked meanwhile that is not the reported one goes back into the hand.
TEST_P(Discard, AnOwnDiscardThePlayerDidNotMakeLeavesTheHandForTheOwnPool)
{
    constexpr int CodeDiscard = 2, CodeClaimOffer = 6;
    enum class Before { Nothing, AnotherSeatsDiscard, Offer, PlayerParks, TimeOutParks };
    const struct {
        const char* name;
        Before before;
    } cases[] = {
        {"the hand's first discard", Before::Nothing},
        {"after another seat's discard", Before::AnotherSeatsDiscard},
        {"during the own turn's offer", Before::Offer},
        {"the player parked another tile", Before::PlayerParks},
        {"the time-out play parked another tile", Before::TimeOutParks},
    };
    const auto drain = [] {
        FrameBytes frame;
        while (Total::TakeQueuedFrame(frame)) {
        }
    };
    const auto runMainLoop = [&](double seconds) {
        for (int t = 0; t < seconds * 20; ++t) {
            Clock::Advance(0.05);
            f->TimerBong_Timer();
        }
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        NewHand();
        drain();
        LoggedIn = true;
        TurnSeconds = 10;
        for (int side = 0; side <= 3; ++side)
            Deal(side, {0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x21, 0x22, 0x23, 0x24, 0x25});
        int16_t pooled = -1;
        if (c.before == Before::AnotherSeatsDiscard) {
            Operate::ShowDiscard(MaskOf(1), 0x43);
            pooled = ClaimedDiscardImage;
        }
        Draw(0, 0x21);
        Draw(0, 0x29);
        QRectF pooledAt;
        if (pooled >= 0)
            pooledAt = Rect(pooled);
        SeatRecord& own = custom[0];
        ASSERT_EQ(own.sum, 14);
        const auto handCodes = [&] {
            std::vector<int16_t> codes;
            for (int i = own.FirstConcealed; i < own.FirstConcealed + own.sum; ++i)
                codes.push_back(own.Slots[i].Code);
            std::sort(codes.begin(), codes.end());
            return codes;
        };
        const auto lastImageOf = [&](int16_t code) {
            int16_t image = -1;
            for (int i = own.FirstConcealed; i < own.FirstConcealed + own.sum; ++i)
                if (own.Slots[i].Code == code)
                    image = own.Slots[i].Image;
            return image;
        };
        const QPoint poolCursor(own.PoolX, own.PoolY);

        // What the server reports, and the tile parked before the report.
        int16_t reported = 0x29, parked = -1, parkedCode = 0;
        if (c.before != Before::Nothing && c.before != Before::AnotherSeatsDiscard) {
            mjtest::Dispatch(frames::WithHeader(CodeClaimOffer, MaskOf(0), OpPass).Byte(100, 2));
            ASSERT_TRUE(TurnClockOn);
            ASSERT_TRUE(f->Operation(4).Visible());
        }
        if (c.before == Before::PlayerParks) {
            parked = lastImageOf(0x21);
            parkedCode = 0x21;
            f->MJ_Image_MouseDown(parked, 1, 0, 0, 0);
            ASSERT_FALSE(General::HandHasImage(parked));
        } else if (c.before == Before::TimeOutParks) {
            parked = own.Slots[own.FirstConcealed + own.sum - 1].Image;
            parkedCode = own.Slots[own.FirstConcealed + own.sum - 1].Code;
            reported = parkedCode == 0x11 ? 0x12 : 0x11;
            runMainLoop(3);
            ASSERT_EQ(DecisionState, 3);
            ASSERT_FALSE(General::HandHasImage(parked));
        }
        drain();
        std::vector<int16_t> expectedCodes = handCodes();
        if (parked >= 0) {
            // The parked tile is in the hand again, the reported one not.
            expectedCodes.push_back(parkedCode);
            std::sort(expectedCodes.begin(), expectedCodes.end());
        }
        expectedCodes.erase(std::find(expectedCodes.begin(), expectedCodes.end(), reported));
        const int16_t image = lastImageOf(reported);
        ASSERT_GE(image, 0);
        const int16_t buttons[] = {0, 1, 2, 3, 4};

        mjtest::Dispatch(frames::WithHeader(CodeDiscard, MaskOf(0), 0, 0, 0, static_cast<uint16_t>(reported)));
        EXPECT_EQ(own.sum, 13);
        EXPECT_EQ(handCodes(), expectedCodes);
        EXPECT_FALSE(General::HandHasImage(image));
        EXPECT_EQ(ClaimedDiscardImage, image);
        EXPECT_EQ(DiscarderSide, 0);
        EXPECT_EQ(Rect(image).size(), QSizeF(CInt(36 * S()), CInt(50 * S())));
        EXPECT_TRUE(Rect(image).contains(General::TableCentre()));
        EXPECT_EQ(Picture(image), Resource(General::TilePictureOf(0, reported)));
        const double w = CInt(48 * S()), h = CInt(78 * S());
        for (int i = own.FirstConcealed; i < own.FirstConcealed + own.sum; ++i)
            EXPECT_EQ(Rect(own.Slots[i].Image), QRectF(own.HandX + i * w, own.HandY, w, h)) << i;
        if (parked >= 0) {
            EXPECT_TRUE(General::HandHasImage(parked));
            const int16_t code = own.Slots[General::FindHandSlotOfImage(parked)].Code;
            EXPECT_EQ(Picture(parked), Resource(General::TilePictureOf(4, code)));
        }
        // The turn is over.
        EXPECT_FALSE(TurnClockOn);
        EXPECT_FALSE(f->Number.Visible());
        EXPECT_FALSE(f->Time_Img.Visible());
        for (int16_t i : buttons)
            EXPECT_FALSE(f->Operation(i).Visible()) << i;
        for (int i = 0; i <= 4; ++i)
            EXPECT_FALSE(f->Gang(i).Visible()) << i;
        ExpectConsistent("after the discard");
        // Nothing more goes out for it.
        for (int16_t i : buttons)
            f->Operation_Click(i);
        f->Pic1_MouseUp(2, 0, 5, 5);
        f->MJ_Image_MouseDown(own.Slots[own.FirstConcealed].Image, 1, 0, 0, 0);
        runMainLoop(12);
        EXPECT_EQ(Total::SendWaiting(), 0);
        EXPECT_EQ(own.sum, 13);

        Draw(3);
        EXPECT_EQ(Rect(image).topLeft(), QPointF(poolCursor));
        if (pooled >= 0) {
            EXPECT_EQ(Rect(pooled), pooledAt);
        }
        if (parked >= 0) {
            EXPECT_TRUE(General::HandHasImage(parked));
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
