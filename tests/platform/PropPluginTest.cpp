#include "platform/Program.h"
#include "platform/PropPlugin.h"
#include "social/Mod_Prop.h"

#include "../../tools/testplugin/TestPlugin.h"

#include <QDir>
#include <QFile>
#include <QLibrary>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <dlfcn.h>

using namespace mj;

namespace {

const QString BuiltPlugin = QStringLiteral(MJ_BUILD_DIR "/plugin/tools/libTesmora.so");

// The program folder points at a temporary folder; the test plug-in can be
// linked into its plugin/tools/. The plug-in's script and log are reached
// through its C functions; the library is the same loaded object the client
// loads through the link.
class PropPlugin : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        SetProgramFolder(tmp.path());
        Mod_Prop::ResetState();
        QLibrary lib(BuiltPlugin);
        ASSERT_TRUE(lib.load()) << qPrintable(lib.errorString());
        load = reinterpret_cast<MjTestPluginLoad>(lib.resolve(MjTestPluginLoadName));
        reset = reinterpret_cast<MjTestPluginReset>(lib.resolve(MjTestPluginResetName));
        log = reinterpret_cast<MjTestPluginLog>(lib.resolve(MjTestPluginLogName));
        create = reinterpret_cast<TesmoraFactory>(lib.resolve(TesmoraEntryPoint));
        ASSERT_TRUE(load && reset && log && create);
        reset();
    }
    void TearDown() override
    {
        Mod_Prop::ResetState();
        qunsetenv("MJ_TESTPLUGIN_LOG");
        SetProgramFolder(QString());
    }

    QString toolsDir() const { return tmp.path() + QStringLiteral("/plugin/tools"); }
    QString pluginFile() const { return toolsDir() + QStringLiteral("/libTesmora.so"); }

    void installPlugin(const QString& target = BuiltPlugin)
    {
        ASSERT_TRUE(QDir().mkpath(toolsDir()));
        ASSERT_TRUE(QFile::link(target, pluginFile()));
    }
    std::unique_ptr<Tesmora> loadPlugin(const char* script = "")
    {
        EXPECT_EQ(load(script), 0);
        installPlugin();
        auto plugin = CreatePropPlugin();
        EXPECT_TRUE(plugin);
        return plugin;
    }
    QStringList logLines() const
    {
        return QString::fromUtf8(log()).split(u'\n', Qt::SkipEmptyParts);
    }

    QTemporaryDir tmp;
    MjTestPluginLoad load = nullptr;
    MjTestPluginReset reset = nullptr;
    MjTestPluginLog log = nullptr;
    TesmoraFactory create = nullptr;
};

// The file of a library that is loaded but has no plug-in entry point.
QString LibraryWithoutEntryPoint()
{
    Dl_info info{};
    if (!dladdr(reinterpret_cast<void*>(&qVersion), &info) || !info.dli_fname)
        return QString();
    return QString::fromLocal8Bit(info.dli_fname);
}

