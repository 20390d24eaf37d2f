// The scripted game server, run as the program it is, with a plain socket as
// its client.
#include "ServerProcess.h"
#include "TestSupport.h"

#include "platform/Clock.h"
#include "platform/Gbk.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QHostAddress>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace mj;
using mjtest::ServerProcess;

namespace {

constexpr int FrameSize = 272;

// A client connection that collects everything the server sends.
class Client {
public:
    explicit Client(int port)
    {
        QObject::connect(&socket, &QIODevice::readyRead, [this] {
            ++chunks;
            received += socket.readAll();
        });
        // A server that sends its frames and closes at once may take the
        // socket past the connected state between two looks at it.
        QObject::connect(&socket, &QAbstractSocket::connected, [this] { everConnected = true; });
        socket.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(port));
        mjtest::PumpUntil([this] { return everConnected || socket.state() == QAbstractSocket::UnconnectedState; });
    }
    bool Connected() const { return everConnected; }
    bool WaitForBytes(qsizetype n)
    {
        return mjtest::PumpUntil([&] { return received.size() >= n; });
    }
    bool WaitForClose()
    {
        return mjtest::PumpUntil([&] { return socket.state() == QAbstractSocket::UnconnectedState; });
    }

    QTcpSocket socket;
    QByteArray received;
    int chunks = 0;
    bool everConnected = false;
};

// A frame built by hand, the way the script describes it.
QByteArray Frame(int code, int seat, int v0, int v1, int v2, int v3)
{
    QByteArray f(FrameSize, '\0');
    f[2] = char(code >> 8);
    f[3] = char(code);
    f[6] = char(seat);
    const int values[] = {v0, v1, v2, v3};
    for (int k = 0; k < 4; ++k) {
        f[8 + 2 * k] = char((values[k] >> 8) & 0xFF);
        f[9 + 2 * k] = char(values[k] & 0xFF);
    }
    return f;
}

QString RecvLine(const QByteArray& f, const QString& fields)
{
    return QStringLiteral("recv %1 %2").arg(fields, QString::fromLatin1(f.toHex()));
}

TEST(MjServer, FramesAreByteExact)
{
    ServerProcess run(QStringLiteral(
        "# header and body items\n"
        "send 15 4 -2 300 0x7fff -32768 @20 u8:255 u16le:0x1234 u16be:0x1234 u32le:0x01020304"
        " u32be:0x01020304 hex:00FFa5 gbk:\"中\\\"文\" @236 u32be:272 token:0A0B @96 u64le:18446744073709551615"
        " u64le:0x0102030405060708\n"
        "send 19 1 0 0 0 65535 text:系统提示 a \"b\" # c\n"
        "end\n"));
    Client client(run.Port());
    ASSERT_TRUE(client.Connected());
    ASSERT_TRUE(client.WaitForBytes(2 * FrameSize));
    EXPECT_EQ(run.WaitForExit(), 0) << run.Errors().toStdString();

    QByteArray first = Frame(15, 4, 0xFFFE, 300, 0x7FFF, 0x8000);
    const QByteArray body = QByteArray::fromHex("ff" "3412" "1234" "04030201" "01020304" "00ffa5")
        + Gbk::Encode(QStringLiteral("中\"文"));
    first.replace(20, body.size(), body);
    first.replace(236, 4, QByteArray::fromHex("00000110"));
    first.replace(96, 16, QByteArray::fromHex("ffffffffffffffff" "0807060504030201"));
    first[260] = char(0x0A);
    first[261] = char(0x0B);
    EXPECT_EQ(client.received.left(FrameSize).toHex(), first.toHex());

    QByteArray second = Frame(19, 1, 0, 0, 0, 0xFFFF);
    const QByteArray text = Gbk::Encode(QStringLiteral("系统提示 a \"b\" # c"));
    second.replace(16, text.size(), text);
    EXPECT_EQ(client.received.mid(FrameSize).toHex(), second.toHex());
}

