// A claim offer (code 6): the claim buttons it lights, the decision it starts
// and the turn clock it runs.
#include "FrameBuilder.h"
#include "SeatedTable.h"

#include "client/SoftTimer.h"
#include "dispatch/Total.h"

using namespace mj;
using mjtest::SeatedTable;
namespace frames = mjtest::frames;

namespace {

constexpr int CodeClaimOffer = 6;

class ClaimOffer : public SeatedTable {
protected:
    void SetUp() override
    {
        SeatedTable::SetUp();
        Clock::SetIdleStep(nullptr);
        Clock::SetSleepObserver(nullptr);
        LoggedIn = true;
        TurnSeconds = 15;
        Before();
    }
    void TearDown() override
    {
        BossKey = false;
        SeatedTable::TearDown();
    }

    // The buttons grey, disabled and hidden, a decision under way, the clock off.
    void Before()
    {
        for (int i = 0; i <= 4; ++i) {
            Image& button = f->Operation(i);
            button.SetVisible(false);
            button.SetEnabled(false);
            Image_Resource::LoadGifResource(CInt(Image_Resource::ClaimButtonPicture[3 * i]), QStringLiteral("GIF"),
                                            button);
            ClaimButtonState[i] = 1;
        }
        DecisionState = 2;
        RequestSent = true;
        MayDiscard = false;
        OfferBits = 0x40;
        TurnClockOn = false;
        TurnClockActs = false;
        f->Time_Img.SetVisible(false);
        f->Number.SetVisible(false);
    }
    void Offer(uint8_t seat, uint16_t bits, uint8_t seconds = 10)
    {
        mjtest::Dispatch(frames::WithHeader(CodeClaimOffer, seat, bits).Byte(100, seconds));
    }
    int Picture(int button) const { return f->Operation(button).Picture().ResourceId(); }
    static int ButtonPicture(int entry) { return CInt(Image_Resource::ClaimButtonPicture[entry]); }
    // What Before() left, untouched.
    void expectNothingChanged();
};

TEST_P(ClaimOffer, LightsTheOfferedButtonsAndStartsAFreshDecision)
{
    const struct {
        const char* name;
        uint16_t bits;
        int16_t held; // own concealed tiles
        std::vector<int16_t> states;
        bool shown;   // buttons 1..4
        uint8_t offerBits;
        bool mayDiscard;
    } cases[] = {
        {"hu and pass", 0x81, 13, {0, 0, 0, 2, 2}, true, 0x40, false},
        {"two gangs", 0x30, 14, {0, 0, 2, 0, 0}, true, 0x30, true},
        {"added gang among others", 0x49, 11, {0, 2, 2, 0, 2}, true, 0x49, true},
        {"chi only", 0x04, 13, {2, 0, 0, 0, 0}, true, 0x40, false},
        {"peng with no tile held", 0x08, 0, {0, 2, 0, 0, 0}, false, 0x40, false},
        {"concealed gang with no tile held", 0x20, 0, {0, 0, 2, 0, 0}, true, 0x20, false},
        {"hu with two tiles held", 0x80, 2, {0, 0, 0, 2, 0}, true, 0x40, true},
        {"the unused bit alone", 0x02, 13, {0, 0, 0, 0, 0}, true, 0x40, false},
        {"only the low byte", 0x0108, 5, {0, 2, 0, 0, 0}, true, 0x40, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Before();
        custom[0].sum = c.held;
        Offer(ownMask(), c.bits);
        EXPECT_EQ(DecisionState, 0);
        EXPECT_FALSE(RequestSent);
        EXPECT_EQ(OfferBits, c.offerBits);
        EXPECT_EQ(MayDiscard, c.mayDiscard);
        for (int i = 0; i <= 4; ++i) {
            SCOPED_TRACE(i);
            const bool offered = c.states[static_cast<size_t>(i)] == 2;
            EXPECT_EQ(ClaimButtonState[i], c.states[static_cast<size_t>(i)]);
            EXPECT_EQ(f->Operation(i).Enabled(), offered);
            EXPECT_EQ(Picture(i), ButtonPicture(3 * i + (offered ? 1 : 0)));
            // The offer never shows the chi button.
            EXPECT_EQ(f->Operation(i).Visible(), i > 0 && c.shown);
        }
        EXPECT_TRUE(TurnClockOn && TurnClockActs);
    }
}

TEST_P(ClaimOffer, AnOfferForAnotherSeatOrToAnOnlookerChangesNothing)
{
    struct Case {
        const char* name;
        int side;
        bool watching;
    };
    for (const Case& c : {Case{"another seat", 2, false}, Case{"the watched seat", 0, true}}) {
        SCOPED_TRACE(c.name);
        Before();
        custom[0].sum = 14;
        WatchMode = c.watching;
        Offer(MaskOf(c.side), 0xFF);
        WatchMode = false;
        expectNothingChanged();
    }
}

void ClaimOffer::expectNothingChanged()
{
    EXPECT_EQ(DecisionState, 2);
    EXPECT_TRUE(RequestSent);
    EXPECT_FALSE(MayDiscard);
    EXPECT_EQ(OfferBits, 0x40);
    for (int i = 0; i <= 4; ++i) {
        EXPECT_EQ(ClaimButtonState[i], 1) << i;
        EXPECT_FALSE(f->Operation(i).Visible() || f->Operation(i).Enabled()) << i;
        EXPECT_EQ(Picture(i), ButtonPicture(3 * i)) << i;
    }
    EXPECT_FALSE(TurnClockOn || TurnClockActs || f->Time_Img.Visible() || f->Number.Visible());
}

TEST_P(ClaimOffer, TheTurnClockStartsBesideTheWealthPlate)
{
    const struct {
        uint8_t byte100;
        bool bossKey;
        int16_t seconds;
    } cases[] = {{0, false, 8}, {1, false, 8}, {2, false, 2}, {255, false, 255}, {30, true, 1}, {0, true, 1}};
    f->Imgwealth.Move(700 * S(), 500 * S());
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.byte100) << (c.bossKey ? " boss key" : ""));
        Before();
        BossKey = c.bossKey;
        Offer(ownMask(), OpPass, c.byte100);
        EXPECT_EQ(TurnCountdown, c.seconds);
        EXPECT_EQ(f->Number.Caption(), QString::number(c.seconds));
        EXPECT_EQ(f->Number.ForeColor(), 0xFF00);
        EXPECT_TRUE(f->Time_Img.Visible() && f->Number.Visible());
        EXPECT_NEAR(f->Time_Img.Left(), 700 * S(), 1e-3);
        EXPECT_NEAR(f->Time_Img.Top(), 700 * S(), 1e-3);
        EXPECT_NEAR(f->Number.Left(), 748 * S(), 1e-3);
        EXPECT_NEAR(f->Number.Top(), 705 * S(), 1e-3);
        const QStringList order = f->Pic1.DrawingOrder();
        // Brought to the front, the number over the frame.
        EXPECT_EQ(order.indexOf(QStringLiteral("Number")), order.indexOf(QStringLiteral("Time_Img")) + 1);
        EXPECT_GT(order.indexOf(QStringLiteral("Time_Img")), order.indexOf(QStringLiteral("Operation(4)")));
        EXPECT_TRUE(TurnClockOn);
        EXPECT_EQ(TurnClockTicks, 0);
    }
}

