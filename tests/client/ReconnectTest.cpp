// Reconnection on the direct path: the reconnect frame, the form's tries and
// their limit, and a link that drops in the middle of a frame. The game
// server is the scripted server; the hall is a fake one in this process.
// (Reconnection through a proxy is with the proxy's tests.)
#include "FakeHall.h"
#include "ServerProcess.h"
#include "TableSupport.h"
#include "TestSupport.h"

#include "client/Data.h"
#include "client/MainForm.h"
#include "client/Mod_Proxy.h"
#include "client/SoftTimer.h"
#include "client/Total.h"
#include "client/frmReconnect.h"
#include "platform/Application.h"
#include "platform/Clock.h"
#include "platform/Program.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <climits>
#include <vector>

using namespace mj;
using mjtest::FreePort;
using mjtest::LoadReconnectForm;
using mjtest::MessageBoxes;
using mjtest::PumpUntil;
using mjtest::ServerProcess;

namespace {

const QString Title = QStringLiteral("重连测试大厅");

struct Seen {
    int16_t code, v0, v1;
    bool operator==(const Seen&) const = default;
};

void PrintTo(const Seen& s, std::ostream* os)
{
    *os << "{" << s.code << "," << s.v0 << "," << s.v1 << "}";
}

QByteArray FrameOf(const QString& recvLine)
{
    return QByteArray::fromHex(recvLine.section(u' ', 7).toLatin1());
}

// A 272-byte frame with code `code` (byte 3).
QByteArray Frame(int code)
{
    QByteArray f(FrameSize, '\0');
    f[3] = static_cast<char>(code);
    return f;
}

// The table window on a driven clock, connected directly to the game server
// at 127.0.0.1; the main loop runs only when a test ticks it, and the
// reconnection form's timers only when a test fires them.
class Reconnection : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        SetProgramFolder(tmp.path());
        w = &mjtest::OpenTableWindow(Title);
        mjtest::LeaveTimersToTest(*w);
        ProxyType = 0;
        DirectLink = true;
        Total::BuildLoginFrame(QStringLiteral("player1"), QStringLiteral("secret"));
        w->Winsock1.SetRemoteHost(QStringLiteral("127.0.0.1"));
    }
    void TearDown() override { w->Winsock1.Close(); }

    // One tick of the main loop, keeping the frame it dispatched.
    void tick()
    {
        const int32_t before = Total::RecvReadPos;
        Clock::Advance(0.05);
        w->TimerBong_Timer();
        if (Total::RecvReadPos != before)
            seen.push_back({info.Code, info.value[0], info.value[1]});
    }

    // Ticks until `count` frames were dispatched in all, waiting for their bytes.
    void dispatchUntil(size_t count)
    {
        while (seen.size() < count) {
            if (!PumpUntil([] { return Total::RecvWaiting() >= FrameSize; }))
                return;
            tick();
        }
    }

    // The connection watch sends the login frame (or the reconnect frame)
    // once the socket is up.
    void connectAndSend()
    {
        ASSERT_TRUE(PumpUntil([&] { return w->Winsock1.State() == sckConnected; }));
        for (int t = 0; t < 4; ++t)
            tick();
        ASSERT_FALSE(ConnectWatchOn);
    }

    QTemporaryDir tmp;
    MainForm* w = nullptr;
    mjtest::FakeHall hall{Title};
    std::vector<Seen> seen;
};

