// The real client process, started by the replacement hall, against the
// scripted game server.
#include "DemoSettlement.h"
#include "ServerProcess.h"
#include "TestSupport.h"

#include "client/classIniFile.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <algorithm>
#include <memory>

#include <gtest/gtest.h>

using mjtest::ServerProcess;
using mjtest::ToolProcess;

namespace {

// Everything one run needs of its own: the program folder with a copy of the
// client, the folder of the hall link's socket, the instance lock.
class ClientRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        ASSERT_TRUE(QDir().mkpath(tmp.filePath(QStringLiteral("bin"))));
        ASSERT_TRUE(QDir().mkpath(tmp.filePath(QStringLiteral("sock"))));
        client = tmp.filePath(QStringLiteral("bin/mjtable"));
        ASSERT_TRUE(QFile::copy(QStringLiteral(MJ_BUILD_DIR "/mjtable"), client));
        env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("TMPDIR"), tmp.filePath(QStringLiteral("sock")));
        env.insert(QStringLiteral("MJ_INSTANCE_LOCK"), tmp.filePath(QStringLiteral("instance.lock")));
        env.insert(QStringLiteral("MJ_SCREEN_SIZE"), QStringLiteral("1024x768"));
    }

    // The hall's fifteen fields for a direct connection to `port`, in auto
    // mode so that the hall keeps its title.
    QString lineFor(int port, const QString& title = QStringLiteral("测试大厅 one")) const
    {
        return QStringLiteral("player1$secret$127.0.0.1$%1$一号房间$0$127.0.0.1$1080$$$1$%2$自动$0$0$")
            .arg(port)
            .arg(title);
    }

    bool startHall(const QString& line, const QString& title = QStringLiteral("测试大厅 one"))
    {
        return startHall(hall, line, title);
    }
    bool startHall(ToolProcess& process, const QString& line, const QString& title)
    {
        if (!process.Start(QStringLiteral("mjhall"),
                           {QStringLiteral("--title"), title, QStringLiteral("--exec"), client, QStringLiteral("--line"),
                            line},
                           env))
            return false;
        return process.WaitForLine(QStringLiteral("listening")) >= 0;
    }

    // The client of a whole hand runs its clock `rate` times as fast: the
    // game's pauses (the turn clock, the draws, the countdowns) are not what
    // the hand's tests check.
    void playFast(int rate = 4) { env.insert(QStringLiteral("MJ_CLOCK_RATE"), QString::number(rate)); }

    QTemporaryDir tmp;
    QString client;
    QProcessEnvironment env;
    ToolProcess hall;
};

// The login frame as the client must send it.
QString expectedLoginHex()
{
    QByteArray f(272, '\0');
    f[3] = 18;
    f[14] = 1;
    f.replace(16, 7, "player1");
    f.replace(32, 6, "secret");
    return QString::fromLatin1(f.toHex());
}

TEST_F(ClientRun, LogsInTellsTheHallAndKeepsTheLinkAlive)
{
    ServerProcess server(QStringLiteral("expect 18\n"
                                        "send 18 0 2 0x13 0 1 text:http://127.0.0.1:9/none\n"
                                        "expect 24 timeout 20\n"
                                        "wait-close timeout 30\n"));
    ASSERT_GT(server.Port(), 0);
    ASSERT_TRUE(startHall(lineFor(server.Port())));
    EXPECT_GE(hall.WaitForLine(QStringLiteral("restore")), 0);
    EXPECT_GE(hall.WaitForLine(QStringLiteral("recv 0x16")), 0); // while connecting
    ASSERT_GE(server.WaitForLine(QStringLiteral("recv 18 ")), 0) << qPrintable(hall.Errors());
    const QString login = server.Received().first();
    EXPECT_EQ(login.section(u' ', 7).toLower(), expectedLoginHex());
    EXPECT_GE(hall.WaitForLine(QStringLiteral("recv 0x303")), 0);
    ASSERT_GE(server.WaitForLine(QStringLiteral("recv 24 ")), 0); // the keep-alive
}

// Lines that carry no hall title find the hall under its usual one.
TEST_F(ClientRun, ALineWithoutAHallTitleFindsTheUsualHallAndLogsIn)
{
    const struct {
        const char* name;
        const char* line; // %1: the server's port
    } cases[] = {
        {"watch line", "player1$secret$127.0.0.1$%1$一号房间$90001"},
        {"auto mode, empty title field", "player1$secret$127.0.0.1$%1$一号房间$0$127.0.0.1$1080$$$1$$自动$0$0$"},
    };
    int run = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // The previous case's client may still be on its way out.
        env.insert(QStringLiteral("MJ_INSTANCE_LOCK"), tmp.filePath(QStringLiteral("usual-%1.lock").arg(++run)));
        ServerProcess server(QStringLiteral("expect 18\nwait-close timeout 30\n"));
        ASSERT_GT(server.Port(), 0);
        ToolProcess usualHall; // ends, and takes its client with it, at the end of the case
        ASSERT_TRUE(startHall(usualHall, QString::fromUtf8(c.line).arg(server.Port()), QStringLiteral("琼蔚山庄")));
        EXPECT_GE(usualHall.WaitForLine(QStringLiteral("restore")), 0) << qPrintable(usualHall.Errors());
        ASSERT_GE(server.WaitForLine(QStringLiteral("recv 18 ")), 0) << qPrintable(usualHall.Errors());
        EXPECT_EQ(server.Received().first().section(u' ', 7).toLower(), expectedLoginHex());
    }
}

