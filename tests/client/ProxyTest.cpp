// The SOCKS5 proxy client. The good paths run the client from its command
// line through a real proxy (microsocks) to the scripted game server; the
// failure paths and the byte-exact cases use a proxy played by the test in
// this process, which writes its replies piece by piece when the test says so.
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
#include "client/frmExit.h"
#include "client/frmReconnect.h"
#include "platform/Application.h"
#include "platform/Clock.h"
#include "platform/Gbk.h"
#include "platform/Program.h"
#include "platform/Screen.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QHostInfo>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <memory>
#include <vector>

using namespace mj;
using mjtest::FreePort;
using mjtest::LoadReconnectForm;
using mjtest::MessageBoxes;
using mjtest::PumpUntil;
using mjtest::ServerProcess;

namespace {

const QString Hall = QStringLiteral("琼蔚山庄");
const QString RequestFailed = QStringLiteral("请求代理失败！");
const QString AuthFailed = QStringLiteral("代理服务器用户验证失败！");
const QString ConnectFailed = QStringLiteral("通过代理连接主站失败！");
const QByteArray Greeting = QByteArray::fromHex("05020002");

QByteArray hex(const char* digits)
{
    return QByteArray::fromHex(digits);
}

// Each turn of a wait in the client waits for the next event (at most 20 ms
// of real time) and moves the driven clock 0.1 s: a loopback connection is
// seen at once, and nothing else makes time pass.
void EventPacedIdleStep()
{
    QEventLoop loop;
    QTimer::singleShot(20, &loop, [] {});
    loop.processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    Clock::Advance(0.1);
}

// A proxy played by the test: it takes every connection on a loopback port,
// keeps what each one sent, and writes what the test tells it to.
class ScriptedProxy {
public:
    ScriptedProxy()
    {
        server_.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server_, &QTcpServer::newConnection, [this] { accept(); });
    }
    ~ScriptedProxy()
    {
        for (auto& link : links_)
            QObject::disconnect(link->socket, nullptr, nullptr, nullptr);
    }

    int Port() const { return server_.serverPort(); }
    int Connections() const { return static_cast<int>(links_.size()); }
    // What the latest connection sent.
    QByteArray Received() const { return links_.empty() ? QByteArray() : links_.back()->in; }
    bool Closed() const { return !links_.empty() && links_.back()->closed; }
    // Waits for connection `n` (1 = the first) to have sent `bytes` bytes.
    bool WaitFor(int n, qsizetype bytes)
    {
        return PumpUntil([&] { return Connections() >= n && links_[n - 1]->in.size() >= bytes; });
    }
    bool WaitClosed()
    {
        return PumpUntil([&] { return Closed(); });
    }
    void Send(const QByteArray& bytes)
    {
        links_.back()->socket->write(bytes);
        links_.back()->socket->flush();
    }
    void HangUp() { links_.back()->socket->disconnectFromHost(); }

private:
    struct Link {
        QTcpSocket* socket = nullptr;
        QByteArray in;
        bool closed = false;
    };
    void accept()
    {
        while (QTcpSocket* s = server_.nextPendingConnection()) {
            links_.push_back(std::make_unique<Link>());
            Link* link = links_.back().get();
            link->socket = s;
            QObject::connect(s, &QIODevice::readyRead, s, [link] { link->in += link->socket->readAll(); });
            QObject::connect(s, &QAbstractSocket::disconnected, s, [link] { link->closed = true; });
        }
    }

    std::vector<std::unique_ptr<Link>> links_;
    QTcpServer server_; // last: its sockets go before the links they report to
};

// A listener whose queue is full: the system drops every further connection
// attempt, so a connection to it neither succeeds nor fails.
class DeafListener {
public:
    DeafListener()
    {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof a;
        auto* addr = reinterpret_cast<sockaddr*>(&a);
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        if (listener_ < 0 || ::bind(listener_, addr, sizeof a) != 0 || ::listen(listener_, 0) != 0
            || ::getsockname(listener_, addr, &len) != 0)
            return;
        filler_ = ::socket(AF_INET, SOCK_STREAM, 0);
        if (filler_ >= 0 && ::connect(filler_, addr, sizeof a) == 0)
            port_ = ntohs(a.sin_port);
    }
    ~DeafListener()
    {
        for (int fd : {filler_, listener_})
            if (fd >= 0)
                ::close(fd);
    }
    DeafListener(const DeafListener&) = delete;
    DeafListener& operator=(const DeafListener&) = delete;
    int Port() const { return port_; }

private:
    int listener_ = -1;
    int filler_ = -1;
    int port_ = 0;
};

// microsocks on a loopback port. It cannot report a port, so a port that was
// free a moment ago is tried, and another one when it was taken meanwhile.
class Microsocks {
public:
    explicit Microsocks(const QStringList& auth = {})
    {
        for (int attempt = 0; attempt < 5 && port_ == 0; ++attempt) {
            const int port = FreePort();
            auto process = std::make_unique<mjtest::ToolProcess>();
            const QStringList args = QStringList{QStringLiteral("-i"), QStringLiteral("127.0.0.1"),
                                                 QStringLiteral("-p"), QString::number(port)} + auth;
            if (process->Start(QStringLiteral("/usr/bin/microsocks"), args) && answers(port, process->Process())) {
                process_ = std::move(process);
                port_ = port;
            }
        }
    }
    int Port() const { return port_; }

private:
    // True once a SOCKS5 server answers a greeting on the port while our
    // process runs (it ends at once when it cannot listen there).
    static bool answers(int port, QProcess& process)
    {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 10000 && process.state() == QProcess::Running) {
            QTcpSocket probe;
            probe.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(port));
            if (probe.waitForConnected(2000)) {
                probe.write(hex("050100"));
                while (probe.bytesAvailable() < 2 && probe.waitForReadyRead(2000)) {
                }
                return probe.read(1) == "\x05" && process.state() == QProcess::Running;
            }
            process.waitForFinished(20); // not listening yet, or gone
        }
        return false;
    }

    std::unique_ptr<mjtest::ToolProcess> process_;
    int port_ = 0;
};

// A frame as the dispatcher saw it.
struct Seen {
    int16_t code, v0, v1;
    bool operator==(const Seen&) const = default;
};

