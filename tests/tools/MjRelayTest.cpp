// The video relay over real loopback connections: in this process with short
// limits where time matters, and as the program mjrelay with its test peers.
// Its clients are plain sockets speaking the wire codec, and the client's
// own transport (P2PSocket).
#include "ServerProcess.h"
#include "TestSupport.h"

#include "mjrelay/Relay.h"
#include "platform/TestPattern.h"
#include "platform/Video.h"
#include "platform/VideoWire.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QSet>
#include <QTcpSocket>

#include <gtest/gtest.h>

#include <csignal>
#include <memory>

using namespace mj;
using namespace mj::VideoWire;
using mj::mjrelay::Limits;
using mj::mjrelay::Relay;

namespace {

// A client that speaks the wire by hand and keeps what the relay says.
class Raw {
public:
    explicit Raw(quint16 port, bool reading = true)
    {
        if (!reading) {
            // Takes almost nothing off the line until told to.
            socket.setReadBufferSize(1024);
            socket.setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, 4096);
        }
        QObject::connect(&socket, &QIODevice::readyRead, [this, reading] {
            if (reading || resumed)
                take();
        });
        QObject::connect(&socket, &QAbstractSocket::disconnected, [this] { closed = true; });
        socket.connectToHost(QHostAddress::LocalHost, port);
        EXPECT_TRUE(socket.waitForConnected(5000));
    }
    void Send(const QByteArray& bytes)
    {
        socket.write(bytes);
        socket.flush();
    }
    // Logs in and waits for the welcome.
    bool Login(const QString& name)
    {
        Send(EncodeHello(name));
        return Wait([&] { return Has(Welcome); });
    }
    bool Wait(const std::function<bool()>& done, int ms = mjtest::EventWaitMs) { return mjtest::PumpUntil(done, ms); }
    bool Has(uint8_t type) const { return Count(type) > 0; }
    int Count(uint8_t type) const
    {
        int n = 0;
        for (const Message& m : got)
            n += m.type == type ? 1 : 0;
        return n;
    }
    const Message* Last(uint8_t type) const
    {
        for (auto it = got.crbegin(); it != got.crend(); ++it)
            if (it->type == type)
                return &*it;
        return nullptr;
    }
    int PeerStatusOf(const QString& name) const
    {
        for (auto it = got.crbegin(); it != got.crend(); ++it)
            if (it->type == Peer && it->name == name)
                return it->value;
        return -1;
    }
    // Waits until the relay said goodbye and closed; the reason, or -1.
    int ByeReason()
    {
        Wait([&] { return closed; });
        const Message* bye = Last(RelayBye);
        return closed && bye ? bye->value : -1;
    }
    void Resume()
    {
        resumed = true;
        socket.setReadBufferSize(0);
        take();
    }

    QTcpSocket socket;
    QList<Message> got;
    bool closed = false;
    bool broken = false;
    bool resumed = false;

private:
    void take()
    {
        reader.Append(socket.readAll());
        Message m;
        Reader::Result r;
        while ((r = reader.Next(m)) == Reader::Result::Ok)
            got.append(m);
        if (r == Reader::Result::Malformed)
            broken = true;
    }
    Reader reader{From::Relay};
};

QByteArray frameOf(int n)
{
    return EncodeVideoFrame(TestPatternImage(n, QStringLiteral("F")));
}

class RelayTest : public ::testing::Test {
protected:
    void start(const Limits& limits = Limits())
    {
        relay = std::make_unique<Relay>(limits, [this] { return clock; });
        ASSERT_TRUE(relay->Listen(0));
        port = relay->Port();
    }
    // A client transport of the program itself.
    std::unique_ptr<P2PSocket> client(const QString& name, QList<int>* results = nullptr)
    {
        auto p = std::make_unique<P2PSocket>();
        p->SetServerHost(QStringLiteral("127.0.0.1"));
        p->SetServerPort(port);
        p->SetUserCount(3);
        bool done = false;
        p->OnLoginResult = [&done, results](int16_t status) {
            done = true;
            if (results)
                results->append(status);
        };
        p->Login(name);
        EXPECT_TRUE(mjtest::PumpUntil([&] { return done; }));
        p->OnLoginResult = nullptr;
        return p;
    }

    double clock = 100.0;
    std::unique_ptr<Relay> relay;
    quint16 port = 0;
};

} // namespace