TEST_F(ClientRun, ARefusedLoginTellsTheHallRestoresItAndEnds)
{
    ServerProcess server(QStringLiteral("expect 18\nsend 18 0 0 0 0 2\nwait-close\n"));
    ASSERT_TRUE(startHall(lineFor(server.Port())));
    ASSERT_GE(hall.WaitForLine(QStringLiteral("exit ")), 0) << qPrintable(hall.Errors());
    const QStringList lines = hall.Lines();
    const int login = lines.indexOf(QStringLiteral("recv 0x16"));
    EXPECT_GE(login, 0);
    EXPECT_GE(lines.lastIndexOf(QStringLiteral("restore")), login);
    EXPECT_FALSE(lines.contains(QStringLiteral("recv 0x303")));
}

TEST_F(ClientRun, TheHallsQuestionsBetweenHandsAreAnswered)
{
    ServerProcess server(QStringLiteral("expect 18\nsend 18 0 0 8 0 1\nexpect 16 timeout 20\nwait-close timeout 20\n"));
    ASSERT_TRUE(startHall(lineFor(server.Port())));
    const int accepted = hall.WaitForLine(QStringLiteral("recv 0x303"));
    ASSERT_GE(accepted, 0) << qPrintable(hall.Errors());

    hall.Send(QStringLiteral("post 0x465")); // is a hand running?
    EXPECT_GE(hall.WaitForLine(QStringLiteral("recv 0x400"), mjtest::EventWaitMs, accepted + 1), 0);
    const int answered = hall.Lines().size();

    hall.Send(QStringLiteral("post 0x303")); // leave the table
    ASSERT_GE(server.WaitForLine(QStringLiteral("recv 16 ")), 0);
    QString leave;
    for (const QString& line : server.Received())
        if (line.startsWith(QStringLiteral("recv 16 ")))
            leave = line;
    QByteArray expected(272, '\0');
    expected[3] = 16;
    EXPECT_EQ(leave.section(u' ', 7).toLower(), QString::fromLatin1(expected.toHex()));
    EXPECT_GE(hall.WaitForLine(QStringLiteral("recv 0x400"), mjtest::EventWaitMs, answered), 0);
}

// The frame a "recv" line of the game server carries.
QByteArray frameOf(const QString& recvLine)
{
    return QByteArray::fromHex(recvLine.section(u' ', 7).toLatin1());
}

// The keep-alive: code 24 and the session token, all else 0.
QByteArray keepAlive(uint16_t token)
{
    QByteArray f(272, '\0');
    f[3] = 24;
    f[260] = static_cast<char>(token >> 8);
    f[261] = static_cast<char>(token & 0xFF);
    return f;
}

