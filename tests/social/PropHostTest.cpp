// The props host: the plug-in's set-up by its state table over the real
// loader and the test plug-in, its shut-downs, the store button and the own
// props frame, and a plug-in member that fails at any kind of call site.
#include "PropTable.h"

#include "client/Image_Resource.h"
#include "social/Talk.h"
#include "video/VideoState.h"

#include <dlfcn.h>

using namespace mj;
namespace frames = mjtest::frames;

namespace {

// The file of a library that loads but has no plug-in entry point.
QString LibraryWithoutEntryPoint()
{
    Dl_info info{};
    if (!dladdr(reinterpret_cast<void*>(&qVersion), &info) || !info.dli_fname)
        return QString();
    return QString::fromLocal8Bit(info.dli_fname);
}

class PropHost : public ::testing::Test, public mjtest::PropTable {
protected:
    void SetUp() override
    {
        OpenPropTable();
        // Set-up starts without an object, as at program start.
        Mod_Prop::PropObj.reset();
        Mod_Prop::Prop_GameDllState = 0;
        Mod_Prop::Prop_swicth = 1;
        Mod_Prop::CmdAccount = QStringLiteral("acc");
        Mod_Prop::CmdCredential = QStringLiteral("cred");
        Mod_Prop::CmdPluginParam = 7;
    }
    void TearDown() override { ClosePropTable(); }

    // A running plug-in, set up the way the dispatcher does it.
    void StartPlugin(const char* script = "baoinfo 1\n")
    {
        InstallPlugin(tmp.path());
        Script(script);
        ASSERT_TRUE(Mod_Prop::InitPropPlugin());
    }