// The reconnect frame is the login frame with code 28, the current session
// token and the own user id, little-endian, byte for byte.
TEST_F(Reconnection, TheReconnectFrameIsTheLoginFrameWithTokenAndUserId)
{
    const struct {
        int32_t id;
        const char* bytes;
    } cases[] = {
        {0x12345678, "78563412"},  {0x000000FF, "FF000000"}, {0x0000FF80, "80FF0000"},
        {0x7F80FF81, "81FF807F"},  {-1, "FFFFFFFF"},         {INT32_MIN, "00000080"},
        {-129, "7FFFFFFF"},
    };
    ProxyType = 9; // no connection is opened
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes);
        Total::BuildLoginFrame(QStringLiteral("player1"), QStringLiteral("secret"));
        QByteArray expected = Total::LoginFrameBytes();
        UserId = c.id;
        Total::SessionToken[0] = 0xAB;
        Total::SessionToken[1] = 0xCD;
        w->Sysmsg(0).AddItem(QStringLiteral("旧的一行"));
        w->Sysmsg(1).AddItem(QStringLiteral("旧的二行"));
        DirectLink = false;

        General::RequestReconnect();
        expected[3] = char(MsgReconnect);
        expected.replace(260, 2, QByteArray::fromHex("ABCD"));
        expected.replace(268, 4, QByteArray::fromHex(c.bytes));
        EXPECT_EQ(Total::LoginFrameBytes().toHex(), expected.toHex());
        EXPECT_EQ(w->Sysmsg(0).ListCount(), 1);
        EXPECT_EQ(w->Sysmsg(0).List(0), QStringLiteral("正在重新连接服务器..."));
        EXPECT_EQ(w->Sysmsg(1).ListCount(), 0);
        EXPECT_TRUE(DirectLink);
        EXPECT_EQ(w->Winsock1.State(), sckClosed);

        // A later try carries the token of that moment.
        Total::SessionToken[0] = 0x12;
        Total::SessionToken[1] = 0x34;
        General::RequestReconnect();
        expected.replace(260, 2, QByteArray::fromHex("1234"));
        EXPECT_EQ(Total::LoginFrameBytes().toHex(), expected.toHex());
    }
}

// A new connection starts on a frame boundary: the part of a frame at the
// tail of the receive ring goes, the whole frames before it stay, wherever
// in the ring they lie.
TEST_F(Reconnection, TheFrameCutOffByTheDropIsDroppedWholeFramesStay)
{
    const struct {
        int startFrame, whole, partial;
    } cases[] = {
        {0, 0, 100}, {0, 2, 0}, {0, 2, 271}, {127, 0, 100}, {127, 1, 100}, {126, 2, 200}, {5, 3, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.startFrame << " " << c.whole << " " << c.partial);
        General::ResetNetBuffers();
        Total::RecvReadPos = Total::RecvWritePos = c.startFrame * FrameSize;
        for (int i = 0; i < c.whole; ++i)
            Total::AppendReceived(Frame(40 + i));
        Total::AppendReceived(QByteArray(c.partial, '\xEE'));
        Total::DropPartialReceivedFrame();
        EXPECT_EQ(Total::RecvWaiting(), c.whole * FrameSize);
        Total::AppendReceived(Frame(99));
        std::vector<int> codes;
        while (Total::RecvWaiting() >= FrameSize) {
            Total::ReadServerFrame();
            codes.push_back(info.Code);
        }
        std::vector<int> expected;
        for (int i = 0; i < c.whole; ++i)
            expected.push_back(40 + i);
        expected.push_back(99);
        EXPECT_EQ(codes, expected);
        EXPECT_EQ(Total::RecvWaiting(), 0);
    }
}