void PrintTo(const Seen& s, std::ostream* os)
{
    *os << "{" << s.code << "," << s.v0 << "," << s.v1 << "}";
}

// Ticks the main loop, waiting for the bytes of each frame, until `count`
// frames were dispatched.
std::vector<Seen> Dispatch(MainForm& w, size_t count)
{
    std::vector<Seen> seen;
    while (seen.size() < count) {
        if (!PumpUntil([] { return Total::RecvWaiting() >= FrameSize; }))
            break;
        const int32_t before = Total::RecvReadPos;
        for (int t = 0; t < 3 && Total::RecvReadPos == before; ++t) {
            Clock::Advance(0.05);
            w.TimerBong_Timer();
        }
        if (Total::RecvReadPos == before)
            break;
        seen.push_back({info.Code, info.value[0], info.value[1]});
    }
    return seen;
}

QByteArray RecvRingBytes()
{
    QByteArray out;
    for (int32_t i = 0; i < Total::RecvWaiting(); ++i)
        out.append(static_cast<char>(Total::RecvRing[(Total::RecvReadPos + i) % RingSize]));
    return out;
}

QByteArray GameBytes(int n)
{
    QByteArray b;
    for (int i = 0; i < n; ++i)
        b.append(static_cast<char>(0x30 + i % 200));
    return b;
}

// The tests about host names need "localhost" to resolve to 127.0.0.1, as
// the machine's hosts file says; a bare container may have none.
::testing::AssertionResult LocalhostResolves()
{
    for (const QHostAddress& a : QHostInfo::fromName(QStringLiteral("localhost")).addresses())
        if (a == QHostAddress(QHostAddress::LocalHost))
            return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "the name localhost did not resolve to 127.0.0.1 on this machine (is /etc/hosts missing?)";
}

// ---- Against the proxy played by the test -------------------------------------

// The table window on a driven clock, set to reach the game server 10.0.0.7
// port 7001 through the test's proxy with user "user" and password "pass".
// The main loop runs only when a test ticks it.
class Handshake : public ::testing::Test {
protected:
    void SetUp() override
    {
        w = &mjtest::OpenTableWindow(Hall);
        Clock::SetIdleStep(EventPacedIdleStep);
        mjtest::LeaveTimersToTest(*w);
        ProxyType = 5;
        ProxyServer = {QStringLiteral("127.0.0.1"), proxy.Port()};
        GameServer = {QStringLiteral("10.0.0.7"), 7001};
        ProxyLogin = {QStringLiteral("user"), QStringLiteral("pass"), 4, 4};
        fresh();
    }
    void TearDown() override { w->Winsock1.Close(); }

    // No connection, no reconnection, nothing shown: ready for the next case.
    void fresh()
    {
        w->Winsock1.Close();
        w->TimerBong.SetEnabled(false);
        unload<frmReconnect>();
        MessageBoxes().clear();
        ClearProgramEndedInEvent();
        LoginPending = false;
        DirectLink = true;
        ConnectionMonitorOn = false;
        General::ResetNetBuffers();
        Total::BuildLoginFrame(QStringLiteral("player1"), QStringLiteral("pw"));
        Clock::SetIdleStep(EventPacedIdleStep);
    }

    // Connects to the proxy; returns once the proxy has the greeting.
    void connect()
    {
        const int n = proxy.Connections() + 1;
        Mod_Proxy::ConnectViaProxy(w->Winsock1);
        ASSERT_TRUE(proxy.WaitFor(n, 4));
        ASSERT_EQ(proxy.Connections(), n);
        EXPECT_EQ(proxy.Received(), Greeting);
    }

    // Runs the handshake up to the reply a case is about: that of state 2
    // (method), 4 (authentication) or 6 (CONNECT, after method 0).
    void runUpTo(int state)
    {
        connect();
        const int n = proxy.Connections();
        if (state == 4) {
            proxy.Send(hex("0502"));
            ASSERT_TRUE(proxy.WaitFor(n, 4 + 11));
        } else if (state == 6) {
            proxy.Send(hex("0500"));
            ASSERT_TRUE(proxy.WaitFor(n, 4 + 10));
        }
        ASSERT_EQ(Mod_Proxy::ProxyState, state);
    }

    // The handshake failed: the message shown (or not), the socket closed and
    // the client idle, not ended, with nothing sent to the game server.
    void expectFailed(const QStringList& boxes)
    {
        EXPECT_EQ(MessageBoxes(), boxes);
        EXPECT_EQ(w->Winsock1.State(), sckClosed);
        EXPECT_TRUE(proxy.WaitClosed());
        EXPECT_FALSE(LoginPending);
        EXPECT_FALSE(DirectLink);
        EXPECT_EQ(Mod_Proxy::ProxyState, 0);
        EXPECT_FALSE(w->TimerBong.Enabled());
        EXPECT_FALSE(ProgramEndedInEvent());
        EXPECT_LT(proxy.Received().size(), FrameSize);
        EXPECT_FALSE(hall.Log().contains(QStringLiteral("0x303")));
    }

    MainForm* w = nullptr;
    mjtest::FakeHall hall{Hall};
    ScriptedProxy proxy;
};

// Method 0: the CONNECT request follows the method reply, with no
// authentication; the CONNECT reply lets the login frame out at once, and
// the game's bytes that follow the reply, in the same chunk or later, go to
// the receive ring.
TEST_F(Handshake, WithoutAuthenticationTheConnectFollowsAndTheLoginGoesOutAtOnce)
{
    connect();
    EXPECT_TRUE(LoginPending);
    EXPECT_TRUE(ConnectionMonitorOn);
    EXPECT_FALSE(DirectLink);
    proxy.Send(hex("0500"));
    ASSERT_TRUE(proxy.WaitFor(1, 14));
    EXPECT_EQ(proxy.Received().mid(4), hex("050100010A0000071B59"));

    const QByteArray game = GameBytes(FrameSize + 28);
    proxy.Send(hex("05000001C0A80001D431") + game);
    ASSERT_TRUE(proxy.WaitFor(1, 14 + FrameSize));
    EXPECT_EQ(proxy.Received().mid(14), Total::LoginFrameBytes());
    EXPECT_TRUE(DirectLink);
    EXPECT_TRUE(w->TimerBong.Enabled());
    EXPECT_EQ(w->Sysmsg(0).List(0), QStringLiteral("连接代理服务器成功！"));
    EXPECT_TRUE(PumpUntil([&] { return hall.Log().contains(QStringLiteral("0x303")); }));
    EXPECT_EQ(RecvRingBytes(), game);

    const QByteArray more = GameBytes(FrameSize - 28);
    proxy.Send(more);
    ASSERT_TRUE(PumpUntil([] { return Total::RecvWaiting() == 2 * FrameSize; }));
    EXPECT_EQ(RecvRingBytes(), game + more);
    EXPECT_TRUE(MessageBoxes().isEmpty());
}