TEST_F(PropPlugin, NoUsableLibraryMeansNoPlugin)
{
    enum Setup { Nothing, Directory, TextFile, EmptyFile, OtherLibrary };
    const struct {
        const char* name;
        Setup setup;
        bool fileExists;
    } cases[] = {
        {"no file", Nothing, false},
        {"a folder of that name", Directory, false},
        {"a text file", TextFile, true},
        {"an empty file", EmptyFile, true},
        {"a library without the entry point", OtherLibrary, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QDir(toolsDir()).removeRecursively();
        ASSERT_TRUE(QDir().mkpath(toolsDir()));
        switch (c.setup) {
        case Nothing: break;
        case Directory: ASSERT_TRUE(QDir().mkpath(pluginFile())); break;
        case TextFile:
        case EmptyFile: {
            QFile f(pluginFile());
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            if (c.setup == TextFile)
                f.write("this is not a shared library\n");
            break;
        }
        case OtherLibrary:
            ASSERT_FALSE(LibraryWithoutEntryPoint().isEmpty());
            installPlugin(LibraryWithoutEntryPoint());
            break;
        }
        EXPECT_EQ(PropPluginFileExists(), c.fileExists);
        EXPECT_FALSE(CreatePropPlugin());
    }
    EXPECT_TRUE(logLines().isEmpty()) << "the plug-in itself was never reached";
}

TEST_F(PropPlugin, LoadsFromProgramFolderAndRefusesOtherVersions)
{
    installPlugin();
    EXPECT_EQ(PropPluginPath(), tmp.path() + "/plugin/tools/libTesmora.so");
    EXPECT_TRUE(PropPluginFileExists());
    auto plugin = CreatePropPlugin();
    ASSERT_TRUE(plugin);
    EXPECT_EQ(create(TesmoraInterfaceVersion + 1), nullptr);
    plugin.reset();
    EXPECT_EQ(logLines(), QStringList({"mj_create_plugin(1)", "mj_create_plugin(2) -> refused",
                                       "~Tesmora()"}));
}

// The main loop's fetch: CheckSendBuff's count, then one GetSendBuff each.
TEST_F(PropPlugin, QueuedItemsComeInOrderWithTheirSizes)
{
    auto plugin = loadPlugin("notice 系统 notice\n"
                             "label 300,40,100,200 500,6,12,255,2 a label\n"
                             "label 300,40,100 500,6 short\n"
                             "frame 272 3=45 8=0x04 9=8 271=255\n"
                             "frame 100\n"
                             "command 3 2\n"
                             "command 4 113\n"
                             "command 5 0\n"
                             "command 9\n"
                             "notice\n");
    using namespace Mod_Prop;
    ASSERT_EQ(plugin->CheckSendBuff(), 10);

    struct Seen {
        int16_t kind;
        QString text;
        qsizetype frame, rect, params;
    };
    std::vector<Seen> seen;
    for (int i = 0; i < 10; ++i) {
        PropCommand = -1;
        plugin->GetSendBuff(PropPicture, PropText, PropSendFrame, PropCommand, PropRect, PropParams);
        seen.push_back({PropCommand, PropText, PropSendFrame.size(), PropRect.size(), PropParams.size()});
        if (i == 1) {
            EXPECT_EQ(PropParams, QVector<int32_t>({500, 6, 12, 255, 2}));
        }
        if (i == 3) {
            EXPECT_EQ(PropSendFrame[3], 45);
            EXPECT_EQ(PropSendFrame[8], 4);
            EXPECT_EQ(PropSendFrame[9], 8);
            EXPECT_EQ(PropSendFrame[271], 255);
            EXPECT_EQ(PropSendFrame[10], 0);
        }
    }
    // Outputs an item does not name keep what the caller passed.
    const Seen expected[] = {
        {0, "系统 notice", 0, 0, 5},
        {1, "a label", 0, 4, 5},
        {1, "short", 0, 3, 2},
        {2, "short", 272, 3, 2},
        {2, "short", 100, 3, 2},
        {3, "2", 100, 3, 2},
        {4, "113", 100, 3, 2},
        {5, "0", 100, 3, 2},
        {9, "", 100, 3, 2},
        {0, "", 100, 3, 2},
    };
    for (int i = 0; i < 10; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(seen[i].kind, expected[i].kind);
        EXPECT_EQ(seen[i].text, expected[i].text);
        EXPECT_EQ(seen[i].frame, expected[i].frame);
        EXPECT_EQ(seen[i].rect, expected[i].rect);
        EXPECT_EQ(seen[i].params, expected[i].params);
    }

    // Each item is fetched once; with none waiting nothing changes.
    EXPECT_EQ(plugin->CheckSendBuff(), 0);
    PropCommand = -1;
    plugin->GetSendBuff(PropPicture, PropText, PropSendFrame, PropCommand, PropRect, PropParams);
    EXPECT_EQ(PropCommand, -1);
    EXPECT_EQ(logLines().last(), "GetSendBuff() -> none");
}

TEST_F(PropPlugin, ScoreAnswersComeInSequenceAndFillOnlyWhatTheyName)
{
    auto plugin = loadPlugin("score 0\n"
                             "score 2\n"
                             "score 1\n"
                             "bonustext 0 赢家 +12\n"
                             "bonuscoins 2 12.5\n"
                             "awardtext 0 0 张三\n"
                             "awardtext 1 3 a|b\n");
    using namespace Mod_Prop;
    BonusText[1] = "kept";
    BonusCoins[0] = 7;
    EXPECT_EQ(plugin->GetScoreInfo(BonusText, BonusCoins, AwardTexts), 0);
    EXPECT_EQ(plugin->GetScoreInfo(BonusText, BonusCoins, AwardTexts), 2);
    EXPECT_EQ(BonusText[0], "");
    EXPECT_EQ(plugin->GetScoreInfo(BonusText, BonusCoins, AwardTexts), 1);
    EXPECT_EQ(BonusText[0], "赢家 +12");
    EXPECT_EQ(BonusText[1], "kept");
    EXPECT_EQ(BonusCoins[0], 7);
    EXPECT_EQ(BonusCoins[2], 12.5);
    EXPECT_EQ(AwardTexts(0, 0), "张三");
    EXPECT_EQ(AwardTexts(1, 3), "a|b");
    EXPECT_EQ(AwardTexts(1, 0), "");
    // Used up: not ready.
    EXPECT_EQ(plugin->GetScoreInfo(BonusText, BonusCoins, AwardTexts), 0);
}

// A run-time error inside the plug-in travels to the caller of the member as
// the client's own RuntimeError.
TEST_F(PropPlugin, ErrorsInsideThePluginReachTheCaller)
{
    auto plugin = loadPlugin("initdll raise\n"
                             "baoinfo raise\n"
                             "score 1\n"
                             "bonustext 4 out of bounds\n");
    QString account = "acc", credential = "cred";
    try {
        plugin->Initdll(account, credential, "DLL", 0, "qvtarn", plugin.get(), 1, 0);
        FAIL() << "no error";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.Number, ErrInvalidCall);
    }
    BoxPosArray pos;
    PropPair centre, label, closedSize, openedSize;
    SeatPointArray seats;
    BoxTimingArray timing;
    Picture closed, opened;
    EXPECT_THROW(plugin->GetBaoInfo(pos, centre, seats, label, timing, closed, closedSize, opened,
                                    openedSize),
                 RuntimeError);
    try {
        plugin->GetScoreInfo(Mod_Prop::BonusText, Mod_Prop::BonusCoins, Mod_Prop::AwardTexts);
        FAIL() << "no error";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.Number, ErrSubscript);
    }
}

