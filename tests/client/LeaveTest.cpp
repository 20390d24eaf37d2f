// Leaving the table: the hall's four messages to the table window, leaving
// the seat and the return to the hall. The hall is a fake one in this
// process; where a frame must be seen on the wire the game server is the
// scripted server on loopback.
#include "FakeHall.h"
#include "ServerProcess.h"
#include "TableSupport.h"
#include "TestSupport.h"

#include "client/Api.h"
#include "client/Data.h"
#include "client/MainForm.h"
#include "client/Mod_Proxy.h"
#include "client/SoftTimer.h"
#include "client/Total.h"
#include "client/frmReconnect.h"
#include "controls/Hero.h"
#include "controls/Score.h"
#include "platform/Application.h"
#include "platform/Clock.h"
#include "platform/HallLink.h"
#include "platform/Program.h"
#include "platform/Resources.h"
#include "social/Mod_Prop.h"
#include "social/Talk.h"
#include "social/rule.h"
#include "video/VideoState.h"
#include "video/frm_Remote1.h"
#include "video/frm_Remote2.h"
#include "video/frm_Remote3.h"

#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>

using namespace mj;
using mjtest::PumpUntil;
using mjtest::ServerProcess;

namespace {

const QString Title = QStringLiteral("离桌测试大厅");

// The leave-seat frame of a seat as the server prints it: zeros except the
// code (byte 3) and the seat mask (byte 6).
QString leaveFrameHex(uint8_t mask)
{
    QByteArray f(FrameSize, '\0');
    f[3] = 16;
    f[6] = static_cast<char>(mask);
    return QString::fromLatin1(f.toHex()).toUpper();
}

mj::Picture resourcePicture(int id)
{
    const auto bytes = Resources::Load(id, QStringLiteral("GIF"));
    return bytes ? mj::Picture::FromData(*bytes, id) : mj::Picture();
}

// A SOCKS5 proxy in this process: it grants the greeting and the CONNECT,
// then stands in for the game server and keeps what comes through it.
class TinySocksProxy {
public:
    TinySocksProxy()
    {
        server_.listen(QHostAddress::LocalHost);
        QObject::connect(&server_, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* s = server_.nextPendingConnection()) {
                client_ = s;
                stage_ = 0;
                buffer_.clear();
                QObject::connect(s, &QTcpSocket::readyRead, [this, s] { read(s); });
            }
        });
    }
    int Port() const { return server_.serverPort(); }
    const QByteArray& Through() const { return through_; }

private:
    void read(QTcpSocket* s)
    {
        if (s != client_)
            return;
        buffer_ += s->readAll();
        const auto byte = [&](int i) { return static_cast<uint8_t>(buffer_[i]); };
        if (stage_ == 0 && buffer_.size() >= 2 && buffer_.size() >= 2 + byte(1)) {
            buffer_.remove(0, 2 + byte(1));
            s->write(QByteArray("\x05\x00", 2)); // no authentication
            stage_ = 1;
        }
        if (stage_ == 1 && buffer_.size() >= 10) { // CONNECT to an IPv4 address
            buffer_.remove(0, 10);
            s->write(QByteArray("\x05\x00\x00\x01\x7f\x00\x00\x01\x0f\xa0", 10));
            stage_ = 2;
        }
        if (stage_ == 2) {
            through_ += buffer_;
            buffer_.clear();
        }
    }

    QTcpServer server_;
    QTcpSocket* client_ = nullptr;
    QByteArray buffer_, through_;
    int stage_ = 0;
};

