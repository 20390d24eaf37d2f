// The replacement hall, run as the program it is, with the client's hall link
// as its client.
#include "TestSupport.h"

#include "platform/HallLink.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <vector>

using namespace mj;
using HallLink::Message;

namespace {

// One run of mjhall. Every run of a test shares one temporary folder for the
// link's sockets, which this process uses too.
class HallRun {
public:
    HallRun(const QString& tmpDir, const QStringList& args)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TMPDIR"), tmpDir);
        process.setProcessEnvironment(env);
        QObject::connect(&process, &QProcess::readyReadStandardOutput,
                         [this] { out += process.readAllStandardOutput(); });
        QObject::connect(&process, &QProcess::readyReadStandardError,
                         [this] { err += process.readAllStandardError(); });
        process.start(QStringLiteral(MJ_BUILD_DIR "/mjhall"), args);
    }
    ~HallRun()
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(5000);
        }
    }

    QStringList Lines() const { return QString::fromUtf8(out).split(u'\n', Qt::SkipEmptyParts); }
    QString Errors() const { return QString::fromUtf8(err); }
    bool WaitForLine(const QString& line)
    {
        return mjtest::PumpUntil([&] { return Lines().contains(line); });
    }
    // The exit code, or -1 when it did not end.
    int WaitForExit()
    {
        if (!mjtest::PumpUntil([&] { return process.state() == QProcess::NotRunning; }))
            return -1;
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }
    void Command(const QByteArray& line) { process.write(line + '\n'); }

    QProcess process;
    QByteArray out;
    QByteArray err;
};

class MjHallTest : public ::testing::Test {
protected:
    // This process finds the halls in the folder they listen in.
    void SetUp() override
    {
        HallLink::Reset();
        hadTmp_ = qEnvironmentVariableIsSet("TMPDIR");
        oldTmp_ = qgetenv("TMPDIR");
        qputenv("TMPDIR", dir_.path().toLocal8Bit());
    }
    void TearDown() override
    {
        HallLink::Reset();
        if (hadTmp_)
            qputenv("TMPDIR", oldTmp_);
        else
            qunsetenv("TMPDIR");
    }

    QTemporaryDir dir_;
    bool hadTmp_ = false;
    QByteArray oldTmp_;
};

TEST_F(MjHallTest, PrintsTheClientsMessagesAndPostsTheHalls)
{
    const QString title = QStringLiteral("琼蔚山庄 大厅");
    HallRun hall(dir_.path(), {QStringLiteral("--title"), title});
    ASSERT_TRUE(hall.WaitForLine(QStringLiteral("listening"))) << hall.Errors().toStdString();
    const int32_t handle = HallLink::FindWindow(title);
    ASSERT_NE(handle, 0);
    ASSERT_TRUE(hall.WaitForLine(QStringLiteral("connected")));

    for (int32_t msg : {0x16, 0x303, 0x400, 0x465, 0x466, 0x467})
        HallLink::PostMessage(handle, msg, 0, 0);
    for (int32_t command : {HallLink::ScRestore, HallLink::ScMinimize, 0xF100})
        HallLink::SendMessage(handle, HallLink::WmSysCommand, command, 0);
    ASSERT_TRUE(hall.WaitForLine(QStringLiteral("syscommand 0xf100")));
    EXPECT_EQ(hall.Lines(), QStringList({"listening", "connected", "recv 0x16", "recv 0x303",
                                         "recv 0x400", "recv 0x465", "recv 0x466", "recv 0x467",
                                         "restore", "minimize", "syscommand 0xf100"}));

    std::vector<Message> seen;
    HallLink::SetHandler([&](int32_t msg, int32_t wParam, int32_t lParam) {
        seen.push_back(Message{msg, wParam, lParam});
        return 0;
    });
    hall.Command("post 0x465");
    hall.Command("post 1024");
    hall.Command("bogus");
    hall.Command("post 0X16");
    hall.Command("post 771");
    ASSERT_TRUE(mjtest::PumpUntil([&] { return seen.size() >= 4; }));
    const std::vector<Message> expected{{0x465, 0, 0}, {0x400, 0, 0}, {0x16, 0, 0}, {0x303, 0, 0}};
    EXPECT_EQ(seen, expected);
    EXPECT_TRUE(hall.Errors().contains(u"unknown command: bogus"));

    // Without a client of its own, the hall ends when its input does.
    hall.process.closeWriteChannel();
    EXPECT_EQ(hall.WaitForExit(), 0);
    EXPECT_EQ(HallLink::FindWindow(title), 0);
}

TEST_F(MjHallTest, StartsTheClientWithOneArgumentAndEndsWithIt)
{
    const QString client = dir_.filePath(QStringLiteral("client.sh"));
    QFile script(client);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\n"
                 "printf 'args=%s [%s]\\n' \"$#\" \"$1\"\n"
                 "echo to-stderr >&2\n"
                 "exit 3\n");
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    const QString line = QStringLiteral("user$key 1$127.0.0.1$5000$房间 一$");
    HallRun hall(dir_.path(), {"--title", "琼蔚山庄", "--exec", client, "--line", line});
    EXPECT_EQ(hall.WaitForExit(), 3);
    EXPECT_EQ(hall.Lines(), QStringList({"listening", "exit 3"}));
    EXPECT_TRUE(hall.Errors().contains(QStringLiteral("args=1 [") + line + u']')) << hall.Errors().toStdString();
    EXPECT_TRUE(hall.Errors().contains(u"to-stderr"));
}

TEST_F(MjHallTest, ClearsTheNameOfAKilledHallButNotOfALiveOne)
{
    const QString title = QStringLiteral("琼蔚山庄");
    HallRun first(dir_.path(), {"--title", title});
    ASSERT_TRUE(first.WaitForLine(QStringLiteral("listening")));

    HallRun rival(dir_.path(), {"--title", title});
    EXPECT_EQ(rival.WaitForExit(), 2);
    EXPECT_NE(HallLink::FindWindow(title), 0);

    first.process.kill();
    first.process.waitForFinished(5000);
    EXPECT_EQ(HallLink::FindWindow(title), 0);

    HallRun second(dir_.path(), {"--title", title});
    ASSERT_TRUE(second.WaitForLine(QStringLiteral("listening"))) << second.Errors().toStdString();
    const int32_t handle = HallLink::FindWindow(title);
    ASSERT_NE(handle, 0);
    HallLink::SendMessage(handle, HallLink::WmSysCommand, HallLink::ScRestore, 0);
    EXPECT_TRUE(second.WaitForLine(QStringLiteral("restore")));
}

TEST_F(MjHallTest, RefusesABadCommandLineAndAMissingClient)
{
    const struct {
        QStringList args;
        int code;
    } cases[] = {
        {{}, 2},
        {{"--line", "a$", "--title", "t"}, 2},
        {{"--title", "t", "extra"}, 2},
        {{"--title", "t", "--bogus"}, 2},
        {{"--title", "t", "--exec", dir_.filePath("missing"), "--line", "a$"}, 127},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(u' ').toStdString());
        HallRun hall(dir_.path(), c.args);
        EXPECT_EQ(hall.WaitForExit(), c.code);
    }
}

} // namespace