// Method 2: the user name and password go out as their GBK bytes, at most
// 255 of each; the CONNECT follows the accepted status.
TEST_F(Handshake, UserNameAndPasswordGoOutAsTheirBytes)
{
    struct Case {
        const char* name;
        QString user, password;
        QByteArray request;
    };
    const Case cases[] = {
        {"empty", {}, {}, hex("010000")},
        {"Chinese user name", QStringLiteral("玩家"), QStringLiteral("pw"), hex("0104CDE6BCD2027077")},
        {"longer than 255 bytes", QString(300, u'a'), QStringLiteral("p"),
         hex("01FF") + QByteArray(255, 'a') + hex("0170")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fresh();
        ProxyLogin.User = c.user;
        ProxyLogin.Password = c.password;
        connect();
        const int n = proxy.Connections();
        proxy.Send(hex("0502"));
        ASSERT_TRUE(proxy.WaitFor(n, 4 + c.request.size()));
        EXPECT_EQ(proxy.Received().mid(4).toHex(), c.request.toHex());
        EXPECT_EQ(Mod_Proxy::ProxyState, 4);
        proxy.Send(hex("0100"));
        ASSERT_TRUE(proxy.WaitFor(n, 4 + c.request.size() + 10));
        EXPECT_EQ(proxy.Received().mid(4 + c.request.size()), hex("050100010A0000071B59"));
        EXPECT_TRUE(MessageBoxes().isEmpty());
    }
}

// The CONNECT request carries an IPv4 address: a dotted address as it
// stands, a host name resolved first; a host with no IPv4 address fails.
TEST_F(Handshake, TheConnectRequestCarriesTheGameServersIPv4Address)
{
    struct Case {
        QString host;
        int32_t port;
        QByteArray request; // empty: the handshake fails
    };
    const Case cases[] = {
        {QStringLiteral("10.0.0.7"), 7001, hex("050100010A0000071B59")},
        {QStringLiteral("255.255.255.255"), 65535, hex("05010001FFFFFFFFFFFF")},
        {QStringLiteral("localhost"), 80, hex("050100017F0000010050")},
        {QStringLiteral("::1"), 80, {}},
        {QString(), 80, {}},
    };
    ASSERT_TRUE(LocalhostResolves());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.host.toStdString());
        fresh();
        GameServer = {c.host, c.port};
        runUpTo(2);
        proxy.Send(hex("0500"));
        if (c.request.isEmpty()) {
            ASSERT_TRUE(PumpUntil([] { return !MessageBoxes().isEmpty(); }));
            expectFailed({ConnectFailed});
            EXPECT_EQ(proxy.Received(), Greeting);
        } else {
            ASSERT_TRUE(proxy.WaitFor(proxy.Connections(), 14));
            EXPECT_EQ(proxy.Received().mid(4).toHex(), c.request.toHex());
        }
    }
}

// A game server given by name is looked up while the window goes on
// handling events: the CONNECT goes out when the answer comes, and not at
// all when the handshake was stopped meanwhile.
TEST_F(Handshake, TheGameServersNameIsLookedUpWithoutHoldingTheWindowUp)
{
    ASSERT_TRUE(LocalhostResolves());
    GameServer = {QStringLiteral("localhost"), 80};
    for (bool stopped : {false, true}) {
        SCOPED_TRACE(stopped ? "stopped during the look-up" : "answered");
        fresh();
        runUpTo(2);
        const int n = proxy.Connections();
        Mod_Proxy::ProxyState = 5; // as after the method reply
        Mod_Proxy::SendProxyStep(Mod_Proxy::ProxyState, w->Winsock1);
        EXPECT_EQ(Mod_Proxy::ProxyState, 5); // returned before the answer
        if (stopped) {
            Mod_Proxy::StopHandshake();
            EXPECT_FALSE(PumpUntil([&] { return proxy.Received().size() > Greeting.size(); }, 500));
            EXPECT_EQ(Mod_Proxy::ProxyState, 0);
            EXPECT_EQ(proxy.Received(), Greeting);
        } else {
            ASSERT_TRUE(proxy.WaitFor(n, 14));
            EXPECT_EQ(proxy.Received().mid(4).toHex(), hex("050100017F0000010050").toHex());
            EXPECT_EQ(Mod_Proxy::ProxyState, 6);
        }
        EXPECT_TRUE(MessageBoxes().isEmpty());
    }
}

TEST_F(Handshake, BadRepliesFailWithTheirMessage)
{
    struct Case {
        std::string name;
        int state;
        QByteArray reply;
        QString message;
    };
    std::vector<Case> cases = {
        {"garbage for the method", 2, QByteArray("HTTP/1.1 400"), RequestFailed},
        {"no acceptable method", 2, hex("05FF"), RequestFailed},
        {"a method not offered", 2, hex("0501"), RequestFailed},
        {"SOCKS4 answering", 2, hex("0400"), RequestFailed},
        {"authentication refused", 4, hex("0101"), AuthFailed},
        {"authentication status of another version", 4, hex("0500"), AuthFailed},
        {"CONNECT reply of another version", 6, hex("04000001000000000000"), ConnectFailed},
        {"CONNECT reply with an unknown address type", 6, hex("05000002000000000000"), ConnectFailed},
    };
    for (int code = 1; code <= 8; ++code) {
        QByteArray reply = hex("05000001000000000000");
        reply[1] = static_cast<char>(code);
        cases.push_back({"CONNECT reply code " + std::to_string(code), 6, reply, ConnectFailed});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fresh();
        runUpTo(c.state);
        const qsizetype sent = proxy.Received().size();
        proxy.Send(c.reply);
        ASSERT_TRUE(PumpUntil([] { return !MessageBoxes().isEmpty(); }));
        expectFailed({c.message});
        EXPECT_EQ(proxy.Received().size(), sent); // nothing more went out
    }
}