// A login is welcomed; a wrong version is refused; a newer login under a
// name replaces the older one.
TEST_F(RelayTest, LoginRefusalAndReplacing)
{
    start();
    Raw a(port);
    ASSERT_TRUE(a.Login(QStringLiteral("东家")));
    EXPECT_EQ(a.Last(Welcome)->value, Accepted);

    Raw old(port);
    old.Send(EncodeHello(QStringLiteral("x"), Version + 1));
    ASSERT_TRUE(old.Wait([&] { return old.closed; }));
    ASSERT_TRUE(old.Has(Welcome));
    EXPECT_EQ(old.Last(Welcome)->value, WrongVersion);

    // b wants a; a second login as a replaces the first, which is told so.
    Raw b(port);
    ASSERT_TRUE(b.Login(QStringLiteral("b")));
    b.Send(EncodeWant(QStringLiteral("东家"), true));
    ASSERT_TRUE(b.Wait([&] { return b.PeerStatusOf(QStringLiteral("东家")) == Online; }));
    a.Send(EncodeWant(QStringLiteral("b"), false));
    ASSERT_TRUE(b.Wait([&] { return b.PeerStatusOf(QStringLiteral("东家")) == MutualSparse; }));
    Raw a2(port);
    ASSERT_TRUE(a2.Login(QStringLiteral("东家")));
    EXPECT_EQ(a.ByeReason(), Replaced);
    // The new a wants nothing yet: b sees it online, not mutual.
    ASSERT_TRUE(b.Wait([&] { return b.PeerStatusOf(QStringLiteral("东家")) == Online; }));
    EXPECT_EQ(relay->Users().count(QStringLiteral("东家")), 1);
}

// Two clients of the program that want each other reach 15 (every frame);
// one that wants sparse video makes the other side 14. Format, mode and
// frames arrive; a refused frame size is not sent.
TEST_F(RelayTest, MutualWantsCarryFormatModeAndFrames)
{
    start();
    QList<int> results;
    auto a = client(QStringLiteral("a"), &results);
    auto b = client(QStringLiteral("b"), &results);
    EXPECT_EQ(results, (QList<int>{2, 2}));
    QList<QByteArray> atB;
    b->OnDataReceived = [&](int16_t slot, const QByteArray& frame) {
        EXPECT_EQ(slot, 2);
        atB.append(frame);
    };
    a->ConnectUser(1, QStringLiteral("b"));
    ASSERT_TRUE(mjtest::PumpUntil([&] { return a->UserState(1) == 5; }));
    b->ConnectUser(2, QStringLiteral("a"));
    ASSERT_TRUE(mjtest::PumpUntil([&] { return a->UserState(1) == 15 && b->UserState(2) == 15; }));

    EXPECT_TRUE(a->SendFormat(1, QStringLiteral("JPEG 320x240")));
    EXPECT_TRUE(a->SendMode(1, 2));
    EXPECT_TRUE(a->SendFrame(1, frameOf(1)));
    EXPECT_FALSE(a->SendFrame(1, QByteArray(MaxFrameBytes + 1, 'x')));
    EXPECT_TRUE(a->SendFrame(1, frameOf(2)));
    ASSERT_TRUE(mjtest::PumpUntil([&] { return atB.size() == 2; }));
    EXPECT_EQ(atB[0], frameOf(1));
    EXPECT_EQ(atB[1], frameOf(2));
    EXPECT_EQ(b->PeerFormat(2), QStringLiteral("JPEG 320x240"));
    EXPECT_EQ(b->PeerMode(2), 2);

    // A plain client that wants a sparse: a's slot shows 14.
    Raw c(port);
    ASSERT_TRUE(c.Login(QStringLiteral("c")));
    a->ConnectUser(3, QStringLiteral("c"));
    c.Send(EncodeWant(QStringLiteral("a"), false));
    ASSERT_TRUE(mjtest::PumpUntil([&] { return a->UserState(3) == 14; }));
    EXPECT_EQ(c.PeerStatusOf(QStringLiteral("a")), MutualEvery);
}

