// Start-up of the table window in this process: the hall is a fake one
// listening under its title, and the game server a loopback listener that
// takes the connection and never answers, unless a test brings its own.
#include "FakeHall.h"
#include "ServerProcess.h"
#include "TestSupport.h"

#include "client/CommandLine.h"
#include "client/Data.h"
#include "client/MainForm.h"
#include "client/Mod_Proxy.h"
#include "client/SoftTimer.h"
#include "client/Total.h"
#include "client/classIniFile.h"
#include "platform/Program.h"
#include "platform/Screen.h"
#include "social/Mod_Prop.h"

#include <QFile>
#include <QTcpServer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace mj;

namespace {

const QString Hall = QStringLiteral("琼蔚山庄");

// A game server that takes every connection and never answers.
int QuietServerPort()
{
    static QTcpServer* server = [] {
        auto* s = new QTcpServer;
        s->listen(QHostAddress::LocalHost, 0);
        return s;
    }();
    return server->serverPort();
}

QString line15(QString port = {}, const QString& proxyType = QStringLiteral("0"),
               const QString& autoMode = QStringLiteral("0"), const QString& account = QStringLiteral("player1"))
{
    if (port.isEmpty())
        port = QString::number(QuietServerPort());
    return QStringLiteral("%1$secret$127.0.0.1$%2$一号房间$%3$proxy.example$1080$user$pass$%4$%5$自动标题$1$7$")
        .arg(account, port, proxyType, autoMode, Hall);
}

class Startup : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        SetProgramFolder(tmp.path());
        qputenv("MJ_INSTANCE_LOCK", tmp.filePath(QStringLiteral("instance.lock")).toUtf8());
        Screen::SetSize(1024, 768);
    }
    void TearDown() override { qunsetenv("MJ_INSTANCE_LOCK"); }

    // Runs the table window's load event with this command line; true when
    // start-up ended the program.
    bool start(const QString& line)
    {
        SetCommandLine(line);
        return mjtest::EndsProgram([] { form<MainForm>(); });
    }

    QString iniText() const
    {
        QFile f(tmp.filePath(QStringLiteral("vidiosetting.ini")));
        return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll()) : QString();
    }
    void writeIni(const QByteArray& text, const QString& name = QStringLiteral("vidiosetting.ini"))
    {
        QFile f(tmp.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }

    QTemporaryDir tmp;
    mjtest::FakeHall hall{Hall};
};

TEST(CommandLine, FifteenFieldsAreStoredWhereTheyBelong)
{
    const CommandLineRest rest =
        ReadCommandLine(QStringLiteral("acc$pw$game.example$4000$房间$0$px$1080$u$p$0$琼蔚山庄$标题$1$7$"));
    EXPECT_FALSE(WatchMode);
    EXPECT_EQ(custom[0].Name, QStringLiteral("acc"));
    EXPECT_EQ(Mod_Prop::CmdAccount, QStringLiteral("acc"));
    EXPECT_EQ(rest.Credential, QStringLiteral("pw"));
    EXPECT_EQ(GameServer.Host, QStringLiteral("game.example"));
    EXPECT_EQ(GameServer.Port, 4000);
    EXPECT_EQ(rest.Location, QStringLiteral("房间"));
    EXPECT_EQ(ProxyType, 0);
    EXPECT_EQ(ProxyServer.Host, QStringLiteral("px"));
    EXPECT_EQ(ProxyServer.Port, 1080);
    EXPECT_EQ(ProxyLogin.User, QStringLiteral("u"));
    EXPECT_EQ(ProxyLogin.UserLen, 1);
    EXPECT_FALSE(AutoMode);
    EXPECT_EQ(HallTitle, QStringLiteral("琼蔚山庄"));
    EXPECT_EQ(AutoCaption, QStringLiteral("标题"));
    EXPECT_EQ(Mod_Prop::Prop_swicth, 1);
    EXPECT_EQ(Mod_Prop::CmdPluginParam, 7);
}

TEST(CommandLine, AWatchLineCarriesTheWatchedUserId)
{
    ReadCommandLine(QStringLiteral("acc$pw$game.example$4000$房间$123456789"));
    EXPECT_TRUE(WatchMode);
    EXPECT_EQ(Players[0].UserId, 123456789.0);
    EXPECT_EQ(ProxyType, 0); // fields 6 to 15 absent: a direct connection
    EXPECT_FALSE(AutoMode);
}

