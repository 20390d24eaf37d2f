#include "FakeHall.h"
#include "ServerProcess.h"
#include "TableSupport.h"
#include "TestSupport.h"

#include "client/Data.h"
#include "client/Image_Resource.h"
#include "client/MainForm.h"
#include "client/Mod_Proxy.h"
#include "client/SoftTimer.h"
#include "client/Total.h"
#include "client/frmExit.h"
#include "client/frmReconnect.h"
#include "platform/Clock.h"
#include "social/Mod_Prop.h"
#include "social/Talk.h"

#include <QCoreApplication>
#include <QTcpServer>

#include <algorithm>

#include <gtest/gtest.h>

using namespace mj;
using mjtest::PumpUntil;
using mjtest::ServerProcess;

namespace {

// A frame as the dispatcher saw it after a tick.
struct Seen {
    int16_t code;
    int16_t v0;
    int32_t body; // bytes 100-101, little-endian
    bool operator==(const Seen&) const = default;
};

// The table window on a driven clock, with the picture tables filled.
class MainLoop : public ::testing::Test {
protected:
    void SetUp() override
    {
        w = &mjtest::OpenTableWindow(QStringLiteral("main loop hall"));
    }

    // One tick of the main loop; the clock moves 50 ms first.
    void tick()
    {
        Clock::Advance(0.05);
        w->TimerBong_Timer();
    }

    void connectTo(const ServerProcess& server)
    {
        ASSERT_GT(server.Port(), 0);
        Total::BuildLoginFrame(QStringLiteral("player1"), QStringLiteral("pw"));
        DirectLink = true;
        w->Winsock1.SetRemoteHost(QStringLiteral("127.0.0.1"));
        w->Winsock1.SetRemotePort(server.Port());
        w->Winsock1.Connect();
        ConnectWatchOn = true;
        ConnectWatchTicks = 0;
    }

    // Ticks, handling socket events between ticks, until `count` frames have
    // been dispatched; checks that no tick dispatches more than one.
    std::vector<Seen> dispatch(size_t count, int maxTicks = 20000)
    {
        std::vector<Seen> seen;
        for (int i = 0; i < maxTicks && seen.size() < count; ++i) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            const int32_t before = Total::RecvReadPos;
            tick();
            const int32_t moved = (Total::RecvReadPos - before + RingSize) % RingSize;
            EXPECT_TRUE(moved == 0 || moved == FrameSize) << "tick " << i << " moved " << moved;
            if (moved == FrameSize)
                seen.push_back({info.Code, info.value[0], Msg[100] | (Msg[101] << 8)});
            if (moved == 0 && Total::RecvWaiting() < FrameSize && w->Winsock1.BytesAvailable() == 0)
                PumpUntil([&] { return w->Winsock1.BytesAvailable() > 0 || Total::RecvWaiting() >= FrameSize; }, 20);
        }
        return seen;
    }

    MainForm* w = nullptr;
    mjtest::FakeHall hall{QStringLiteral("main loop hall")};
};

std::vector<Seen> expectedFrames(int n)
{
    std::vector<Seen> v;
    for (int i = 0; i < n; ++i)
        v.push_back({5, static_cast<int16_t>(i & 0xFF), i});
    return v;
}

TEST_F(MainLoop, FramesSplitAnywhereComeOutWholeOneATick)
{
    struct Case {
        const char* name;
        const char* split;
        int frames;
    };
    const Case cases[] = {
        {"one byte at a time", "split 1,2,3,4,5,6,7,8,9,10,50,100,150,200,250,260,270,271 gap 2", 1},
        {"across frame boundaries", "split 1,100,271,273,400,544,545,700 gap 5", 3},
        {"one frame and one byte", "split 273 gap 20", 2},
        {"several frames in one chunk", "", 6},
        {"a burst that wraps the ring", "", 300},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ResetSharedState();
        Clock::UseDrivenClock(10 * 3600.0);
        ScaleX = ScaleY = 1.0f;
        Image_Resource::InitPictureIds();
        w->Winsock1.Close();
        const QString script = QStringLiteral("expect 18\n%1\nrepeat %2\nsend 5 1 {i} 0 0 0 @100 u16le:{i}\nendrepeat\nwait-close\n")
                                   .arg(QString::fromUtf8(c.split))
                                   .arg(c.frames);
        ServerProcess server(script);
        connectTo(server);
        const auto seen = dispatch(static_cast<size_t>(c.frames));
        EXPECT_EQ(seen, expectedFrames(c.frames));
        const QStringList sent = server.Received();
        ASSERT_GE(sent.size(), 1);
        EXPECT_TRUE(sent[0].startsWith(QStringLiteral("recv 18 0 0 0 0 256 ")));
        w->Winsock1.Close();
    }
}