// A sender whose receiver does not want it back reaches nobody; once it
// does, the next frame arrives. Unwanting ends it; logging out shows offline.
TEST_F(RelayTest, NonMutualDroppedUnwantAndLogout)
{
    start();
    Raw a(port), b(port);
    ASSERT_TRUE(a.Login(QStringLiteral("a")));
    ASSERT_TRUE(b.Login(QStringLiteral("b")));
    a.Send(EncodeWant(QStringLiteral("b"), true));
    a.Send(EncodeSend(QStringLiteral("b"), Frame, QByteArray("one")));
    a.Send(EncodeSimple(Ping));
    ASSERT_TRUE(a.Wait([&] { return a.Has(Ping); })) << "the relay has taken the first frame";
    b.Send(EncodeWant(QStringLiteral("a"), true));
    ASSERT_TRUE(a.Wait([&] { return a.PeerStatusOf(QStringLiteral("b")) == MutualEvery; }));
    a.Send(EncodeSend(QStringLiteral("b"), Frame, QByteArray("two")));
    ASSERT_TRUE(b.Wait([&] { return b.Has(Data); }));
    EXPECT_EQ(b.Count(Data), 1);
    EXPECT_EQ(b.Last(Data)->payload, QByteArray("two"));
    EXPECT_EQ(b.Last(Data)->name, QStringLiteral("a"));

    b.Send(EncodeUnwant(QStringLiteral("a")));
    ASSERT_TRUE(a.Wait([&] { return a.PeerStatusOf(QStringLiteral("b")) == Online; }));
    a.Send(EncodeSend(QStringLiteral("b"), Frame, QByteArray("three")));
    a.Send(EncodeSimple(Ping));
    ASSERT_TRUE(a.Wait([&] { return a.Count(Ping) == 2; }));
    b.Send(EncodeSimple(Ping));
    ASSERT_TRUE(b.Wait([&] { return b.Has(Ping); }));
    EXPECT_EQ(b.Count(Data), 1);

    b.Send(EncodeSimple(Bye));
    ASSERT_TRUE(a.Wait([&] { return a.PeerStatusOf(QStringLiteral("b")) == Offline; }));
    EXPECT_TRUE(b.Wait([&] { return b.closed; }));
}

// Malformed messages, before and after the login: BYE and the link closed.
TEST_F(RelayTest, MalformedMessagesCloseTheLink)
{
    start();
    auto lengthThen = [](uint32_t length, const QByteArray& rest) {
        QByteArray out;
        for (int shift = 24; shift >= 0; shift -= 8)
            out.append(static_cast<char>((length >> shift) & 0xFF));
        return out + rest;
    };
    const struct {
        const char* name;
        bool loginFirst;
        QByteArray bytes;
    } cases[] = {
        {"length 0", false, lengthThen(0, {})},
        {"over the limit", true, lengthThen(MaxMessageLength + 1, QByteArray(1, Send))},
        {"cut short", false, lengthThen(3, QByteArray("\x01\x00\x01", 3))},
        {"unknown type", true, lengthThen(1, QByteArray(1, 0x42))},
        {"65-byte name", true, lengthThen(1 + 1 + 65 + 1, QByteArray(1, Want) + QByteArray(1, 65) + QByteArray(65, 'n') + QByteArray(1, 1))},
        {"WANT of a name cut inside a character", true, lengthThen(4, QByteArray("\x02\x01\xDD\x01", 4))},
        {"HELLO of a name cut inside a character", false, lengthThen(6, QByteArray("\x01\x00\x01\x02" "a\xDD", 6))},
        {"anything before HELLO", false, EncodeSimple(Ping)},
        {"a second HELLO", true, EncodeHello(QStringLiteral("again"))},
    };
    for (const auto& c : cases) {
        Raw r(port);
        if (c.loginFirst) {
            ASSERT_TRUE(r.Login(QStringLiteral("m"))) << c.name;
        }
        r.Send(c.bytes);
        EXPECT_EQ(r.ByeReason(), Malformed) << c.name;
    }
    EXPECT_TRUE(relay->Users().isEmpty());
}

// Time limits: no HELLO in time, silence after the login.
TEST_F(RelayTest, SilentLinksAreEnded)
{
    Limits limits;
    limits.helloMs = 200;
    limits.silenceMs = 400;
    start(limits);
    Raw quiet(port);
    EXPECT_EQ(quiet.ByeReason(), TimedOut);
    Raw idle(port);
    ASSERT_TRUE(idle.Login(QStringLiteral("idle")));
    EXPECT_EQ(idle.ByeReason(), TimedOut);
    // A client that pings stays.
    Raw pinging(port);
    ASSERT_TRUE(pinging.Login(QStringLiteral("pinging")));
    for (int i = 0; i < 6; ++i) {
        pinging.Send(EncodeSimple(Ping));
        mjtest::PumpUntil([] { return false; }, 150);
    }
    EXPECT_FALSE(pinging.closed);
}