// The server goes away in the middle of a frame after an accepted login. The
// connection monitor loads the hidden form, its countdown starts the tries,
// the first one reaches a server again with the reconnect frame, and the
// frames read afterwards are whole: those that came before the drop, then
// the new connection's.
TEST_F(Reconnection, ADropInTheMiddleOfAFrameResumesWithWholeFrames)
{
    UserId = static_cast<int32_t>(0x8090A0B0);
    auto first = std::make_unique<ServerProcess>(QStringLiteral("expect 18 timeout 20\n"
                                                                "send 18 1 0 0 0 1 token:ABCD\n"
                                                                "repeat 2\n"
                                                                "send 5 1 {i} 1 0 0 token:ABCD\n"
                                                                "endrepeat\n"
                                                                "split 100 gap 60000\n"
                                                                "send 5 1 2 1 0 0 token:ABCD\n"));
    const int port = first->Port();
    ASSERT_GT(port, 0);
    w->Winsock1.SetRemotePort(port);
    w->Winsock1.Connect();
    ConnectWatchOn = true;
    connectAndSend();
    ASSERT_TRUE(PumpUntil([] { return Total::RecvWaiting() == 3 * FrameSize + 100; }));
    dispatchUntil(1);
    ASSERT_TRUE(ReconnectAllowed); // the login was accepted
    const QByteArray login = Total::LoginFrameBytes();

    first->Process().kill();
    first->Process().waitForFinished(5000);
    ASSERT_TRUE(PumpUntil([&] { return w->Winsock1.State() != sckConnected; }));
    for (int t = 0; t < 4 && !isLoaded<frmReconnect>(); ++t)
        tick();
    ASSERT_TRUE(isLoaded<frmReconnect>());
    frmReconnect& f = LoadReconnectForm();
    EXPECT_FALSE(f.Visible());
    EXPECT_FALSE(ConnectionMonitorOn);
    EXPECT_FALSE(LoggedIn);
    EXPECT_EQ(f.lbTime.Caption(), QStringLiteral("1 秒后自动重连"));
    EXPECT_TRUE(f.TimerReconnect.Enabled());
    EXPECT_FALSE(f.TimerCount.Enabled());

    ServerProcess second(QStringLiteral("expect 28 timeout 20\n"
                                        "send 29 1 0 0 0 1\n"
                                        "repeat 2\n"
                                        "send 5 1 {i} 2 0 0\n"
                                        "endrepeat\n"
                                        "wait-close timeout 30\n"),
                         {QStringLiteral("--port"), QString::number(port)});
    ASSERT_EQ(second.Port(), port);

    f.TimerReconnect_Timer(); // the countdown ends
    EXPECT_FALSE(f.TimerReconnect.Enabled());
    EXPECT_TRUE(f.TimerCount.Enabled());
    EXPECT_EQ(f.lbTime.Caption(), QStringLiteral("1 秒后自动重连"));
    f.TimerCount_Timer(); // try 1
    EXPECT_EQ(ReconnectTries, 1);
    EXPECT_EQ(Total::RecvWaiting() % FrameSize, 0);
    connectAndSend();
    EXPECT_TRUE(ConnectionMonitorOn);

    const int at = second.WaitForLine(QStringLiteral("recv "));
    ASSERT_GE(at, 0);
    QByteArray expected = login;
    expected[3] = char(MsgReconnect);
    expected.replace(260, 2, QByteArray::fromHex("ABCD"));
    expected.replace(268, 4, QByteArray::fromHex("B0A09080"));
    EXPECT_EQ(FrameOf(second.Lines()[at]).toHex(), expected.toHex());

    dispatchUntil(6);
    const std::vector<Seen> expectedSeen = {{18, 0, 0}, {5, 0, 1}, {5, 1, 1}, {29, 0, 0}, {5, 0, 2}, {5, 1, 2}};
    EXPECT_EQ(seen, expectedSeen);
    EXPECT_TRUE(LoggedIn);
    EXPECT_TRUE(Reconnecting);

    f.TimerCount_Timer(); // back: the form goes
    EXPECT_FALSE(isLoaded<frmReconnect>());
    EXPECT_EQ(ReconnectTries, 1);
    EXPECT_TRUE(MessageBoxes().isEmpty());
}