// The table window as start-up leaves it, minus the connection, with the
// hall's messages going to its window procedure.
class Leave : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        SetProgramFolder(tmp.path());
        w = &mjtest::OpenTableWindow(Title);
        HallLink::SetHandler([this](int32_t msg, int32_t wParam, int32_t lParam) {
            handled.push_back(msg);
            maxDepth = std::max(maxDepth, ++depth);
            struct Done {
                Leave& t;
                ~Done()
                {
                    --t.depth;
                    ++t.finished;
                }
            } done{*this};
            return Api::WndProc(0, msg, wParam, lParam);
        });
        ASSERT_NE(Api::FindHallWindow(), 0);
        answers(); // the hall has taken the connection
    }

    // The hall posts a message; returns once the table window has handled it.
    void fromHall(int32_t msg)
    {
        const int before = finished;
        hall.Post(msg);
        ASSERT_TRUE(PumpUntil([&] { return finished > before; }));
    }

    // What the client posted to the hall since the last call.
    QStringList answers()
    {
        const QStringList log = hall.SettledLog();
        const QStringList out = log.mid(seen);
        seen = log.size();
        return out;
    }

    void connectTo(const ServerProcess& server)
    {
        ASSERT_GT(server.Port(), 0);
        GameServer.Host = QStringLiteral("127.0.0.1");
        GameServer.Port = server.Port();
        DirectLink = true;
        w->Winsock1.SetRemoteHost(GameServer.Host);
        w->Winsock1.SetRemotePort(GameServer.Port);
        w->Winsock1.Connect();
        ASSERT_TRUE(PumpUntil([&] { return w->Winsock1.State() == sckConnected; }));
    }

    // A table in the middle of a run: four players seated, results listed,
    // the history file written.
    void seatFourPlayers()
    {
        const char* names[] = {"me", "south", "west", "north"};
        for (int c = 0; c <= 3; ++c) {
            custom[c].Name = QString::fromUtf8(names[c]);
            custom[c].SeatMask = static_cast<uint8_t>(1 << c);
            Players[c].Name = custom[c].Name;
            Players[c].Face = QStringLiteral("m2");
            Players[c].Location = QStringLiteral("城");
            Players[c].Level = QStringLiteral("高手");
            Players[c].Sex = 1;
            Players[c].Coins = 1000 + c;
            Players[c].Wins = 5;
            Players[c].Account = QStringLiteral("acc%1").arg(c);
            Players[c].Tag = QStringLiteral("VIP");
            Players[c].VoicePack = QStringLiteral("pack");
            Players[c].UserId = 90000 + c;
            w->Nid(c).SetCaption(custom[c].Name);
            w->Cash(c).SetCaption(QStringLiteral("1000"));
            w->Tou(c).SetPicture(resourcePicture(130));
            w->OK(c).SetVisible(true);
            form<Hero>().ID(c).SetCaption(custom[c].Name);
            form<Hero>().Grade(c).AddItem(QStringLiteral("+8"));
            form<Hero>().sumScore(c).SetCaption(QStringLiteral("8"));
            form<Score>().State(c).AddItem(QStringLiteral("胡"));
            form<Score>().State(c + 4).AddItem(QStringLiteral("+8"));
        }
        form<Hero>().Num.AddItem(QStringLiteral("1"));
        form<Hero>().Show();
        form<Score>().Show();
        form<Talk>().Text1.AddItem(QStringLiteral("你好"));
        w->ShowSystemLine(QStringLiteral("第一行"));
        w->ShowSystemLine(QStringLiteral("第二行"));
        QFile history(tmp.filePath(QStringLiteral("info.qv")));
        ASSERT_TRUE(history.open(QIODevice::WriteOnly));
        history.write("hands");
        RoundNo = 4;
        FirstGame = false;
        TableResetDone = true;
        OthersSeated = 3;
        TimeoutCount = 2;
        w->lbwealth.SetCaption(QStringLiteral("10"));
        w->lbwealth.SetVisible(true);
        SeatWealthRates[2] = 5;
    }

    bool historyExists() const { return QFile::exists(tmp.filePath(QStringLiteral("info.qv"))); }

    QTemporaryDir tmp;
    MainForm* w = nullptr;
    mjtest::FakeHall hall{Title};
    qsizetype seen = 0;
    std::vector<int32_t> handled; // messages the window procedure was given
    int depth = 0, maxDepth = 0, finished = 0;
};

// ---- Questions and refusals --------------------------------------------------

TEST_F(Leave, TheQueryIsAnsweredByWhetherAHandRuns)
{
    const struct {
        bool running;
        const char* answer;
    } cases[] = {{true, "0x465"}, {false, "0x400"}};
    for (const auto& c : cases) {
        GameRunning = c.running;
        fromHall(HallMsgQueryRound);
        EXPECT_EQ(answers(), QStringList{QString::fromLatin1(c.answer)}) << c.running;
        EXPECT_EQ(GameRunning, c.running); // a question changes nothing
    }
}