// At most 8 wants a client, and a cap on the links.
TEST_F(RelayTest, WantAndConnectionBounds)
{
    Limits limits;
    limits.maxConnections = 2;
    start(limits);
    Raw a(port);
    ASSERT_TRUE(a.Login(QStringLiteral("a")));
    for (int i = 1; i <= 8; ++i)
        a.Send(EncodeWant(QStringLiteral("u%1").arg(i), true));
    a.Send(EncodeWant(QStringLiteral("u8"), false)); // the same user again is no new want
    a.Send(EncodeSimple(Ping));
    ASSERT_TRUE(a.Wait([&] { return a.Has(Ping); }));
    QSet<QString> told;
    for (const Message& m : a.got)
        if (m.type == Peer)
            told.insert(m.name);
    EXPECT_EQ(told.size(), 8);
    Raw b(port);
    Raw c(port);
    EXPECT_EQ(c.ByeReason(), Full);
    a.Send(EncodeWant(QStringLiteral("u9"), true));
    EXPECT_EQ(a.ByeReason(), TooManyWants);
}

// At most 30 frames a second from one sender to one receiver; the next
// second brings more.
TEST_F(RelayTest, FramesAreCappedPerSenderAndSecond)
{
    start();
    Raw a(port), b(port);
    ASSERT_TRUE(a.Login(QStringLiteral("a")));
    ASSERT_TRUE(b.Login(QStringLiteral("b")));
    a.Send(EncodeWant(QStringLiteral("b"), true));
    b.Send(EncodeWant(QStringLiteral("a"), true));
    ASSERT_TRUE(a.Wait([&] { return a.PeerStatusOf(QStringLiteral("b")) == MutualEvery; }));
    for (int i = 0; i < 50; ++i)
        a.Send(EncodeSend(QStringLiteral("b"), Frame, QByteArray::number(i)));
    a.Send(EncodeSend(QStringLiteral("b"), Format, QByteArray("after")));
    ASSERT_TRUE(b.Wait([&] {
        const Message* m = b.Last(Data);
        return m && m->value == Format;
    }));
    EXPECT_EQ(b.Count(Data), 31) << "30 frames and the format";
    clock += 1.0;
    a.Send(EncodeSend(QStringLiteral("b"), Frame, QByteArray("next second")));
    ASSERT_TRUE(b.Wait([&] { return b.Last(Data)->payload == "next second"; }));
}

// A receiver that stops reading loses frames once 1 MiB waits for it, but
// never the relay's other messages.
TEST_F(RelayTest, StoppedReaderLosesFramesNotControl)
{
    Limits limits;
    limits.framesPerSecond = 100000;
    start(limits);
    Raw sender(port);
    Raw stopped(port, false);
    ASSERT_TRUE(sender.Login(QStringLiteral("s")));
    stopped.Send(EncodeHello(QStringLiteral("r")));
    stopped.Send(EncodeWant(QStringLiteral("s"), true));
    stopped.Send(EncodeWant(QStringLiteral("late"), true));
    sender.Send(EncodeWant(QStringLiteral("r"), true));
    sender.Send(EncodeSimple(Ping));
    ASSERT_TRUE(sender.Wait([&] { return sender.PeerStatusOf(QStringLiteral("r")) == MutualEvery; }));
    const QByteArray big(60 * 1024, 'f');
    const int sent = 120; // about 7 MiB
    for (int i = 0; i < sent; ++i) {
        sender.Send(EncodeSend(QStringLiteral("r"), Frame, big));
        mjtest::PumpUntil([] { return false; }, 5);
    }
    // Control for the stopped reader: a user it wants logs in.
    Raw late(port);
    ASSERT_TRUE(late.Login(QStringLiteral("late")));
    sender.Send(EncodeSimple(Ping));
    ASSERT_TRUE(sender.Wait([&] { return sender.Count(Ping) == 2; }));
    mjtest::PumpUntil([] { return false; }, 200);

    stopped.Resume();
    ASSERT_TRUE(stopped.Wait([&] { return stopped.PeerStatusOf(QStringLiteral("late")) == Online; }));
    stopped.Wait([] { return false; }, 300);
    EXPECT_FALSE(stopped.broken);
    EXPECT_GT(stopped.Count(Data), 0);
    EXPECT_LT(stopped.Count(Data), sent / 2);
}

