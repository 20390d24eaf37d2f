#include "TestSupport.h"
// The socket control against a real loopback server.
#include "platform/Clock.h"
#include "platform/Runtime.h"
#include "platform/Winsock.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace mj;

namespace {

// Handles the events that are due now and those they cause, briefly.
void Settle()
{
    for (int i = 0; i < 20; ++i)
        Clock::ProcessEvents(0.005);
}

// Runs the deletes that closed sockets asked for, then counts the descriptors
// the process holds open.
int OpenDescriptors()
{
    Settle();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    const QDir fds(QStringLiteral("/proc/self/fd"));
    return static_cast<int>(fds.entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size());
}

class WinsockTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
        ws.SetRemoteHost(QStringLiteral("127.0.0.1"));
        ws.SetRemotePort(server.serverPort());
        ws.OnDataArrival = [this](int32_t total) {
            events.push_back("data " + std::to_string(total));
            received += ws.GetData();
        };
        ws.OnClose = [this] { events.push_back("close"); };
    }

    // Connects the control and returns the server's end of the connection.
    QTcpSocket* ConnectPeer()
    {
        ws.Connect();
        if (!mjtest::PumpUntil([this] { return ws.State() == sckConnected && server.hasPendingConnections(); }))
            return nullptr;
        QTcpSocket* peer = server.nextPendingConnection();
        peers.emplace_back(peer);
        return peer;
    }

    QTcpServer server;
    Winsock ws;
    std::vector<std::unique_ptr<QTcpSocket>> peers;
    std::vector<std::string> events;
    QByteArray received;
};

TEST_F(WinsockTest, ConnectsAsynchronouslyAndReceivesChunksInOrder)
{
    EXPECT_EQ(ws.State(), sckClosed);
    ws.Connect();
    // Connect only starts the attempt; the connection completes in the
    // event loop.
    EXPECT_TRUE(ws.State() == sckResolvingHost || ws.State() == sckConnecting) << ws.State();
    ASSERT_TRUE(mjtest::PumpUntil([this] { return ws.State() == sckConnected && server.hasPendingConnections(); }));
    std::unique_ptr<QTcpSocket> peer(server.nextPendingConnection());

    QByteArray sent;
    for (int chunk = 0; chunk < 5; ++chunk) {
        const QByteArray bytes = QByteArray(100 + chunk * 37, char('a' + chunk)) + char(chunk);
        sent += bytes;
        peer->write(bytes);
        ASSERT_TRUE(mjtest::PumpUntil([&] { return received.size() == sent.size(); })) << chunk;
    }
    EXPECT_EQ(received, sent);
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(ws.State(), sckConnected);
    EXPECT_EQ(ws.BytesAvailable(), 0);
}

TEST_F(WinsockTest, SendsEveryByteInOrder)
{
    QTcpSocket* peer = ConnectPeer();
    ASSERT_TRUE(peer);
    QByteArray sent;
    for (int i = 0; i < 200; ++i) {
        QByteArray frame(272, char(i));
        frame[0] = char(i >> 8);
        sent += frame;
        ws.SendData(frame);
    }
    QByteArray got;
    ASSERT_TRUE(mjtest::PumpUntil([&] {
        got += peer->readAll();
        return got.size() >= sent.size();
    }));
    EXPECT_EQ(got, sent);
}

TEST_F(WinsockTest, PartialReadLeavesTheRestAndLaterArrivalsCountIt)
{
    std::vector<int32_t> totals;
    ws.OnDataArrival = [&](int32_t total) {
        totals.push_back(total);
        received += ws.GetData(3);
    };
    QTcpSocket* peer = ConnectPeer();
    ASSERT_TRUE(peer);

    peer->write("12345");
    ASSERT_TRUE(mjtest::PumpUntil([&] { return !totals.empty(); }));
    Settle();
    EXPECT_EQ(totals, std::vector<int32_t>{5});
    EXPECT_EQ(received, "123");
    EXPECT_EQ(ws.BytesAvailable(), 2);

    peer->write("6789");
    ASSERT_TRUE(mjtest::PumpUntil([&] { return totals.size() == 2; }));
    EXPECT_EQ(totals[1], 6);
    EXPECT_EQ(received, "123456");
    EXPECT_EQ(ws.GetData(0), QByteArray());
    EXPECT_EQ(ws.GetData(100), "789");
    EXPECT_EQ(ws.GetData(), QByteArray());
}

TEST_F(WinsockTest, PeerCloseDeliversTheLastBytesThenTheCloseEvent)
{
    QTcpSocket* peer = ConnectPeer();
    ASSERT_TRUE(peer);
    peer->write("last words");
    peer->disconnectFromHost();
    ASSERT_TRUE(mjtest::PumpUntil([&] { return !events.empty() && events.back() == "close"; }));
    EXPECT_EQ(received, "last words");
    EXPECT_EQ(events.front(), "data 10");
    EXPECT_EQ(ws.State(), sckClosing);
    EXPECT_THROW(ws.SendData("x"), RuntimeError);
    // Another attempt needs a Close first.
    try {
        ws.Connect();
        ADD_FAILURE() << "Connect in state 8 did not raise";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.Number, sckInvalidOp);
    }
    ws.Close();
    EXPECT_EQ(ws.State(), sckClosed);
}