TEST_F(PropPlugin, ScriptedAnswersAndBoxData)
{
    auto plugin = loadPlugin("initdll 0\nbaoinfo 1\nuserinfo 0\nqvvideo 1\n");
    QString account = "acc", credential = "cred";
    EXPECT_FALSE(plugin->Initdll(account, credential, "DLL", 0, "qvtarn", plugin.get(), 1, 0));
    BoxPosArray pos;
    PropPair centre, label, closedSize, openedSize;
    SeatPointArray seats;
    BoxTimingArray timing;
    Picture closed, opened;
    ASSERT_TRUE(plugin->GetBaoInfo(pos, centre, seats, label, timing, closed, closedSize, opened,
                                   openedSize));
    EXPECT_EQ(pos(14, 0), 100 + 70 * 4);
    EXPECT_EQ(pos(14, 1), 200 + 90 * 2);
    EXPECT_EQ(seats(3, 0), 700);
    EXPECT_EQ(timing[1], 4);
    EXPECT_EQ(closed.Size(), QSize(closedSize[0], closedSize[1]));
    EXPECT_EQ(opened.Size(), QSize(openedSize[0], openedSize[1]));
    QString name = "n", tag = "t", face = "m1";
    uint8_t sex = 1;
    EXPECT_FALSE(plugin->SetUserinfo(name, account, 1, 0, true, sex, tag, face));
    EXPECT_TRUE(plugin->ShowQvVideo(0, true, 0));
}