// A reply is judged once all its bytes are in, however the proxy's writes
// cut it; what follows the CONNECT reply is the game's.
TEST_F(Handshake, EveryGoodReplySplitAnywhereIsJudgedWhenWhole)
{
    struct Case {
        const char* name;
        int state;
        QByteArray reply;
        qsizetype next; // bytes the proxy then holds in all; 0: the CONNECT succeeded
    };
    const Case cases[] = {
        {"method 0", 2, hex("0500"), 14},
        {"method 2", 2, hex("0502"), 15},
        {"authentication accepted", 4, hex("0100"), 25},
        {"CONNECT, IPv4", 6, hex("050000010A0000071B59"), 0},
        {"CONNECT, IPv6", 6, hex("0500000400000000000000000000000000000001") + hex("1B59"), 0},
        {"CONNECT, domain name", 6, hex("050000030D") + QByteArray("proxy.example") + hex("1B59"), 0},
        {"CONNECT, empty domain name", 6, hex("05000003001B59"), 0},
    };
    const QByteArray game = GameBytes(40);
    for (const Case& c : cases) {
        for (qsizetype cut = 1; cut < c.reply.size(); ++cut) {
            SCOPED_TRACE(testing::Message() << c.name << ", cut after " << cut);
            fresh();
            runUpTo(c.state);
            const int n = proxy.Connections();
            const qsizetype sent = proxy.Received().size();
            proxy.Send(c.reply.left(cut));
            ASSERT_TRUE(PumpUntil([&] { return Mod_Proxy::ProxyWritePos == cut; }));
            EXPECT_EQ(Mod_Proxy::ProxyState, c.state);
            EXPECT_FALSE(DirectLink);
            EXPECT_EQ(w->Winsock1.State(), sckConnected);

            proxy.Send(c.reply.mid(cut) + (c.next == 0 ? game : QByteArray()));
            if (c.next > 0) {
                ASSERT_TRUE(proxy.WaitFor(n, c.next));
                EXPECT_EQ(proxy.Received().size(), c.next);
            } else {
                ASSERT_TRUE(proxy.WaitFor(n, sent + FrameSize));
                EXPECT_EQ(proxy.Received().mid(sent), Total::LoginFrameBytes());
                EXPECT_TRUE(DirectLink);
                EXPECT_EQ(RecvRingBytes(), game);
            }
            EXPECT_TRUE(MessageBoxes().isEmpty());
        }
    }
}

// A reply cut short is never judged on what came; the handshake then fails
// within its time limit when the proxy falls silent, or at once when it
// hangs up.
TEST_F(Handshake, AReplyCutShortEndsInAFailureNotAWait)
{
    struct Case {
        const char* name;
        int state;
        QByteArray part;
    };
    const Case cases[] = {
        {"method", 2, hex("05")},
        {"authentication", 4, hex("01")},
        {"CONNECT, before the address type", 6, hex("050000")},
        {"CONNECT, IPv4", 6, hex("050000010A0000071B")},
        {"CONNECT, IPv6", 6, hex("05000004000000000000000000000000000000011B")},
        {"CONNECT, domain name length missing", 6, hex("05000003")},
        {"CONNECT, domain name", 6, hex("050000030D") + QByteArray("proxy.exam")},
    };
    for (bool hangUp : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << c.name << (hangUp ? ", hung up" : ", silent"));
            fresh();
            runUpTo(c.state);
            proxy.Send(c.part);
            ASSERT_TRUE(PumpUntil([&] { return Mod_Proxy::ProxyWritePos == c.part.size(); }));
            EXPECT_EQ(Mod_Proxy::ProxyState, c.state);
            if (hangUp)
                proxy.HangUp();
            else
                Clock::Advance(Mod_Proxy::ProxyTimeLimit + 0.5);
            ASSERT_TRUE(PumpUntil([] { return !MessageBoxes().isEmpty(); }));
            expectFailed({RequestFailed});
        }
    }
}

// A proxy that refuses the connection, never takes it up, or takes it up and
// never answers fails the handshake within 15 seconds: at start-up and on the
// hall's relogin with its message, during a reconnection silently.
TEST_F(Handshake, AProxyThatDoesNotServeFailsWithinTheTimeLimit)
{
    enum class Kind { Refused, NeverAccepts, Silent };
    enum class When { StartUp, Relogin, Reconnection };
    DeafListener deaf;
    ASSERT_GT(deaf.Port(), 0);
    const int refusing = FreePort();
    for (When when : {When::StartUp, When::Relogin, When::Reconnection}) {
        for (Kind kind : {Kind::Refused, Kind::NeverAccepts, Kind::Silent}) {
            SCOPED_TRACE(testing::Message() << "when " << static_cast<int>(when) << ", kind " << static_cast<int>(kind));
            fresh();
            ProxyServer.Port = kind == Kind::Refused ? refusing : kind == Kind::NeverAccepts ? deaf.Port() : proxy.Port();
            if (kind == Kind::NeverAccepts)
                Clock::SetIdleStep(nullptr); // nothing will come: let the clock run freely
            const double start = Clock::Monotonic();
            switch (when) {
            case When::StartUp:
                StartFirstLoginWatch();
                Mod_Proxy::ConnectViaProxy(w->Winsock1);
                break;
            case When::Relogin:
                Api::WndProc(0, HallMsgRelogin, 0, 0);
                break;
            case When::Reconnection:
                LoadReconnectForm();
                General::RequestReconnect();
                break;
            }
            if (kind == Kind::Silent) {
                ASSERT_TRUE(proxy.WaitFor(proxy.Connections(), 4));
                EXPECT_EQ(w->Winsock1.State(), sckConnected);
                EXPECT_TRUE(LoginPending);
                // The limit counts from the start of the connection.
                Clock::Advance(start + Mod_Proxy::ProxyTimeLimit - 0.2 - Clock::Monotonic());
                ASSERT_FALSE(PumpUntil([&] { return w->Winsock1.State() == sckClosed; }, 300)); // still waiting
                Clock::Advance(0.4);
            }
            ASSERT_TRUE(PumpUntil([&] { return w->Winsock1.State() == sckClosed && Mod_Proxy::ProxyState == 0; }));
            const double waited = Clock::Monotonic() - start;
            if (kind == Kind::Refused)
                EXPECT_LT(waited, 1);
            else
                EXPECT_GE(waited, Mod_Proxy::ProxyTimeLimit);
            EXPECT_LT(waited, Mod_Proxy::ProxyTimeLimit + 1);
            EXPECT_EQ(MessageBoxes(), when == When::Reconnection ? QStringList() : QStringList{RequestFailed});
            EXPECT_FALSE(LoginPending);
            EXPECT_FALSE(FirstLoginWatchOn); // the client stays idle, it does not end
            EXPECT_FALSE(ProgramEndedInEvent());
        }
    }
}