TEST_F(WinsockTest, CloseStopsEveryEventAndStillDeliversWhatWasSent)
{
    QTcpSocket* peer = ConnectPeer();
    ASSERT_TRUE(peer);
    ws.SendData("leaving");
    ws.Close();
    EXPECT_EQ(ws.State(), sckClosed);

    peer->write("too late");
    QByteArray got;
    ASSERT_TRUE(mjtest::PumpUntil([&] {
        got += peer->readAll();
        return peer->state() == QAbstractSocket::UnconnectedState;
    }));
    got += peer->readAll();
    EXPECT_EQ(got, "leaving");
    Settle();
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(ws.State(), sckClosed);
    EXPECT_EQ(ws.BytesAvailable(), 0);
}

TEST_F(WinsockTest, CloseInsideTheDataHandlerSuppressesTheCloseEvent)
{
    ws.OnDataArrival = [this](int32_t) {
        events.push_back("data");
        ws.Close();
    };
    QTcpSocket* peer = ConnectPeer();
    ASSERT_TRUE(peer);
    peer->write("bye");
    peer->disconnectFromHost();
    ASSERT_TRUE(mjtest::PumpUntil([&] { return !events.empty(); }));
    Settle();
    EXPECT_EQ(events, std::vector<std::string>{"data"});
    EXPECT_EQ(ws.State(), sckClosed);
}

TEST_F(WinsockTest, HandlerThatWaitsIsNotReentered)
{
    int depth = 0, maxDepth = 0;
    QTcpSocket* peer = nullptr;
    ws.OnDataArrival = [&](int32_t) {
        ++depth;
        maxDepth = std::max(maxDepth, depth);
        received += ws.GetData();
        if (received == "first") {
            // More data and the close come while this handler waits.
            peer->write("second");
            peer->disconnectFromHost();
            mjtest::PumpUntil([&] { return peer->state() == QAbstractSocket::UnconnectedState; });
            Settle();
            events.push_back("handler done");
        }
        --depth;
    };
    peer = ConnectPeer();
    ASSERT_TRUE(peer);
    peer->write("first");
    ASSERT_TRUE(mjtest::PumpUntil([&] { return !events.empty() && events.back() == "close"; }));
    EXPECT_EQ(maxDepth, 1);
    EXPECT_EQ(received, "firstsecond");
    EXPECT_EQ(events, (std::vector<std::string>{"handler done", "close"}));
}

TEST_F(WinsockTest, ReconnectsAfterClose)
{
    QTcpSocket* first = ConnectPeer();
    ASSERT_TRUE(first);
    ws.Close();
    QTcpSocket* second = ConnectPeer();
    ASSERT_TRUE(second);
    ASSERT_TRUE(mjtest::PumpUntil([&] { return first->state() == QAbstractSocket::UnconnectedState; }));

    second->write("again");
    ASSERT_TRUE(mjtest::PumpUntil([&] { return received == "again"; }));
    ws.SendData("hello");
    QByteArray got;
    ASSERT_TRUE(mjtest::PumpUntil([&] {
        got += second->readAll();
        return got == "hello";
    }));
}