TEST_P(ClaimOffer, TheClockRunOutTimesTheDecisionOut)
{
    // A real hand: the time-out play discards from it.
    Deal(0, {0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19, 0x21, 0x22, 0x23});
    Draw(0, 0x24);
    Draw(0, 0x25);
    Offer(ownMask(), OpPass | OpHu, 3);
    const auto second = [&] {
        Clock::Advance(1.0);
        f->TimerBong_Timer();
    };
    for (const char* shown : {"2", "1", "0"}) {
        second();
        EXPECT_EQ(f->Number.Caption(), QString::fromLatin1(shown));
        EXPECT_EQ(DecisionState, 0);
        EXPECT_TRUE(f->Time_Img.Visible() && f->Number.Visible());
    }
    second();
    EXPECT_EQ(DecisionState, 3);
    EXPECT_FALSE(f->Time_Img.Visible() || f->Number.Visible());
    EXPECT_FALSE(TurnClockOn);
    EXPECT_EQ(TurnCountdown, TurnSeconds);

    // The next offer starts over.
    Offer(ownMask(), OpPass, 5);
    EXPECT_EQ(DecisionState, 0);
    EXPECT_TRUE(TurnClockOn && f->Time_Img.Visible());
}

MJ_SEATED_CASES(ClaimOffer);

} // namespace
