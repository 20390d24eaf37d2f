// The two exit dialogs: frmExit (leave, or stay) and frmOtherExit (the table
// broke up: leave, or stay at the emptied table). Buttons are pressed with
// real mouse events on their widgets; the hall is a fake one in this
// process and the game server the scripted server on loopback.
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
#include "client/frmOtherExit.h"
#include "client/frmReconnect.h"
#include "platform/Application.h"
#include "platform/Clock.h"
#include "platform/HallLink.h"
#include "platform/Program.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

using namespace mj;
using mjtest::Click;
using mjtest::PumpUntil;
using mjtest::ServerProcess;

namespace {

const QString Title = QStringLiteral("退出测试大厅");

class ExitDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        SetProgramFolder(tmp.path());
        setUpTable();
    }

    // The table window as start-up leaves it, at a known place on the screen.
    void setUpTable()
    {
        w = &mjtest::OpenTableWindow(Title);
        w->Move(3000, 1500, 15360, 11520);
    }

    void connectTo(const ServerProcess& server)
    {
        ASSERT_GT(server.Port(), 0);
        DirectLink = true;
        w->Winsock1.SetRemoteHost(QStringLiteral("127.0.0.1"));
        w->Winsock1.SetRemotePort(server.Port());
        w->Winsock1.Connect();
        ASSERT_TRUE(PumpUntil([&] { return w->Winsock1.State() == sckConnected; }));
    }

    // A hand in progress: players seated, a round counted, the history written.
    void midHand()
    {
        GameRunning = true;
        RoundNo = 3;
        TableResetDone = true;
        custom[0].Name = QStringLiteral("me");
        custom[0].SeatMask = 4;
        custom[2].Name = QStringLiteral("west");
        Players[2].UserId = 42;
        QFile history(tmp.filePath(QStringLiteral("info.qv")));
        ASSERT_TRUE(history.open(QIODevice::WriteOnly));
        history.write("hands");
    }
    bool historyExists() const { return QFile::exists(tmp.filePath(QStringLiteral("info.qv"))); }


    QTemporaryDir tmp;
    MainForm* w = nullptr;
    mjtest::FakeHall hall{Title};
};

TEST_F(ExitDialog, TheDialogsAndTheReconnectionFormLoadOpaque)
{
    frmExit& exit = form<frmExit>();
    EXPECT_EQ(exit.WindowAlpha(), 255);
    EXPECT_EQ(exit.Caption(), QStringLiteral("退出"));
    EXPECT_EQ(exit.Label1.Caption(), QStringLiteral("您真的要退出吗？"));
    EXPECT_EQ(exit.Label2.Caption(), QStringLiteral("游戏正在进行，逃跑会扣分！"));
    EXPECT_EQ(exit.Label1.ForeColor(), 0xC0FFFF);
    EXPECT_TRUE(exit.Label1.FontBold());
    EXPECT_EQ(exit.pbCloseMe.Width(), 65);
    EXPECT_EQ(exit.pbCancel.Width(), 65);
    EXPECT_EQ(exit.pbCloseMe.Picture().ResourceId(), 130);
    EXPECT_EQ(exit.pbCancel.Picture().ResourceId(), 132);
    EXPECT_FALSE(exit.Picture().IsNull());
    EXPECT_FALSE(exit.Visible()); // loading does not show it

    frmOtherExit& other = form<frmOtherExit>();
    EXPECT_EQ(other.WindowAlpha(), 255);
    EXPECT_EQ(other.Caption(), QStringLiteral("退出"));
    EXPECT_FALSE(other.Label1.FontBold());
    for (Image* button : {&other.imgOK, &other.imgCancel}) {
        EXPECT_EQ(button->Width(), 70);
        EXPECT_EQ(button->Height(), 30);
    }
    EXPECT_EQ(other.imgOK.Picture().ResourceId(), 130);
    EXPECT_EQ(other.imgCancel.Picture().ResourceId(), 132);

    // The reconnection form is opaque as well: the table never shows
    // through the text of a dialog on this system.
    frmReconnect& reconnect = mjtest::LoadReconnectForm();
    EXPECT_EQ(reconnect.WindowAlpha(), 255);
    EXPECT_DOUBLE_EQ(reconnect.Widget()->windowOpacity(), 1.0);
}

TEST_F(ExitDialog, DuringTheSeatChangeTheDialogLoadsWithoutItsBackground)
{
    SeatShuffleRunning = true;
    EXPECT_TRUE(form<frmExit>().Picture().IsNull());
}