    void ExpectBoxesKeptHidden()
    {
        EXPECT_EQ(w->ImgProp.Count(), 15);
        for (Image& box : w->ImgProp) {
            EXPECT_FALSE(box.Visible()) << box.Index();
            EXPECT_FALSE(box.Enabled()) << box.Index();
        }
    }
};

TEST_F(PropHost, SetUpFollowsTheStateTable)
{
    enum Library { None, NotALibrary, NoEntryPoint, Plugin };
    const struct {
        const char* name;
        bool loggedIn;
        Library library;
        const char* script;
        int16_t state;
        bool objectKept;
        bool created;
    } cases[] = {
        {"not logged in", false, Plugin, "", -1, false, false},
        {"no library", true, None, "", -1, false, false},
        {"a library that does not load", true, NotALibrary, "", 0, false, false},
        {"a library without the entry point", true, NoEntryPoint, "", 0, false, false},
        {"Initdll False", true, Plugin, "initdll 0\n", 0, false, true},
        {"Initdll raising", true, Plugin, "initdll raise\n", -1, true, true},
        {"Initdll throwing", true, Plugin, "fail Initdll throw\n", -1, true, true},
        {"GetBaoInfo True", true, Plugin, "baoinfo 1\n", 2, true, true},
        {"GetBaoInfo False", true, Plugin, "baoinfo 0\n", 1, true, true},
        {"GetBaoInfo raising", true, Plugin, "baoinfo raise\n", -1, true, true},
        {"GetBaoInfo with a zero interval", true, Plugin, "baoinfo 1\nboxtiming 0 10\n", 1, true, true},
        {"GetBaoInfo with no steps", true, Plugin, "baoinfo 1\nboxtiming 100 0\n", 1, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir folder;
        ASSERT_TRUE(folder.isValid());
        SetProgramFolder(folder.path());
        plugin = mjtest::LoadTestPlugin(); // script and log forgotten
        Mod_Prop::PropObj.reset();
        Mod_Prop::Prop_GameDllState = 0;
        Mod_Prop::PropPolling = false;
        LoggedIn = c.loggedIn;
        w->Bank.SetVisible(false);
        switch (c.library) {
        case None: break;
        case NotALibrary: {
            ASSERT_TRUE(QDir().mkpath(folder.path() + "/plugin/tools"));
            QFile f(folder.path() + "/plugin/tools/libTesmora.so");
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write("not a library\n");
            break;
        }
        case NoEntryPoint: InstallPlugin(folder.path(), LibraryWithoutEntryPoint()); break;
        case Plugin: InstallPlugin(folder.path()); break;
        }
        Script(c.script);
        Mark();

        EXPECT_EQ(Mod_Prop::InitPropPlugin(), c.state > 0);
        EXPECT_EQ(Mod_Prop::Prop_GameDllState, c.state);
        EXPECT_EQ(Mod_Prop::PropPolling, c.state > 0);
        EXPECT_EQ(bool(Mod_Prop::PropObj), c.objectKept);
        EXPECT_EQ(Calls().contains(QStringLiteral("mj_create_plugin(1)")), c.created);
        EXPECT_TRUE(w->Bank.Visible());
        if (c.created) {
            EXPECT_EQ(Calls().value(1),
                      QStringLiteral("Initdll(\"acc\", \"cred\", \"DLL\", %1, \"qvtarn\", self, 1, 7)")
                          .arg(static_cast<qulonglong>(w->Widget()->winId())));
        }
        if (c.state > 0)
            ExpectBoxesKeptHidden();
    }
}

// The states that try again at the next user information do so, and only
// from 0: a library without the entry point, then the right one; a refused
// Initdll, then one that takes (created again); props off stay off.
TEST_F(PropHost, EachUserInformationTriesAgainOnlyFromZero)
{
    QTemporaryDir wrong, right;
    InstallPlugin(wrong.path(), LibraryWithoutEntryPoint());
    InstallPlugin(right.path());
    SetProgramFolder(wrong.path());
    // Each time the same member arrives afresh at an empty seat.
    const auto allowProps = [this] {
        w->Nid(1).SetCaption(QString());
        OthersSeated = 0;
        mjtest::Dispatch(frames::UserInfo(0).Name("乙").PropsSwitch(0));
    };
    allowProps();
    EXPECT_EQ(Mod_Prop::Prop_GameDllState, 0);
    SetProgramFolder(right.path());
    Script("initdll 0\n");
    Mark();
    allowProps();
    EXPECT_EQ(Mod_Prop::Prop_GameDllState, 0);
    EXPECT_FALSE(Mod_Prop::PropObj);
    Script("initdll 1\n");
    allowProps();
    EXPECT_EQ(Mod_Prop::Prop_GameDllState, 1);
    EXPECT_EQ(Calls().count(QStringLiteral("mj_create_plugin(1)")), 2);

    // Running: a further frame sets nothing up again.
    Mark();
    allowProps();
    EXPECT_TRUE(CallsOf({"Initdll"}).isEmpty());
}

// A shut-down keeps the object and the boxes; the next table's user
// information calls Initdll again without creating anything.
TEST_F(PropHost, AShutDownThenANewTableSetsUpTheKeptObject)
{
    StartPlugin();
    Tesmora* const object = Mod_Prop::PropObj.get();
    Mark();
    int16_t mode = 0;
    Mod_Prop::ExitPropPlugin(mode);
    EXPECT_EQ(Mod_Prop::Prop_GameDllState, 0);
    EXPECT_FALSE(Mod_Prop::PropPolling);
    EXPECT_EQ(Calls(), QStringList{QStringLiteral("InitExit(0)")});
    ExpectBoxesKeptHidden();

    mjtest::Dispatch(frames::UserInfo(0).Name("乙").PropsSwitch(0));
    EXPECT_EQ(Mod_Prop::Prop_GameDllState, 2);
    EXPECT_EQ(Mod_Prop::PropObj.get(), object);
    EXPECT_FALSE(Calls().contains(QStringLiteral("mj_create_plugin(1)")));
    EXPECT_EQ(CallsOf({"Initdll"}).size(), 1);
    ExpectBoxesKeptHidden();

    // The program's end tells the plug-in so.
    Mark();
    mode = 1;
    Mod_Prop::ExitPropPlugin(mode);
    EXPECT_EQ(Calls(), QStringList{QStringLiteral("InitExit(1)")});
}

// A user information that forbids props while the plug-in runs shuts it
// down first: the boxes and the label go, and props stay off.
TEST_F(PropHost, PropsTurnedOffWhileRunningShutThePluginDown)
{
    StartPlugin();
    for (int k = 0; k <= 4; ++k)
        w->ImgProp(k).SetVisible(true);
    w->LbProp.SetCaption(QStringLiteral("道具"));
    w->LbProp.SetVisible(true);
    Mark();
    mjtest::Dispatch(frames::UserInfo(0).Name("乙").PropsSwitch(1));
    EXPECT_EQ(Mod_Prop::Prop_GameDllState, -1);
    EXPECT_FALSE(Mod_Prop::PropPolling);
    EXPECT_EQ(CallsOf({"InitExit"}), QStringList{QStringLiteral("InitExit(0)")});
    ExpectBoxesKeptHidden();
    EXPECT_FALSE(w->LbProp.Visible());

    // For the rest of the run.
    mjtest::Dispatch(frames::UserInfo(0).Name("丙").PropsSwitch(0));
    EXPECT_EQ(Mod_Prop::Prop_GameDllState, -1);
}

TEST_F(PropHost, SetUserinfoRefusingTurnsPropsOff)
{
    StartPlugin("baoinfo 1\nuserinfo 0\n");
    Mark();
    mjtest::Dispatch(frames::UserInfo(0).Name("乙").Coins(100).PropsSwitch(0));
    EXPECT_EQ(CallsOf({"SetUserinfo", "InitExit"}).size(), 2);
    EXPECT_EQ(CallsOf({"InitExit"}), QStringList{QStringLiteral("InitExit(0)")});
    EXPECT_EQ(Mod_Prop::Prop_GameDllState, -1);
}

// Whatever a member throws, at whatever kind of call site: props go off for
// the run (the plug-in told to shut down), a hand waiting for its awards or
// its boxes is settled at once, and the program goes on.
TEST_F(PropHost, AFailingMemberTurnsPropsOffWhereverItIsCalled)
{
    const struct {
        const char* site;
        const char* member;
        const char* script;
        std::function<void(PropHost&)> call;
        int settled;
    } sites[] = {
        {"main-loop poll", "CheckSendBuff", "", [](PropHost& t) { t.Tick(); }, 0},
        {"item fetch", "GetSendBuff", "notice 你好\n", [](PropHost& t) { t.Tick(); }, 0},
        {"award data", "GetScoreInfo", "",
         [](PropHost& t) {
             EndHandAwaitingAwards();
             t.Tick();
         },
         1},
        {"dispatcher", "Rec_MSG", "", [](PropHost&) { mjtest::Dispatch(frames::Numbered(47)); }, 0},
        {"key", "SetKeyDown", "",
         [](PropHost& t) {
             int16_t key = 113;
             t.w->Form_KeyDown(key, 0);
         },
         0},
        {"store button", "setbankstate", "", [](PropHost& t) { t.w->Bank_Click(); }, 0},
        {"video", "rec_state", "", [](PropHost& t) { t.w->ImgShow_Click(1); }, 0},
        {"own props frame", "ShowQvVideo", "",
         [](PropHost& t) { t.w->Proponeself_MouseMove(0, 0, 5, 5); }, 0},
        {"next deal", "InitShowNext", "", [](PropHost&) { Mod_Prop::HidePropBoxes(); }, 0},
        {"box opening", "ShowGif", "score 1\nawardtext 0 0 甲\nbonuscoins 0 10\n",
         [](PropHost& t) {
             EndHandAwaitingAwards();
             t.Tick();
             ASSERT_TRUE(t.w->ImgProp(2).Enabled());
             t.w->ImgProp_Click(2);
         },
         1},
    };
    InstallPlugin(tmp.path());
    for (const auto& site : sites) {
        for (const char* how : {"raise", "throw"}) {
            SCOPED_TRACE(testing::Message() << site.site << ", " << how);
            plugin = mjtest::LoadTestPlugin();
            Mod_Prop::ResetState();
            Mod_Prop::Prop_swicth = 1;
            PropVideoShown = false;
            w->Proponeself.Move(0, 600, 100, 100);
            Script("baoinfo 1\n");
            Script(site.script);
            ASSERT_TRUE(Mod_Prop::InitPropPlugin());
            Script(QStringLiteral("fail %1 %2\n").arg(site.member, how).toUtf8().constData());
            Mark();
            EXPECT_FALSE(mjtest::EndsProgram([&] { site.call(*this); }));
            EXPECT_FALSE(CallsOf({site.member}).isEmpty());
            EXPECT_EQ(Mod_Prop::Prop_GameDllState, -1);
            EXPECT_FALSE(Mod_Prop::PropPolling);
            EXPECT_EQ(CallsOf({"InitExit"}), QStringList{QStringLiteral("InitExit(0)")});
            EXPECT_EQ(Mod_Prop::SettledHands, site.settled);
            EXPECT_FALSE(Mod_Prop::ScoreInfoPending);
            EXPECT_FALSE(w->TimerProp.Enabled());
            ExpectBoxesKeptHidden();

            // Off for the run: nothing reaches the plug-in any more.
            Mark();
            Tick();
            w->Bank_Click();
            EXPECT_TRUE(Calls().isEmpty());
        }
    }
}

// A plug-in that fails even while being shut down is shut down all the same.
TEST_F(PropHost, AnExitThatFailsStillShutsDown)
{
    StartPlugin("baoinfo 1\nfail InitExit throw\n");
    int16_t mode = 0;
    EXPECT_NO_THROW(Mod_Prop::ExitPropPlugin(mode));
    EXPECT_EQ(Mod_Prop::Prop_GameDllState, -1);
    EXPECT_FALSE(Mod_Prop::PropPolling);
}

// The store button asks the plug-in only while it runs; its hover picture
// is loaded once on the way in and once on the way out.
TEST_F(PropHost, TheStoreButtonAndItsHover)
{
    w->Bank_Click(); // props off: nothing to ask, nothing fails
    StartPlugin();
    Mark();
    w->Bank_Click();
    EXPECT_EQ(Calls(), QStringList{QStringLiteral("setbankstate(0)")});

    EXPECT_EQ(w->Bank.Picture().ResourceId(), 450);
    w->Bank_MouseMove(0, 0, 1, 1);
    EXPECT_TRUE(BankHover);
    EXPECT_EQ(w->Bank.Picture().ResourceId(), 451);
    w->Bank.SetPicture(Picture());
    w->Bank_MouseMove(0, 0, 2, 2); // already hovering: not loaded again
    EXPECT_TRUE(w->Bank.Picture().IsNull());
    w->imgLocation_MouseMove(0, 0, 1, 1);
    EXPECT_FALSE(BankHover);
    EXPECT_EQ(w->Bank.Picture().ResourceId(), 450);
    w->Bank.SetPicture(Picture());
    w->imgLocation_MouseMove(0, 0, 1, 1);
    EXPECT_TRUE(w->Bank.Picture().IsNull());
}

// The own props frame asks for the plug-in's video pop-up once the pointer
// is inside it (in the table's pixels), once until the pointer leaves.
TEST_F(PropHost, TheOwnPropsFrameAsksForThePopUpFromInside)
{
    StartPlugin("baoinfo 1\nqvvideo 1\n");
    w->Proponeself.Move(10, 600, 100, 118);
    const struct {
        float x, y;
        bool asks;
    } moves[] = {{0, 5, false}, {5, 0, false}, {100, 5, false}, {5, 118, false}, {99.4f, 117.4f, true}, {1, 1, true}};
    for (const auto& m : moves) {
        SCOPED_TRACE(testing::Message() << m.x << ", " << m.y);
        PropVideoShown = false;
        PropVideoSide = 0;
        Mark();
        w->Proponeself_MouseMove(0, 0, m.x, m.y);
        EXPECT_EQ(Calls().size(), m.asks ? 1 : 0);
        EXPECT_EQ(PropVideoSide, m.asks ? 1 : 0);
        Mark();
        w->Proponeself_MouseMove(0, 0, m.x, m.y);
        EXPECT_TRUE(Calls().isEmpty()) << "asked once until the pointer leaves";
    }
    // Leaving over the table takes the pop-up down.
    Mark();
    w->Pic1_MouseMove(0, 0, 500, 300);
    EXPECT_EQ(Calls(), QStringList{QStringLiteral("ShowQvVideo(0, False, 0) -> True")});
    EXPECT_EQ(PropVideoSide, 0);
}

} // namespace