TEST_F(PropPlugin, ScriptLinesItCannotReadAreReportedAndSkipped)
{
    EXPECT_EQ(load("notice one\n"
                   "bogus\n"
                   "label 1,2,x - t\n"
                   "frame 4 4=1\n"
                   "bonustext 0 before any score\n"
                   "# a comment\n"
                   "\n"
                   "notice two\n"),
              2);
    EXPECT_EQ(logLines(), QStringList({"script error at line 2", "script error at line 3",
                                       "script error at line 4", "script error at line 5"}));
    installPlugin();
    auto plugin = CreatePropPlugin();
    ASSERT_TRUE(plugin);
    EXPECT_EQ(plugin->CheckSendBuff(), 2);
}

// Every member is logged with its arguments, in memory and in the log file.
TEST_F(PropPlugin, LogsEveryCallWithItsArguments)
{
    const QString logFile = tmp.filePath("calls.log");
    qputenv("MJ_TESTPLUGIN_LOG", QFile::encodeName(logFile));
    auto plugin = loadPlugin("notice n\n");
    Tesmora& p = *plugin;

    QString account = "acc", credential = "密码";
    p.Initdll(account, credential, "DLL", 4242, "qvtarn", plugin.get(), 2, 7);
    BoxPosArray pos;
    PropPair centre, label, closedSize, openedSize;
    SeatPointArray seats;
    BoxTimingArray timing;
    Picture closed, opened;
    p.GetBaoInfo(pos, centre, seats, label, timing, closed, closedSize, opened, openedSize);
    QString name = "玩家", tag = "VIP", face = "w2";
    uint8_t sex = 0;
    p.SetUserinfo(name, account, 4, 2, true, sex, tag, face);
    p.ClearUser(3);
    p.Ainit("qvtarn.xml");
    p.rec_state(3, true);
    p.rec_state(2, false, 1);
    PropFrame frame;
    frame[3] = 46;
    frame[271] = 0xAB;
    p.Rec_MSG(frame);
    p.CheckSendBuff();
    p.GetSendBuff(Mod_Prop::PropPicture, Mod_Prop::PropText, Mod_Prop::PropSendFrame,
                  Mod_Prop::PropCommand, Mod_Prop::PropRect, Mod_Prop::PropParams);
    p.InitShowEnd();
    p.GetScoreInfo(Mod_Prop::BonusText, Mod_Prop::BonusCoins, Mod_Prop::AwardTexts);
    p.InitShowNext(false);
    p.ShowGif(1, true);
    int16_t key = 112;
    p.SetKeyDown(key);
    p.setbankstate(2);
    p.FixBuffPos();
    p.ShowQvVideo(1, false, 0);
    p.UpdataMyProp(false);
    int16_t mode = 1;
    p.InitExit(mode);
    plugin.reset();

    const QStringList expected = {
        "mj_create_plugin(1)",
        "Initdll(\"acc\", \"密码\", \"DLL\", 4242, \"qvtarn\", self, 2, 7)",
        "GetBaoInfo()",
        "SetUserinfo(\"玩家\", \"acc\", 4, 2, True, 0, \"VIP\", \"w2\") -> True",
        "ClearUser(3)",
        "Ainit(\"qvtarn.xml\")",
        "rec_state(3, True, 0)",
        "rec_state(2, False, 1)",
        "Rec_MSG(000000" "2e" + QString(2 * 267, u'0') + "ab)",
        "CheckSendBuff() -> 1",
        "GetSendBuff() -> 0",
        "InitShowEnd()",
        "GetScoreInfo() -> 0",
        "InitShowNext(False)",
        "ShowGif(1, True)",
        "SetKeyDown(112)",
        "setbankstate(2)",
        "FixBuffPos()",
        "ShowQvVideo(1, False, 0) -> False",
        "UpdataMyProp(False)",
        "InitExit(1)",
        "~Tesmora()",
    };
    EXPECT_EQ(logLines(), expected);
    QFile file(logFile);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts), expected);
}