// The toolbar's exit button shows the dialog centred over the table with the
// warning set by the state at that moment, and hides it again; a hidden
// dialog stays loaded.
TEST_F(ExitDialog, TheWarningShowsOnlyWhileAHandRunsOutsideWatchMode)
{
    const struct {
        bool running, watch, warning;
    } cases[] = {{true, false, true}, {false, false, false}, {true, true, false}, {false, true, false},
                 {true, false, true}};
    int16_t exitButton = 8;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "running " << c.running << " watch " << c.watch);
        GameRunning = c.running;
        WatchMode = c.watch;
        w->AnNiu_Click(exitButton);
        frmExit& dialog = form<frmExit>();
        ASSERT_TRUE(dialog.Visible());
        EXPECT_EQ(dialog.Label2.Visible(), c.warning);
        EXPECT_EQ(dialog.Left(), 3000 + (15360 - dialog.Width()) / 2);
        EXPECT_EQ(dialog.Top(), 1500 + (11520 - dialog.Height()) / 2);
        w->AnNiu_Click(exitButton);
        EXPECT_TRUE(isLoaded<frmExit>());
        EXPECT_FALSE(dialog.Visible());
    }
}

TEST_F(ExitDialog, CancelOnlyClosesTheDialog)
{
    midHand();
    ShowExitDialog();
    Click(form<frmExit>().pbCancel.Widget());
    EXPECT_FALSE(isLoaded<frmExit>());
    EXPECT_TRUE(GameRunning);
    EXPECT_EQ(RoundNo, 3);
    EXPECT_TRUE(historyExists());
    EXPECT_NE(w->WindowState(), 1);
    EXPECT_TRUE(hall.SettledLog().isEmpty());
}

// OK leaves the seat (with the leave-seat frame only while connected),
// returns to the hall and hands the screen back to the hall. A reconnection
// under way is stopped on every path.
TEST_F(ExitDialog, OkLeavesTheTableAndBringsTheHallBack)
{
    const struct {
        const char* name;
        bool connected, plugin, reconnecting;
        double wait; // seconds the client waited, handling events
    } cases[] = {
        {"connected", true, false, false, 0.4},
        {"connected after a reconnection", true, false, true, 0.8},
        {"connected with props", true, true, false, 0.25 + 0.4},
        {"not connected", false, false, false, 0},
        {"not connected with props", false, true, false, 0.25},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DiscardAllForms();
        ResetSharedState();
        setUpTable();
        const qsizetype seen = hall.SettledLog().size();
        midHand();
        std::unique_ptr<ServerProcess> server;
        if (c.connected) {
            server = std::make_unique<ServerProcess>(QStringLiteral("expect 16\nwait-close\n"));
            connectTo(*server);
        }
        mjtest::TestPlugin plugin;
        if (c.plugin) {
            plugin = mjtest::LoadTestPlugin();
            ASSERT_TRUE(plugin);
        }
        Reconnecting = c.reconnecting;
        ReconnectAllowed = true;
        form<frmReconnect>();
        ConnectionMonitorOn = true;
        ConnectionMonitorTicks = 4;
        w->SetWindowState(0);
        ShowExitDialog();

        const double before = Clock::Monotonic();
        Click(form<frmExit>().pbCloseMe.Widget());
        const double waited = Clock::Monotonic() - before;

        EXPECT_GE(waited, c.wait);
        EXPECT_LT(waited, c.wait + 0.05);
        EXPECT_FALSE(isLoaded<frmExit>());
        EXPECT_FALSE(GameRunning);
        EXPECT_EQ(RoundNo, 0);
        EXPECT_FALSE(TableResetDone);
        EXPECT_FALSE(historyExists());
        EXPECT_EQ(Players[2].UserId, 42);
        EXPECT_TRUE(custom[2].Name.isEmpty());
        EXPECT_EQ(w->WindowState(), 1);
        EXPECT_EQ(w->Winsock1.State(), sckClosed);
        EXPECT_FALSE(isLoaded<frmReconnect>());
        EXPECT_FALSE(ReconnectAllowed);
        EXPECT_FALSE(ConnectionMonitorOn);
        EXPECT_EQ(hall.SettledLog().mid(seen), QStringList{QStringLiteral("restore")});
        if (c.connected) {
            ASSERT_GE(server->WaitForLine(QStringLiteral("closed 1")), 0);
            const QStringList frames = server->Received();
            ASSERT_EQ(frames.size(), 1);
            QByteArray leave(FrameSize, '\0');
            leave[3] = 16;
            leave[6] = 4;
            EXPECT_EQ(frames[0].section(u' ', 7).toUpper(), QString::fromLatin1(leave.toHex()).toUpper());
        }
        if (c.plugin) {
            const QString log = plugin.Log();
            const qsizetype update = log.indexOf(QStringLiteral("UpdataMyProp(False)"));
            ASSERT_GE(update, 0);
            EXPECT_GT(log.indexOf(QStringLiteral("InitExit(0)")), update);
        }
    }
}

