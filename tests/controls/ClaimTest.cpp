// Answers to a claim offer on the linked table: the claim buttons, the chi
// and gang pickers and the right-button pass clicked for real, the claims as
// the server receives them and the meld slots they stage; the finders'
// options and where the pickers stand.
#include "FrameBuilder.h"
#include "PlayTable.h"

#include "controls/PlayerRequests.h"

using namespace mj;
using mjtest::Click;
using mjtest::RequestFrame;

namespace {

constexpr uint16_t W(int code) { return static_cast<uint16_t>(0x2000 | code); }

class Claims : public mjtest::PlayTable {
protected:
    // A 13-tile hand and another seat's discard on the table.
    void OnDiscard(std::vector<int16_t> hand, int16_t discard)
    {
        hand.resize(13, 0x17);
        OwnHand(hand);
        OtherDiscard(3, discard);
    }
    void ClickButton(int i) { Click(f->Operation(i).Widget()); }
    // The own melds staged by the sender: (state, code) of slots MeldEnd-2..MeldEnd.
    std::vector<std::pair<int16_t, int16_t>> Staged() const
    {
        std::vector<std::pair<int16_t, int16_t>> v;
        for (int i = custom[0].MeldEnd - 2; i <= custom[0].MeldEnd; ++i)
            v.emplace_back(custom[0].Slots[i].State, custom[0].Slots[i].Code);
        return v;
    }
    // The slots of the concealed run holding `code`.
    std::vector<int> SlotsOf(int16_t code) const
    {
        std::vector<int> v;
        for (int i = custom[0].FirstConcealed; i < custom[0].FirstConcealed + custom[0].sum; ++i)
            if (custom[0].Slots[i].Code == code)
                v.push_back(i);
        return v;
    }
    // After an answer: one reply per offer, whatever is clicked next.
    void ExpectNoSecondReply()
    {
        for (int i = 0; i <= 4; ++i)
            f->Operation_Click(static_cast<int16_t>(i));
        f->Operation(4).SetVisible(true);
        mjtest::SendMouse(f->Pic1.Widget(), QEvent::MouseButtonRelease, QPointF(5, 5), Qt::RightButton);
        EXPECT_TRUE(NothingQueued());
    }
};

TEST_P(Claims, TheSixClaimsGoOutAsTheServerExpectsThem)
{
    struct Case {
        const char* name;
        std::vector<int16_t> hand; // 13 tiles, or 14 for a self-drawn offer
        int16_t discard;           // 0: none (own turn)
        int bits;
        int button;
        std::vector<uint16_t> values;
    };
    const Case cases[] = {
        {"chi 4 6 on 5", {0x24, 0x26, 0x81, 0x82}, 0x25, 0x05, 0, {4, W(0x24), W(0x26), W(0x25)}},
        {"peng", {0x47, 0x47, 0x81}, 0x47, 0x09, 1, {8, W(0x47), W(0x47), W(0x47)}},
        {"gang on a discard", {0x83, 0x83, 0x83, 0x11}, 0x83, 0x11, 2, {0x10, W(0x83), W(0x83), W(0x83)}},
        {"concealed gang", {0x12, 0x12, 0x12, 0x12, 0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27, 0x28, 0x29, 0x13}, 0,
         0x21, 2, {0x20, W(0x12), W(0x12), W(0x12)}},
        {"hu on a discard", {0x21, 0x21}, 0x25, 0x81, 3, {0x80, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        NewHand();
        if (c.discard)
            OnDiscard(c.hand, c.discard);
        else
            OwnHand(c.hand);
        const int sum = custom[0].sum;
        Offer(c.bits);
        if (c.button == 0)
            f->Operation_Click(0); // the offer never shows the chi button
        else
            ClickButton(c.button);
        const QList<QByteArray> sent = Sent(1);
        ASSERT_EQ(sent.size(), 1);
        EXPECT_EQ(sent[0].toHex(), RequestFrame(7, Own(), c.values).toHex());
        EXPECT_EQ(custom[0].sum, sum); // the run stays until the confirmation
        EXPECT_EQ(DecisionState, 1);
        ExpectNoSecondReply();
    }
}

TEST_P(Claims, TheMeldSendersStageTheirMeldSlots)
{
    OnDiscard({0x24, 0x26, 0x47, 0x47, 0x83, 0x83, 0x83}, 0x25);
    const int me = custom[0].MeldEnd;
    const auto sortedRun = [&] {
        std::vector<TileSlot> run;
        for (int i = custom[0].FirstConcealed; i < custom[0].FirstConcealed + custom[0].sum; ++i)
            run.push_back(custom[0].Slots[i]);
        return run;
    };
    const std::vector<TileSlot> before = sortedRun();
    Operate::SendChi(static_cast<int16_t>(SlotsOf(0x24)[0]), static_cast<int16_t>(SlotsOf(0x26)[0]));
    EXPECT_EQ(Staged(), (std::vector<std::pair<int16_t, int16_t>>{{2, 0x24}, {2, 0x26}, {2, 0x25}}));
    EXPECT_EQ(custom[0].Slots[me].Image, ClaimedDiscardImage);
    EXPECT_EQ(sortedRun(), before);
    EXPECT_TRUE(RequestSent);
    Operate::SendPeng(0x147); // only the low byte counts
    EXPECT_EQ(Staged(), (std::vector<std::pair<int16_t, int16_t>>{{3, 0x47}, {3, 0x47}, {3, 0x47}}));
    Operate::SendExposedGang(static_cast<int16_t>(SlotsOf(0x83)[0]));
    EXPECT_EQ(Staged(), (std::vector<std::pair<int16_t, int16_t>>{{4, 0x83}, {4, 0x83}, {4, 0x83}}));
    Operate::SendAddedGang(static_cast<int16_t>(SlotsOf(0x24)[0]));
    EXPECT_EQ(custom[0].Slots[me - 2].State, SlotAddedGang);
    EXPECT_EQ(custom[0].Slots[me - 1].State, SlotExposedGang); // only one carrier slot
    EXPECT_EQ(custom[0].MeldEnd, me);
    EXPECT_EQ(sortedRun(), before);
    const QList<QByteArray> sent = Sent(4);
    ASSERT_EQ(sent.size(), 4);
    EXPECT_EQ(sent[1].toHex(), RequestFrame(7, Own(), {8, W(0x47), W(0x47), W(0x47)}).toHex());
    EXPECT_EQ(sent[2].toHex(), RequestFrame(7, Own(), {0x10, W(0x25), W(0x25), W(0x25)}).toHex());
    EXPECT_EQ(sent[3].toHex(), RequestFrame(7, Own(), {0x40, 0, 0, W(0x24)}).toHex());
}

// A peng the hand cannot make (no pair of the tile) stages nothing and
// answers the offer with the pass instead, once.
TEST_P(Claims, APengWithoutAPairPassesInstead)
{
    OnDiscard({0x47, 0x81, 0x82}, 0x47);
    Offer(0x09);
    const auto staged = Staged();
    audio->ClearLog();
    ClickButton(1);
    EXPECT_TRUE(Played().isEmpty()); // no peng voice for a pass
    const QList<QByteArray> sent = Sent(1);
    ASSERT_EQ(sent.size(), 1);
    EXPECT_EQ(sent[0].toHex(), RequestFrame(7, Own(), {1, 0, 0, 0}).toHex());
    EXPECT_EQ(Staged(), staged);
    Operate::SendPeng(0x47); // already answered: nothing more
    EXPECT_TRUE(NothingQueued());
}

TEST_P(Claims, TheAddedGangAndTheRedDragonFromThePicker)
{
    // A peng of 9 bamboo already laid (slots 1..3), the fourth in the hand,
    // and a red dragon: two candidates, so the picker shows both.
    std::vector<int16_t> hand = {0x29, 0x15, 0x81, 0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x41};
    OwnHand(hand);
    for (int i = 1; i <= 3; ++i)
        custom[0].Slots[i] = TileSlot{SlotPeng, 0x29, -1};
    custom[0].MeldEnd = 6;
    Draw(0, 0x15);
    Operate::SortHand(0, custom[0].sum);
    const std::vector<int> reds = SlotsOf(0x15);
    ASSERT_EQ(reds.size(), 2u);
    for (const bool red : {false, true}) {
        SCOPED_TRACE(red ? "the red dragon" : "the peng's fourth");
        Offer(0x41);
        ClickButton(2);
        EXPECT_TRUE(NothingQueued());
        EXPECT_EQ(GangChoices[0], SlotsOf(0x29)[0]);
        EXPECT_EQ(GangChoices[1], reds[0]);
        EXPECT_TRUE(f->Gang(0).Visible());
        EXPECT_TRUE(f->Gang(1).Visible());
        EXPECT_FALSE(f->Gang(2).Visible());
        audio->ClearLog();
        Click(f->Gang(red ? 1 : 0).Widget());
        const QList<QByteArray> sent = Sent(1);
        ASSERT_EQ(sent.size(), 1);
        EXPECT_EQ(sent[0].toHex(), RequestFrame(7, Own(), {0x40, 0, 0, W(red ? 0x15 : 0x29)}).toHex());
        EXPECT_EQ(Played().isEmpty(), red); // the red dragon without a voice line
    }
}

// The wild tile set aside is an added gang the finder knows: the only
// candidate goes out at once, even beside its twin in the sorted hand; beside
// another candidate (a peng's fourth tile) the finder offers both on the
// picker, and the wild tile chosen there is set aside too.
TEST_P(Claims, TheWildTileSetAsideIsAGangTheFinderOffers)
{
    OwnHand({0x27, 0x27, 0x81, 0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x41, 0x42, 0x43});
    WildTile = 0x27;
    Offer(0x41);
    ClickButton(2);
    const QList<QByteArray> sent = Sent(1);
    ASSERT_EQ(sent.size(), 1);
    EXPECT_EQ(sent[0].toHex(), RequestFrame(7, Own(), {0x40, 0, 0, W(0x27)}).toHex());
    for (int i = 0; i <= 4; ++i)
        EXPECT_FALSE(f->Gang(i).Visible()) << i;

    NewHand();
    OwnHand({0x27, 0x27, 0x29, 0x81, 0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x41});
    for (int i = 1; i <= 3; ++i)
        custom[0].Slots[i] = TileSlot{SlotPeng, 0x29, -1};
    custom[0].MeldEnd = 6;
    WildTile = 0x27;
    Offer(0x41);
    ClickButton(2);
    EXPECT_TRUE(NothingQueued());
    EXPECT_EQ(GangChoices[0], SlotsOf(0x29)[0]);
    EXPECT_EQ(GangChoices[1], SlotsOf(0x27)[0]);
    for (int i = 0; i <= 4; ++i)
        EXPECT_EQ(f->Gang(i).Visible(), i <= 1) << i;
    EXPECT_EQ(f->Gang(1).Picture().ResourceId(), Resource(General::TilePictureOf(4, 0x27)));
    Click(f->Gang(1).Widget());
    const QList<QByteArray> picked = Sent(1);
    ASSERT_EQ(picked.size(), 1);
    EXPECT_EQ(picked[0].toHex(), RequestFrame(7, Own(), {0x40, 0, 0, W(0x27)}).toHex());
}

// All four wild tiles in the hand, with the concealed gang and the added
// gang offered: the picker offers the concealed gang and the setting aside
// as two choices, each named by its claim's word, and each sends its own
// claim.
TEST_P(Claims, FourWildTilesOfferTheConcealedGangAndTheSettingAsideApart)
{
    const struct {
        int picker;
        std::vector<uint16_t> values;
    } cases[] = {
        {0, {0x20, W(0x27), W(0x27), W(0x27)}},
        {1, {0x40, 0, 0, W(0x27)}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.picker);
        NewHand();
        OwnHand({0x27, 0x27, 0x27, 0x27, 0x81, 0x82, 0x83, 0x84, 0x85, 0x86, 0x41, 0x42, 0x43, 0x11});
        WildTile = 0x27;
        Offer(0x61);
        ClickButton(2);
        EXPECT_TRUE(NothingQueued());
        for (int i = 0; i <= 4; ++i)
            EXPECT_EQ(f->Gang(i).Visible(), i <= 1) << i;
        EXPECT_EQ(f->Gang(0).ToolTipText(), QStringLiteral("暗杠"));
        EXPECT_EQ(f->Gang(1).ToolTipText(), QStringLiteral("琼蔚杠"));
        Click(f->Gang(c.picker).Widget());
        const QList<QByteArray> sent = Sent(1);
        ASSERT_EQ(sent.size(), 1);
        EXPECT_EQ(sent[0].toHex(), RequestFrame(7, Own(), c.values).toHex());
        EXPECT_EQ(Staged()[0], (std::pair<int16_t, int16_t>(c.picker == 0 ? SlotConcealedGang : SlotAddedGang, 0x27)));
        ExpectNoSecondReply();
    }
}

TEST_P(Claims, TheChiPickerRowsAndTheirChoice)
{
    mjtest::FitTableToScreen(*f, small() ? 800 : 1024, small() ? 600 : 768);
    OnDiscard({0x23, 0x24, 0x26, 0x27, 0x81, 0x82, 0x83, 0x41}, 0x25);
    Offer(0x05, 12);
    f->Operation_Click(0);
    EXPECT_TRUE(NothingQueued());
    const int16_t slot3 = static_cast<int16_t>(SlotsOf(0x23)[0]), slot4 = static_cast<int16_t>(SlotsOf(0x24)[0]),
                  slot6 = static_cast<int16_t>(SlotsOf(0x26)[0]), slot7 = static_cast<int16_t>(SlotsOf(0x27)[0]);
    const std::vector<int16_t> expected = {slot3, slot4, slot4, slot6, slot6, slot7};
    for (int i = 0; i <= 5; ++i) {
        SCOPED_TRACE(i);
        const Image& p = f->Chi(i);
        EXPECT_EQ(ChiChoices[i], expected[i]);
        EXPECT_TRUE(p.Visible());
        EXPECT_TRUE(p.Enabled());
        EXPECT_DOUBLE_EQ(p.Height(), CInt(78 * S()) * 0.8);
        EXPECT_DOUBLE_EQ(p.Width(), CInt(48 * S()) * 0.8);
        EXPECT_DOUBLE_EQ(p.Top(), f->Operation(0).Top() - (i / 2) * p.Height() * 0.8);
        EXPECT_DOUBLE_EQ(p.Left(), f->Operation(1).Left() + (i % 2) * p.Width());
        EXPECT_EQ(p.Picture().ResourceId(), Resource(General::TilePictureOf(4, custom[0].Slots[expected[i]].Code)));
    }
    for (int i = 1; i <= 4; ++i)
        EXPECT_FALSE(f->Operation(i).Visible());
    EXPECT_EQ(TurnCountdown, 5); // half the turn length
    EXPECT_TRUE(TurnClockOn);
    EXPECT_TRUE(f->Number.Visible());
    EXPECT_EQ(f->Number.Caption(), QStringLiteral("5"));
    if (ownMask() == 1) {
        EXPECT_TRUE(Shot(QStringLiteral("chi-picker")));
    }
    Click(f->Chi(3).Widget()); // the second option: 4 and 6
    const QList<QByteArray> sent = Sent(1);
    ASSERT_EQ(sent.size(), 1);
    EXPECT_EQ(sent[0].toHex(), RequestFrame(7, Own(), {4, W(0x24), W(0x26), W(0x25)}).toHex());
    EXPECT_EQ(ChiChoices[0], slot4);
    EXPECT_EQ(ChiChoices[1], slot6);
    for (int i = 0; i <= 5; ++i)
        EXPECT_FALSE(f->Chi(i).Visible());
    EXPECT_FALSE(TurnClockOn);
}

TEST_P(Claims, TheChiFinderSendsTheOnlyWayAtOnce)
{
    const struct {
        const char* name;
        std::vector<int16_t> hand;
        int16_t discard;
        std::vector<uint16_t> values; // empty: no way to chi, nothing sent
        int pairSlotOf;               // which copy of the first tile the pair uses (index among its slots)
    } cases[] = {
        {"a 1 with 2 and 3", {0x42, 0x43, 0x81}, 0x41, {4, W(0x42), W(0x43), W(0x41)}, 0},
        {"a 9 with 7 and 8", {0x87, 0x88, 0x21}, 0x89, {4, W(0x87), W(0x88), W(0x89)}, 0},
        {"two 4s and a 6 on a 5: the second 4", {0x24, 0x24, 0x26, 0x81}, 0x25, {4, W(0x24), W(0x26), W(0x25)}, 1},
        {"no tile of the suit", {0x81, 0x82, 0x11}, 0x25, {}, 0},
        {"no pair that fits", {0x21, 0x29, 0x81}, 0x25, {}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        NewHand();
        OnDiscard(c.hand, c.discard);
        Offer(0x05);
        f->Operation_Click(0);
        if (c.values.empty()) {
            EXPECT_TRUE(NothingQueued());
            for (int i = 0; i <= 5; ++i)
                EXPECT_FALSE(f->Chi(i).Visible());
            continue;
        }
        const QList<QByteArray> sent = Sent(1);
        ASSERT_EQ(sent.size(), 1);
        EXPECT_EQ(sent[0].toHex(), RequestFrame(7, Own(), c.values).toHex());
        EXPECT_EQ(ChiChoices[0], SlotsOf(static_cast<int16_t>(c.values[1] & 0xFF))[c.pairSlotOf]);
    }
}

TEST_P(Claims, TheGangPickerColumnAndTheClockRestart)
{
    mjtest::FitTableToScreen(*f, small() ? 800 : 1024, small() ? 600 : 768);
    OwnHand({0x12, 0x12, 0x12, 0x12, 0x84, 0x84, 0x84, 0x84, 0x21, 0x22, 0x23, 0x24, 0x25, 0x26});
    Offer(0x21, 10);
    mjtest::Hover(Tile(HandImage(9)));
    if (ownMask() == 1) {
        EXPECT_TRUE(Shot(QStringLiteral("claim-buttons-lifted-tile")));
    }
    ClickButton(2);
    EXPECT_TRUE(NothingQueued());
    const int16_t low = static_cast<int16_t>(SlotsOf(0x84)[0]), high = static_cast<int16_t>(SlotsOf(0x12)[0]);
    ASSERT_LT(low, high);
    EXPECT_EQ(GangChoices[0], low);
    EXPECT_EQ(GangChoices[1], high);
    for (int i = 0; i <= 1; ++i) {
        const Image& p = f->Gang(i);
        EXPECT_TRUE(p.Visible());
        EXPECT_DOUBLE_EQ(p.Left(), f->Operation(3).Left());
        EXPECT_DOUBLE_EQ(p.Top(), f->Operation(0).Top() - i * p.Height() * 0.8);
    }
    EXPECT_FALSE(f->Gang(2).Visible());
    EXPECT_TRUE(f->Operation(2).Visible()); // the grey 杠 stays beside the picker
    EXPECT_FALSE(f->Operation(2).Enabled());
    EXPECT_FALSE(f->Operation(3).Visible());
    EXPECT_EQ(TurnCountdown, 5);
    if (ownMask() == 1) {
        EXPECT_TRUE(Shot(QStringLiteral("gang-picker")));
    }
    Click(f->Gang(1).Widget());
    const QList<QByteArray> sent = Sent(1);
    ASSERT_EQ(sent.size(), 1);
    EXPECT_EQ(sent[0].toHex(), RequestFrame(7, Own(), {0x20, W(0x12), W(0x12), W(0x12)}).toHex());
    EXPECT_FALSE(f->Operation(2).Visible());
    EXPECT_FALSE(f->Gang(0).Visible());
    EXPECT_FALSE(TurnClockOn);
}

TEST_P(Claims, AGangWithNoCandidateRestartsTheClockAtHalfTheTurn)
{
    for (int16_t seconds : {10, 7, 1}) {
        SCOPED_TRACE(seconds);
        NewHand();
        TurnSeconds = seconds;
        OwnHand({0x12, 0x12, 0x12, 0x84, 0x84, 0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27, 0x28, 0x29});
        Offer(0x21);
        ClickButton(2);
        EXPECT_TRUE(NothingQueued());
        EXPECT_EQ(TurnCountdown, seconds / 2);
        EXPECT_TRUE(TurnClockOn);
        for (int i = 0; i <= 4; ++i)
            EXPECT_EQ(f->Operation(i).Visible(), i == 2) << i;
        for (int i = 0; i <= 4; ++i)
            EXPECT_FALSE(f->Gang(i).Visible());
    }
}

// 过 on the own discard turn sends nothing; the next discard press sends the
// pass, then the discard. On another seat's discard it passes at once.
TEST_P(Claims, ThePassButton)
{
    OwnHand({0x12, 0x12, 0x12, 0x12, 0x84, 0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27, 0x28, 0x29});
    Offer(0x21);
    ClickButton(4);
    EXPECT_TRUE(NothingQueued());
    EXPECT_TRUE(TurnClockOn);
    EXPECT_TRUE(MayDiscard);
    const int16_t code = custom[0].Slots[custom[0].FirstConcealed].Code;
    Click(Tile(HandImage(0)));
    QList<QByteArray> sent = Sent(2);
    ASSERT_EQ(sent.size(), 2);
    EXPECT_EQ(sent[0].toHex(), RequestFrame(7, Own(), {1, 0, 0, 0}).toHex());
    EXPECT_EQ(sent[1].toHex(), RequestFrame(2, Own(), {0, 0, 0, static_cast<uint16_t>(0x4000 | code)}).toHex());

    NewHand();
    OnDiscard({0x47, 0x47}, 0x47);
    Offer(0x09);
    ClickButton(4);
    sent = Sent(1);
    ASSERT_EQ(sent.size(), 1);
    EXPECT_EQ(sent[0].toHex(), RequestFrame(7, Own(), {1, 0, 0, 0}).toHex());
    EXPECT_FALSE(TurnClockOn);
    ExpectNoSecondReply();
}

// The right button released over the bare table passes at once, even on the
// own discard turn, where the clock keeps running for the discard.
TEST_P(Claims, TheRightButtonOverTheTablePasses)
{
    OwnHand({0x12, 0x12, 0x12, 0x12, 0x84, 0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27, 0x28, 0x29});
    Offer(0x21);
    Click(f->Pic1.Widget(), QPointF(5, 5), Qt::RightButton);
    const QList<QByteArray> sent = Sent(1);
    ASSERT_EQ(sent.size(), 1);
    EXPECT_EQ(sent[0].toHex(), RequestFrame(7, Own(), {1, 0, 0, 0}).toHex());
    EXPECT_TRUE(TurnClockOn);
    EXPECT_TRUE(MayDiscard);
    EXPECT_EQ(DecisionState, 1);
    for (int i = 0; i <= 4; ++i)
        EXPECT_FALSE(f->Operation(i).Visible());
}

// Every answer the player gives counts as activity: the time-out count that
// presses the boss key starts again.
TEST_P(Claims, EveryAnswerResetsTheTimeOutCount)
{
    const struct {
        const char* name;
        std::function<void()> answer;
    } cases[] = {
        {"the right button over the table",
         [&] {
             OwnHand({0x12, 0x84, 0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27, 0x28, 0x29, 0x41, 0x42, 0x43});
             Offer(0x01);
             TimeoutCount = 2;
             Click(f->Pic1.Widget(), QPointF(5, 5), Qt::RightButton);
         }},
        {"the right button on a wall tile",
         [&] {
             OwnHand({0x12, 0x84, 0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27, 0x28, 0x29, 0x41, 0x42, 0x43});
             Offer(0x01);
             TimeoutCount = 2;
             const int16_t wallTile = Operate::NearestWallPosition(Operate::WallEnd::Head);
             Click(Tile(wallTile), QPointF(2, 2), Qt::RightButton);
         }},
        {"the chi picker",
         [&] {
             OnDiscard({0x23, 0x24, 0x26, 0x27, 0x81, 0x82, 0x83, 0x41}, 0x25);
             Offer(0x05);
             ClickButton(0);
             TimeoutCount = 2;
             Click(f->Chi(2).Widget());
         }},
        {"the gang picker",
         [&] {
             OwnHand({0x12, 0x12, 0x12, 0x12, 0x84, 0x84, 0x84, 0x84, 0x21, 0x22, 0x23, 0x24, 0x25, 0x26});
             Offer(0x21);
             ClickButton(2);
             TimeoutCount = 2;
             Click(f->Gang(1).Widget());
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        NewHand();
        c.answer();
        EXPECT_EQ(SentOverTicks(0).size(), 1);
        EXPECT_EQ(TimeoutCount, 0);
    }
}

// A discard is allowed only during the offer that allowed it: once the
// server has played the seat's discard itself, or another offer has come, a
// press on a hand tile parks nothing and sends nothing.
TEST_P(Claims, ADiscardIsAllowedOnlyDuringTheOfferThatAllowedIt)
{
    const auto offer = [&](int bits) {
        mjtest::Dispatch(mjtest::frames::WithHeader(6, Own(), static_cast<uint16_t>(bits)).Byte(100, 10).Token(0x1234));
    };
    const auto pressChangesNothing = [&](const char* when) {
        SCOPED_TRACE(when);
        const int16_t sum = custom[0].sum;
        const int16_t image = HandImage(0);
        const QRectF at = Rect(image);
        Click(Tile(image));
        EXPECT_EQ(custom[0].sum, sum);
        EXPECT_EQ(Rect(image), at);
        EXPECT_TRUE(General::HandHasImage(image));
    };
    Deal(3, std::vector<int16_t>(12, 0x11));
    OwnHand({0x12, 0x84, 0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27, 0x28, 0x29, 0x41, 0x42, 0x43});
    offer(0x01); // the own turn
    ASSERT_TRUE(MayDiscard);
    Click(f->Pic1.Widget(), QPointF(5, 5), Qt::RightButton); // the pass; the discard still due
    ASSERT_TRUE(MayDiscard);
    // The server plays the seat's discard itself.
    const int16_t last = custom[0].Slots[custom[0].FirstConcealed + 13].Code;
    mjtest::Dispatch(mjtest::frames::WithHeader(2, Own(), 0, 0, 0, static_cast<uint16_t>(last)).Token(0x1234));
    EXPECT_FALSE(MayDiscard);
    pressChangesNothing("after the server's discard for the seat");

    // A permission left over from another turn does not survive the next
    // offer, one on another seat's discard.
    MayDiscard = true;
    mjtest::Dispatch(mjtest::frames::WithHeader(5, MaskOf(3), 0, 0, 0, 0x11).Token(0x1234));
    offer(0x01);
    EXPECT_FALSE(MayDiscard);
    pressChangesNothing("during an offer on another seat's turn");
    EXPECT_EQ(Hex(SentOverTicks(5)), std::vector<QByteArray>{RequestFrame(7, Own(), {1, 0, 0, 0}).toHex()});
}

// Link down, timed out, an onlooker: no button, picker or right-button pass
// does anything.
TEST_P(Claims, AnswersThatMustChangeNothing)
{
    const struct {
        const char* name;
        std::function<void()> stage;
    } cases[] = {
        {"link down", [] { LoggedIn = false; }},
        {"timed out", [] { DecisionState = 3; }},
        {"watch mode", [] { WatchMode = true; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        NewHand();
        LoggedIn = true;
        WatchMode = false;
        OnDiscard({0x47, 0x47, 0x24, 0x26}, 0x47);
        Offer(0x09);
        ChiChoices[0] = static_cast<int16_t>(SlotsOf(0x24)[0]);
        ChiChoices[1] = static_cast<int16_t>(SlotsOf(0x26)[0]);
        GangChoices[0] = static_cast<int16_t>(SlotsOf(0x47)[0]);
        OfferBits = 0x40;
        c.stage();
        const int16_t state = DecisionState;
        ClickButton(1);
        ClickButton(4);
        f->Chi_Click(0);
        f->Gang_Click(0);
        mjtest::SendMouse(f->Pic1.Widget(), QEvent::MouseButtonRelease, QPointF(5, 5), Qt::RightButton);
        EXPECT_TRUE(NothingQueued());
        EXPECT_EQ(DecisionState, state);
    }
    // Buttons that were not offered take no click.
    NewHand();
    OnDiscard({0x47, 0x47}, 0x47);
    Offer(0x08);
    f->Operation(4).SetVisible(false);
    ClickButton(4);
    f->Operation_Click(0);
    f->Operation_Click(3);
    EXPECT_TRUE(NothingQueued());
    EXPECT_EQ(DecisionState, 0);
}

// After a member left every seat mask is 0 until the seats are named
// again: requests built meanwhile carry seat 0.
TEST_P(Claims, RequestsAfterAMemberLeftCarrySeatZero)
{
    OnDiscard({0x47, 0x47}, 0x47);
    Offer(0x09);
    for (int side = 0; side <= 3; ++side)
        custom[side].SeatMask = 0;
    ClickButton(1);
    const QList<QByteArray> sent = Sent(1);
    ASSERT_EQ(sent.size(), 1);
    EXPECT_EQ(sent[0].toHex(), RequestFrame(7, 0, {8, W(0x47), W(0x47), W(0x47)}).toHex());
}

MJ_SEATED_CASES(Claims);

} // namespace