// A burst larger than the receive ring, then the server closes: the frames
// still waiting in the socket when the close comes are all handled, in
// order; after a reconnection the new connection's frames follow them.
TEST_F(MainLoop, FramesThatArrivedBeforeTheServerClosedAreAllHandled)
{
    constexpr int Burst = 200; // more than the ring's 127 whole frames
    for (bool reconnect : {false, true}) {
        SCOPED_TRACE(reconnect ? "reconnected midway" : "no reconnection");
        ResetSharedState();
        HallTitle = QStringLiteral("main loop hall"); // the lost link looks for it
        Clock::UseDrivenClock(10 * 3600.0);
        ScaleX = ScaleY = 1.0f;
        Image_Resource::InitPictureIds();
        w->Winsock1.Close();
        ServerProcess server(QStringLiteral("connection 1\n"
                                            "expect 18\n"
                                            "repeat %1\n"
                                            "send 5 1 {i} 0 0 0 @100 u16le:{i}\n"
                                            "endrepeat\n"
                                            "close\n"
                                            "connection 2\n"
                                            "expect 28\n"
                                            "send 29 1 0 0 0 1\n"
                                            "send 5 1 0 0 0 0 @100 u16le:1000\n"
                                            "wait-close\n")
                                 .arg(Burst));
        connectTo(server);
        for (int t = 0; t < 40 && ConnectWatchOn; ++t) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            tick();
        }
        ASSERT_FALSE(ConnectWatchOn) << "the login frame never went out";
        // The whole burst and the close arrive before the next tick.
        ASSERT_TRUE(PumpUntil([&] { return w->Winsock1.State() != sckConnected; }));
        ASSERT_EQ(Total::RecvRoom(), 0) << "the burst did not fill the ring";

        // Two ticks a frame at most, and some for the reconnection.
        std::vector<Seen> seen = dispatch(reconnect ? 50 : Burst, 2 * Burst);
        if (reconnect) {
            General::RequestReconnect();
            ConnectWatchTicks = 0;
            const std::vector<Seen> rest = dispatch(Burst - 50 + 2, 2 * Burst + 100);
            seen.insert(seen.end(), rest.begin(), rest.end());
        }
        std::vector<Seen> expected = expectedFrames(Burst);
        if (reconnect) {
            expected.push_back({29, 0, 0});
            expected.push_back({5, 0, 1000});
        }
        EXPECT_EQ(seen.size(), expected.size());
        EXPECT_EQ(seen, expected);
        w->Winsock1.Close();
    }
}

TEST_F(MainLoop, TheTokenOfEveryFrameButTheReconnectAnswerIsStampedIntoRequests)
{
    ServerProcess server(QStringLiteral("expect 18\n"
                                        "send 5 1 0 0 0 0 token:ABCD\n"
                                        "send 29 1 0 0 0 1 token:EF01\n"
                                        "expect 24\n"
                                        "wait-close\n"));
    connectTo(server);
    ASSERT_EQ(dispatch(2).size(), 2u);
    EXPECT_EQ(Total::SessionToken[0], 0xAB);
    EXPECT_EQ(Total::SessionToken[1], 0xCD);
    custom[0].SeatMask = 4;
    w->TimerKeepAlive_Timer();
    tick();
    ASSERT_GE(server.WaitForLine(QStringLiteral("recv 24 ")), 0);
    const QString line = server.Received().last();
    const QString hex = line.section(u' ', 7);
    EXPECT_EQ(line.section(u' ', 2, 2), QStringLiteral("4"));
    EXPECT_EQ(hex.mid(260 * 2, 4).toUpper(), QStringLiteral("ABCD"));
}