// Bytes the handshake never takes (no request outstanding) fill the proxy
// buffer: that fails the handshake, it does not end the client.
TEST_F(Handshake, AFullProxyBufferFailsTheHandshake)
{
    w->Winsock1.SetRemoteHost(ProxyServer.Host);
    w->Winsock1.SetRemotePort(ProxyServer.Port);
    w->Winsock1.Connect();
    ASSERT_TRUE(PumpUntil([&] { return w->Winsock1.State() == sckConnected && proxy.Connections() == 1; }));
    DirectLink = false;
    Mod_Proxy::ProxyState = 0;
    Mod_Proxy::ResetProxyRecv();
    proxy.Send(QByteArray(1500, 'x'));
    ASSERT_TRUE(PumpUntil([] { return !MessageBoxes().isEmpty(); }));
    EXPECT_EQ(MessageBoxes(), QStringList{RequestFailed});
    EXPECT_EQ(w->Winsock1.State(), sckClosed);
    EXPECT_FALSE(ProgramEndedInEvent());
}

// Leaving the table stops a handshake under way before the socket closes:
// no proxy message shows afterwards, on the first connection or on a
// reconnection try, and nothing meant for the game server goes to the proxy.
TEST_F(Handshake, LeavingDuringTheHandshakeStopsItWithoutAWord)
{
    enum class When { FirstConnection, Reconnection };
    enum class Stage { AfterTheGreeting, WaitingForTheProxy };
    enum class How { HallForceLeave, ExitOk };
    const struct {
        const char* name;
        When when;
        Stage stage;
        How how;
    } cases[] = {
        {"first connection, greeting out, the hall's forced leave", When::FirstConnection, Stage::AfterTheGreeting,
         How::HallForceLeave},
        {"first connection, greeting out, exit dialog", When::FirstConnection, Stage::AfterTheGreeting, How::ExitOk},
        {"reconnection try, greeting out, the hall's forced leave", When::Reconnection, Stage::AfterTheGreeting,
         How::HallForceLeave},
        {"reconnection try, greeting out, exit dialog", When::Reconnection, Stage::AfterTheGreeting, How::ExitOk},
        {"first connection, proxy not answering yet, the hall's forced leave", When::FirstConnection,
         Stage::WaitingForTheProxy, How::HallForceLeave},
        {"reconnection try, proxy not answering yet, exit dialog", When::Reconnection, Stage::WaitingForTheProxy,
         How::ExitOk},
    };
    DeafListener deaf;
    ASSERT_GT(deaf.Port(), 0);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fresh();
        custom[0].SeatMask = 2;
        const auto leave = [&] {
            if (c.how == How::HallForceLeave)
                Api::WndProc(0, HallMsgForceLeave, 0, 0);
            else
                form<frmExit>().pbCloseMe_Click();
        };
        const auto connect = [&] {
            if (c.when == When::FirstConnection) {
                StartFirstLoginWatch();
                Mod_Proxy::ConnectViaProxy(w->Winsock1);
            } else {
                ReconnectAllowed = true;
                LoadReconnectForm();
                General::RequestReconnect();
            }
        };
        const int connections = proxy.Connections();
        if (c.stage == Stage::AfterTheGreeting) {
            connect();
            ASSERT_TRUE(proxy.WaitFor(connections + 1, 4));
            ASSERT_EQ(Mod_Proxy::ProxyState, 2);
            leave();
        } else {
            ProxyServer.Port = deaf.Port();
            bool left = false;
            Clock::SetIdleStep([&] {
                if (!left) {
                    left = true;
                    leave();
                }
                EventPacedIdleStep();
            });
            const double start = Clock::Monotonic();
            connect();
            EXPECT_TRUE(left);
            EXPECT_LT(Clock::Monotonic() - start, 1); // the wait ended with the leave
            Clock::SetIdleStep(EventPacedIdleStep);
        }
        EXPECT_EQ(Mod_Proxy::ProxyState, 0);
        EXPECT_EQ(w->Winsock1.State(), sckClosed);
        // Past the handshake's time limit nothing more happens.
        Clock::Advance(Mod_Proxy::ProxyTimeLimit + 1);
        EXPECT_FALSE(PumpUntil([] { return !MessageBoxes().isEmpty(); }, 500));
        EXPECT_TRUE(MessageBoxes().isEmpty());
        EXPECT_FALSE(isLoaded<frmReconnect>());
        EXPECT_FALSE(ProgramEndedInEvent());
        if (c.stage == Stage::AfterTheGreeting) {
            EXPECT_TRUE(proxy.WaitClosed());
            EXPECT_EQ(proxy.Received(), Greeting); // no leave-seat frame into the handshake
        }
        w->SetWindowState(0);
    }
}

// ---- Reconnection through the proxy -------------------------------------------