TEST_F(PropPlugin, ExitShutsALoadedPluginDown)
{
    using namespace Mod_Prop;
    const struct {
        int16_t state;
        int16_t mode;
        bool callsPlugin;
    } cases[] = {{-1, 0, false}, {0, 1, false}, {1, 0, true}, {2, 1, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.state);
        ResetState();
        reset();
        installPlugin();
        PropObj = CreatePropPlugin();
        ASSERT_TRUE(PropObj);
        Prop_GameDllState = c.state;
        PropPolling = true;
        BoxCountdownOn = true;
        int16_t mode = c.mode;
        ExitPropPlugin(mode);
        EXPECT_EQ(Prop_GameDllState, c.callsPlugin ? 0 : c.state);
        EXPECT_EQ(PropPolling, !c.callsPlugin);
        EXPECT_EQ(BoxCountdownOn, !c.callsPlugin);
        EXPECT_TRUE(PropObj) << "the object is kept across shut-downs";
        EXPECT_EQ(logLines().contains(QStringLiteral("InitExit(%1)").arg(c.mode)), c.callsPlugin);
        QFile::remove(pluginFile());
    }

    // A loaded state without an object is an error, not a crash.
    ResetState();
    Prop_GameDllState = 1;
    int16_t mode = 0;
    try {
        ExitPropPlugin(mode);
        FAIL() << "no error";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.Number, ErrObjectNotSet);
    }
    EXPECT_EQ(Prop_GameDllState, 1);
}

TEST_F(PropPlugin, ResetStatePutsThePropsStateBackAndReleasesThePlugin)
{
    using namespace Mod_Prop;
    installPlugin();
    PropObj = CreatePropPlugin();
    ASSERT_TRUE(PropObj);
    Prop_GameDllState = 2;
    PropPolling = true;
    Prop_swicth = 1;
    CmdAccount = "a";
    CmdCredential = "c";
    CmdPluginParam = 7;
    PropCommand = 4;
    PropText = "t";
    PropPicture = Picture::FromImage(QImage(2, 2, QImage::Format_RGB32));
    PropSendFrame = QVector<uint8_t>(272, 1);
    PropRect = {1, 2, 3, 4};
    PropParams = {1, 2};
    ScoreInfoPending = PropMsg46Seen = DrawnRound = PropExitAfterScore = PropBoxesHidden = true;
    ScoreShowState = 2;
    BonusText[3] = "x";
    BonusCoins[3] = 1;
    AwardTexts(1, 3) = "y";
    BoxCountdownOn = BoxClicked = true;
    BoxCountdownTicks = 19;
    BoxCountdown = 5;

    ResetState();

    EXPECT_EQ(Prop_GameDllState, 0);
    EXPECT_FALSE(PropObj);
    EXPECT_EQ(logLines().last(), "~Tesmora()");
    EXPECT_FALSE(PropPolling);
    EXPECT_EQ(Prop_swicth, 0);
    EXPECT_TRUE(CmdAccount.isEmpty() && CmdCredential.isEmpty());
    EXPECT_EQ(CmdPluginParam, 0);
    EXPECT_EQ(PropCommand, 0);
    EXPECT_TRUE(PropText.isEmpty());
    EXPECT_TRUE(PropPicture.IsNull());
    EXPECT_TRUE(PropSendFrame.isEmpty());
    EXPECT_TRUE(PropRect.isEmpty());
    EXPECT_EQ(PropParams, QVector<int32_t>(5, 0));
    EXPECT_FALSE(ScoreInfoPending || PropMsg46Seen || DrawnRound || PropExitAfterScore || PropBoxesHidden);
    EXPECT_EQ(ScoreShowState, 0);
    EXPECT_EQ(BonusText, BonusTextArray{});
    EXPECT_EQ(BonusCoins, BonusCoinsArray{});
    EXPECT_EQ(AwardTexts, AwardTextsArray{});
    EXPECT_FALSE(BoxCountdownOn || BoxClicked);
    EXPECT_EQ(BoxCountdownTicks, 0);
    EXPECT_EQ(BoxCountdown, 0);
}

} // namespace