TEST_F(Leave, ALeaveIsRefusedWhileALoginIsOutOrAHandRuns)
{
    const struct {
        bool loginPending, running;
        const char* answer;
    } cases[] = {
        {true, true, "0x466"}, // the pending login wins over the running hand
        {true, false, "0x466"},
        {false, true, "0x465"},
    };
    custom[1].Name = QStringLiteral("south");
    RoundNo = 3;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer);
        LoginPending = c.loginPending;
        GameRunning = c.running;
        fromHall(HallMsgLeaveTable);
        EXPECT_EQ(answers(), QStringList{QString::fromLatin1(c.answer)});
        // Still at the table.
        EXPECT_EQ(GameRunning, c.running);
        EXPECT_EQ(LoginPending, c.loginPending);
        EXPECT_EQ(RoundNo, 3);
        EXPECT_EQ(custom[1].Name, QStringLiteral("south"));
        EXPECT_NE(w->WindowState(), 1);
    }
}

// The hall posts and is gone before the table window handles the message.
TEST_F(Leave, WithTheHallGoneQuestionsAndPoliteLeavesAreIgnoredButAForcedLeaveLeaves)
{
    const struct {
        int32_t msg;
        bool leaves;
    } cases[] = {{HallMsgQueryRound, false}, {HallMsgLeaveTable, false}, {HallMsgForceLeave, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.msg);
        RoundNo = 3;
        custom[1].Name = QStringLiteral("south");
        mjtest::FakeHall leaving(QStringLiteral("短命大厅"));
        HallTitle = QStringLiteral("短命大厅");
        ASSERT_NE(Api::FindHallWindow(), 0);
        ASSERT_TRUE(PumpUntil([&] {
            leaving.Post(0x7001); // reaches the client once the hall has taken it up
            return std::find(handled.begin(), handled.end(), 0x7001) != handled.end();
        }));
        const int before = finished;
        leaving.Post(c.msg);
        leaving.Close();
        ASSERT_TRUE(PumpUntil([&] { return finished > before && handled.back() == c.msg; }));
        EXPECT_FALSE(ProgramEndedInEvent());
        EXPECT_EQ(RoundNo, c.leaves ? 0 : 3);
        EXPECT_EQ(custom[1].Name.isEmpty(), c.leaves);
        EXPECT_EQ(w->WindowState() == 1, c.leaves);
        handled.clear();
    }
}

// Messages the table window does not take leave everything as it was: no
// answer, no leave, no relogin. Each of the four it takes would change at
// least one of the things checked here.
TEST_F(Leave, OtherMessagesChangeNothing)
{
    ServerProcess server(QStringLiteral("wait-close\n"));
    connectTo(server);
    for (int32_t msg : {0x10, 0x112, 0x401, 0x464, 0x302, 0x17, 0x304, 0x466}) {
        SCOPED_TRACE(msg);
        GameRunning = false;
        RoundNo = 2;
        LoginPending = false;
        ButtonUsed[2] = true;
        Total::LoginFrame[3] = MsgReconnect;
        w->Time_Img.SetVisible(true);
        fromHall(msg);
        Api::WndProc(0, msg, 0, 0);
        EXPECT_TRUE(answers().isEmpty());
        EXPECT_EQ(RoundNo, 2);
        EXPECT_FALSE(LoginPending);
        EXPECT_TRUE(ButtonUsed[2]);
        EXPECT_EQ(Total::LoginFrame[3], MsgReconnect);
        EXPECT_TRUE(w->Time_Img.Visible());
        EXPECT_EQ(w->Winsock1.State(), sckConnected);
        EXPECT_NE(w->WindowState(), 1);
    }
    EXPECT_TRUE(server.Received().isEmpty());
}

// ---- Leaving ------------------------------------------------------------------