TEST_F(MainLoop, ChatLinesAndPluginPayloadsFromTheServer)
{
    Players[0].Name = QStringLiteral("me");
    Players[0].Tag = QStringLiteral("VIP");
    custom[0].SeatMask = 1;
    ServerProcess server(QStringLiteral("expect 18\n"
                                        "send 19 2 0 0 0 0 gbk:\"[VIP]me，你好\"\n"
                                        "send 19 1 0 0 0 0 gbk:\"me说话\"\n"
                                        "send 19 8 0 0 0 0 gbk:\"不该显示\" @236 u32be:272\n"
                                        "send 19 4 0 0 0 0 gbk:\"第三行\"\n"
                                        "wait-close\n"));
    connectTo(server);
    ASSERT_EQ(dispatch(1).size(), 1u);
    EXPECT_EQ(info.Seat, 3); // mask 2 seen from mask 1 is the right side
    EXPECT_EQ(ChatFlash, 8);
    Talk& talk = form<Talk>();
    ASSERT_EQ(talk.Text1.ListCount(), 1);
    EXPECT_EQ(talk.Text1.List(0), QStringLiteral("你，你好 "));
    EXPECT_EQ(w->Sysmsg(0).List(0), QStringLiteral("你，你好"));

    ChatFlash = 0;
    ASSERT_EQ(dispatch(1).size(), 1u); // the own line: no flash
    EXPECT_EQ(ChatFlash, 0);
    EXPECT_EQ(talk.Text1.List(1), QStringLiteral("你说话 "));
    EXPECT_EQ(w->Sysmsg(1).List(0), QStringLiteral("你说话"));

    ASSERT_EQ(dispatch(2).size(), 2u); // the payload shows nothing
    EXPECT_EQ(talk.Text1.ListCount(), 3);
    EXPECT_EQ(w->Sysmsg(0).List(0), QStringLiteral("你说话"));
    EXPECT_EQ(w->Sysmsg(1).List(0), QStringLiteral("第三行"));
}

TEST_F(MainLoop, FramesQueuedWhileTheLinkIsDownWaitForIt)
{
    MsgHeader h;
    h.Code = MsgKeepAlive;
    Total::QueueMessage(h);
    tick();
    EXPECT_FALSE(SendOn); // not connected: the slot switches itself off
    EXPECT_EQ(Total::SendWaiting(), FrameSize);
}

// The turn clock counts whole seconds from the tick that sees it switched on.
TEST_F(MainLoop, TurnClockCountsDownAndActsOnTheNinthSecond)
{
    LoggedIn = true;
    TurnCountdown = 8;
    TurnSeconds = 8;
    TurnClockActs = true;
    TurnClockOn = true;
    custom[0].sum = 14;
    std::vector<std::pair<int16_t, int32_t>> shown;
    for (int t = 0; t < 20 * 9 + 5 && TurnClockOn; ++t) {
        const int16_t before = TurnCountdown;
        tick();
        if (TurnCountdown != before && TurnClockOn)
            shown.emplace_back(TurnCountdown, w->Number.ForeColor());
    }
    const std::vector<std::pair<int16_t, int32_t>> expected = {
        {7, 0xFF00}, {6, 0xFF00}, {5, 0xFF}, {4, 0xFF}, {3, 0xFF}, {2, 0xFF}, {1, 0xFF}, {0, 0xFF}};
    EXPECT_EQ(shown, expected);
    EXPECT_FALSE(TurnClockOn);
    EXPECT_EQ(DecisionState, 3);
    EXPECT_EQ(TurnCountdown, 8);
    EXPECT_EQ(TimeoutCount, 1);
    EXPECT_FALSE(w->Number.Visible());
}