// With its sent report on, the relay prints one line for each frame it
// passes on to a user, numbered, so the lines count what the user gets, not
// what was sent for it: frames over the rate limit, or over a stopped
// reader's queue, have no line.
TEST_F(RelayTest, TheSentReportCountsWhatAUserGets)
{
    const struct {
        const char* name;
        int framesPerSecond;
        bool reading;
        int frames;
        QByteArray payload;
    } cases[] = {
        {"over the rate limit", 30, true, 50, QByteArray("frame")},
        {"over a stopped reader's queue", 100000, false, 120, QByteArray(60 * 1024, 'f')},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Limits limits;
        limits.framesPerSecond = c.framesPerSecond;
        start(limits);
        QStringList lines;
        relay->OnLine = [&](const QString& line) {
            if (line.startsWith(QStringLiteral("sent r from s #")))
                lines << line;
        };
        relay->SetReportSent(true);
        Raw sender(port);
        Raw reader(port, c.reading);
        ASSERT_TRUE(sender.Login(QStringLiteral("s")));
        reader.Send(EncodeHello(QStringLiteral("r")));
        reader.Send(EncodeWant(QStringLiteral("s"), true));
        sender.Send(EncodeWant(QStringLiteral("r"), true));
        ASSERT_TRUE(sender.Wait([&] { return sender.PeerStatusOf(QStringLiteral("r")) == MutualEvery; }));
        for (int i = 0; i < c.frames; ++i) {
            sender.Send(EncodeSend(QStringLiteral("r"), Frame, c.payload));
            mjtest::PumpUntil([] { return false; }, 5);
        }
        // The relay has handled every frame once it answers a PING sent after them.
        sender.Send(EncodeSimple(Ping));
        ASSERT_TRUE(sender.Wait([&] { return sender.Count(Ping) == 1; }));
        if (!c.reading)
            reader.Resume();
        reader.Wait([&] { return reader.Count(Data) >= lines.size(); }, 10000);
        reader.Wait([] { return false; }, 200);
        EXPECT_GT(lines.size(), 0);
        EXPECT_LT(lines.size(), c.frames);
        EXPECT_EQ(reader.Count(Data), lines.size());
        EXPECT_TRUE(lines.last().startsWith(QStringLiteral("sent r from s #%1 %2 bytes").arg(lines.size()).arg(c.payload.size())))
            << lines.last().toStdString();
        relay.reset();
    }
}

// The client's transport keeps at most 256 KiB waiting: frames beyond are
// not sent, format and mode still are.
TEST_F(RelayTest, ClientDropsFramesOverItsBacklog)
{
    start();
    auto a = client(QStringLiteral("a"));
    Raw b(port);
    ASSERT_TRUE(b.Login(QStringLiteral("b")));
    b.Send(EncodeWant(QStringLiteral("a"), true));
    a->ConnectUser(1, QStringLiteral("b"));
    ASSERT_TRUE(mjtest::PumpUntil([&] { return a->UserState(1) == 15; }));
    const QByteArray big(60 * 1024, 'f');
    int accepted = 0;
    for (int i = 0; i < 10; ++i)
        accepted += a->SendFrame(1, big) ? 1 : 0;
    EXPECT_LT(accepted, 10);
    EXPECT_GE(accepted, 4);
    EXPECT_GT(a->Backlog(), P2PSocket::MaxBacklog);
    EXPECT_TRUE(a->SendMode(1, 2));
}

// ---- mjrelay, the program -----------------------------------------------------------------

namespace {

struct RelayRun : mjtest::ToolProcess {
    explicit RelayRun(const QStringList& peers)
    {
        QStringList args{QStringLiteral("--port"), QStringLiteral("0")};
        for (const QString& p : peers)
            args << QStringLiteral("--peer") << p;
        EXPECT_TRUE(Start(QStringLiteral("mjrelay"), args));
        const int at = WaitForLine(QStringLiteral("listening "));
        if (at >= 0)
            port = static_cast<quint16>(Lines()[at].mid(10).toInt());
    }
    int FrameLines(const QString& peer) const
    {
        int n = 0;
        for (const QString& line : const_cast<RelayRun*>(this)->Lines())
            n += line.startsWith(QStringLiteral("frame %1 from ").arg(peer)) ? 1 : 0;
        return n;
    }
    quint16 port = 0;
};

} // namespace