TEST(CommandLine, AMissingDollarLeavesTheRestUnread)
{
    ReadCommandLine(QStringLiteral("acc$pw$host"));
    EXPECT_TRUE(WatchMode);
    EXPECT_EQ(custom[0].Name, QStringLiteral("acc"));
    EXPECT_TRUE(GameServer.Host.isEmpty());
    EXPECT_EQ(Players[0].UserId, 0.0);
}

TEST(CommandLine, AutoModeNeedsALeadingOne)
{
    const struct {
        const char* field;
        bool on;
    } cases[] = {{"1", true}, {"01", true}, {"1abc", true}, {" 1", true}, {"2", false}, {"", false}, {"x1", false}};
    for (const auto& c : cases) {
        AutoMode = false;
        ReadCommandLine(QStringLiteral("a$b$h$1$r$0$p$1$$$%1$t$c$0$0$").arg(QString::fromUtf8(c.field)));
        EXPECT_EQ(AutoMode, c.on) << c.field;
    }
}

TEST(CommandLine, FieldsThatDoNotConvertAreRunTimeErrors)
{
    const char* bad[] = {
        "a$b$h$x$r$0$p$1$$$0$t$c$0$0$",        // port not a number
        "a$b$h$$r$0$p$1$$$0$t$c$0$0$",         // empty port
        "a$b$h$0$r$0$p$1$$$0$t$c$0$0$",        // port 0
        "a$b$h$65536$r$0$p$1$$$0$t$c$0$0$",    // port past 65535
        "a$b$h$1$r$5$p$-5$$$0$t$c$0$0$",       // proxy port negative
        "a$b$h$1$r$5$p$0$$$0$t$c$0$0$",        // proxy port 0
        "a$b$h$1$r$5$p$65536$$$0$t$c$0$0$",    // proxy port past 65535
        "a$b$h$1$r$0$p$x$$$0$t$c$0$0$",        // unused proxy port not a number
        "a$b$h$1$r$0$p$70000$$$0$t$c$0$0$",    // unused proxy port past 65535
        "a$b$h$1$r$zero$p$1$$$0$t$c$0$0$",     // proxy type
        "a$b$h$1$r$9$p$1$$$0$t$c$0$0$",        // a proxy type that is neither direct nor SOCKS5
        "a$b$h$1$r$4$p$1$$$0$t$c$0$0$",
        "a$b$h$1$r$-1$p$1$$$0$t$c$0$0$",
        "a$b$h$1$r$0$p$1$$$0$t$c$40000$0$",    // props switch past 16 bits
        "a$b$h$1$r$0$p$1$$$0$t$c$0$$",         // empty plug-in value
        "a$b$h$1$r$abc",                       // watched id not a number
        "abcdefghijklmnopq$b$h$1$r$0$p$1$$$0$t$c$0$0$", // account of 17 bytes
    };
    for (const char* line : bad)
        EXPECT_NE(mjtest::ErrorOf([&] { ReadCommandLine(QString::fromUtf8(line)); }), 0) << line;
    EXPECT_NE(mjtest::ErrorOf([] { ReadCommandLine(QStringLiteral("a$") + QString(229, u'c') + QStringLiteral("$")); }), 0);
    EXPECT_EQ(mjtest::ErrorOf([] { ReadCommandLine(QStringLiteral("a$") + QString(228, u'c') + QStringLiteral("$")); }), 0);
    EXPECT_EQ(mjtest::ErrorOf([] { ReadCommandLine(QStringLiteral("a$b$h$65535$r$0$p$1$$$0$t$c$0$0$")); }), 0);
    EXPECT_NE(mjtest::ErrorOf([] { ReadCommandLine(QStringLiteral("a$b$h$1$r$0$p$1$") + QString(256, u'u') + QStringLiteral("$")); }), 0);
}