TEST_F(WinsockTest, FailedConnectShowsAsErrorAndNeedsCloseBeforeRetrying)
{
    // A port that was free a moment ago refuses the connection.
    QTcpServer gone;
    ASSERT_TRUE(gone.listen(QHostAddress::LocalHost, 0));
    const quint16 closedPort = gone.serverPort();
    gone.close();

    struct Case {
        const char* name;
        QString host;
        int32_t port;
    };
    const Case cases[] = {
        {"refused", QStringLiteral("127.0.0.1"), closedPort},
        {"no host", QString(), server.serverPort()},
        {"port out of range", QStringLiteral("127.0.0.1"), 70000},
        {"negative port", QStringLiteral("127.0.0.1"), -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ws.SetRemoteHost(c.host);
        ws.SetRemotePort(c.port);
        ws.Connect();
        EXPECT_TRUE(mjtest::PumpUntil([&] { return ws.State() == sckError; })) << ws.State();
        EXPECT_THROW(ws.Connect(), RuntimeError);
        ws.Close();
        EXPECT_EQ(ws.State(), sckClosed);
    }
    EXPECT_TRUE(events.empty());

    ws.SetRemoteHost(QStringLiteral("127.0.0.1"));
    ws.SetRemotePort(server.serverPort());
    EXPECT_TRUE(ConnectPeer());
}

TEST_F(WinsockTest, WrongStateCallsRaiseTheControlsErrors)
{
    auto number = [](const std::function<void()>& call) {
        try {
            call();
        } catch (const RuntimeError& e) {
            return e.Number;
        }
        return 0;
    };
    EXPECT_EQ(number([this] { ws.SendData("x"); }), sckBadState);
    ws.Connect();
    if (ws.State() != sckConnected) {
        EXPECT_EQ(number([this] { ws.SendData("x"); }), sckBadState);
    }
    EXPECT_EQ(number([this] { ws.Connect(); }), sckInvalidOp);
    ASSERT_TRUE(mjtest::PumpUntil([this] { return ws.State() == sckConnected; }));
    EXPECT_EQ(number([this] { ws.Connect(); }), sckInvalidOp);
    ws.Close();
    EXPECT_EQ(number([this] { ws.SendData("x"); }), sckBadState);
    // Closing a closed control is harmless.
    ws.Close();
    EXPECT_EQ(ws.State(), sckClosed);
}

// Closing an attempt still under way frees its socket at once, whether the
// attempt would have been refused or accepted.
TEST_F(WinsockTest, ClosingAnAttemptUnderWayKeepsNoDescriptor)
{
    QTcpServer gone;
    ASSERT_TRUE(gone.listen(QHostAddress::LocalHost, 0));
    const quint16 closedPort = gone.serverPort();
    gone.close();

    // The server's end of every connection that reached it.
    std::vector<std::unique_ptr<QTcpSocket>> arrived;
    QObject::connect(&server, &QTcpServer::newConnection, [&] {
        while (server.hasPendingConnections())
            arrived.emplace_back(server.nextPendingConnection());
    });
    auto allClosed = [&] {
        for (const auto& peer : arrived)
            if (peer->state() != QAbstractSocket::UnconnectedState)
                return false;
        return true;
    };

    const struct {
        const char* name;
        quint16 port;
    } cases[] = {
        {"refused", closedPort},
        {"listening", server.serverPort()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ws.SetRemotePort(c.port);
        // One round first, so that what the process opens once is counted.
        ws.Connect();
        ws.Close();
        Settle();
        ASSERT_TRUE(mjtest::PumpUntil(allClosed));
        const int before = OpenDescriptors();
        for (int round = 0; round < 200; ++round) {
            ws.Connect();
            ASSERT_NE(ws.State(), sckConnected);
            ws.Close();
            Clock::ProcessEvents(0);
        }
        // No connection stays open at the server's end. Connections the
        // server has not taken yet hold no descriptor of this process.
        Settle();
        server.pauseAccepting();
        ASSERT_TRUE(mjtest::PumpUntil(allClosed)) << arrived.size();
        for (const auto& peer : arrived)
            EXPECT_EQ(peer->bytesAvailable(), 0);
        arrived.clear();
        EXPECT_EQ(OpenDescriptors(), before);
    }
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(ws.State(), sckClosed);
}

// An attempt that the server left unanswered is closed; the server then takes
// connections again. The closed attempt must not arrive after that, while
// another socket's attempt, made after it and so retried after it, does.
TEST_F(WinsockTest, AClosedAttemptNeverReachesTheServerLater)
{
    // The server stops taking connections and its queue fills up, so that
    // further attempts stay unanswered.
    server.close();
    server.setListenBacklogSize(0);
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
    server.pauseAccepting();
    std::vector<std::unique_ptr<QTcpSocket>> fillers;
    size_t queued = 0;
    for (bool answered = true; answered; queued += answered) {
        ASSERT_LT(fillers.size(), 10u);
        auto& filler = fillers.emplace_back(std::make_unique<QTcpSocket>());
        filler->connectToHost(QHostAddress::LocalHost, server.serverPort());
        answered = filler->waitForConnected(300);
    }
    ws.SetRemotePort(server.serverPort());
    ws.Connect();
    Settle();
    ASSERT_EQ(ws.State(), sckConnecting);
    ws.Close();

    QTcpSocket later;
    later.connectToHost(QHostAddress::LocalHost, server.serverPort());
    fillers.clear();
    server.resumeAccepting();

    // The queued fillers and the later socket arrive, nothing else.
    std::vector<std::unique_ptr<QTcpSocket>> arrived;
    const auto take = [&] {
        while (server.hasPendingConnections())
            arrived.emplace_back(server.nextPendingConnection());
    };
    ASSERT_TRUE(mjtest::PumpUntil([&] {
        take();
        return later.state() == QAbstractSocket::ConnectedState && arrived.size() > queued;
    }));
    Settle();
    take();
    EXPECT_EQ(arrived.size(), queued + 1);
}

// A connection closed while its peer takes nothing more cannot drain; it is
// dropped after a bounded time instead of keeping its descriptor.
TEST_F(WinsockTest, AConnectionThatCannotDrainIsDroppedInTime)
{
    // The server never takes the connection, so nobody reads what is sent.
    server.pauseAccepting();
    const int before = OpenDescriptors();
    ws.Connect();
    ASSERT_TRUE(mjtest::PumpUntil([this] { return ws.State() == sckConnected; }));
    ws.SendData(QByteArray(64 << 20, 'x'));
    ws.Close();
    EXPECT_GT(OpenDescriptors(), before);
    EXPECT_TRUE(mjtest::PumpUntil([&] { return OpenDescriptors() == before; }));
    EXPECT_TRUE(events.empty());
}

} // namespace