TEST(MjServer, SplitSendsArriveWholeAfterReassembly)
{
    // One frame cut in three, then two frames cut one byte past the first.
    ServerProcess run(QStringLiteral(
        "split 5,200 gap 50\n"
        "send 2 1 1 0 0 0 hex:0102030405\n"
        "split 273 gap 50\n"
        "repeat 2\n"
        "send 2 2 {i} 0 0 0\n"
        "endrepeat\n"
        "end\n"));
    Client client(run.Port());
    ASSERT_TRUE(client.WaitForBytes(3 * FrameSize));
    EXPECT_EQ(run.WaitForExit(), 0) << run.Errors().toStdString();

    QByteArray expected = Frame(2, 1, 1, 0, 0, 0);
    expected.replace(16, 5, QByteArray::fromHex("0102030405"));
    expected += Frame(2, 2, 0, 0, 0, 0) + Frame(2, 2, 1, 0, 0, 0);
    EXPECT_EQ(client.received.toHex(), expected.toHex());
    // Pieces are written apart in time, so they arrive in more than one chunk
    // (TCP promises no boundaries, so the count is not pinned down).
    EXPECT_GE(client.chunks, 2);
}

TEST(MjServer, RepeatSendsFramesInOrder)
{
    ServerProcess run(QStringLiteral("repeat 300\nsend 2 1 {i} 0 0 0\nendrepeat\nend\n"));
    Client client(run.Port());
    ASSERT_TRUE(client.WaitForBytes(300 * FrameSize));
    EXPECT_EQ(run.WaitForExit(), 0);
    ASSERT_EQ(client.received.size(), 300 * FrameSize);
    for (int i = 0; i < 300; ++i) {
        const QByteArray f = client.received.mid(i * FrameSize, FrameSize);
        ASSERT_EQ(f.toHex(), Frame(2, 1, i, 0, 0, 0).toHex()) << "frame " << i;
    }
}

TEST(MjServer, ExpectWaitsForTheClientAndRecordsEveryFrame)
{
    QTemporaryDir dir;
    const QString record = dir.filePath(QStringLiteral("record.txt"));
    ServerProcess run(QStringLiteral(
        "expect 7 timeout 10\n"
        "send 8 1 0 0 0 0\n"
        "expect 9\n"
        "end\n"), {QStringLiteral("--record"), record});
    Client client(run.Port());
    ASSERT_TRUE(client.Connected());

    // A frame of another code is consumed on the way to the awaited one.
    QByteArray other = Frame(5, 2, 0, 0, 0, 0);
    QByteArray wanted = Frame(7, 2, 0xFFFF, 0x8000, 3, 0x7FFF);
    wanted.replace(16, 4, "abcd");
    wanted[260] = char(0x12);
    client.socket.write(other + wanted.left(100));
    // Nothing is sent until the awaited frame is whole.
    const QString otherLine = RecvLine(other, QStringLiteral("5 2 0 0 0 0"));
    ASSERT_TRUE(mjtest::PumpUntil([&] { return run.Lines().contains(otherLine); }));
    EXPECT_TRUE(client.received.isEmpty());
    client.socket.write(wanted.mid(100));
    ASSERT_TRUE(client.WaitForBytes(FrameSize));
    EXPECT_EQ(client.received, Frame(8, 1, 0, 0, 0, 0));

    const QByteArray last = Frame(9, 2, 0, 0, 0, 0);
    client.socket.write(last + "xyz");
    EXPECT_EQ(run.WaitForExit(), 0) << run.Errors().toStdString();

    const QStringList expected = {
        RecvLine(other, QStringLiteral("5 2 0 0 0 0")),
        RecvLine(wanted, QStringLiteral("7 2 -1 -32768 3 32767")),
        RecvLine(last, QStringLiteral("9 2 0 0 0 0")),
    };
    QStringList recorded;
    for (const QString& line : run.Lines()) {
        if (line.startsWith(u"recv ") || line.startsWith(u"partial "))
            recorded.append(line);
    }
    // The three stray bytes may or may not arrive before the server ends.
    if (recorded.size() == 4) {
        EXPECT_EQ(recorded.takeLast(), QStringLiteral("partial 3 78797a"));
    }
    EXPECT_EQ(recorded, expected);

    QFile file(record);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QStringList inFile = QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
    if (inFile.size() == 4)
        inFile.removeLast();
    EXPECT_EQ(inFile, expected);
}

