// The treasure boxes of a hand, from the award data the test plug-in gives
// through the main loop's settlement poll to the settlement: the boxes and
// their prompt, the countdown, the opening, the award count on the props
// timer, the box moving to its seat, and one settlement per hand, also when
// the plug-in is shut down on the way. Screenshots go to the test artifacts.
#include "PropTable.h"

#include "FakeHall.h"

#include "client/General.h"
#include "social/Talk.h"

#include <QImage>

#include <set>

using namespace mj;
namespace frames = mjtest::frames;

namespace {

const QString OwnPrompt = QStringLiteral("请选择一个宝箱打开");
const QString WaitPrompt = QStringLiteral("请等待其他玩家打开宝箱");

class TreasureBoxes : public ::testing::Test, public mjtest::PropTable {
protected:
    void SetUp() override { OpenPropTable(); }
    void TearDown() override { ClosePropTable(); }

    // The plug-in set up with box data (the test plug-in's places, this timing).
    void StartWithBoxes(const char* timing = "boxtiming 100 10\n")
    {
        InstallPlugin(tmp.path());
        Mod_Prop::PropObj.reset();
        Mod_Prop::Prop_GameDllState = 0;
        Script("baoinfo 1\n");
        Script(timing);
        ASSERT_TRUE(Mod_Prop::InitPropPlugin());
        ASSERT_EQ(Mod_Prop::Prop_GameDllState, 2);
    }

    // The hand ends; the next tick takes the award data of `score`.
    void EndHand(const char* score)
    {
        Script(score);
        EndHandAwaitingAwards();
        Mark();
        Tick();
    }

    // Runs the main loop and the props timer, as the table would, until the
    // hand is settled (or a minute has passed); the ticks it took.
    int RunToSettlement()
    {
        int ticks = 0;
        while (Mod_Prop::SettledHands == 0 && ticks < 1200) {
            if (w->TimerProp.Enabled())
                RunPropTimer(w->TimerProp.Interval());
            else
                Tick();
            ++ticks;
        }
        return ticks;
    }

    QRectF place(const Control& c) const { return QRectF(c.Left(), c.Top(), c.Width(), c.Height()); }