// A try is back only once the CONNECT went through: a proxy that took the
// connection but has not answered yet gets another try.
TEST_F(Handshake, AReconnectionTryIsBackOnlyOnceTheProxyConnected)
{
    Total::SessionToken[0] = 0xAB;
    Total::SessionToken[1] = 0xCD;
    UserId = 0x0180FF90;
    ReconnectAllowed = true;
    frmReconnect& f = LoadReconnectForm();
    f.TimerReconnect_Timer();
    ASSERT_TRUE(f.TimerCount.Enabled());

    f.TimerCount_Timer(); // try 1: the proxy takes the connection and stays silent
    ASSERT_TRUE(proxy.WaitFor(1, 4));
    EXPECT_EQ(w->Winsock1.State(), sckConnected);
    EXPECT_TRUE(ConnectionMonitorOn);
    f.TimerCount_Timer(); // not through: try 2
    EXPECT_TRUE(isLoaded<frmReconnect>());
    EXPECT_EQ(ReconnectTries, 2);
    ASSERT_TRUE(proxy.WaitFor(2, 4));

    proxy.Send(hex("0500"));
    ASSERT_TRUE(proxy.WaitFor(2, 14));
    proxy.Send(hex("050000010A0000071B59"));
    ASSERT_TRUE(proxy.WaitFor(2, 14 + FrameSize));
    const QByteArray frame = proxy.Received().mid(14);
    EXPECT_EQ(frame[3], char(MsgReconnect));
    EXPECT_EQ(frame.mid(260, 2), hex("ABCD"));
    EXPECT_EQ(frame.mid(268, 4), hex("90FF8001"));
    EXPECT_EQ(frame.mid(16, 8), QByteArray("player1\0", 8));

    f.TimerCount_Timer(); // through: the form goes, no further try
    EXPECT_FALSE(isLoaded<frmReconnect>());
    EXPECT_EQ(ReconnectTries, 2);
    EXPECT_EQ(proxy.Connections(), 2);
    EXPECT_TRUE(MessageBoxes().isEmpty());
}

// Each failed handshake is one silent try; the sixteenth failure leaves the
// reconnection's own end: its message, the hall restored, the client ended.
TEST_F(Handshake, AFailingProxyStillEndsTheReconnectionAfterSixteenTries)
{
    enum class Kind { Refused, NeverAccepts, Silent, ConnectRefused };
    DeafListener deaf;
    ASSERT_GT(deaf.Port(), 0);
    const int refusing = FreePort();
    for (Kind kind : {Kind::Refused, Kind::NeverAccepts, Kind::Silent, Kind::ConnectRefused}) {
        SCOPED_TRACE(static_cast<int>(kind));
        fresh();
        ProxyServer.Port = kind == Kind::Refused ? refusing : kind == Kind::NeverAccepts ? deaf.Port() : proxy.Port();
        if (kind == Kind::NeverAccepts)
            Clock::SetIdleStep(nullptr);
        const int connectionsBefore = proxy.Connections();
        ReconnectAllowed = true;
        frmReconnect& f = LoadReconnectForm();
        f.TimerReconnect_Timer();
        for (int attempt = 1; attempt <= 16; ++attempt) {
            f.TimerCount_Timer();
            ASSERT_EQ(ReconnectTries, attempt);
            const int n = connectionsBefore + attempt;
            if (kind == Kind::Silent) {
                ASSERT_TRUE(proxy.WaitFor(n, 4));
            } else if (kind == Kind::ConnectRefused) {
                ASSERT_TRUE(proxy.WaitFor(n, 4));
                proxy.Send(hex("0500"));
                ASSERT_TRUE(proxy.WaitFor(n, 14));
                proxy.Send(hex("05050001000000000000"));
                ASSERT_TRUE(PumpUntil([&] { return w->Winsock1.State() == sckClosed; }));
            } else {
                EXPECT_EQ(w->Winsock1.State(), sckClosed);
            }
            ASSERT_TRUE(MessageBoxes().isEmpty());
        }
        const int seen = hall.Log().count(QStringLiteral("restore"));
        EXPECT_TRUE(mjtest::EndsProgram([&] { f.TimerCount_Timer(); }));
        EXPECT_EQ(MessageBoxes(), QStringList{QStringLiteral("重连失败，请检查您的网络！")});
        EXPECT_TRUE(PumpUntil([&] { return hall.Log().count(QStringLiteral("restore")) > seen; }));
        EXPECT_EQ(ReconnectTries, 16);
        if (kind == Kind::Silent || kind == Kind::ConnectRefused) {
            EXPECT_EQ(proxy.Connections(), connectionsBefore + 16);
        }
    }
}

// A try waits for the proxy with events handled; the form's ticks that come
// meanwhile start no further try.
TEST_F(Handshake, TicksDuringATryThroughTheProxyStartNoOtherTry)
{
    DeafListener deaf;
    ASSERT_GT(deaf.Port(), 0);
    ProxyServer.Port = deaf.Port();
    ReconnectAllowed = true;
    // Each turn of the wait takes at most 20 ms and a second of the clock.
    Clock::SetIdleStep([] {
        QEventLoop loop;
        QTimer::singleShot(20, &loop, [] {});
        loop.processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        Clock::Advance(1);
    });
    frmReconnect& f = form<frmReconnect>();
    f.TimerReconnect.OnTimer = nullptr;
    f.TimerReconnect_Timer();
    f.TimerCount.SetInterval(20); // ticks come often while the try waits
    int ticks = 0;
    f.TimerCount.OnTimer = [&] {
        ++ticks;
        f.TimerCount_Timer();
    };
    f.TimerCount_Timer();
    f.TimerCount.OnTimer = nullptr;
    EXPECT_GT(ticks, 0);
    EXPECT_EQ(ReconnectTries, 1);
    EXPECT_TRUE(isLoaded<frmReconnect>());
    EXPECT_TRUE(MessageBoxes().isEmpty());
    EXPECT_FALSE(ProgramEndedInEvent());
}

// ---- Through microsocks, from the command line -------------------------------

// The table window started from the hall's command line with proxy type 5;
// the hall is a fake one in this process.
class ThroughMicrosocks : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        SetProgramFolder(tmp.path());
        // One lock for all these tests, in the test program's own folder: the
        // process holds it until it ends.
        qputenv("MJ_INSTANCE_LOCK", QDir::temp().filePath(QStringLiteral("proxy-test-instance.lock")).toUtf8());
        Screen::SetSize(1024, 768);
    }
    void TearDown() override
    {
        if (w)
            w->Winsock1.Close();
        qunsetenv("MJ_INSTANCE_LOCK");
    }

    // Starts the client; false when start-up ended it. The main loop runs
    // only when the test ticks it.
    bool start(const QString& gameHost, int gamePort, int proxyPort, const QString& user, const QString& password)
    {
        SetCommandLine(QStringLiteral("player1$secret$%1$%2$一号房间$5$127.0.0.1$%3$%4$%5$0$%6$标题$1$7$")
                           .arg(gameHost, QString::number(gamePort), QString::number(proxyPort), user, password, Hall));
        if (mjtest::EndsProgram([] { form<MainForm>(); }))
            return false;
        w = &form<MainForm>();
        mjtest::LeaveTimersToTest(*w);
        return true;
    }

    QTemporaryDir tmp;
    mjtest::FakeHall hall{Hall};
    MainForm* w = nullptr;
};