TEST(MjServer, ConnectionsPlayTheirOwnSections)
{
    ServerProcess run(QStringLiteral(
        "send 1 1 1 0 0 0\n"
        "wait-close\n"
        "connection 2\n"
        "expect 28\n"
        "send 28 1 0 0 0 0\n"
        "close\n"
        "connection 3\n"
        "end\n"));
    const int port = run.Port();
    {
        Client first(port);
        ASSERT_TRUE(first.WaitForBytes(FrameSize));
        EXPECT_EQ(first.received, Frame(1, 1, 1, 0, 0, 0));
        first.socket.write("0123456789");
        first.socket.disconnectFromHost();
        ASSERT_TRUE(mjtest::PumpUntil([&] { return run.Lines().contains(QStringLiteral("closed 1")); }));
        EXPECT_TRUE(run.Lines().contains(QStringLiteral("partial 10 30313233343536373839")));
    }
    Client second(port);
    second.socket.write(Frame(28, 1, 0, 0, 0, 0));
    ASSERT_TRUE(second.WaitForBytes(FrameSize));
    EXPECT_EQ(second.received, Frame(28, 1, 0, 0, 0, 0));
    EXPECT_TRUE(second.WaitForClose());

    Client third(port);
    EXPECT_TRUE(third.WaitForClose());
    EXPECT_EQ(run.WaitForExit(), 0) << run.Errors().toStdString();
    EXPECT_EQ(run.Lines().filter(QStringLiteral("connected ")),
              (QStringList{"connected 1", "connected 2", "connected 3"}));
}

// A client that connects again while the server still serves its first
// connection (as a client reconnecting on a busy machine does) may send its
// frames before the server takes the new connection up: they are recorded
// all the same, once the first connection has ended.
TEST(MjServer, FramesSentBeforeTheConnectionIsTakenUpAreRecorded)
{
    ServerProcess run(QStringLiteral("wait-close timeout 30\n"));
    const int port = run.Port();
    Client first(port);
    ASSERT_TRUE(first.Connected());
    ASSERT_GE(run.WaitForLine(QStringLiteral("connected 1")), 0);
    Client second(port);
    ASSERT_TRUE(second.Connected());
    const QByteArray early = Frame(5, 2, 1, 0, 0, 0);
    second.socket.write(early);
    ASSERT_TRUE(second.socket.waitForBytesWritten(5000));
    // The second connection's frame lies at the server before this one does:
    // the server has seen both by the time it reports this one.
    const QByteArray onFirst = Frame(5, 1, 0, 0, 0, 0);
    first.socket.write(onFirst);
    ASSERT_GE(run.WaitForLine(RecvLine(onFirst, QStringLiteral("5 1 0 0 0 0"))), 0);
    first.socket.disconnectFromHost();

    ASSERT_GE(run.WaitForLine(RecvLine(early, QStringLiteral("5 2 1 0 0 0"))), 0) << qPrintable(run.Lines().join(u'\n'));
    const QStringList lines = run.Lines();
    EXPECT_EQ(lines.filter(QRegularExpression(QStringLiteral("^(connected|closed|recv) "))),
              (QStringList{QStringLiteral("connected 1"), RecvLine(onFirst, QStringLiteral("5 1 0 0 0 0")),
                           QStringLiteral("closed 1"), QStringLiteral("connected 2"),
                           RecvLine(early, QStringLiteral("5 2 1 0 0 0"))}));
}