// With a direct connection the proxy port is not used: a hall may send any
// number that fits there, 0 for an unused field included.
TEST(CommandLine, TheProxyPortIsCheckedOnlyForTheProxy)
{
    const struct {
        const char* line;
        int32_t port;
    } cases[] = {
        {"a$b$h$1$r$0$p$0$$$0$t$c$0$0$", 0},
        {"a$b$h$1$r$0$p$-5$$$0$t$c$0$0$", -5},
        {"a$b$h$1$r$0$p$65535$$$0$t$c$0$0$", 65535},
        {"a$b$h$1$r$5$p$1$$$0$t$c$0$0$", 1},
        {"a$b$h$1$r$5$p$65535$$$0$t$c$0$0$", 65535},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        ProxyServer.Port = 1234;
        EXPECT_EQ(mjtest::ErrorOf([&] { ReadCommandLine(QString::fromUtf8(c.line)); }), 0);
        EXPECT_EQ(ProxyServer.Port, c.port);
    }
}

TEST_F(Startup, WithoutACommandLineTheClientSaysWhereToStartItAndEnds)
{
    for (const char* line : {"", "    "}) {
        DiscardAllForms();
        mjtest::MessageBoxes().clear();
        EXPECT_TRUE(start(QString::fromUtf8(line)));
        ASSERT_EQ(mjtest::MessageBoxes().size(), 1);
        EXPECT_EQ(mjtest::MessageBoxes()[0], QStringLiteral("本游戏需从游戏大厅中启动！"));
    }
    EXPECT_FALSE(hall.Log().contains(QStringLiteral("restore"))); // no hall restore on this path
}

TEST_F(Startup, ASecondInstanceIsRefused)
{
    mjtest::ToolProcess holder;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("MJ_INSTANCE_LOCK"), tmp.filePath(QStringLiteral("instance.lock")));
    ASSERT_TRUE(holder.Start(QStringLiteral("locktest"), {}, env));
    ASSERT_GE(holder.WaitForLine(QStringLiteral("locked")), 0);
    EXPECT_TRUE(start(line15()));
    ASSERT_EQ(mjtest::MessageBoxes().size(), 1);
    EXPECT_EQ(mjtest::MessageBoxes()[0], QStringLiteral("霁川杠兹游戏已经运行！"));
}

TEST_F(Startup, BadFieldsEndStartUpAndBringTheHallBackWhenItsTitleIsKnown)
{
    // The port and the proxy type come before the hall's title: the hall
    // cannot be found yet.
    EXPECT_TRUE(start(line15(QStringLiteral("99999"))));
    DiscardAllForms();
    EXPECT_TRUE(start(line15({}, QStringLiteral("9"))));
    // A double-byte account fails when the login frame is built, after the
    // title was read: the hall comes back.
    DiscardAllForms();
    EXPECT_TRUE(start(line15({}, QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("张三"))));
    ASSERT_TRUE(mjtest::PumpUntil([&] { return !hall.Log().isEmpty(); }));
    EXPECT_EQ(hall.Log(), QStringList{QStringLiteral("restore")});
    EXPECT_TRUE(mjtest::MessageBoxes().isEmpty());
}

TEST_F(Startup, TheWindowFitsTheScreenAndPicksTheScale)
{
    const struct {
        int w, h;
        double winW, winH, picLeft, picTop, picW, picH;
        float scale;
    } cases[] = {
        {1024, 768, 15360, 11520, 0, 0, 15360, 11520, 1.0f},
        {1280, 720, 15600, 10800, 120, 0, 15360, 10800, 0.78125f},
        {1920, 1080, 15600, 11940, 120, 300, 15360, 11520, 1.0f},
        {800, 600, 12000, 9000, 0, 0, 12000, 9000, 0.78125f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h);
        DiscardAllForms();
        ResetSharedState();
        Screen::SetSize(c.w, c.h);
        ASSERT_FALSE(start(line15()));
        MainForm& w = form<MainForm>();
        EXPECT_EQ(w.Width(), c.winW);
        EXPECT_EQ(w.Height(), c.winH);
        EXPECT_EQ(w.Left(), 0);
        EXPECT_EQ(w.Top(), 0);
        EXPECT_EQ(w.Pic1.Left(), c.picLeft);
        EXPECT_EQ(w.Pic1.Top(), c.picTop);
        EXPECT_EQ(w.Pic1.Width(), c.picW);
        EXPECT_EQ(w.Pic1.Height(), c.picH);
        EXPECT_EQ(ScaleX, c.scale);
        EXPECT_EQ(ScaleY, c.scale);
    }
}