// The frame the server printed on a "recv" line, as bytes.
QByteArray FrameOf(const QString& line)
{
    return QByteArray::fromHex(line.section(u' ', 7).toLatin1());
}

struct LoginCase {
    const char* name;
    bool authentication;
    const char* gameHost;
};

void PrintTo(const LoginCase& c, std::ostream* os)
{
    *os << c.name;
}

class MicrosocksLogin : public ThroughMicrosocks, public ::testing::WithParamInterface<LoginCase> {};

TEST_P(MicrosocksLogin, TheLoginFrameAndTheGameFramesArriveIntact)
{
    const LoginCase& c = GetParam();
    if (QByteArray(c.gameHost) == "localhost") {
        ASSERT_TRUE(LocalhostResolves());
    }
    const QString user = c.authentication ? QStringLiteral("user") : QString();
    const QString password = c.authentication ? QStringLiteral("secret") : QString();
    Microsocks socks(c.authentication ? QStringList{QStringLiteral("-u"), user, QStringLiteral("-P"), password}
                                      : QStringList());
    ASSERT_GT(socks.Port(), 0);
    ServerProcess server(QStringLiteral("expect 18 timeout 20\n"
                                        "split 1,100,271,273,600 gap 10\n"
                                        "repeat 3\n"
                                        "send 5 1 {i} 7 0 0 @100 u16le:{i}\n"
                                        "endrepeat\n"
                                        "wait-close timeout 30\n"));
    ASSERT_GT(server.Port(), 0);
    ASSERT_TRUE(start(QString::fromLatin1(c.gameHost), server.Port(), socks.Port(), user, password));
    EXPECT_TRUE(Mod_Proxy::ProxyUsed);

    const int at = server.WaitForLine(QStringLiteral("recv "), 20000);
    ASSERT_GE(at, 0) << server.Errors().toStdString();
    const QByteArray login = FrameOf(server.Lines()[at]);
    EXPECT_EQ(login, Total::LoginFrameBytes());
    EXPECT_EQ(login[3], char(MsgLogin));
    EXPECT_EQ(login.mid(16, 8), QByteArray("player1\0", 8));
    EXPECT_EQ(login.mid(32, 7), QByteArray("secret\0", 7));
    EXPECT_TRUE(DirectLink);
    EXPECT_EQ(w->Sysmsg(0).List(0), QStringLiteral("连接代理服务器成功！"));

    const std::vector<Seen> expected = {{5, 0, 7}, {5, 1, 7}, {5, 2, 7}};
    EXPECT_EQ(Dispatch(*w, 3), expected);
    EXPECT_TRUE(MessageBoxes().isEmpty());
    EXPECT_TRUE(hall.Log().contains(QStringLiteral("0x303")));
}

INSTANTIATE_TEST_SUITE_P(Proxy, MicrosocksLogin,
                         ::testing::Values(LoginCase{"WithoutAuthentication", false, "127.0.0.1"},
                                           LoginCase{"WithUserAndPasswordToAServerByName", true, "localhost"}),
                         [](const auto& info) { return std::string(info.param.name); });

struct StartFailure {
    const char* name;
    bool proxyRuns, proxyWantsAuth;
    const char* user;
    const char* password;
    bool serverRuns;
    const char* message;
};

void PrintTo(const StartFailure& c, std::ostream* os)
{
    *os << c.name;
}

class MicrosocksFailure : public ThroughMicrosocks, public ::testing::WithParamInterface<StartFailure> {};