// The test peers want whoever wants them: sparse gives 14, every frame 15;
// they send the pattern and print each frame they get.
TEST(MjRelay, PeersAnswerWantsSendPatternAndCountFrames)
{
    RelayRun run({QStringLiteral("sparse1:sparse"), QStringLiteral("every1")});
    ASSERT_NE(run.port, 0);
    P2PSocket p;
    p.SetServerHost(QStringLiteral("127.0.0.1"));
    p.SetServerPort(run.port);
    QList<int> slotsWithData;
    p.OnDataReceived = [&](int16_t slot, const QByteArray& frame) {
        if (FrameAcceptable(frame))
            slotsWithData.append(slot);
    };
    p.Login(QStringLiteral("player1"));
    ASSERT_TRUE(mjtest::PumpUntil([&] { return p.LoggedIn(); }));
    p.ConnectUser(1, QStringLiteral("sparse1"));
    p.ConnectUser(2, QStringLiteral("every1"));
    ASSERT_TRUE(mjtest::PumpUntil([&] { return p.UserState(1) == 14 && p.UserState(2) == 15; }));
    ASSERT_TRUE(mjtest::PumpUntil([&] { return slotsWithData.contains(1) && slotsWithData.contains(2); }));
    EXPECT_EQ(p.PeerFormat(1), QStringLiteral("JPEG 320x240"));
    for (int i = 1; i <= 3; ++i) {
        EXPECT_TRUE(p.SendFrame(1, frameOf(i)));
        EXPECT_TRUE(p.SendFrame(2, frameOf(i)));
    }
    EXPECT_TRUE(mjtest::PumpUntil([&] { return run.FrameLines(QStringLiteral("sparse1")) == 3
                                                 && run.FrameLines(QStringLiteral("every1")) == 3; }));
}

// A relay that stops answering or dies frees the client: the link ends,
// every joined slot stays joined but not connected, and a login that gets
// no answer ends too. Each end comes within what the client's short limits
// allow (a client that kept its defaults, 10 s for a login's answer and
// 30 s of silence, would still be waiting), and the silent relay's end comes
// no sooner than its silence limit.
TEST(MjRelay, StalledOrKilledRelayFreesTheClient)
{
    constexpr int LoginMs = 500, PingMs = 100, SilenceMs = 800;
    constexpr int Slack = 2000; // room for a busy machine
    RelayRun run({QStringLiteral("every1")});
    ASSERT_NE(run.port, 0);
    P2PSocket p;
    p.SetServerHost(QStringLiteral("127.0.0.1"));
    p.SetServerPort(run.port);
    p.SetTimeouts(LoginMs, PingMs, SilenceMs);
    p.Login(QStringLiteral("player1"));
    ASSERT_TRUE(mjtest::PumpUntil([&] { return p.LoggedIn(); }));
    p.ConnectUser(1, QStringLiteral("every1"));
    ASSERT_TRUE(mjtest::PumpUntil([&] { return p.UserState(1) == 15; }));

    const auto pid = run.Process().processId();
    QElapsedTimer since;
    since.start();
    ::kill(static_cast<pid_t>(pid), SIGSTOP);
    EXPECT_TRUE(mjtest::PumpUntil([&] { return !p.LoggedIn(); }, SilenceMs + Slack)) << "silence ends the link";
    // The last answer to a PING came at most a PING's interval before the stop.
    EXPECT_GE(since.elapsed(), SilenceMs - PingMs - 50) << "not before the silence limit";
    EXPECT_EQ(p.UserState(1), 1);
    EXPECT_EQ(p.UserID(1), QStringLiteral("every1"));
    EXPECT_FALSE(p.SendFrame(1, frameOf(1)));

    QList<int> results;
    p.OnLoginResult = [&](int16_t status) { results.append(status); };
    p.Login(QStringLiteral("player1"));
    EXPECT_TRUE(mjtest::PumpUntil([&] { return !results.isEmpty(); }, LoginMs + Slack)) << "an unanswered login ends";
    EXPECT_EQ(results, QList<int>{0});

    ::kill(static_cast<pid_t>(pid), SIGCONT);
    results.clear();
    p.Login(QStringLiteral("player1"));
    ASSERT_TRUE(mjtest::PumpUntil([&] { return p.LoggedIn() && p.UserState(1) == 15; }));
    run.Process().kill();
    EXPECT_TRUE(mjtest::PumpUntil([&] { return !p.LoggedIn(); }, SilenceMs + Slack)) << "a dead relay ends the link";
    EXPECT_EQ(p.UserState(1), 1);
}