TEST_F(Startup, TheVideoSettingIsReadOrWrittenAsOn)
{
    const struct {
        const char* name;
        const char* file; // nullptr: no file
        bool video;
        bool rewritten;
    } cases[] = {
        {"absent", nullptr, true, true},
        {"off", "[vidiosetting]\r\nvidiovalue=0\r\n", false, false},
        {"on", "[vidiosetting]\r\nvidiovalue=1\r\n", true, false},
        {"empty", "[vidiosetting]\r\nvidiovalue=\r\n", true, true},
        {"not a number", "[vidiosetting]\r\nvidiovalue=abc\r\n", true, true},
        {"no key", "[other]\r\nx=1\r\n", true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DiscardAllForms();
        ResetSharedState();
        QFile::remove(tmp.filePath(QStringLiteral("vidiosetting.ini")));
        if (c.file)
            writeIni(c.file);
        ASSERT_FALSE(start(line15()));
        EXPECT_EQ(VideoEnabled, c.video);
        if (c.rewritten)
            EXPECT_TRUE(iniText().contains(QStringLiteral("vidiovalue=1")));
        else
            EXPECT_EQ(iniText(), QString::fromLatin1(c.file));
    }
}

TEST_F(Startup, ASettingFileUnderAnotherLetterCaseIsNotIt)
{
    writeIni("[vidiosetting]\r\nvidiovalue=0\r\n", QStringLiteral("VidioSetting.ini"));
    ASSERT_FALSE(start(line15()));
    EXPECT_TRUE(VideoEnabled);
    EXPECT_TRUE(iniText().contains(QStringLiteral("vidiovalue=1")));
}

TEST_F(Startup, AutoModeKeepsTheHallTitleAndPlaysEveryTurn)
{
    ASSERT_FALSE(start(line15({}, QStringLiteral("0"), QStringLiteral("1"))));
    MainForm& w = form<MainForm>();
    EXPECT_TRUE(AutoPlay);
    EXPECT_EQ(TurnSeconds, 1);
    EXPECT_EQ(w.Caption(), QStringLiteral("自动标题"));
    EXPECT_EQ(HallTitle, Hall);
    EXPECT_EQ(w.Sysmsg(0).List(0), QStringLiteral("正在连接服务器..."));
}

// A watch line carries no hall title and an auto-mode line may leave it
// empty: the hall is found under its usual title, and start-up goes on.
TEST_F(Startup, WithoutAHallTitleTheUsualHallIsFound)
{
    const QString port = QString::number(QuietServerPort());
    const QString lines[] = {
        QStringLiteral("player1$secret$127.0.0.1$%1$一号房间$90001").arg(port),
        QStringLiteral("player1$secret$127.0.0.1$%1$一号房间$0$p$0$$$1$$自动标题$1$7$").arg(port),
    };
    for (const QString& line : lines) {
        SCOPED_TRACE(line.toStdString());
        DiscardAllForms();
        ResetSharedState();
        const qsizetype seen = hall.Log().size();
        ASSERT_FALSE(start(line));
        EXPECT_EQ(HallTitle, Hall);
        EXPECT_TRUE(form<MainForm>().TimerBong.Enabled()); // the connection is under way
        ASSERT_TRUE(mjtest::PumpUntil([&] { return hall.Log().size() > seen; }));
        EXPECT_EQ(hall.Log().mid(seen, 1), QStringList{QStringLiteral("restore")});
    }
}

TEST_F(Startup, TheLoginFrameAndADirectConnection)
{
    mjtest::ServerProcess server(QStringLiteral("expect 18\nwait-close\n"));
    ASSERT_FALSE(start(line15(QString::number(server.Port()), QStringLiteral("0"))));
    MainForm& w = form<MainForm>();
    EXPECT_TRUE(w.TimerBong.Enabled());
    EXPECT_TRUE(ConnectWatchOn);
    const QByteArray f = Total::LoginFrameBytes();
    EXPECT_EQ(f[3], char(18));
    EXPECT_EQ(f[14], char(1));
    EXPECT_EQ(f.mid(16, 8), QByteArray("player1\0", 8));
    EXPECT_EQ(f.mid(32, 7), QByteArray("secret\0", 7));
    EXPECT_EQ(HallTitle, Hall);
    EXPECT_EQ(hall.Log().value(0), QStringLiteral("restore"));
}

} // namespace
