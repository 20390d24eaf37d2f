// The own turn played when the turn clock runs out, on the linked table: the
// clock is driven until it acts, and the server records what went out.
#include "PlayTable.h"

#include "controls/AI.h"

using namespace mj;
using mjtest::RequestFrame;

namespace {

constexpr uint16_t W(int code) { return static_cast<uint16_t>(0x2000 | code); }
constexpr uint16_t D(int code) { return static_cast<uint16_t>(0x4000 | code); }

class AutoPlay : public mjtest::PlayTable {
protected:
    void OnDiscard(std::vector<int16_t> hand, int16_t discard)
    {
        hand.resize(13, 0x17);
        OwnHand(hand);
        OtherDiscard(3, discard);
    }
    // Runs the main loop until the turn clock has acted.
    void RunOutTheClock()
    {
        for (int t = 0; t < 20 * 20 && DecisionState != 3; ++t) {
            mj::Clock::Advance(0.05);
            f->TimerBong_Timer();
        }
        ASSERT_EQ(DecisionState, 3);
    }
    std::vector<QByteArray> Expected(const std::vector<std::vector<uint16_t>>& frames)
    {
        std::vector<QByteArray> v;
        for (const auto& values : frames)
            v.push_back(RequestFrame(values[0], Own(), {values[1], values[2], values[3], values[4]}).toHex());
        return v;
    }
};

// In auto mode the order is hu, gang, peng, chi, pass; one reply per offer,
// and nothing is discarded after a claim.
TEST_P(AutoPlay, TheAutomaticPlayTakesTheFirstClaimItFavours)
{
    const std::vector<int16_t> gangHand = {0x25, 0x25, 0x25, 0x21, 0x22, 0x23, 0x44, 0x45, 0x46, 0x87, 0x88, 0x89, 0x81};
    const struct {
        const char* name;
        std::vector<int16_t> hand;
        int16_t discard;
        int bits;
        std::vector<uint16_t> frame; // code, then the four values
    } cases[] = {
        {"hu before everything", gangHand, 0x25, 0x9D, {7, 0x80, 0, 0, 0}},
        {"gang before peng and chi", gangHand, 0x25, 0x1D, {7, 0x10, W(0x25), W(0x25), W(0x25)}},
        {"peng before chi", {0x47, 0x47, 0x45, 0x81, 0x83, 0x11, 0x15}, 0x47, 0x0D, {7, 8, W(0x47), W(0x47), W(0x47)}},
        {"chi", {0x24, 0x26, 0x81, 0x83, 0x11, 0x15}, 0x25, 0x05, {7, 4, W(0x24), W(0x26), W(0x25)}},
        {"a peng gaining 150 or less is passed", {0x23, 0x23, 0x24, 0x25, 0x25, 0x28, 0x81, 0x82, 0x83}, 0x23, 0x09,
         {7, 1, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        NewHand();
        mj::AutoPlay = true;
        SeenTiles.Fill(0);
        OnDiscard(c.hand, c.discard);
        const int sum = custom[0].sum;
        Offer(c.bits, 2);
        RunOutTheClock();
        EXPECT_EQ(custom[0].sum, sum);
        for (int i = 0; i <= 4; ++i)
            EXPECT_FALSE(f->Operation(i).Visible());
        // The one reply, and nothing from a click or the next ticks.
        f->Operation_Click(4);
        EXPECT_EQ(Hex(SentOverTicks(40)), Expected({c.frame}));
    }
}

// On the own turn with nothing taken the automatic play passes the offer
// and discards the tile the evaluation chooses; a self-drawn hu discards
// nothing.
TEST_P(AutoPlay, OnTheOwnTurnItPassesThenDiscardsItsChoice)
{
    mj::AutoPlay = true;
    OwnHand({0x81, 0x82, 0x83, 0x44, 0x45, 0x46, 0x21, 0x24, 0x25, 0x26, 0x29, 0x11, 0x11, 0x11});
    Offer(0x01, 2);
    int one = -1;
    for (int i = custom[0].FirstConcealed; i < custom[0].FirstConcealed + 14; ++i)
        if (custom[0].Slots[i].Code == 0x21)
            one = custom[0].Slots[i].Image;
    RunOutTheClock();
    EXPECT_EQ(Hex(SentOverTicks(20)), Expected({{7, 1, 0, 0, 0}, {2, 0, 0, 0, D(0x21)}}));
    EXPECT_EQ(custom[0].sum, 13);
    EXPECT_EQ(ClaimedDiscardImage, one);
    EXPECT_EQ(DiscarderSide, 0);
    ExpectConsistent("after the automatic discard");

    NewHand();
    OwnHand({0x81, 0x82, 0x83, 0x44, 0x45, 0x46, 0x21, 0x22, 0x23, 0x24, 0x24, 0x11, 0x11, 0x11});
    Offer(0x81, 2);
    const QRectF lastTile = Rect(HandImage(13));
    RunOutTheClock();
    EXPECT_EQ(Hex(SentOverTicks(20)), Expected({{7, 0x80, 0, 0, 0}}));
    EXPECT_EQ(custom[0].sum, 14);
    EXPECT_EQ(Rect(HandImage(13)), lastTile); // no tile moved
}

// A gang the evaluation takes is made when the hand holds one of the offered
// kinds (an added gang also sets a red dragon or the wild tile aside); when
// the hand holds none the turn still goes on to the pass and the discard.
TEST_P(AutoPlay, AGangTheEvaluationTakesIsMadeOrTheTurnGoesOn)
{
    const std::vector<int16_t> hand = {0x81, 0x82, 0x83, 0x44, 0x45, 0x46, 0x21, 0x24, 0x25, 0x26, 0x11, 0x11, 0x11, 0x29};
    const std::vector<int16_t> reds = {0x81, 0x82, 0x83, 0x44, 0x45, 0x46, 0x24, 0x25, 0x26, 0x11, 0x11, 0x11, 0x15, 0x15};
    const std::vector<int16_t> wilds = {0x81, 0x82, 0x83, 0x44, 0x45, 0x46, 0x27, 0x27, 0x27, 0x27, 0x11, 0x11, 0x11, 0x29};
    const struct {
        const char* name;
        int16_t wild;
        int bits;
        std::vector<int16_t> hand;
        std::vector<std::vector<uint16_t>> frames;
    } cases[] = {
        {"a concealed gang the hand cannot make", -1, 0x21, hand, {{7, 1, 0, 0, 0}, {2, 0, 0, 0, D(0x21)}}},
        {"a red dragon set aside", 0x33, 0x41, reds, {{7, 0x40, 0, 0, W(0x15)}}},
        {"the wild tile set aside", 0x29, 0x41, hand, {{7, 0x40, 0, 0, W(0x29)}}},
        {"an added gang the hand cannot make", 0x33, 0x41, hand, {{7, 1, 0, 0, 0}, {2, 0, 0, 0, D(0x21)}}},
        // Four wild tiles could also be set aside: the concealed gang goes.
        {"four wild tiles", 0x27, 0x61, wilds, {{7, 0x20, W(0x27), W(0x27), W(0x27)}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        NewHand();
        mj::AutoPlay = true;
        OwnHand(c.hand);
        WildTile = c.wild;
        Offer(c.bits, 2);
        ASSERT_TRUE(AI::DecideGang());
        RunOutTheClock();
        EXPECT_EQ(Hex(SentOverTicks(20)), Expected(c.frames));
    }
}

// A hu on a discard brings the discard beside the hand; without a parked
// discard nothing moves and the hu still goes out.
TEST_P(AutoPlay, AHuOnADiscardWithOrWithoutTheParkedTile)
{
    for (bool parked : {true, false}) {
        SCOPED_TRACE(parked ? "parked" : "no parked discard");
        NewHand();
        mj::AutoPlay = true;
        OnDiscard({0x81, 0x82, 0x83, 0x44, 0x45, 0x46, 0x21, 0x22, 0x23, 0x24, 0x11, 0x11, 0x11}, 0x24);
        const int image = ClaimedDiscardImage;
        if (!parked)
            ClaimedDiscardImage = -1;
        Offer(0x81, 2);
        RunOutTheClock();
        EXPECT_EQ(Hex(Sent(1)), Expected({{7, 0x80, 0, 0, 0}}));
        if (parked) {
            const Image& tile = f->MJ_Image(image);
            EXPECT_EQ(tile.Top(), custom[0].HandY);
            EXPECT_EQ(tile.Left(), f->MJ_Image(HandImage(12)).Left() + 48);
            EXPECT_EQ(tile.Width(), 48);
            EXPECT_EQ(tile.Height(), 78);
        }
    }
}

// The plain time-out never claims: it passes and, on the own turn,
// discards exactly the tile in the last concealed slot.
TEST_P(AutoPlay, ThePlainTimeOutDiscardsTheLastSlot)
{
    mj::AutoPlay = false;
    OwnHand({0x81, 0x82, 0x83, 0x44, 0x45, 0x46, 0x21, 0x22, 0x23, 0x24, 0x24, 0x11, 0x11, 0x11});
    Offer(0x81, 2);
    const int last = custom[0].FirstConcealed + 13;
    const int16_t code = custom[0].Slots[last].Code;
    const int image = custom[0].Slots[last].Image;
    RunOutTheClock();
    EXPECT_EQ(Hex(Sent(2)), Expected({{7, 1, 0, 0, 0}, {2, 0, 0, 0, D(code)}}));
    EXPECT_EQ(custom[0].sum, 13);
    EXPECT_EQ(ClaimedDiscardImage, image);
    EXPECT_EQ(Rect(image).size(), QSizeF(CInt(36 * S()), CInt(50 * S())));
    // The own tile size stays at the pool's.
    EXPECT_EQ(TileW[0], CInt(36 * S()));
    EXPECT_EQ(TileH[0], CInt(50 * S()));
    EXPECT_FALSE(MayDiscard);
    ExpectConsistent("after the time-out discard");

    // On another seat's discard it only passes.
    NewHand();
    OnDiscard({0x47, 0x47, 0x81}, 0x47);
    Offer(0x09, 2);
    RunOutTheClock();
    EXPECT_EQ(Hex(Sent(1)), Expected({{7, 1, 0, 0, 0}}));
    EXPECT_EQ(custom[0].sum, 13);
}

// The server reports the own seat's discard while the own turn's offer is
// up (it played the turn itself, half a second into a 2-second offer): the
// turn is over, and nothing goes out for it, neither when the clock would
// have run out, in auto mode or not, nor from 过.
TEST_P(AutoPlay, AnOwnDiscardTheServerReportsEndsTheTurn)
{
    for (const bool autoMode : {false, true}) {
        SCOPED_TRACE(autoMode ? "auto mode" : "plain time-out");
        NewHand();
        mj::AutoPlay = autoMode;
        OwnHand({0x81, 0x82, 0x83, 0x44, 0x45, 0x46, 0x21, 0x24, 0x25, 0x26, 0x29, 0x11, 0x11, 0x11});
        Offer(0x01, 2);
        EXPECT_TRUE(SentOverTicks(10).isEmpty());
        mjtest::Dispatch(mjtest::frames::WithHeader(2, Own(), 0, 0, 0, 0x29).Token(0x1234));
        EXPECT_EQ(custom[0].sum, 13);
        f->Operation_Click(4);
        EXPECT_TRUE(SentOverTicks(20 * 4).isEmpty());
        EXPECT_FALSE(TurnClockOn);
        EXPECT_EQ(custom[0].sum, 13);
    }
}

// An onlooker's table never plays for the watched player.
TEST_P(AutoPlay, AnOnlookerNeverPlays)
{
    for (bool autoMode : {true, false}) {
        NewHand();
        mj::AutoPlay = autoMode;
        OwnHand({0x81, 0x82, 0x83, 0x44, 0x45, 0x46, 0x21, 0x22, 0x23, 0x24, 0x24, 0x11, 0x11, 0x11});
        // The offer as a seated table takes it (an onlooker's dispatcher
        // starts no clock): the automatic play itself must refuse.
        Offer(0x81, 2);
        WatchMode = true;
        RunOutTheClock();
        EXPECT_TRUE(SentOverTicks(5).isEmpty());
        EXPECT_EQ(custom[0].sum, 14);
    }
}

MJ_SEATED_CASES(AutoPlay);

} // namespace