// A leave waits with events handled. A second OK click or a hall message to
// leave that comes meanwhile is ignored: the server gets one leave-seat
// frame and the hall one answer.
TEST_F(ExitDialog, ARequestToLeaveDuringALeaveIsIgnored)
{
    enum class Act { OkClick, HallLeave, HallForceLeave };
    const struct {
        const char* name;
        Act first, second;
        QStringList hallSees;
    } cases[] = {
        {"a second OK click", Act::OkClick, Act::OkClick, {QStringLiteral("restore")}},
        {"the hall's leave message", Act::OkClick, Act::HallLeave, {QStringLiteral("restore")}},
        {"the hall's forced leave", Act::OkClick, Act::HallForceLeave, {QStringLiteral("restore")}},
        {"an OK click during the hall's forced leave", Act::HallForceLeave, Act::OkClick, {QStringLiteral("0x400")}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DiscardAllForms();
        ResetSharedState();
        setUpTable();
        int handled = 0;
        HallLink::SetHandler([&](int32_t msg, int32_t wParam, int32_t lParam) {
            ++handled;
            return Api::WndProc(0, msg, wParam, lParam);
        });
        const qsizetype seen = hall.SettledLog().size();
        midHand();
        GameRunning = false; // the hall's polite leave would leave too
        ServerProcess server(QStringLiteral("expect 16\nwait-close\n"));
        connectTo(server);
        ShowExitDialog();
        const auto act = [&](Act a) {
            if (a == Act::OkClick) {
                Click(form<frmExit>().pbCloseMe.Widget());
                return;
            }
            const int before = handled;
            hall.Post(a == Act::HallLeave ? HallMsgLeaveTable : HallMsgForceLeave);
            EXPECT_TRUE(PumpUntil([&] { return handled > before; }));
        };
        bool secondDone = false;
        Clock::SetIdleStep([&] {
            if (!secondDone) {
                secondDone = true;
                act(c.second);
            }
            Clock::Advance(0.01);
        });
        act(c.first);
        Clock::SetIdleStep(nullptr);
        EXPECT_TRUE(secondDone);
        EXPECT_EQ(hall.SettledLog().mid(seen), c.hallSees);
        ASSERT_GE(server.WaitForLine(QStringLiteral("closed 1")), 0);
        EXPECT_EQ(server.Received().size(), 1); // one leave-seat frame
        EXPECT_EQ(w->WindowState(), 1);
        EXPECT_FALSE(ProgramEndedInEvent());
        HallLink::SetHandler(nullptr);
    }
}

// With the hall gone the table is still left and reset; then the program ends.
TEST_F(ExitDialog, OkWithTheHallGoneLeavesTheTableThenEnds)
{
    for (bool other : {false, true}) {
        SCOPED_TRACE(other ? "frmOtherExit" : "frmExit");
        midHand();
        ASSERT_TRUE(historyExists());
        hall.Close();
        Control* ok = nullptr;
        if (other) {
            form<frmOtherExit>().Show();
            ok = &form<frmOtherExit>().imgOK;
        } else {
            ShowExitDialog();
            ok = &form<frmExit>().pbCloseMe;
        }
        EXPECT_TRUE(mjtest::EndsProgram([&] { ok->OnClick(); }));
        EXPECT_EQ(RoundNo, 0);
        EXPECT_FALSE(historyExists());
        EXPECT_FALSE(GameRunning);
        EXPECT_FALSE(isLoaded<frmExit>() || isLoaded<frmOtherExit>());
    }
}

TEST_F(ExitDialog, LeavingAfterTheTableBrokeUpSendsNoFrame)
{
    ServerProcess server(QStringLiteral("wait-close\n"));
    connectTo(server);
    midHand();
    frmOtherExit& dialog = form<frmOtherExit>();
    dialog.Label1.SetCaption(QStringLiteral("玩家west退出了游戏！游戏结束！"));
    dialog.Show();
    Click(dialog.imgOK.Widget());
    EXPECT_FALSE(isLoaded<frmOtherExit>());
    EXPECT_EQ(RoundNo, 0);
    EXPECT_FALSE(historyExists());
    EXPECT_EQ(w->WindowState(), 1);
    EXPECT_EQ(hall.SettledLog(), QStringList{QStringLiteral("restore")});
    ASSERT_GE(server.WaitForLine(QStringLiteral("closed 1")), 0);
    EXPECT_TRUE(server.Received().isEmpty()); // the dispatcher sent it before
}

// Staying keeps the client at the emptied table with the connection monitor
// off; the next start/continue press is marked to leave.
TEST_F(ExitDialog, StayingAfterTheTableBrokeUpKeepsTheClientAtTheTable)
{
    ServerProcess server(QStringLiteral("wait-close\n"));
    connectTo(server);
    midHand();
    ConnectionMonitorOn = true;
    ConnectionMonitorTicks = 3;
    frmOtherExit& dialog = form<frmOtherExit>();
    dialog.Show();
    Click(dialog.imgCancel.Widget());
    EXPECT_FALSE(isLoaded<frmOtherExit>());
    EXPECT_TRUE(OtherExitShown);
    EXPECT_FALSE(GameRunning);
    EXPECT_FALSE(ConnectionMonitorOn);
    EXPECT_EQ(ConnectionMonitorTicks, 3);
    EXPECT_EQ(w->Winsock1.State(), sckConnected);
    EXPECT_EQ(RoundNo, 3);
    EXPECT_EQ(custom[2].Name, QStringLiteral("west"));
    EXPECT_TRUE(historyExists());
    EXPECT_NE(w->WindowState(), 1);
    EXPECT_TRUE(hall.SettledLog().isEmpty());
}

} // namespace