    QStringList history() const
    {
        QStringList lines;
        const ListBox& list = form<Talk>().Text1;
        for (int i = 0; i < list.ListCount(); ++i)
            lines << list.List(i);
        return lines;
    }
};

// The count shows 0, then a tenth more each tick (halves to even, a negative
// award 0 until the end) and the exact awards at the tenth tick, a second
// after the opening; then the box goes to its seat and the hand is settled.
TEST_F(TreasureBoxes, TheCountShowsTenthsThenTheExactAwards)
{
    StartWithBoxes();
    EndHand("score 1\n"
            "awardtext 0 0 甲\nbonuscoins 0 1000\nawardtext 1 0 宝箱一|宝箱二\n"
            "awardtext 0 1 乙\nbonuscoins 1 125\n"
            "awardtext 0 2 丙\nbonuscoins 2 -30\n");
    EXPECT_FALSE(Mod_Prop::ScoreInfoPending);
    for (int k = 0; k <= 14; ++k) {
        EXPECT_EQ(w->ImgProp(k).Visible(), k <= 4) << k;
        EXPECT_EQ(w->ImgProp(k).Enabled(), k <= 4) << k;
    }
    EXPECT_EQ(place(w->ImgProp(3)), QRectF(100 + 70 * 3, 200, 40, 30));
    const Label& label = w->LbProp;
    EXPECT_EQ(label.Caption(), OwnPrompt + "\r\n5");
    EXPECT_EQ(place(label), QRectF(400 - 126, 150, 252, 50));
    EXPECT_EQ(label.ForeColor(), 255);
    EXPECT_TRUE(Mod_Prop::BoxCountdownOn);

    Ticks(25);
    EXPECT_EQ(label.Caption(), OwnPrompt + "\r\n4");
    w->ImgProp_Click(2);
    EXPECT_EQ(Mod_Prop::ChosenBox[0], 2);
    EXPECT_FALSE(w->ImgProp(2).Visible());
    for (int k : {0, 1, 3, 4})
        EXPECT_FALSE(w->ImgProp(k).Visible()) << k;
    EXPECT_EQ(w->TimerProp.Interval(), 100);
    Ticks(20);
    EXPECT_FALSE(Mod_Prop::BoxCountdownOn) << "a click stops the countdown at its next second";
    w->ImgProp_Click(1); // a second click does nothing
    EXPECT_EQ(CallsOf({"ShowGif"}).size(), 1);

    // The amounts right-aligned in the four columns of the largest award.
    const auto line = [](const char* name, const QString& amount) -> QString {
        return QString::fromUtf8(name) + QString(4 - amount.size(), u' ') + amount + QStringLiteral("金币");
    };
    const double own[] = {0, 100, 200, 300, 400, 500, 600, 700, 800};
    const char* second[] = {"0", "12", "25", "38", "50", "62", "75", "88", "100"}; // 12.5 a tick
    const double opened = Clock::Monotonic();
    for (int k = 0; k < 9; ++k) {
        EXPECT_EQ(RunPropTimer(100), 100);
        EXPECT_EQ(label.Caption(), QStringList({line("甲", QString::number(own[k])), line("乙", QString::fromLatin1(second[k])),
                                               line("丙", QStringLiteral("0"))})
                                       .join("\r\n"))
            << "tick " << k + 1;
    }
    const QStringList final = {line("甲", QStringLiteral("1000")), QStringLiteral("宝箱一"), QStringLiteral("宝箱二"),
                               line("乙", QStringLiteral("125")), line("丙", QStringLiteral("-30"))};
    Mod_Prop::SettledHands = 0;
    // The system line as the pause after the final awards finds it (the
    // settlement writes its own lines afterwards).
    QString systemLine;
    Clock::SetSleepObserver([&](int64_t) {
        if (systemLine.isEmpty())
            systemLine = w->Sysmsg(0).List(0);
    });
    RunPropTimer(100);
    Clock::SetSleepObserver(nullptr);
    EXPECT_NEAR(Clock::Monotonic() - opened, 1.0 + 0.185 + 2.0, 0.02) << "ten ticks, the move, two pauses";
    EXPECT_EQ(label.Caption(), final.join("\r\n"));
    EXPECT_EQ(final[3], QStringLiteral("乙 125金币"));
    EXPECT_EQ(systemLine, final.join("\r\n")) << "the whole text, not cut";
    QStringList expectedHistory;
    for (const QString& l : final)
        expectedHistory << l + " ";
    EXPECT_EQ(history(), expectedHistory);
    EXPECT_EQ(Mod_Prop::SettledHands, 1);
    EXPECT_FALSE(label.Visible());
    EXPECT_TRUE(w->ImgProp(2).Visible());
    EXPECT_EQ(place(w->ImgProp(2)), QRectF(100, 600, 50, 40)) << "the opened box at the own seat";
    EXPECT_FALSE(w->TimerProp.Enabled());
    EXPECT_EQ(CallsOf({"ShowGif", "InitShowNext"}),
              QStringList({"ShowGif(1, True)", "ShowGif(1, False)", "InitShowNext(False)"}));

    // The next deal hides the boxes and tells the plug-in.
    Mark();
    mjtest::Dispatch(frames::WithHeader(1, custom[0].SeatMask ? custom[0].SeatMask : 1));
    EXPECT_FALSE(w->ImgProp(2).Visible());
    EXPECT_EQ(CallsOf({"InitShowNext"}), QStringList{"InitShowNext(True)"});
}

// Without the own side, sides 1 and 3 use boxes 0-4 and 5-9, nothing is
// clickable, their picked boxes (never a holder's fifth) open three seconds
// on, and each goes to its own seat.
TEST_F(TreasureBoxes, TheOtherSidesBoxesOpenByThemselves)
{
    StartWithBoxes("boxtiming 50 4\n");
    EndHand("score 1\nawardtext 0 1 乙\nbonuscoins 1 50\nawardtext 0 3 丁\nbonuscoins 3 70\n");
    for (int k = 0; k <= 14; ++k) {
        EXPECT_EQ(w->ImgProp(k).Visible(), k <= 9) << k;
        EXPECT_FALSE(w->ImgProp(k).Enabled()) << k;
    }
    const int16_t box1 = Mod_Prop::ChosenBox[1], box3 = Mod_Prop::ChosenBox[3];
    EXPECT_TRUE(box1 >= 0 && box1 <= 3) << box1;
    EXPECT_TRUE(box3 >= 5 && box3 <= 8) << box3;
    EXPECT_EQ(Mod_Prop::ChosenBox[0], -1);
    EXPECT_EQ(w->LbProp.Caption(), WaitPrompt + "\r\n5");
    EXPECT_EQ(w->LbProp.Width(), 308);
    w->ImgProp_Click(box1); // not clickable
    EXPECT_TRUE(CallsOf({"ShowGif"}).isEmpty());

    int ticks = 1; // the tick that showed the boxes
    while (CallsOf({"ShowGif"}).isEmpty() && ticks < 200) {
        Tick();
        ++ticks;
    }
    EXPECT_EQ(ticks, 60) << "three seconds";
    EXPECT_FALSE(w->ImgProp(box1).Visible());
    EXPECT_FALSE(w->ImgProp(box3).Visible());
    RunToSettlement();
    EXPECT_EQ(Mod_Prop::SettledHands, 1);
    EXPECT_EQ(place(w->ImgProp(box1)), QRectF(300, 600, 50, 40));
    EXPECT_EQ(place(w->ImgProp(box3)), QRectF(700, 600, 50, 40));
    EXPECT_TRUE(w->ImgProp(box1).Visible());
    EXPECT_TRUE(w->ImgProp(box3).Visible());
}

// Left alone, one of the first four own boxes opens after five seconds.
TEST_F(TreasureBoxes, WithoutAClickOneOfTheFirstFourOwnBoxesOpens)
{
    StartWithBoxes("boxtiming 50 4\n");
    EndHand("score 1\nawardtext 0 0 甲\nbonuscoins 0 10\n");
    int ticks = 1;
    while (CallsOf({"ShowGif"}).isEmpty() && ticks < 200) {
        Tick();
        ++ticks;
    }
    EXPECT_EQ(ticks, 100) << "five seconds";
    EXPECT_TRUE(Mod_Prop::ChosenBox[0] >= 0 && Mod_Prop::ChosenBox[0] <= 3) << Mod_Prop::ChosenBox[0];

    // The pick over many seeds: every one of 0 to 3, never 4.
    std::set<int16_t> picked;
    for (quint32 seed = 1; seed <= 400; ++seed) {
        Mod_Prop::PropRandom.seed(seed);
        picked.insert(Mod_Prop::RandomBox());
    }
    EXPECT_EQ(picked, (std::set<int16_t>{0, 1, 2, 3}));
}

// Every road from the end of a hand reaches exactly one settlement: no
// award, award data that never come, and the two award data on which the
// box display and the countdown once disagreed (own name without an amount;
// an own amount without a name while another side has one).
TEST_F(TreasureBoxes, EveryRoadEndsInOneSettlement)
{
    const struct {
        const char* name;
        const char* score;
        bool boxes;
        int16_t ownBox; // -1: the own side opens no box
    } cases[] = {
        {"no award", "score 1\n", false, -1},
        {"award data never given", "", false, -1},
        {"own name without an amount", "score 1\nawardtext 0 0 甲\n", true, 0},
        {"own amount without a name", "score 1\nbonuscoins 0 50\nawardtext 0 1 乙\nbonuscoins 1 5\n", true, -1},
    };
    StartWithBoxes("boxtiming 50 4\n");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Mod_Prop::SettledHands = 0;
        Mod_Prop::PropBoxesHidden = false;
        Mod_Prop::HidePropBoxes();
        form<Talk>().Text1.Clear();
        EndHand(c.score);
        EXPECT_EQ(Mod_Prop::BoxCountdownOn, c.boxes);
        if (c.boxes) {
            EXPECT_TRUE(w->LbProp.Caption().startsWith(c.ownBox >= 0 ? OwnPrompt : WaitPrompt));
        }
        RunToSettlement();
        EXPECT_EQ(Mod_Prop::SettledHands, 1);
        EXPECT_EQ(Mod_Prop::ChosenBox[0] >= 0, c.ownBox >= 0);
        EXPECT_EQ(CallsOf({"InitShowNext"}), QStringList{"InitShowNext(False)"});
        Ticks(200);
        RunPropTimer(5000);
        EXPECT_EQ(Mod_Prop::SettledHands, 1) << "settled once";
    }
}