TEST(MjServer, RunningFailuresEndWithTheLineAndCodeOne)
{
    struct Case {
        const char* name;
        const char* script;
        bool clientCloses;
        const char* message;
    };
    const Case cases[] = {
        {"expect times out", "send 1 1 0 0 0 0\nexpect 7 timeout 0.2\n", false,
         "line 2: timed out waiting for code 7"},
        {"client closes while awaited", "send 1 1 0 0 0 0\n\nexpect 7\n", true,
         "line 3: the client closed the connection before sending code 7"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ServerProcess run(QString::fromUtf8(c.script));
        Client client(run.Port());
        ASSERT_TRUE(client.WaitForBytes(FrameSize));
        if (c.clientCloses)
            client.socket.disconnectFromHost();
        EXPECT_EQ(run.WaitForExit(), 1);
        EXPECT_TRUE(run.Errors().contains(QString::fromUtf8(c.message))) << run.Errors().toStdString();
    }
}

TEST(MjServer, ScriptErrorsNameTheLineBeforeListening)
{
    struct Case {
        const char* script;
        const char* line;
    };
    const Case cases[] = {
        {"# comment\n\nhello\n", "line 3: unknown command"},
        {"send 1 1 0 0 0 0 foo:1\n", "line 1: unknown body item \"foo:1\""},
        {"send 1 1 0 0 0\n", "line 1: send needs"},
        {"send 1 256 0 0 0 0\n", "line 1: seat: 256 is outside"},
        {"send 1 1 65536 0 0 0\n", "line 1: value 0: 65536 is outside"},
        {"send 1 1 -32769 0 0 0\n", "line 1: value 0"},
        {"send 1 1 0 0 0 0 @270 hex:010203\n", "line 1: hex: runs past byte 271"},
        {"send 1 1 0 0 0 0 hex:123\n", "line 1: hex: needs an even number"},
        {"send 1 1 0 0 0 0 gbk:\"open\n", "line 1: unterminated quoted text"},
        {"send 1 1 0 0 0 0 token:12\n", "line 1: token: needs four hex digits"},
        {"send 1 1 0 0 0 0 u64le:18446744073709551616\n", "line 1: u64le: \"18446744073709551616\" is not a number"},
        {"send 1 1 0 0 0 0 u64le:-1\n", "line 1: u64le: \"-1\" is not a number"},
        {"split 10\npause 5\n", "line 1: split must be followed"},
        {"split 272\nsend 1 1 0 0 0 0\n", "line 1: split: offset 272"},
        {"send 1 1 0 0 0 0\nrepeat 3\nsend 1 1 {i} 0 0 0\n", "line 2: repeat without endrepeat"},
        {"repeat 2\nsend 1 1 {i} 0 0 0 bad\nendrepeat\n", "line 2: unknown body item"},
        {"repeat 2\nexpect 1\nendrepeat\n", "line 2: only send lines"},
        {"expect 7 after 3\n", "line 1: expected \"timeout SECONDS\""},
        {"connection 1\nconnection 1\n", "line 2: connection 1 appears twice"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        // Started by hand: the server never listens, so there is no port to wait for.
        QTemporaryDir dir;
        const QString script = dir.filePath(QStringLiteral("script.txt"));
        QFile file(script);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(c.script);
        file.close();
        mjtest::ToolProcess run;
        ASSERT_TRUE(run.Start(QStringLiteral("mjserver"), {script}));
        EXPECT_EQ(run.WaitForExit(), 2);
        const QString errors = run.Errors();
        EXPECT_TRUE(errors.startsWith(QStringLiteral("mjserver: ") + QString::fromUtf8(c.line)))
            << errors.toStdString();
        EXPECT_TRUE(run.Lines().filter(QStringLiteral("listening")).isEmpty());
    }
}

} // namespace