// A countdown loaded while its slot runs, or after it was switched off and
// on again between two ticks, still gets a whole first second.
TEST_F(MainLoop, ALoadedCountdownCountsAWholeFirstSecond)
{
    const struct {
        const char* name;
        bool nextHand;      // slot 8 instead of slot 7
        bool offInBetween;  // switched off before it is loaded again
    } cases[] = {
        {"turn clock reloaded while on", false, false},
        {"turn clock off and on within a tick", false, true},
        {"next-hand countdown reloaded while on", true, false},
        {"next-hand countdown off and on within a tick", true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ResetSharedState();
        Clock::UseDrivenClock(10 * 3600.0);
        LoggedIn = true;
        TurnSeconds = 8;
        const auto start = [&](int16_t seconds) {
            if (c.nextHand)
                StartNextRoundCountdown(seconds);
            else
                StartTurnClock(seconds);
        };
        bool& on = c.nextHand ? NextRoundCountdownOn : TurnClockOn;
        start(8);
        for (int t = 0; t < 18; ++t) // 0.9 s: no second yet
            tick();
        ASSERT_EQ(TurnCountdown, 8);
        if (c.offInBetween)
            on = false;
        start(5); // a new offer, 0.1 s before the old second would end
        double loadedAt = Clock::Timer();
        int ticks = 0;
        while (TurnCountdown == 5 && ticks < 100) {
            tick();
            ++ticks;
        }
        EXPECT_EQ(TurnCountdown, 4);
        EXPECT_GE(Clock::Timer() - loadedAt, 1.0 - 1e-9);
        EXPECT_LT(Clock::Timer() - loadedAt, 1.05 + 1e-9);
    }
}

TEST_F(MainLoop, TurnClockWithoutActingOnlyHidesItself)
{
    LoggedIn = true;
    TurnCountdown = 1;
    TurnSeconds = 8;
    TurnClockOn = true;
    for (int t = 0; t < 60; ++t)
        tick();
    EXPECT_FALSE(TurnClockOn);
    EXPECT_EQ(DecisionState, 0);
    EXPECT_EQ(TimeoutCount, 0);
}

TEST_F(MainLoop, APlayerActingKeepsTheClockAtZero)
{
    LoggedIn = true;
    TurnCountdown = 0;
    TurnClockActs = true;
    DecisionState = 2;
    TurnClockOn = true;
    for (int t = 0; t < 60; ++t)
        tick();
    EXPECT_TRUE(TurnClockOn);
    EXPECT_EQ(DecisionState, 2);
}

TEST_F(MainLoop, ACountdownRunningAcrossMidnightCountsASecondAtOnce)
{
    Clock::UseDrivenClock(86400.0 - 0.3);
    LoggedIn = true;
    TurnCountdown = 5;
    NextRoundCountdownOn = true;
    tick(); // sees it on
    tick();
    EXPECT_EQ(TurnCountdown, 5);
    for (int t = 0; t < 6; ++t)
        tick(); // midnight passes in here
    EXPECT_EQ(TurnCountdown, 4);
}

TEST_F(MainLoop, TheNextHandCountdownEndsWithTheReadyMessage)
{
    LoggedIn = true;
    custom[0].SeatMask = 2;
    TurnCountdown = 2;
    NextRoundCountdownOn = true;
    SeatShuffleShown = SeatShuffleAllowed = true;
    AdPageUrl = QStringLiteral("http://127.0.0.1/ad.gamead");
    SeatShuffleTexts[0] = QStringLiteral("正在随机换座中..");
    for (int t = 0; t < 20 * 3 + 5; ++t)
        tick();
    EXPECT_FALSE(NextRoundCountdownOn);
    EXPECT_TRUE(TableResetDone);
    EXPECT_TRUE(ButtonUsed[2]);
    EXPECT_EQ(w->AnNiu(2).Picture().ResourceId(), 107); // the continue picture
    FrameBytes f;
    ASSERT_TRUE(Total::TakeQueuedFrame(f));
    EXPECT_EQ(f[3], MsgReady);
    EXPECT_EQ(f[6], 2);
    EXPECT_EQ(f[15], 1);
    EXPECT_TRUE(SeatShuffleRunning);
    EXPECT_EQ(custom[0].SeatMask, 0);
    EXPECT_EQ(w->LblShuffle.Caption(), QStringLiteral("正在随机换座中.."));
    EXPECT_EQ(w->WebBrowser2.LocationURL(), AdPageUrl);
    EXPECT_TRUE(w->TimerShuffle.Enabled());
}

TEST_F(MainLoop, TheWatchdogReturnsToTheHallAfterASilentServer)
{
    GameRunning = true;
    RecvOn = true;
    for (int t = 0; t < 2 * 4999; ++t)
        tick();
    EXPECT_EQ(ReceiveWatchdog, 4999);
    EXPECT_TRUE(w->Sysmsg(0).ListCount() == 0);
    tick();
    tick();
    EXPECT_EQ(ReceiveWatchdog, 0);
    EXPECT_EQ(w->WindowState(), 1); // back to the hall: minimised, the link closed
    EXPECT_FALSE(RecvOn);
    EXPECT_TRUE(hall.Log().contains(QStringLiteral("restore")));
}

TEST_F(MainLoop, WithTheHallGoneALostLinkEndsTheProgram)
{
    ConnectionMonitorOn = true;
    hall.Close();
    EXPECT_TRUE(mjtest::EndsProgram([&] { tick(); }));
}

TEST_F(MainLoop, ALostLinkStartsTheReconnectionOnlyWhenAllowed)
{
    ConnectionMonitorOn = true;
    LoggedIn = true;
    tick();
    EXPECT_TRUE(ConnectionMonitorOn); // the monitor only watches
    EXPECT_FALSE(isLoaded<frmReconnect>());
    ReconnectAllowed = true;
    tick();
    EXPECT_FALSE(ConnectionMonitorOn);
    EXPECT_FALSE(LoggedIn);
    EXPECT_TRUE(isLoaded<frmReconnect>());
    EXPECT_FALSE(form<frmReconnect>().Visible());
}

TEST_F(MainLoop, TheChatButtonFlashesFourTimesAndEndsOnItsNormalPicture)
{
    BlinkOn = true;
    ChatFlash = 8;
    QList<int> pictures;
    for (int t = 0; t < 8 * 10; ++t) {
        const int16_t before = ChatFlash;
        tick();
        if (BlinkTicks == 0 && (before > 0 || pictures.size() == 8))
            pictures.append(w->AnNiu(1).Picture().ResourceId());
    }
    ASSERT_GE(pictures.size(), 9);
    EXPECT_EQ(pictures.mid(0, 9), (QList<int>{103, 104, 103, 104, 103, 104, 103, 104, 103}));
}

TEST_F(MainLoop, TheLastDiscardBlinksThreeTimesThenStaysShown)
{
    ClaimedDiscardImage = 9;
    BlinkImage = 7;
    w->MJ_Image(7).SetVisible(false);
    w->MJ_Image(9).SetVisible(true);
    BlinkCount = 3;
    BlinkOn = true;
    QList<bool> states;
    for (int t = 0; t < 8 * 4; ++t) {
        tick();
        if (BlinkTicks == 0)
            states.append(w->MJ_Image(9).Visible());
    }
    EXPECT_TRUE(w->MJ_Image(7).Visible()); // the earlier blinked tile is shown again
    EXPECT_EQ(states, (QList<bool>{false, true, false, true}));
    EXPECT_EQ(BlinkCount, 0);
}

TEST_F(MainLoop, HeldPropsFramesAreKeptBackOnce)
{
    HoldPropFrameA = true;
    FrameBytes f;
    f[3] = 45;
    f[8] = 0x04;
    f[9] = 0x08; // 1032
    Total::QueueRawFrame(f);
    Total::QueueRawFrame(f);
    // Not connected: the first is still taken when the link is up; simulate
    // the slot's choice directly through a connected loopback server.
    ServerProcess server(QStringLiteral("expect 45\nwait-close\n"));
    connectTo(server);
    ConnectWatchOn = false;
    ASSERT_TRUE(PumpUntil([&] { return w->Winsock1.State() == sckConnected; }));
    SendOn = true;
    tick();
    EXPECT_FALSE(HoldPropFrameA);
    EXPECT_EQ(HeldPropFrameA[9], 0x08);
    tick();
    ASSERT_GE(server.WaitForLine(QStringLiteral("recv 45 ")), 0);
}

// The props plug-in, in-process: the test plug-in library answers from a script.
class MainLoopPlugin : public MainLoop {
protected:
    void SetUp() override
    {
        MainLoop::SetUp();
        plugin = mjtest::LoadTestPlugin();
        ASSERT_TRUE(plugin);
        Mod_Prop::PropPolling = true;
    }
    void TearDown() override { Mod_Prop::ResetState(); }

    mjtest::TestPlugin plugin;
};

TEST_F(MainLoopPlugin, EachItemIsFetchedOnceAndOnlyWholeFramesAreQueued)
{
    ASSERT_EQ(plugin.Load("frame 272 3=45 100=7\n"
                   "frame 100 3=46\n"
                   "command 9 ignored\n"),
              0);
    tick();
    EXPECT_EQ(Total::SendWaiting(), FrameSize); // only the whole frame was queued
    FrameBytes f;
    ASSERT_TRUE(Total::TakeQueuedFrame(f));
    EXPECT_EQ(f[3], 45);
    EXPECT_EQ(f[100], 7);
    EXPECT_EQ(plugin.Log().count(QStringLiteral("GetSendBuff(")), 3);
    tick();
    EXPECT_EQ(plugin.Log().count(QStringLiteral("GetSendBuff(")), 3); // each item once
}

// What each kind of item leaves behind: a label shown empties the label's
// text, rectangle and parameters, a short one is skipped and left as it came;
// a key press reaches the table (Esc opens the exit dialog); a number that is
// no side or does not fit, and an unknown kind, change nothing.
TEST_F(MainLoopPlugin, EachItemKindActsOnTheTableOrIsSkipped)
{
    const struct {
        const char* name;
        const char* script;
        QString textLeft;
        int rectLeft;
        int paramsLeft; // parameters that are not 0
        bool exitDialog;
    } cases[] = {
        {"whole label", "label 10,20,30,40 500,3,12,255,2 hello\n", {}, 0, 0, false},
        {"label with short parameters", "label 10,20,30,40 500,3,12 short\n", QStringLiteral("short"), 4, 3, false},
        {"label with a short rectangle", "label 10,20,30 500,3,12,255,2 short\n", QStringLiteral("short"), 3, 5, false},
        {"Esc key", "command 4 27\n", QStringLiteral("27"), 0, 0, true},
        {"key number that does not fit", "command 4 99999999\n", QStringLiteral("99999999"), 0, 0, false},
        {"avatar click for no side", "command 3 27\n", QStringLiteral("27"), 0, 0, false},
        {"unknown kind", "command 9 27\n", QStringLiteral("27"), 0, 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Mod_Prop::PropText.clear();
        Mod_Prop::PropRect.clear();
        Mod_Prop::PropParams = QVector<int32_t>(5, 0);
        const auto bankCalls = [&] { return plugin.Log().count(QStringLiteral("setbankstate(2)")); };
        const auto banksBefore = bankCalls();
        ASSERT_EQ(plugin.Load(c.script), 0);
        tick();
        EXPECT_EQ(Mod_Prop::PropText, c.textLeft);
        EXPECT_EQ(Mod_Prop::PropRect.size(), c.rectLeft);
        EXPECT_EQ(std::count_if(Mod_Prop::PropParams.begin(), Mod_Prop::PropParams.end(),
                                [](int32_t v) { return v != 0; }),
                  c.paramsLeft);
        EXPECT_EQ(isLoaded<frmExit>() && form<frmExit>().Visible(), c.exitDialog);
        // Esc at the table tells the plug-in to close its bank window.
        EXPECT_EQ(bankCalls() - banksBefore, c.exitDialog ? 1 : 0);
        unload<frmExit>();
    }
}

TEST_F(MainLoopPlugin, TheSettlementWaitsForTheAwardDataAtMostFiveSeconds)
{
    ASSERT_EQ(plugin.Load(""), 0); // GetScoreInfo answers 0 for ever
    Mod_Prop::ScoreInfoPending = true;
    Mod_Prop::PropMsg46Seen = true;
    for (int t = 0; t < 20 * 4; ++t)
        tick();
    EXPECT_TRUE(Mod_Prop::ScoreInfoPending); // asked again every tick
    EXPECT_GE(plugin.Log().count(QStringLiteral("GetScoreInfo(")), 80);
    for (int t = 0; t < 20 * 2; ++t)
        tick();
    EXPECT_FALSE(Mod_Prop::ScoreInfoPending);
    EXPECT_TRUE(plugin.Log().contains(QStringLiteral("InitShowNext(False)")));
}

TEST_F(MainLoopPlugin, AwardDataWithBoxesStartTheTreasureBoxes)
{
    ASSERT_EQ(plugin.Load("score 0\nscore 1\nbonuscoins 0 50\nawardtext 0 0 甲\n"), 0);
    Mod_Prop::Prop_GameDllState = 2;
    Mod_Prop::ScoreInfoPending = true;
    Mod_Prop::PropMsg46Seen = true;
    tick();
    EXPECT_TRUE(Mod_Prop::ScoreInfoPending);
    tick();
    EXPECT_FALSE(Mod_Prop::ScoreInfoPending);
    EXPECT_FALSE(Mod_Prop::PropMsg46Seen);
    EXPECT_EQ(Mod_Prop::BonusCoins[0], 50);
    EXPECT_FALSE(plugin.Log().contains(QStringLiteral("InitShowNext"))); // the boxes come first
}

TEST_F(MainLoopPlugin, TheBoxCountdownPromptsThePlayerAndStops)
{
    Mod_Prop::AwardTexts(1, 0) = QStringLiteral("奖");
    Mod_Prop::BoxCountdownOn = true;
    Mod_Prop::BoxCountdown = 5;
    for (int t = 0; t < 20; ++t)
        tick();
    EXPECT_EQ(w->LbProp.Caption(), QStringLiteral("请选择一个宝箱打开\r\n4"));
    for (int t = 0; t < 20 * 4; ++t)
        tick();
    EXPECT_FALSE(Mod_Prop::BoxCountdownOn);

    Mod_Prop::AwardTexts(1, 0).clear();
    Mod_Prop::BoxCountdownOn = true;
    Mod_Prop::BoxCountdown = 5;
    for (int t = 0; t < 20 * 3; ++t)
        tick();
    EXPECT_EQ(w->LbProp.Caption(), QStringLiteral("请等待玩家打开宝箱\r\n2"));
    EXPECT_FALSE(Mod_Prop::BoxCountdownOn);
}

} // namespace

namespace {

// The first connection and its login are watched: they end as a refused
// login does instead of waiting for ever.
TEST_F(MainLoop, AFirstConnectionThatIsNotUpIn20SecondsEndsAsARefusedLogin)
{
    StartFirstLoginWatch(); // the socket never connects
    for (int t = 0; t < 20 * 19; ++t)
        ASSERT_FALSE(mjtest::EndsProgram([&] { tick(); })) << t;
    bool ended = false;
    for (int t = 0; t < 40 && !ended; ++t)
        ended = mjtest::EndsProgram([&] { tick(); });
    EXPECT_TRUE(ended);
    ASSERT_TRUE(mjtest::PumpUntil([&] { return hall.Log().size() >= 2; }));
    EXPECT_EQ(hall.Log(), (QStringList{QStringLiteral("0x16"), QStringLiteral("restore")}));
}

TEST_F(MainLoop, ARefusedConnectionEndsAsARefusedLogin)
{
    quint16 closedPort = 0;
    {
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
        closedPort = probe.serverPort();
    }
    w->Winsock1.SetRemoteHost(QStringLiteral("127.0.0.1"));
    w->Winsock1.SetRemotePort(closedPort);
    w->Winsock1.Connect();
    StartFirstLoginWatch();
    ASSERT_TRUE(PumpUntil([&] { return w->Winsock1.State() == sckError; }));
    EXPECT_TRUE(mjtest::EndsProgram([&] { tick(); }));
}

TEST_F(MainLoop, ALoginWithoutAnAnswerIn30SecondsEndsAsARefusedLogin)
{
    ServerProcess server(QStringLiteral("expect 18\nwait-close timeout 60\n"));
    connectTo(server);
    StartFirstLoginWatch();
    ASSERT_TRUE(PumpUntil([&] { return w->Winsock1.State() == sckConnected; }));
    for (int t = 0; t < 8; ++t)
        tick(); // the connect watch sends the login frame
    ASSERT_TRUE(LoginPending);
    ASSERT_GE(server.WaitForLine(QStringLiteral("recv 18 ")), 0);
    Clock::Advance(29.5);
    EXPECT_FALSE(mjtest::EndsProgram([&] { tick(); }));
    Clock::Advance(1);
    EXPECT_TRUE(mjtest::EndsProgram([&] { tick(); }));
}

TEST_F(MainLoop, TheLoginAnswerEndsTheWatch)
{
    ServerProcess server(QStringLiteral("expect 18\nsend 18 0 0 8 0 1\nwait-close timeout 60\n"));
    connectTo(server);
    StartFirstLoginWatch();
    ASSERT_EQ(dispatch(1).size(), 1u);
    EXPECT_TRUE(LoggedIn);
    EXPECT_FALSE(FirstLoginWatchOn);
    Clock::Advance(60);
    EXPECT_FALSE(mjtest::EndsProgram([&] { tick(); }));
}

} // namespace