// A frame that shuts the plug-in down while a box moves stops the opening
// at once and settles the hand without boxes; nothing of the road runs on.
TEST_F(TreasureBoxes, AShutDownDuringABoxMoveSettlesOnce)
{
    const struct {
        const char* name;
        std::function<bool()> when; // the moment the frame arrives
    } cases[] = {
        {"opening move", [] { return Mod_Prop::BoxOpening; }},
        {"move to the seat", [] { return !Mod_Prop::BoxAnimOn && Mod_Prop::BoxRoadOn && !Mod_Prop::BoxOpening; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        StartWithBoxes("boxtiming 50 4\n");
        Mod_Prop::SettledHands = 0;
        EndHand("score 1\nawardtext 0 0 甲\nbonuscoins 0 10\n");
        bool sent = false;
        Clock::SetIdleStep([&] {
            Clock::Advance(0.01);
            if (!sent && c.when()) {
                sent = true;
                mjtest::Dispatch(frames::UserInfo(0).Name("乙").PropsSwitch(1));
            }
        });
        w->ImgProp_Click(0);
        RunPropTimer(5000);
        Clock::SetIdleStep(nullptr);
        EXPECT_TRUE(sent);
        EXPECT_EQ(Mod_Prop::SettledHands, 1);
        EXPECT_EQ(Mod_Prop::Prop_GameDllState, -1);
        EXPECT_FALSE(Mod_Prop::BoxAnimOn);
        EXPECT_FALSE(w->TimerProp.Enabled());
        EXPECT_FALSE(w->LbProp.Visible());
        for (Image& box : w->ImgProp)
            EXPECT_FALSE(box.Visible()) << box.Index();
        EXPECT_TRUE(CallsOf({"InitShowNext"}).isEmpty()) << "nothing after the shut-down";
        Ticks(100);
        EXPECT_EQ(Mod_Prop::SettledHands, 1);
        Mod_Prop::ResetState();
        Mod_Prop::Prop_swicth = 1;
    }
}

// A label arriving during the count shows (the last writer wins) but the
// count keeps its pace and ends on time.
TEST_F(TreasureBoxes, ALabelDuringTheCountDoesNotChangeItsPace)
{
    StartWithBoxes();
    EndHand("score 1\nawardtext 0 0 甲\nbonuscoins 0 100\n");
    w->ImgProp_Click(1);
    RunPropTimer(300);
    Script("label 200,30,10,20 500,2,9,0,0 道具到了\n");
    Tick();
    EXPECT_EQ(w->LbProp.Caption(), QStringLiteral("道具到了"));
    EXPECT_EQ(w->TimerProp.Interval(), 100);
    Mod_Prop::SettledHands = 0;
    EXPECT_EQ(RunPropTimer(5000), 700);
    EXPECT_EQ(Mod_Prop::SettledHands, 1);
}

// A timed label during the box countdown covers it while its ticks last;
// when it goes, the countdown shows again where and as it showed.
TEST_F(TreasureBoxes, ATimedLabelDuringTheCountdownGivesItBack)
{
    StartWithBoxes();
    EndHand("score 1\nawardtext 0 0 甲\nbonuscoins 0 100\n");
    const Label& label = w->LbProp;
    const QRectF prompt = place(label);
    Script("label 200,30,10,20 200,2,9,0,0 道具到了\n");
    Tick();
    EXPECT_EQ(label.Caption(), QStringLiteral("道具到了"));
    EXPECT_EQ(RunPropTimer(1000), 400);
    EXPECT_TRUE(label.Visible());
    EXPECT_EQ(label.Caption(), OwnPrompt + "\r\n5");
    EXPECT_EQ(place(label), prompt);
    EXPECT_EQ(label.ForeColor(), 255);
    EXPECT_EQ(label.Alignment(), Label::vbCenter);
    Ticks(20);
    EXPECT_TRUE(label.Visible());
    EXPECT_EQ(label.Caption(), OwnPrompt + "\r\n4");
}

// A plug-in label during the box countdown, untimed or timed beyond the
// countdown's next second: the label shows in its own box and style, and
// the next second brings the countdown back in the countdown's box and
// style. The waiting prompt's later, shorter words keep the box it came with.
TEST_F(TreasureBoxes, ALabelDuringTheCountdownLeavesTheCountdownItsBox)
{
    const struct {
        const char* name;
        const char* label;
        const char* score;
        QString second; // the caption after the countdown's first second
        QRectF box;
    } cases[] = {
        {"untimed", "label 200,30,10,20 0,0,9,0,0 道具到了\n", "score 1\nawardtext 0 0 甲\nbonuscoins 0 100\n",
         OwnPrompt + "\r\n4", QRectF(274, 150, 252, 50)},
        {"timed for 5 s", "label 200,30,10,20 500,10,9,0,0 道具到了\n", "score 1\nawardtext 0 0 甲\nbonuscoins 0 100\n",
         OwnPrompt + "\r\n4", QRectF(274, 150, 252, 50)},
        {"untimed, waiting for the others", "label 200,30,10,20 0,0,9,0,0 道具到了\n",
         "score 1\nawardtext 0 1 乙\nbonuscoins 1 100\n", QStringLiteral("请等待玩家打开宝箱\r\n4"),
         QRectF(246, 150, 308, 50)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        StartWithBoxes();
        EndHand(c.score);
        const Label& label = w->LbProp;
        ASSERT_TRUE(Mod_Prop::BoxCountdownOn);
        EXPECT_EQ(place(label), c.box);
        Script(c.label);
        Tick();
        ASSERT_EQ(label.Caption(), QStringLiteral("道具到了"));
        EXPECT_EQ(place(label), QRectF(10, 20, 200, 30));
        Ticks(20);
        EXPECT_TRUE(label.Visible());
        EXPECT_EQ(label.Caption(), c.second);
        EXPECT_EQ(place(label), c.box);
        EXPECT_EQ(label.ForeColor(), 255);
        EXPECT_EQ(label.FontSize(), 15);
        EXPECT_EQ(label.Alignment(), Label::vbCenter);
        EXPECT_LT(RunToSettlement(), 1200);
        Mod_Prop::SettledHands = 0;
    }
}

class TreasureBoxScreens : public TreasureBoxes, public ::testing::WithParamInterface<bool> {
protected:
    // The shown table window looks for its hall.
    mjtest::FakeHall hall{QStringLiteral("道具测试大厅")};

    void SetUp() override { OpenPropTable(GetParam() ? QSize(800, 600) : QSize(1024, 768)); }

    void Shot(const char* what)
    {
        const QImage shot = w->Grab();
        const bool small = GetParam();
        EXPECT_EQ(shot.size(), small ? QSize(800, 600) : QSize(1024, 768));
        EXPECT_TRUE(shot.save(mjtest::ArtifactDir()
                              + QStringLiteral("/props-%1-%2.png").arg(what, small ? "800x600" : "1024x768")));
    }
};

TEST_P(TreasureBoxScreens, ALabelTheOwnBoxesAndTheCount)
{
    w->Show();
    StartWithBoxes();
    Script("label 360,60,330,100 0,0,20,16711680,2 获得道具：幸运星\n");
    Tick();
    Shot("label");
    EXPECT_EQ(w->LbProp.FontSize(), 20);

    EndHand("score 1\nawardtext 0 0 玩家一\nbonuscoins 0 1200\nawardtext 1 0 额外奖励：幸运星\n"
            "awardtext 0 2 玩家三\nbonuscoins 2 300\n");
    EXPECT_EQ(w->LbProp.FontSize(), 15) << "the prompt in the label's own font";
    Shot("boxes");
    w->ImgProp_Click(3);
    RunPropTimer(500);
    Shot("count");
    // The fifth count step: the amounts right-aligned under each other, the
    // lines centred in the label.
    EXPECT_EQ(w->LbProp.Caption(), QStringLiteral("玩家一 480金币\r\n玩家三 120金币"));
    EXPECT_EQ(w->LbProp.Alignment(), Label::vbCenter);
    EXPECT_TRUE(w->LbProp.Visible());
}

// An untimed label over the countdown, then the countdown's next second:
// the prompt shows again where and as the boxes brought it.
TEST_P(TreasureBoxScreens, TheCountdownAfterAnUntimedLabel)
{
    w->Show();
    StartWithBoxes();
    EndHand("score 1\nawardtext 0 0 玩家一\nbonuscoins 0 1200\n");
    const QRectF prompt = place(w->LbProp);
    Script("label 360,60,330,100 0,0,20,16711680,2 获得道具：幸运星\n");
    Tick();
    ASSERT_EQ(w->LbProp.FontSize(), 20);
    Ticks(20);
    Shot("countdown-after-label");
    EXPECT_EQ(w->LbProp.Caption(), OwnPrompt + "\r\n4");
    EXPECT_EQ(place(w->LbProp), prompt);
    EXPECT_EQ(w->LbProp.FontSize(), 15);
    EXPECT_EQ(w->LbProp.ForeColor(), 255);
}

INSTANTIATE_TEST_SUITE_P(Scales, TreasureBoxScreens, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "800" : "1024"; });

} // namespace