// The socket comes back on the third try: the next tick unloads the form
// and makes no further try.
TEST_F(Reconnection, ASocketBackOnTheThirdTryEndsTheTries)
{
    const int port = FreePort();
    w->Winsock1.SetRemotePort(port);
    ReconnectAllowed = true;
    frmReconnect& f = LoadReconnectForm();
    f.pbReconnect_Click(); // the same as the end of the countdown
    EXPECT_TRUE(f.TimerCount.Enabled());
    EXPECT_FALSE(f.TimerReconnect.Enabled());
    for (int attempt = 1; attempt <= 2; ++attempt) {
        f.TimerCount_Timer();
        EXPECT_EQ(ReconnectTries, attempt);
        ASSERT_TRUE(PumpUntil([&] { return w->Winsock1.State() == sckError; }));
    }
    ServerProcess server(QStringLiteral("expect 28 timeout 20\nwait-close timeout 30\n"),
                         {QStringLiteral("--port"), QString::number(port)});
    ASSERT_EQ(server.Port(), port);
    f.TimerCount_Timer();
    EXPECT_EQ(ReconnectTries, 3);
    connectAndSend();
    ASSERT_GE(server.WaitForLine(QStringLiteral("recv 28 ")), 0);

    f.TimerCount_Timer();
    EXPECT_FALSE(isLoaded<frmReconnect>());
    EXPECT_EQ(ReconnectTries, 3);
    EXPECT_EQ(w->Winsock1.State(), sckConnected);
    EXPECT_FALSE(server.Lines().contains(QStringLiteral("connected 2")));
    EXPECT_TRUE(MessageBoxes().isEmpty());
}

// Sixteen tries without a connection: the seventeenth tick shows the
// message, restores the hall and ends the client.
TEST_F(Reconnection, SixteenFailedTriesEndTheClient)
{
    const int port = FreePort();
    for (int16_t type : {0, 9}) {
        SCOPED_TRACE(type);
        unload<frmReconnect>();
        MessageBoxes().clear();
        ProxyType = type;
        w->Winsock1.SetRemotePort(port);
        ReconnectAllowed = true;
        frmReconnect& f = LoadReconnectForm();
        f.TimerReconnect_Timer();
        for (int attempt = 1; attempt <= 16; ++attempt) {
            f.TimerCount_Timer();
            ASSERT_EQ(ReconnectTries, attempt);
            if (type == 0)
                ASSERT_TRUE(PumpUntil([&] { return w->Winsock1.State() == sckError; }));
            else
                ASSERT_EQ(w->Winsock1.State(), sckClosed);
        }
        EXPECT_TRUE(MessageBoxes().isEmpty());
        const int restored = hall.Log().count(QStringLiteral("restore"));
        EXPECT_TRUE(mjtest::EndsProgram([&] { f.TimerCount_Timer(); }));
        EXPECT_EQ(MessageBoxes(), QStringList{QStringLiteral("重连失败，请检查您的网络！")});
        EXPECT_TRUE(PumpUntil([&] { return hall.Log().count(QStringLiteral("restore")) > restored; }));
        EXPECT_EQ(ReconnectTries, 16);
    }
}

// The last message waits for the player with events handled; the form's
// ticks that come meanwhile show no second message.
TEST_F(Reconnection, TicksWhileTheLastMessageIsUpShowNoOther)
{
    ProxyType = 9;
    ReconnectAllowed = true;
    frmReconnect& f = LoadReconnectForm();
    f.TimerReconnect_Timer();
    for (int attempt = 1; attempt <= 16; ++attempt)
        f.TimerCount_Timer();
    int ticks = 0;
    f.TimerCount.SetInterval(10);
    f.TimerCount.OnTimer = [&] {
        ++ticks;
        f.TimerCount_Timer();
    };
    SetMsgBoxAnswerer([&](const QString& prompt, int, const QString&) {
        MessageBoxes().append(prompt);
        PumpUntil([&] { return ticks >= 3; }, 2000); // the player takes a moment
        return static_cast<int>(vbOK);
    });
    EXPECT_TRUE(mjtest::EndsProgram([&] { f.TimerCount_Timer(); }));
    f.TimerCount.OnTimer = nullptr;
    EXPECT_GE(ticks, 3);
    EXPECT_EQ(MessageBoxes(), QStringList{QStringLiteral("重连失败，请检查您的网络！")});
    EXPECT_FALSE(ProgramEndedInEvent());
}

} // namespace
