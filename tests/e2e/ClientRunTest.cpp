// The real client process, started by the replacement hall, against the
// scripted game server.
#include "ServerProcess.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

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
    ASSERT_GE(server.WaitForLine(QStringLiteral("recv 24 "), 20000), 0); // the keep-alive
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
    ASSERT_GE(hall.WaitForLine(QStringLiteral("exit "), 30000), 0) << qPrintable(hall.Errors());
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
    EXPECT_GE(hall.WaitForLine(QStringLiteral("recv 0x400"), 10000, accepted + 1), 0);
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
    EXPECT_GE(hall.WaitForLine(QStringLiteral("recv 0x400"), 10000, answered), 0);
}

TEST_F(ClientRun, WithoutItsHallTheClientEnds)
{
    ToolProcess alone;
    ASSERT_TRUE(alone.Start(client, {lineFor(1)}, env));
    EXPECT_EQ(alone.WaitForExit(20000), 0);
}

} // namespace