// At start-up a failure shows its message and leaves the client idle: the
// socket closed, no main loop, nothing sent to the game server.
TEST_P(MicrosocksFailure, ShowsItsMessageAndLeavesTheClientIdle)
{
    const StartFailure& c = GetParam();
    std::unique_ptr<Microsocks> socks;
    if (c.proxyRuns) {
        socks = std::make_unique<Microsocks>(
            c.proxyWantsAuth ? QStringList{QStringLiteral("-u"), QStringLiteral("user"), QStringLiteral("-P"),
                                           QStringLiteral("pass")}
                             : QStringList());
        ASSERT_GT(socks->Port(), 0);
    }
    std::unique_ptr<ServerProcess> server;
    if (c.serverRuns) {
        server = std::make_unique<ServerProcess>(QStringLiteral("wait-close timeout 60\n"));
        ASSERT_GT(server->Port(), 0);
    }
    ASSERT_TRUE(start(QStringLiteral("127.0.0.1"), server ? server->Port() : FreePort(),
                      socks ? socks->Port() : FreePort(), QString::fromUtf8(c.user), QString::fromUtf8(c.password)));
    ASSERT_TRUE(PumpUntil([] { return !MessageBoxes().isEmpty(); }));
    EXPECT_EQ(MessageBoxes(), QStringList{QString::fromUtf8(c.message)});
    EXPECT_EQ(w->Winsock1.State(), sckClosed);
    EXPECT_FALSE(LoginPending);
    EXPECT_FALSE(w->TimerBong.Enabled());
    EXPECT_FALSE(FirstLoginWatchOn);
    EXPECT_FALSE(ProgramEndedInEvent());
    if (server) {
        EXPECT_TRUE(server->Received().isEmpty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Proxy, MicrosocksFailure,
    ::testing::Values(StartFailure{"WrongPassword", true, true, "user", "wrong", true, "代理服务器用户验证失败！"},
                      StartFailure{"NoCredentialsForAProxyThatWantsThem", true, true, "", "", true,
                                   "代理服务器用户验证失败！"},
                      StartFailure{"GameServerNotListening", true, false, "", "", false, "通过代理连接主站失败！"},
                      StartFailure{"ProxyNotListening", false, false, "", "", true, "请求代理失败！"}),
    [](const auto& info) { return std::string(info.param.name); });

// The game server goes away in the middle of a frame; the reconnection goes
// through the proxy again, sends the reconnect frame, and the new
// connection's frames come out whole.
// A chat line and the ready request made while the link through the proxy
// is down wait in the send ring and go out once, in order, after the
// reconnection.
TEST_F(ThroughMicrosocks, RequestsMadeWhileTheLinkIsDownGoOutOnceAfterTheReconnection)
{
    Microsocks socks;
    ASSERT_GT(socks.Port(), 0);
    auto first = std::make_unique<ServerProcess>(QStringLiteral("expect 18 timeout 20\n"
                                                                "send 18 1 0 0 0 1 token:ABCD\n"
                                                                "wait-close timeout 60\n"));
    const int port = first->Port();
    ASSERT_GT(port, 0);
    ASSERT_TRUE(start(QStringLiteral("127.0.0.1"), port, socks.Port(), {}, {}));
    ASSERT_EQ(Dispatch(*w, 1).size(), 1u);
    ASSERT_TRUE(ReconnectAllowed);

    first->Process().kill();
    first->Process().waitForFinished(5000);
    ASSERT_TRUE(PumpUntil([&] { return w->Winsock1.State() != sckConnected; }));
    for (int t = 0; t < 4 && !isLoaded<frmReconnect>(); ++t)
        w->TimerBong_Timer();
    ASSERT_TRUE(isLoaded<frmReconnect>());
    EXPECT_FALSE(LoggedIn);
    frmReconnect& f = LoadReconnectForm();

    // The player chats and declares ready meanwhile.
    Players[0].Name = QStringLiteral("甲");
    custom[0].SeatMask = 2;
    ButtonUsed[2] = false;
    TableResetDone = true;
    w->Chat.SetText(QStringLiteral("在吗"));
    mjtest::Click(w->AnNiu(0).Widget());
    mjtest::Click(w->AnNiu(2).Widget());
    for (int t = 0; t < 4; ++t)
        w->TimerBong_Timer();
    ASSERT_EQ(Total::SendWaiting(), 2 * FrameSize);

    ServerProcess second(QStringLiteral("expect 28 timeout 20\n"
                                        "send 29 1 0 0 0 1\n"
                                        "wait-close timeout 30\n"),
                         {QStringLiteral("--port"), QString::number(port)});
    ASSERT_EQ(second.Port(), port);
    f.TimerReconnect_Timer();
    f.TimerCount_Timer();
    ASSERT_GE(second.WaitForLine(QStringLiteral("recv 28 ")), 0);
    ASSERT_EQ(Dispatch(*w, 1).size(), 1u);
    for (int t = 0; t < 20; ++t) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        w->TimerBong_Timer();
    }
    ASSERT_TRUE(PumpUntil([&] { return second.Received().size() >= 3; })) << second.Received().join(u'\n').toStdString();
    PumpUntil([] { return false; }, 300); // nothing further may follow
    QStringList codes;
    for (const QString& line : second.Received())
        codes << line.section(u' ', 1, 1);
    EXPECT_EQ(codes, (QStringList{QStringLiteral("28"), QStringLiteral("19"), QStringLiteral("16")}));
    const QByteArray chat = FrameOf(second.Received()[1]);
    EXPECT_EQ(chat.mid(16, 12), Gbk::Encode(QStringLiteral("甲说道: 在吗")));
    EXPECT_EQ(chat[6], char(2));
}

TEST_F(ThroughMicrosocks, AReconnectionThroughTheProxyResumesOnAFrameBoundary)
{
    Microsocks socks;
    ASSERT_GT(socks.Port(), 0);
    auto first = std::make_unique<ServerProcess>(QStringLiteral("expect 18 timeout 20\n"
                                                                "send 18 1 0 0 0 1 token:ABCD\n"
                                                                "send 5 1 0 1 0 0 token:ABCD\n"
                                                                "split 100 gap 60000\n"
                                                                "send 5 1 1 1 0 0 token:ABCD\n"));
    const int port = first->Port();
    ASSERT_GT(port, 0);
    ASSERT_TRUE(start(QStringLiteral("127.0.0.1"), port, socks.Port(), {}, {}));
    UserId = static_cast<int32_t>(0x8090A0B0);

    const std::vector<Seen> before = {{18, 0, 0}, {5, 0, 1}};
    ASSERT_EQ(Dispatch(*w, 2), before);
    ASSERT_TRUE(ReconnectAllowed);
    ASSERT_TRUE(PumpUntil([] { return Total::RecvWaiting() == 100; }));

    first->Process().kill();
    first->Process().waitForFinished(5000);
    ASSERT_TRUE(PumpUntil([&] { return w->Winsock1.State() != sckConnected; }));
    for (int t = 0; t < 4 && !isLoaded<frmReconnect>(); ++t)
        w->TimerBong_Timer();
    ASSERT_TRUE(isLoaded<frmReconnect>());
    frmReconnect& f = LoadReconnectForm();

    ServerProcess second(QStringLiteral("expect 28 timeout 20\n"
                                        "send 29 1 0 0 0 1\n"
                                        "repeat 2\n"
                                        "send 5 1 {i} 2 0 0\n"
                                        "endrepeat\n"
                                        "wait-close timeout 30\n"),
                         {QStringLiteral("--port"), QString::number(port)});
    ASSERT_EQ(second.Port(), port);
    f.TimerReconnect_Timer();
    f.TimerCount_Timer();
    const int at = second.WaitForLine(QStringLiteral("recv "), 20000);
    ASSERT_GE(at, 0);
    const QByteArray frame = FrameOf(second.Lines()[at]);
    EXPECT_EQ(frame[3], char(MsgReconnect));
    EXPECT_EQ(frame.mid(260, 2), hex("ABCD"));
    EXPECT_EQ(frame.mid(268, 4), hex("B0A09080"));
    EXPECT_EQ(frame.mid(16, 8), QByteArray("player1\0", 8));

    const std::vector<Seen> after = {{29, 0, 0}, {5, 0, 2}, {5, 1, 2}};
    EXPECT_EQ(Dispatch(*w, 3), after);
    EXPECT_TRUE(LoggedIn);
    f.TimerCount_Timer();
    EXPECT_FALSE(isLoaded<frmReconnect>());
    EXPECT_EQ(ReconnectTries, 1);
    EXPECT_TRUE(MessageBoxes().isEmpty());
}

} // namespace