// Each way of leaving a connected table sends exactly one leave-seat frame,
// straight to the socket.
TEST_F(Leave, EveryLeaveOfAConnectedTableSendsOneLeaveFrame)
{
    const struct {
        const char* name;
        int32_t msg;
        bool running;
        uint8_t mask;
        QStringList answers;
    } cases[] = {
        {"between hands", HallMsgLeaveTable, false, 1, {QStringLiteral("0x400")}},
        {"between hands, seat 8", HallMsgLeaveTable, false, 8, {QStringLiteral("0x400")}},
        {"forced during a hand", HallMsgForceLeave, true, 4, {QStringLiteral("0x400")}},
        {"forced between hands", HallMsgForceLeave, false, 2, {QStringLiteral("0x400")}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ServerProcess server(QStringLiteral("expect 16\nwait-close\n"));
        connectTo(server);
        custom[0].SeatMask = c.mask;
        GameRunning = c.running;
        ConnectionMonitorOn = true;
        ConnectionMonitorTicks = 5;
        Total::SessionToken[0] = 0x12; // never stamped into this frame
        Total::SessionToken[1] = 0x34;
        fromHall(c.msg);
        EXPECT_EQ(answers(), c.answers);
        ASSERT_GE(server.WaitForLine(QStringLiteral("closed 1")), 0); // the return closed the link
        const QStringList frames = server.Received();
        ASSERT_EQ(frames.size(), 1);
        EXPECT_EQ(frames[0].section(u' ', 7).toUpper(), leaveFrameHex(c.mask));
        EXPECT_FALSE(ConnectionMonitorOn);
        EXPECT_EQ(ConnectionMonitorTicks, 0);
        EXPECT_FALSE(GameRunning);
        EXPECT_EQ(w->WindowState(), 1);
        EXPECT_EQ(w->Winsock1.State(), sckClosed);
        w->SetWindowState(0);
    }
}

TEST_F(Leave, ATableWithoutALinkIsLeftWithoutAFrame)
{
    for (int32_t msg : {HallMsgLeaveTable, HallMsgForceLeave}) {
        SCOPED_TRACE(msg);
        ServerProcess server(QStringLiteral("expect 24\nclose\n"));
        connectTo(server);
        QByteArray keepAlive(FrameSize, '\0');
        keepAlive[3] = MsgKeepAlive;
        w->Winsock1.SendData(keepAlive);
        // The server dropped the link: the socket is no longer connected.
        ASSERT_TRUE(PumpUntil([&] { return w->Winsock1.State() != sckConnected; }));
        RoundNo = 3;
        const double before = Clock::Monotonic();
        fromHall(msg);
        EXPECT_EQ(Clock::Monotonic() - before, 0.0); // no leave-seat wait either
        EXPECT_EQ(answers(), QStringList{QStringLiteral("0x400")});
        EXPECT_EQ(RoundNo, 0);
        ASSERT_GE(server.WaitForLine(QStringLiteral("closed 1")), 0);
        const QStringList frames = server.Received();
        ASSERT_EQ(frames.size(), 1); // the keep-alive, no leave-seat frame
        EXPECT_TRUE(frames[0].startsWith(QStringLiteral("recv 24 ")));
    }
}

// A second leave message that comes while the first is being handled (the
// leave waits handling events) is handled after it, not inside it.
TEST_F(Leave, ASecondLeaveWaitsForTheFirst)
{
    ServerProcess server(QStringLiteral("expect 16\nwait-close\n"));
    connectTo(server);
    custom[0].SeatMask = 2;
    GameRunning = true;
    bool posted = false, heldDuringWait = false;
    Clock::SetIdleStep([&] {
        if (!posted) {
            posted = true;
            hall.Post(HallMsgLeaveTable);
            heldDuringWait = PumpUntil([] { return HallLink::Pending() > 0; }, 5000);
        }
        Clock::Advance(0.01);
    });
    fromHall(HallMsgForceLeave);
    ASSERT_TRUE(posted);
    EXPECT_TRUE(heldDuringWait);
    ASSERT_TRUE(PumpUntil([&] { return finished == 2; }));
    EXPECT_EQ(maxDepth, 1);
    EXPECT_EQ(handled, (std::vector<int32_t>{HallMsgForceLeave, HallMsgLeaveTable}));
    // The second found the table already left: nothing more on the wire.
    EXPECT_EQ(answers(), (QStringList{QStringLiteral("0x400"), QStringLiteral("0x400")}));
    ASSERT_GE(server.WaitForLine(QStringLiteral("closed 1")), 0);
    EXPECT_EQ(server.Received().size(), 1);
}

TEST_F(Leave, LeavingStopsAReconnectionConnectedOrNot)
{
    const struct {
        const char* name;
        int32_t msg;
        bool connected;
    } cases[] = {
        {"polite, no link", HallMsgLeaveTable, false},
        {"forced, no link", HallMsgForceLeave, false},
        {"polite, linked", HallMsgLeaveTable, true},
        {"forced, linked", HallMsgForceLeave, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<ServerProcess> server;
        if (c.connected) {
            server = std::make_unique<ServerProcess>(QStringLiteral("wait-close\n"));
            connectTo(*server);
        }
        ReconnectAllowed = true;
        form<frmReconnect>();
        fromHall(c.msg);
        EXPECT_FALSE(isLoaded<frmReconnect>());
        EXPECT_FALSE(ReconnectAllowed);
    }
}

// ---- Relogin ------------------------------------------------------------------

// A reconnection attempt left the reconnect code in the login frame; the
// hall's relogin after a return to the hall sends a plain login on a new
// connection, and the new connection's frames are handled again.
TEST_F(Leave, AReloginAfterAReconnectAttemptSendsALoginOnANewConnection)
{
    for (bool leaveFirst : {true, false}) {
        SCOPED_TRACE(leaveFirst ? "after leaving" : "while still linked");
        ServerProcess server(QStringLiteral("connection 1\n"
                                            "wait-close\n"
                                            "connection 2\n"
                                            "expect 18\n"
                                            "send 3 2 0 0 0 0 text:\"east\" token:ABCD\n"
                                            "wait-close\n"));
        connectTo(server);
        ProxyType = 0;
        Total::BuildLoginFrame(QStringLiteral("player1"), QStringLiteral("pw"));
        Players[0].UserId = 77;
        Total::WriteReconnectFrame();
        ASSERT_EQ(Total::LoginFrame[3], MsgReconnect);
        if (leaveFirst) {
            fromHall(HallMsgForceLeave);
            ASSERT_TRUE(Total::ReceiveHeld);
        }
        fromHall(HallMsgRelogin);
        EXPECT_TRUE(LoginPending);
        EXPECT_TRUE(DirectLink);
        EXPECT_FALSE(Total::ReceiveHeld);
        EXPECT_TRUE(w->TimerBong.Enabled());
        // The main loop's connection watch sends the login frame on the new
        // connection.
        const int second = server.WaitForLine(QStringLiteral("connected 2"));
        ASSERT_GE(second, 0);
        const int login = server.WaitForLine(QStringLiteral("recv "), 15000, second);
        ASSERT_GE(login, 0);
        EXPECT_TRUE(server.Lines()[login].startsWith(QStringLiteral("recv 18 "))) << server.Lines()[login].toStdString();
        ASSERT_TRUE(PumpUntil([] { return SeatNames[1] == QStringLiteral("east"); }));
        EXPECT_EQ(Total::SessionToken[0], 0xAB);
        w->TimerBong.SetEnabled(false);
        w->Winsock1.Close();
        SeatNames[1].clear();
    }
}

// Through the proxy, the login frame goes out once the proxy's CONNECT
// succeeded; it too carries the login code.
TEST_F(Leave, AReloginThroughTheProxySendsALoginToo)
{
    TinySocksProxy proxy;
    ASSERT_GT(proxy.Port(), 0);
    ProxyType = 5;
    ProxyServer.Host = QStringLiteral("127.0.0.1");
    ProxyServer.Port = proxy.Port();
    GameServer.Host = QStringLiteral("127.0.0.1");
    GameServer.Port = 4000;
    Total::BuildLoginFrame(QStringLiteral("player1"), QStringLiteral("pw"));
    Total::WriteReconnectFrame();
    fromHall(HallMsgRelogin);
    EXPECT_FALSE(ConnectWatchOn);
    ASSERT_TRUE(PumpUntil([&] { return proxy.Through().size() >= FrameSize; }));
    EXPECT_EQ(proxy.Through().size(), FrameSize);
    EXPECT_EQ(proxy.Through()[3], char(MsgLogin));
    EXPECT_EQ(proxy.Through().mid(16, 8), QByteArray("player1\0", 8));
    w->TimerBong.SetEnabled(false);
    EXPECT_EQ(answers(), QStringList{QStringLiteral("0x303")}); // the proxy's CONNECT succeeded
    w->Winsock1.Close();
}

TEST_F(Leave, AReloginResetsTheToolbarOnEveryConnectionPath)
{
    const struct {
        int16_t proxyType;
        bool watchBefore, watchAfter;
    } cases[] = {{0, false, true}, {5, true, false}, {9, false, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.proxyType);
        ServerProcess server(QStringLiteral("wait-close\n"));
        TinySocksProxy proxy;
        ProxyType = c.proxyType;
        GameServer.Host = ProxyServer.Host = QStringLiteral("127.0.0.1");
        GameServer.Port = server.Port();
        ProxyServer.Port = proxy.Port();
        Total::LoginFrame[3] = MsgReconnect;
        ButtonUsed[2] = true;
        w->Time_Img.SetVisible(true);
        w->Number.SetVisible(true);
        w->TimerBong.SetEnabled(false);
        ConnectWatchOn = c.watchBefore;
        answers();
        fromHall(HallMsgRelogin);
        if (c.proxyType != 5) { // through the proxy the main loop starts with the handshake's success
            EXPECT_EQ(w->TimerBong.Enabled(), c.proxyType == 0);
        }
        w->TimerBong.SetEnabled(false); // the connection watch would post to the hall
        EXPECT_EQ(Total::LoginFrame[3], MsgLogin);
        EXPECT_TRUE(LoginPending);
        EXPECT_EQ(ConnectWatchOn, c.watchAfter);
        if (c.proxyType == 9) {
            EXPECT_EQ(w->Winsock1.State(), sckClosed); // no connection is attempted
            EXPECT_TRUE(answers().isEmpty());          // and no reply
        }
        EXPECT_FALSE(ButtonUsed[2]);
        EXPECT_EQ(w->AnNiu(2).Picture().ResourceId(), 105);
        EXPECT_FALSE(w->Time_Img.Visible());
        EXPECT_FALSE(w->Number.Visible());
        w->Winsock1.Close();
    }
}

// ---- Leaving the seat -----------------------------------------------------------

TEST_F(Leave, TheLeaveWaitIsLongerAfterAReconnection)
{
    const struct {
        bool reconnecting;
        double seconds;
    } cases[] = {{false, 0.4}, {true, 0.8}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.seconds);
        Reconnecting = c.reconnecting;
        const double before = Clock::Monotonic();
        Api::SendLeaveSeat();
        const double waited = Clock::Monotonic() - before;
        EXPECT_GE(waited, c.seconds);
        EXPECT_LT(waited, c.seconds + 0.05);
    }
}

TEST_F(Leave, LeavingTheSeatQuietsTheTable)
{
    SendOn = RecvOn = ConnectWatchOn = BlinkOn = ConnectionMonitorOn = true;
    TurnClockOn = NextRoundCountdownOn = PulseOn = BubbleHideOn = true;
    ConnectionMonitorTicks = 3;
    PulseTicks = 7;
    w->TimerKeepAlive.SetEnabled(true);
    w->TimerBong.SetInterval(65535); // enabled, but no tick comes during the test
    w->TimerBong.SetEnabled(true);
    w->TimerShuffle.SetEnabled(true);
    w->LblShuffle.SetVisible(true);
    w->ImgShuffle.SetVisible(true);
    w->WebBrowser2.SetVisible(true);
    SeatShuffleShown = SeatShuffleRunning = true;
    ReconnectAllowed = true;
    CameraOn = true;
    VideoTicks = 9;
    VideoPoll = true;
    VideoSteps.Fill(true);
    GameRunning = true;

    Api::SendLeaveSeat();

    EXPECT_FALSE(SendOn || RecvOn || ConnectWatchOn || BlinkOn || ConnectionMonitorOn);
    EXPECT_FALSE(TurnClockOn || NextRoundCountdownOn || PulseOn || BubbleHideOn);
    EXPECT_EQ(ConnectionMonitorTicks, 0);
    EXPECT_EQ(PulseTicks, 0);
    EXPECT_FALSE(w->TimerKeepAlive.Enabled());
    EXPECT_TRUE(w->TimerBong.Enabled()); // left running; its slots are all off
    EXPECT_FALSE(w->TimerShuffle.Enabled());
    EXPECT_FALSE(w->LblShuffle.Visible());
    EXPECT_FALSE(w->ImgShuffle.Visible());
    EXPECT_FALSE(w->WebBrowser2.Visible());
    EXPECT_FALSE(SeatShuffleShown || SeatShuffleRunning);
    EXPECT_FALSE(ReconnectAllowed);
    EXPECT_FALSE(CameraOn);
    EXPECT_EQ(VideoTicks, 0);
    EXPECT_FALSE(VideoPoll);
    for (int i = 1; i <= 4; ++i)
        EXPECT_FALSE(VideoSteps[i]);
    EXPECT_TRUE(GameRunning); // the callers decide what follows
    w->TimerBong.SetEnabled(false);
}

TEST_F(Leave, TheTableVideoIsTornDownOnlyWhenVideoIsOn)
{
    for (bool video : {true, false}) {
        SCOPED_TRACE(video ? "video on" : "video off");
        VideoEnabled = video;
        for (int i = 1; i <= 3; ++i) {
            custom[i].Name = QStringLiteral("seat%1").arg(i);
            PeerThrottle[i] = 2;
            PeerClosed[i] = PeerShown[i] = true;
            w->PicLocal(i).SetVisible(true);
            w->ImgShow(i).SetVisible(true);
            w->ImgKuang(i).SetVisible(true);
            w->vshow1(i).SetVisible(true);
        }
        custom[0].Name = QStringLiteral("me");
        form<frm_Remote1>().Show();
        form<frm_Remote2>();
        form<frm_Remote3>().Show();
        PeerFrame1 = PeerFrame2 = PeerFrame3 = QByteArray("jpeg");

        Api::SendLeaveSeat();

        EXPECT_EQ(custom[0].Name, QStringLiteral("me"));
        for (int i = 1; i <= 3; ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(custom[i].Name.isEmpty(), video);
            EXPECT_EQ(PeerThrottle[i], video ? 0 : 2);
            EXPECT_EQ(PeerShown[i], !video);
            EXPECT_EQ(PeerClosed[i], !video);
            EXPECT_EQ(w->PicLocal(i).Visible(), !video);
            EXPECT_EQ(w->ImgShow(i).Visible(), !video);
            EXPECT_EQ(w->ImgKuang(i).Visible(), !video);
            EXPECT_EQ(w->vshow1(i).Visible(), !video);
        }
        EXPECT_EQ(isLoaded<frm_Remote1>(), !video);
        EXPECT_EQ(isLoaded<frm_Remote2>(), !video);
        EXPECT_EQ(isLoaded<frm_Remote3>(), !video);
        EXPECT_EQ(PeerFrame1.isEmpty(), video);
        EXPECT_EQ(PeerFrame3.isEmpty(), video);
        unload<frm_Remote1>();
        unload<frm_Remote2>();
        unload<frm_Remote3>();
    }
}

// From the moment the seat is left, no server frame is handled: neither one
// that was already in the receive ring nor one that arrives during the
// wait; a new connection handles frames again.
TEST_F(Leave, NoServerFrameIsHandledAfterTheSeatIsLeft)
{
    ServerProcess server(QStringLiteral("send 3 2 0 0 0 0 text:\"early\" token:1111\n"
                                        "expect 16\n"
                                        "send 3 4 0 0 0 0 text:\"late\" token:2222\n"
                                        "close\n"));
    connectTo(server);
    ASSERT_TRUE(PumpUntil([] { return Total::RecvWaiting() >= FrameSize; }));
    custom[0].SeatMask = 1;
    Api::SendLeaveSeat();
    ASSERT_TRUE(PumpUntil([&] { return w->Winsock1.State() != sckConnected; }));
    RecvOn = true;
    for (int t = 0; t < 20; ++t) {
        Clock::Advance(0.05);
        w->TimerBong_Timer();
    }
    EXPECT_TRUE(SeatNames[1].isEmpty());
    EXPECT_TRUE(SeatNames[2].isEmpty());
    EXPECT_EQ(Total::SessionToken[0], 0);
    EXPECT_EQ(Total::RecvWaiting(), 0);

    General::ResetNetBuffers();
    EXPECT_FALSE(Total::ReceiveHeld);
}

// ---- The return to the hall -------------------------------------------------------

TEST_F(Leave, TheReturnToTheHallForgetsTheTableButNotWhoThePlayerIs)
{
    seatFourPlayers();
    ASSERT_TRUE(historyExists());
    ServerProcess server(QStringLiteral("wait-close\n"));
    connectTo(server);
    GameRunning = LoginPending = true;
    ButtonUsed[2] = false;
    ConnectionMonitorOn = true;
    w->TimerBong.SetInterval(65535);
    w->TimerBong.SetEnabled(true);
    w->TimerKeepAlive.SetEnabled(true);
    w->Speak(1).SetVisible(true);
    w->tsSpeak(2).SetVisible(true);
    w->Words.SetVisible(true);
    w->QV_Image.SetVisible(true);
    w->Imgwealth.SetVisible(true);
    form<rule>().Show();
    ReconnectAllowed = true;
    form<frmReconnect>();

    Api::ReturnToHall();

    EXPECT_EQ(w->Winsock1.State(), sckClosed);
    ASSERT_GE(server.WaitForLine(QStringLiteral("closed 1")), 0);
    EXPECT_FALSE(GameRunning || LoginPending || ConnectionMonitorOn);
    EXPECT_TRUE(ButtonUsed[2]);
    EXPECT_FALSE(w->TimerBong.Enabled());
    EXPECT_FALSE(w->TimerKeepAlive.Enabled());
    EXPECT_EQ(w->Sysmsg(0).ListCount() + w->Sysmsg(1).ListCount(), 0);
    // The own account name stays for the next login; the other seats go.
    EXPECT_EQ(custom[0].Name, QStringLiteral("me"));
    for (int c = 0; c <= 3; ++c) {
        SCOPED_TRACE(c);
        if (c > 0) {
            EXPECT_TRUE(custom[c].Name.isEmpty());
        }
        EXPECT_EQ(custom[c].SeatMask, 0);
        EXPECT_TRUE(w->Tou(c).Picture().IsNull());
        EXPECT_TRUE(w->Nid(c).Caption().isEmpty());
        EXPECT_TRUE(w->Cash(c).Caption().isEmpty());
        EXPECT_FALSE(w->OK(c).Visible());
        const PlayerInfo& p = Players[c];
        EXPECT_TRUE(p.Name.isEmpty() && p.Face.isEmpty() && p.Location.isEmpty() && p.Level.isEmpty());
        EXPECT_EQ(p.Sex, 0);
        EXPECT_EQ(p.Coins, 0);
        EXPECT_EQ(p.Wins, 0);
        EXPECT_EQ(p.UserId, 90000 + c);
        EXPECT_EQ(p.Account, QStringLiteral("acc%1").arg(c));
        EXPECT_EQ(p.Tag, QStringLiteral("VIP"));
        EXPECT_EQ(p.VoicePack, QStringLiteral("pack"));
        EXPECT_TRUE(form<Hero>().ID(c).Caption().isEmpty());
        EXPECT_EQ(form<Hero>().Grade(c).ListCount(), 0);
        EXPECT_TRUE(form<Hero>().sumScore(c).Caption().isEmpty());
        EXPECT_EQ(form<Score>().State(c).ListCount(), 0);
        EXPECT_EQ(form<Score>().State(c + 4).ListCount(), 0);
    }
    EXPECT_EQ(form<Hero>().Num.ListCount(), 0);
    EXPECT_FALSE(form<Hero>().Visible());
    EXPECT_FALSE(form<Score>().Visible());
    EXPECT_FALSE(form<rule>().Visible());
    EXPECT_EQ(form<Talk>().Text1.ListCount(), 0);
    EXPECT_FALSE(w->Speak(1).Visible() || w->tsSpeak(2).Visible() || w->Words.Visible());
    EXPECT_FALSE(w->QV_Image.Visible());
    EXPECT_EQ(OthersSeated, 0);
    EXPECT_EQ(TimeoutCount, 0);
    EXPECT_TRUE(FirstGame);
    EXPECT_FALSE(historyExists());
    EXPECT_FALSE(TableResetDone);
    EXPECT_EQ(RoundNo, 0);
    EXPECT_EQ(w->WindowState(), 1);
    EXPECT_EQ(w->lbwealth.Caption(), QStringLiteral("0"));
    EXPECT_FALSE(w->lbwealth.Visible());
    EXPECT_FALSE(w->Imgwealth.Visible());
    EXPECT_EQ(SeatWealthRates[2], 0);
    EXPECT_FALSE(isLoaded<frmReconnect>());
    EXPECT_FALSE(ReconnectAllowed);

    // A second return, with nothing left to forget, is harmless.
    EXPECT_EQ(mjtest::ErrorOf([] { Api::ReturnToHall(); }), 0);
}

TEST_F(Leave, TheReturnShutsThePropsPluginDown)
{
    const mjtest::TestPlugin plugin = mjtest::LoadTestPlugin();
    ASSERT_TRUE(plugin);
    Api::ReturnToHall();
    EXPECT_TRUE(plugin.Log().contains(QStringLiteral("InitExit(0)")));
    EXPECT_EQ(Mod_Prop::Prop_GameDllState, 0);
}

} // namespace