// The demonstration's session, as far as the continue prompt: the hand that
// may follow it is left out.
QString demoSession()
{
    QFile file(QStringLiteral(MJ_SOURCE_DIR "/scripts/demo-server.txt"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QString script = QString::fromUtf8(file.readAll());
    const qsizetype hand = script.indexOf(QStringLiteral("# ---- the hand ----"));
    return (hand < 0 ? script : script.left(hand)) + QStringLiteral("wait-close timeout 60\n");
}

// A stay at the table, the real client against the demonstration's game
// server: the login, the keep-alive, the tokens through a lost link and the
// reconnection, the seating, and leaving at the hall's order. Every frame
// the client sends is checked byte by byte.
TEST_F(ClientRun, TheDemoSessionKeepsItsTokensThroughAReconnection)
{
    const QString script = demoSession();
    ASSERT_TRUE(script.contains(QStringLiteral("connection 2")));
    ServerProcess server(script);
    ASSERT_GT(server.Port(), 0) << qPrintable(server.Errors());
    ASSERT_TRUE(startHall(lineFor(server.Port())));

    const int second = server.WaitForLine(QStringLiteral("connected 2"));
    ASSERT_GE(second, 0) << qPrintable(hall.Errors());
    // The first keep-alive after the reconnection answer; the seat names follow it.
    const int resumed = server.WaitForLine(QStringLiteral("recv 24 "), mjtest::EventWaitMs, server.WaitForLine(QStringLiteral("recv 28 "), mjtest::EventWaitMs, second));
    ASSERT_GE(resumed, 0) << qPrintable(hall.Errors());
    // The seat names, right behind, stop the keep-alive: once what waited
    // for the link is out, none comes within two of its periods.
    const auto keepAlives = [&] { return server.Received().filter(QStringLiteral("recv 24 ")).size(); };
    mjtest::PumpUntil([] { return false; }, 2000);
    const qsizetype seated = keepAlives();
    mjtest::PumpUntil([] { return false; }, 11000);
    EXPECT_EQ(keepAlives(), seated);
    // The reconnection went through the login's road, so a login counts as
    // pending: the hall's leave request is answered so. Its order to leave
    // now takes the player off seat 4.
    const int asked = hall.Lines().size();
    hall.Send(QStringLiteral("post 0x303"));
    EXPECT_GE(hall.WaitForLine(QStringLiteral("recv 0x466"), mjtest::EventWaitMs, asked), 0);
    hall.Send(QStringLiteral("post 0x400"));
    ASSERT_GE(server.WaitForLine(QStringLiteral("recv 16 "), mjtest::EventWaitMs, resumed), 0) << qPrintable(hall.Errors());
    ASSERT_GE(server.WaitForLine(QStringLiteral("closed 2")), 0);

    QByteArray reconnect(272, '\0');
    reconnect[3] = 28;
    reconnect[14] = 1;
    reconnect.replace(16, 7, "player1");
    reconnect.replace(32, 6, "secret");
    reconnect.replace(260, 2, QByteArray::fromHex("5678"));
    reconnect.replace(268, 4, QByteArray::fromHex("56341280")); // the user id's bytes as sent
    QByteArray leave(272, '\0');
    leave[3] = 16;
    leave[6] = 4;

    // What the client sent, in order, and on which connection.
    QStringList sent;
    int connection = 0;
    int keepAlivesA = 0, keepAlivesB = 0;
    for (const QString& line : server.Lines()) {
        if (line.startsWith(QStringLiteral("connected ")))
            connection = line.section(u' ', 1).toInt();
        if (!line.startsWith(QStringLiteral("recv ")))
            continue;
        const QByteArray f = frameOf(line);
        ASSERT_EQ(f.size(), 272) << qPrintable(line);
        SCOPED_TRACE(qPrintable(line.left(40)));
        switch (f[3]) {
        case 18:
            EXPECT_EQ(connection, 1);
            EXPECT_EQ(line.section(u' ', 7).toLower(), expectedLoginHex());
            break;
        case 24:
            // Token A until the props frame brought B; B ever after.
            if (keepAlivesB == 0 && f == keepAlive(0x1234)) {
                EXPECT_EQ(connection, 1);
                ++keepAlivesA;
            } else {
                EXPECT_EQ(f, keepAlive(0x5678));
                ++keepAlivesB;
            }
            break;
        case 28:
            EXPECT_EQ(connection, 2);
            EXPECT_EQ(f, reconnect);
            break;
        case 16:
            EXPECT_EQ(connection, 2);
            EXPECT_EQ(f, leave);
            break;
        default:
            ADD_FAILURE() << "unexpected frame";
        }
        sent << QString::number(f[3]);
    }
    EXPECT_EQ(keepAlivesA, 1);
    EXPECT_GE(keepAlivesB, 2);
    EXPECT_EQ(sent.first(), QStringLiteral("18"));
    EXPECT_EQ(sent.count(QStringLiteral("28")), 1);
    EXPECT_EQ(sent.last(), QStringLiteral("16"));
    EXPECT_EQ(sent.count(QStringLiteral("16")), 1);
    EXPECT_EQ(hall.Lines().count(QStringLiteral("recv 0x303")), 1);
    // The hall is minimised at start-up, and once more when the third member
    // without a seat mask brought the table window up over it.
    EXPECT_EQ(hall.Lines().count(QStringLiteral("minimize")), 2);
}

// A frame the client sends for seat 4 during the demonstration's hand: code,
// the four values, and the session token 9abc that the offer it answers
// brought (the hand's other frames carry none).
QByteArray handRequest(uint8_t code, uint16_t v0, uint16_t v1, uint16_t v2, uint16_t v3)
{
    QByteArray f(272, '\0');
    f[3] = static_cast<char>(code);
    f[6] = 4;
    const uint16_t values[4] = {v0, v1, v2, v3};
    for (int k = 0; k < 4; ++k) {
        f[8 + 2 * k] = static_cast<char>(values[k] >> 8);
        f[9 + 2 * k] = static_cast<char>(values[k] & 0xFF);
    }
    f[260] = static_cast<char>(0x9a);
    f[261] = static_cast<char>(0xbc);
    return f;
}

// What the client in auto mode answers to the hand's offers, in order: a
// pass on each (queued first, none answered twice), then on its own turns
// the tile the hand evaluation gives up (tile Or 0x4000), and the peng of
// the 6 of dots (tile Or 0x2000 three times) and the chi of the 8 of bamboo,
// after which no discard follows until the next offer.
QList<QByteArray> expectedHandAnswers()
{
    const QByteArray pass = handRequest(7, 1, 0, 0, 0);
    const auto discard = [](uint16_t tile) { return handRequest(2, 0, 0, 0, 0x4000 | tile); };
    QList<QByteArray> answers;
    // Rounds 1 to 9; round 2 brings the peng offer on seat 2's discard first;
    // round 3's turn the server plays itself, and nothing goes out for it.
    const uint16_t tiles[] = {0x15, 0x16, 0x17, 0x49, 0x81, 0x89, 0x84, 0x43, 0x46};
    for (int round = 0; round < 9; ++round) {
        if (round == 1)
            answers << pass;
        if (round != 2)
            answers << pass << discard(tiles[round]);
    }
    // Round 10: the peng, the discard after it, and the last turn; then the
    // chi of seat 2's 8 of bamboo and the discard after it.
    answers << handRequest(7, 8, 0x2086, 0x2086, 0x2086) << pass << discard(0x42) << pass << discard(0x44);
    answers << handRequest(7, 4, 0x2026, 0x2027, 0x2028) << pass << discard(0x22);
    return answers;
}

// The ready request after the hand (code 16, value 3 = 1): the frames
// before it carried no session token.
QByteArray readyRequest()
{
    QByteArray f(272, '\0');
    f[3] = 16;
    f[6] = 4;
    f[15] = 1;
    return f;
}

// The demonstration's whole script, the real client started through the
// hall in auto mode and playing its hand by itself at both screen sizes at
// once: the walls, the dice doubling, the deal, the follow-the-dealer bubble,
// the offers to the own seat, the claims, the wall's end, the hands shown
// and the settlement sheet. The server waits for the client's answer at each
// offer (and fails when it does not come in time), so every answer comes
// once, for its offer, with the claims and discards the hand calls for, byte
// by byte. The client keeps a screenshot of each of those moments, saves
// the hand's sheet in its history file and asks for the next hand when its
// countdown ends.
TEST_F(ClientRun, TheDemoHandIsPlayedByTheClientInAutoMode)
{
    playFast();
    QFile file(QStringLiteral(MJ_SOURCE_DIR "/scripts/demo-server.txt"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString script = QString::fromUtf8(file.readAll());
    const QStringList moments = {QStringLiteral("dealt"), QStringLiteral("offer"), QStringLiteral("bubble"),
                                 QStringLiteral("meld"), QStringLiteral("shown"), QStringLiteral("settled")};

    struct Run {
        QString size;
        QString client; // a copy of its own, so each run has its own history file
        std::unique_ptr<ServerProcess> server;
        ToolProcess hall;
        int started = -1; // the hall's line of the round start
    };
    Run runs[2];
    runs[0].size = QStringLiteral("1024x768");
    runs[1].size = QStringLiteral("800x600");
    const QString shots = mjtest::ArtifactDir();
    for (Run& run : runs) {
        for (const QString& m : moments)
            QFile::remove(QStringLiteral("%1/table-%2-%3.png").arg(shots, run.size, m));
        const QString sock = tmp.filePath(QStringLiteral("sock-") + run.size);
        ASSERT_TRUE(QDir().mkpath(sock));
        QProcessEnvironment e = env;
        e.insert(QStringLiteral("TMPDIR"), sock);
        e.insert(QStringLiteral("MJ_INSTANCE_LOCK"), tmp.filePath(QStringLiteral("lock-") + run.size));
        e.insert(QStringLiteral("MJ_SCREEN_SIZE"), run.size);
        e.insert(QStringLiteral("MJ_SCREENSHOT_DIR"), shots);
        e.insert(QStringLiteral("MJ_SCREENSHOT_MOMENTS"), moments.join(u','));
        run.server = std::make_unique<ServerProcess>(script);
        ASSERT_GT(run.server->Port(), 0) << qPrintable(run.server->Errors());
        ASSERT_TRUE(QDir().mkpath(tmp.filePath(QStringLiteral("bin-") + run.size)));
        run.client = tmp.filePath(QStringLiteral("bin-%1/mjtable").arg(run.size));
        ASSERT_TRUE(QFile::copy(client, run.client));
        const QString title = QStringLiteral("测试大厅 one");
        ASSERT_TRUE(run.hall.Start(QStringLiteral("mjhall"),
                                   {QStringLiteral("--title"), title, QStringLiteral("--exec"), run.client,
                                    QStringLiteral("--line"), lineFor(run.server->Port(), title)},
                                   e));
        ASSERT_GE(run.hall.WaitForLine(QStringLiteral("listening")), 0);
    }

    for (Run& run : runs) {
        SCOPED_TRACE(qPrintable(run.size));
        run.started = run.hall.WaitForLine(QStringLiteral("recv 0x467"), 120000);
        ASSERT_GE(run.started, 0) << qPrintable(run.hall.Errors());
    }
    // The hall asks whether a hand runs until the client says none does:
    // the prompt after the hand has been handled, and every frame before it.
    for (Run& run : runs) {
        SCOPED_TRACE(qPrintable(run.size));
        int free = -1;
        for (int i = 0; i < 480 && free < 0; ++i) {
            run.hall.Send(QStringLiteral("post 0x465"));
            free = run.hall.WaitForLine(QStringLiteral("recv 0x400"), 500, run.started);
        }
        ASSERT_GE(free, 0) << qPrintable(run.hall.Errors());
        EXPECT_EQ(run.hall.Lines().count(QStringLiteral("recv 0x467")), 1);
        EXPECT_LT(run.hall.WaitForLine(QStringLiteral("exit "), 10), 0) << "the client ended";
        // Every moment was seen, at the window's size.
        const QStringList wh = run.size.split(u'x');
        const QSize expected(wh[0].toInt(), wh[1].toInt());
        for (const QString& m : moments) {
            const QString path = QStringLiteral("%1/table-%2-%3.png").arg(shots, run.size, m);
            ASSERT_TRUE(mjtest::PumpUntil([&] { return QFile::exists(path); })) << qPrintable(m);
            EXPECT_EQ(QImage(path).size(), expected) << qPrintable(m);
        }
    }

    // The sheet saved as the hand's section of the history file, line by
    // line (the file keeps no leading or trailing blanks); then the next hand
    // is asked for.
    for (Run& run : runs) {
        SCOPED_TRACE(qPrintable(run.size));
        mj::classIniFile file;
        file.SetINIFileName(QFileInfo(run.client).dir().filePath(QStringLiteral("info.qv")));
        for (int k = 0; k <= 7; ++k) {
            const QStringList golden = mjtest::demo::SheetList(k);
            ASSERT_EQ(file.GetIniKey(QStringLiteral("juNum:1"), QStringLiteral("count( %1 )").arg(k)),
                      QString::number(golden.size()))
                << k;
            for (int j = 0; j < golden.size(); ++j)
                EXPECT_EQ(file.GetIniKey(QStringLiteral("juNum:1"), QStringLiteral("count( %1 )( %2 )").arg(k).arg(j)),
                          golden[j].trimmed())
                    << k << " " << j;
        }
        for (int i = 0; i <= 3; ++i)
            EXPECT_EQ(file.GetIniKey(QStringLiteral("juNum:1"), QStringLiteral("name( %1 )").arg(i)),
                      mjtest::demo::BoardName(i));
        const int ready = run.server->WaitForLine(QStringLiteral("recv 16 4 0 0 0 1 "));
        ASSERT_GE(ready, 0) << qPrintable(run.hall.Errors());
        EXPECT_EQ(frameOf(run.server->Lines()[ready]), readyRequest());
    }

    // Leaving now takes the player off the seat; what the client sent: the
    // login, keep-alives, the reconnection and the leave, and in the hand
    // exactly its answers.
    for (Run& run : runs) {
        SCOPED_TRACE(qPrintable(run.size));
        run.hall.Send(QStringLiteral("post 0x400"));
        ASSERT_GE(run.server->WaitForLine(QStringLiteral("closed 2")), 0) << qPrintable(run.hall.Errors());
        EXPECT_EQ(run.server->Errors(), QString()) << "the server's script failed";
        QStringList codes;
        QList<QByteArray> answers;
        for (const QString& line : run.server->Received()) {
            const QByteArray f = frameOf(line);
            codes << QString::number(static_cast<uint8_t>(f[3]));
            if (f[3] == 2 || f[3] == 7)
                answers << f;
        }
        codes.removeDuplicates();
        codes.sort();
        EXPECT_EQ(codes, (QStringList{QStringLiteral("16"), QStringLiteral("18"), QStringLiteral("2"),
                                      QStringLiteral("24"), QStringLiteral("28"), QStringLiteral("7")}));
        const QList<QByteArray> expected = expectedHandAnswers();
        ASSERT_EQ(answers.size(), expected.size());
        for (qsizetype i = 0; i < answers.size(); ++i)
            EXPECT_EQ(QString::fromLatin1(answers[i].toHex()), QString::fromLatin1(expected[i].toHex())) << "answer " << i;
    }
}

// The demonstration's hand with the props plug-in: the hall's line allows
// props and the test plug-in lies beside the client. It gives a notice and
// a timed label at once, box data at set-up, and award data for the own
// side once the hand is over; the server sends a frame of code 46 before
// the hand's settlement rows. The own boxes come (auto mode does not click:
// one opens after five seconds), the awards are counted, then the sheet
// shows the bonus line; the next deal hides the boxes.
TEST_F(ClientRun, TheDemoHandWithPropsOpensATreasureBoxBeforeTheSheet)
{
    // The sheet shows only for the next hand's countdown here (the next hand
    // follows at once), which must last long enough for a loaded machine to
    // take its picture.
    playFast(2);
    QFile file(QStringLiteral(MJ_SOURCE_DIR "/scripts/demo-server.txt"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n');
    // The plug-in's frame before the first settlement row, and the next
    // hand's round start and deal after the request for it.
    const qsizetype firstRow = lines.indexOf(QRegularExpression(QStringLiteral("^send 17 .*")));
    ASSERT_GT(firstRow, 0);
    lines.insert(firstRow, QStringLiteral("send 46 0 0 0 0 0"));
    const qsizetype nextHand = lines.indexOf(QRegularExpression(QStringLiteral("^expect 16 .*")), firstRow);
    ASSERT_GT(nextHand, 0);
    lines.insert(nextHand + 1, QStringLiteral("send 16 1 0 0 0 2 @268 u32le:0x80123456"));
    lines.insert(nextHand + 2, QStringLiteral("send 4 1 3 4 2 5"));
    lines.insert(nextHand + 3, QStringLiteral("send 1 4 0 0 0 0 hex:292784168615148986214929"));

    const QString pluginScript = tmp.filePath(QStringLiteral("plugin-script.txt"));
    const QString pluginLog = tmp.filePath(QStringLiteral("plugin-log.txt"));
    {
        QFile script(pluginScript);
        ASSERT_TRUE(script.open(QIODevice::WriteOnly));
        script.write("baoinfo 1\n"
                     "boxtiming 100 10\n"
                     "notice 欢迎使用道具\n"
                     "label 300,40,362,300 500,6,14,255,2 限时道具\n"
                     "score 1\n"
                     "awardtext 0 0 玩家一\n"
                     "bonuscoins 0 800\n"
                     // a sheet line ends in its colour, eight digits
                     "bonustext 0 宝箱奖励：800金币00000255\n");
    }
    ASSERT_TRUE(QDir().mkpath(tmp.filePath(QStringLiteral("bin/plugin/tools"))));
    ASSERT_TRUE(QFile::link(QStringLiteral(MJ_BUILD_DIR "/plugin/tools/libTesmora.so"),
                            tmp.filePath(QStringLiteral("bin/plugin/tools/libTesmora.so"))));
    const QString shots = mjtest::ArtifactDir();
    const QStringList moments = {QStringLiteral("proplabel"), QStringLiteral("boxes"), QStringLiteral("count"),
                                 QStringLiteral("settled")};
    for (const QString& m : moments)
        QFile::remove(QStringLiteral("%1/table-1024x768-%2.png").arg(shots, m));
    env.insert(QStringLiteral("MJ_TESTPLUGIN_SCRIPT"), pluginScript);
    env.insert(QStringLiteral("MJ_TESTPLUGIN_LOG"), pluginLog);
    env.insert(QStringLiteral("MJ_SCREENSHOT_DIR"), shots);
    env.insert(QStringLiteral("MJ_SCREENSHOT_MOMENTS"), moments.join(u','));

    ServerProcess server(lines.join(u'\n'));
    ASSERT_GT(server.Port(), 0) << qPrintable(server.Errors());
    QString line = lineFor(server.Port());
    line.replace(QStringLiteral("$自动$0$0$"), QStringLiteral("$自动$1$0$")); // props allowed
    ASSERT_TRUE(startHall(line));

    const auto calls = [&] {
        QFile log(pluginLog);
        return log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()).split(u'\n', Qt::SkipEmptyParts)
                                             : QStringList();
    };
    // Each deal tells the plug-in that a hand begins: the demonstration's
    // and the next one.
    ASSERT_TRUE(mjtest::PumpUntil([&] { return calls().count(QStringLiteral("InitShowNext(True)")) == 2; }, 180000))
        << qPrintable(calls().join(u'\n')) << qPrintable(server.Errors()) << qPrintable(hall.Errors());

    // In order: set-up, the notice and the label, the deal, the code 46
    // frame, the hand's end, the award data, the boxes opening and counted, the sheet
    // shown, the next deal.
    const QStringList log = calls();
    QStringList road;
    for (const QString& c : log) {
        if (c.startsWith(QStringLiteral("Rec_MSG(0000002e")))
            road << QStringLiteral("Rec_MSG(46)");
        else if (c.startsWith(QStringLiteral("Initdll(")))
            road << QStringLiteral("Initdll");
        else if (c.startsWith(QStringLiteral("GetSendBuff() -> ")) || c == QStringLiteral("GetBaoInfo()")
                 || c == QStringLiteral("InitShowEnd()") || c == QStringLiteral("GetScoreInfo() -> 1")
                 || c.startsWith(QStringLiteral("ShowGif(")) || c.startsWith(QStringLiteral("InitShowNext(")))
            road << c;
    }
    EXPECT_EQ(road, (QStringList{"Initdll", "GetBaoInfo()", "GetSendBuff() -> 0", "GetSendBuff() -> 1",
                                 "InitShowNext(True)", "Rec_MSG(46)", "InitShowEnd()", "GetScoreInfo() -> 1", "ShowGif(1, True)",
                                 "ShowGif(1, False)", "InitShowNext(False)", "InitShowNext(True)"}));
    EXPECT_EQ(log.count(QStringLiteral("mj_create_plugin(1)")), 1);

    // The sheet, saved in the history file, holds the own side's bonus line.
    mj::classIniFile history;
    history.SetINIFileName(tmp.filePath(QStringLiteral("bin/info.qv")));
    QStringList ownColumn;
    const int count = history.GetIniKey(QStringLiteral("juNum:1"), QStringLiteral("count( 0 )")).toInt();
    for (int j = 0; j < count; ++j)
        ownColumn << history.GetIniKey(QStringLiteral("juNum:1"), QStringLiteral("count( 0 )( %1 )").arg(j));
    EXPECT_TRUE(ownColumn.contains(QStringLiteral("宝箱奖励：800金币"))) << qPrintable(ownColumn.join(u'|'));

    for (const QString& m : moments) {
        const QString path = QStringLiteral("%1/table-1024x768-%2.png").arg(shots, m);
        EXPECT_TRUE(mjtest::PumpUntil([&] { return QFile::exists(path); })) << qPrintable(m);
    }
    hall.Send(QStringLiteral("post 0x400"));
    EXPECT_GE(server.WaitForLine(QStringLiteral("closed 2")), 0);
    EXPECT_EQ(server.Errors(), QString()) << "the server's script failed";
}

// How many of `captured` frames a peer that wants sparse video gets: the
// first three, then one in 21.
int sparseShare(int captured)
{
    return captured <= 3 ? captured : 3 + (captured - 3) / 21;
}

// The highest frame number the relay's peer `to` printed for frames from
// `from`, and the index of the last such line.
int framesSeen(const QStringList& lines, const QString& to, const QString& from, int* last = nullptr)
{
    int most = 0;
    const QString prefix = QStringLiteral("frame %1 from %2 #").arg(to, from);
    for (int i = 0; i < lines.size(); ++i) {
        if (!lines[i].startsWith(prefix))
            continue;
        most = std::max(most, lines[i].mid(prefix.size()).section(u' ', 0, 0).toInt());
        if (last)
            *last = i;
    }
    return most;
}

// Pixels of the test pattern's magenta bar in a rectangle of a picture: the
// pattern shows there, not an avatar or the cloth.
int magentaIn(const QImage& image, const QRect& area)
{
    int n = 0;
    const QRect r = area.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            n += c.red() > 200 && c.green() < 60 && c.blue() > 200;
        }
    return n;
}

// The demonstration's hand with the video relay: two of the other seats are
// relay peers, one wanting sparse video and one every frame, the third seat
// has no one behind it. The client sends its test pattern from the round's
// start, shows the peers' video on their seats mid-hand, and at the hand's
// end logs out of the relay and stops its camera.
TEST_F(ClientRun, TheDemoHandSendsAndShowsVideoThroughTheRelay)
{
    playFast();
    QFile file(QStringLiteral(MJ_SOURCE_DIR "/scripts/demo-server.txt"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString script = QString::fromUtf8(file.readAll());
    struct Run {
        QString size;
        std::unique_ptr<ServerProcess> server;
        ToolProcess relay;
        ToolProcess hall;
    };
    Run runs[2];
    runs[0].size = QStringLiteral("1024x768");
    runs[1].size = QStringLiteral("800x600");
    const QString shots = mjtest::ArtifactDir() + QStringLiteral("/video-hand");
    for (Run& run : runs) {
        QFile::remove(QStringLiteral("%1/table-%2-meld.png").arg(shots, run.size));
        ASSERT_TRUE(run.relay.Start(QStringLiteral("mjrelay"), {QStringLiteral("--port"), QStringLiteral("0"),
                                                               QStringLiteral("--peer"), QStringLiteral("wang:sparse"),
                                                               QStringLiteral("--peer"), QStringLiteral("li")}));
        const int listening = run.relay.WaitForLine(QStringLiteral("listening "));
        ASSERT_GE(listening, 0) << qPrintable(run.relay.Errors());
        const QString relayPort = run.relay.Lines()[listening].section(u' ', 1);
        const QString sock = tmp.filePath(QStringLiteral("vsock-") + run.size);
        ASSERT_TRUE(QDir().mkpath(sock));
        QProcessEnvironment e = env;
        e.insert(QStringLiteral("TMPDIR"), sock);
        e.insert(QStringLiteral("MJ_INSTANCE_LOCK"), tmp.filePath(QStringLiteral("vlock-") + run.size));
        e.insert(QStringLiteral("MJ_SCREEN_SIZE"), run.size);
        e.insert(QStringLiteral("MJ_SCREENSHOT_DIR"), shots);
        e.insert(QStringLiteral("MJ_SCREENSHOT_MOMENTS"), QStringLiteral("meld"));
        e.insert(QStringLiteral("MJ_VIDEO_SOURCE"), QStringLiteral("pattern"));
        e.insert(QStringLiteral("MJ_VIDEO_RELAY_PORT"), relayPort);
        run.server = std::make_unique<ServerProcess>(script);
        ASSERT_GT(run.server->Port(), 0) << qPrintable(run.server->Errors());
        const QString title = QStringLiteral("测试大厅 one");
        ASSERT_TRUE(run.hall.Start(QStringLiteral("mjhall"),
                                   {QStringLiteral("--title"), title, QStringLiteral("--exec"), client,
                                    QStringLiteral("--line"), lineFor(run.server->Port(), title)},
                                   e));
        ASSERT_GE(run.hall.WaitForLine(QStringLiteral("listening")), 0);
    }

    for (Run& run : runs) {
        SCOPED_TRACE(qPrintable(run.size));
        // Logged in to the relay at the round's start, out at the hand's end.
        ASSERT_GE(run.relay.WaitForLine(QStringLiteral("login player1"), 120000), 0) << qPrintable(run.hall.Errors());
        const int logout = run.relay.WaitForLine(QStringLiteral("logout player1"), 120000);
        ASSERT_GE(logout, 0) << qPrintable(run.hall.Errors());
        // The hand went on to its end and the client asks for the next one.
        ASSERT_GE(run.server->WaitForLine(QStringLiteral("recv 16 4 0 0 0 1 ")), 0)
            << qPrintable(run.hall.Errors());
        const QStringList lines = run.relay.Lines();
        int lastEvery = -1;
        int lastSparse = -1;
        const int every = framesSeen(lines, QStringLiteral("li"), QStringLiteral("player1"), &lastEvery);
        const int sparse = framesSeen(lines, QStringLiteral("wang"), QStringLiteral("player1"), &lastSparse);
        // The hand lasts seconds at ten frames a second: well past the
        // sparse peer's first frames.
        ASSERT_GE(every, 45);
        // Both peers became mutual at once. A frame the link had to drop
        // while the relay lagged (the client drops new frames while too much
        // waits unsent) does not count for the sparse peer's throttle, but
        // may have reached one peer and not the other, so the counts may
        // differ by a few; the sparse peer never gets more than one in 21.
        EXPECT_GE(sparse, sparseShare(every - 2)) << "every-frame peer " << every;
        EXPECT_LE(sparse, sparseShare(every * 5 / 4)) << "every-frame peer " << every;
        // Nothing after the logout: the camera stopped with it.
        EXPECT_LT(lastEvery, logout);
        EXPECT_LT(lastSparse, logout);
        EXPECT_EQ(framesSeen(lines, QStringLiteral("zhao"), QStringLiteral("player1")), 0);

        // Mid-hand the own pattern and the two peers' video show on their
        // seats; the third seat keeps its avatar.
        const QString path = QStringLiteral("%1/table-%2-meld.png").arg(shots, run.size);
        ASSERT_TRUE(mjtest::PumpUntil([&] { return QFile::exists(path); }));
        const QImage shot(path);
        const int w = shot.width();
        const int h = shot.height();
        const int strip = h / 7; // the seat plates along the top
        EXPECT_GT(magentaIn(shot, QRect(0, 0, w / 3, strip)), 100) << "li";
        EXPECT_GT(magentaIn(shot, QRect(w / 3, 0, w / 3, strip)), 100) << "wang";
        EXPECT_EQ(magentaIn(shot, QRect(2 * w / 3, 0, w / 3, strip)), 0) << "zhao";
        EXPECT_GT(magentaIn(shot, QRect(0, h - strip, w / 8, strip)), 100) << "own";
    }
    for (Run& run : runs) {
        run.hall.Send(QStringLiteral("post 0x400"));
        EXPECT_GE(run.server->WaitForLine(QStringLiteral("closed 2")), 0);
        EXPECT_EQ(run.server->Errors(), QString()) << "the server's script failed";
    }
}

TEST_F(ClientRun, WithoutItsHallTheClientEnds)
{
    ToolProcess alone;
    ASSERT_TRUE(alone.Start(client, {lineFor(1)}, env));
    EXPECT_EQ(alone.WaitForExit(), 0);
}

} // namespace
