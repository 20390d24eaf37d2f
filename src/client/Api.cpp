// The hall link (finding the hall window, posting it messages, restoring and
// minimising it, the table window's procedure for the hall's messages) and
// the two ways of leaving the table.
#include "client/Api.h"

#include "client/Data.h"
#include "client/General.h"
#include "client/Image_Resource.h"
#include "client/MainForm.h"
#include "client/Mod_Proxy.h"
#include "client/SoftTimer.h"
#include "client/Total.h"
#include "client/frmReconnect.h"
#include "controls/Hero.h"
#include "controls/Score.h"
#include "platform/Clock.h"
#include "platform/HallLink.h"
#include "platform/Program.h"
#include "social/Mod_Prop.h"
#include "social/Talk.h"
#include "social/rule.h"
#include "table/NewGame.h"
#include "video/VideoState.h"
#include "video/frm_Remote1.h"
#include "video/frm_Remote2.h"
#include "video/frm_Remote3.h"

#include <QFile>

namespace mj {

namespace {

void sendSystemCommand(int32_t command)
{
    const int32_t hall = Api::FindHallWindow();
    if (hall == 0)
        EndProgram();
    HallLink::SendMessage(hall, WM_SYSCOMMAND, command, 0);
}

// Every soft timer off, as both leave operations leave them.
void quietSoftTimers()
{
    SendOn = RecvOn = ConnectWatchOn = BlinkOn = ConnectionMonitorOn = false;
    TurnClockOn = NextRoundCountdownOn = PulseOn = BubbleHideOn = false;
    ConnectionMonitorTicks = 0;
    PulseTicks = 0;
}

template <class RemoteWindow>
void closeRemoteWindow()
{
    if (isLoaded<RemoteWindow>()) {
        form<RemoteWindow>().Hide();
        unload<RemoteWindow>();
    }
}

bool g_leaving = false;

// Leaving the table while the game server is reached tells it first (a link
// still in the proxy's handshake has not reached it).
void leaveSeatIfConnected()
{
    if (Mod_Proxy::LinkThrough(form<MainForm>().Winsock1)) {
        ConnectionMonitorOn = false;
        ConnectionMonitorTicks = 0;
        Api::SendLeaveSeat();
    }
}

} // namespace

Api::LeaveGuard::LeaveGuard()
    : owner_(!g_leaving)
{
    if (!owner_)
        return;
    g_leaving = true;
    Mod_Proxy::StopHandshake();
}

Api::LeaveGuard::~LeaveGuard()
{
    if (owner_)
        g_leaving = false;
}

bool Api::Leaving()
{
    return g_leaving;
}

int32_t Api::FindHallWindow()
{
    HallWnd = HallLink::FindWindow(HallTitle);
    return HallWnd;
}

void Api::PostToHall(int32_t message)
{
    if (const int32_t hall = FindHallWindow())
        HallLink::PostMessage(hall, message, 0, 0);
}

void Operate::RestoreHallWindow()
{
    sendSystemCommand(SC_RESTORE);
}

void Operate::MinimizeHallWindow()
{
    sendSystemCommand(SC_MINIMIZE);
}

int32_t Api::WndProc(int32_t, int32_t uMsg, int32_t, int32_t)
{
    switch (uMsg) {
    case HallMsgQueryRound: {
        const int32_t hall = FindHallWindow();
        if (hall != 0)
            HallLink::PostMessage(hall, GameRunning ? HallMsgRoundRunning : HallMsgTableFree, 0, 0);
        return 0;
    }
    case HallMsgLeaveTable: {
        if (Leaving())
            return 0; // the table is being left already
        const int32_t hall = FindHallWindow();
        if (hall == 0)
            return 0;
        if (LoginPending) {
            HallLink::PostMessage(hall, HallMsgLoginPending, 0, 0);
            return 0;
        }
        if (GameRunning) {
            HallLink::PostMessage(hall, HallMsgRoundRunning, 0, 0);
            return 0;
        }
        const LeaveGuard leave;
        if (!leave)
            return 0;
        leaveSeatIfConnected();
        ReturnToHall();
        NewGame::ClearTableAndPlaceWalls();
        HallLink::PostMessage(hall, HallMsgTableFree, 0, 0);
        return 0;
    }
    case HallMsgForceLeave: {
        const LeaveGuard leave;
        if (!leave)
            return 0;
        leaveSeatIfConnected();
        ReturnToHall();
        PostToHall(HallMsgTableFree);
        return 0;
    }
    case HallMsgRelogin: {
        MainForm& table = form<MainForm>();
        DirectLink = true;
        LoginPending = true;
        Total::LoginFrame[3] = MsgLogin;
        if (ProxyType == 0)
            General::ResetNetBuffers();
        OpenGameConnection(table);
        ButtonUsed[2] = false;
        Image_Resource::LoadGifResource(CInt(Image_Resource::ButtonPicture[4]), QStringLiteral("GIF"), table.AnNiu(2));
        table.Time_Img.SetVisible(false);
        table.Number.SetVisible(false);
        return 0;
    }
    default:
        return 0;
    }
}

void Api::OpenGameConnection(MainForm& table)
{
    if (ProxyType == 0) {
        table.Winsock1.SetRemoteHost(GameServer.Host);
        table.Winsock1.SetRemotePort(GameServer.Port);
        if (table.Winsock1.State() != sckClosed)
            table.Winsock1.Close();
        table.Winsock1.Connect();
        table.TimerBong.SetEnabled(true);
        ConnectWatchOn = true;
        ConnectWatchTicks = 0;
        StartFirstLoginWatch();
    } else if (ProxyType == 5) {
        ConnectWatchOn = false;
        StartFirstLoginWatch();
        Mod_Proxy::ConnectViaProxy(table.Winsock1);
    }
}

void Api::SendLeaveSeat()
{
    MainForm& table = form<MainForm>();
    // From here on no server frame is handled until the next connection:
    // a frame arriving during the wait below must not act on a table that
    // is being left.
    Total::HoldReceiving();

    FrameBytes frame;
    frame[3] = MsgReady; // code 16 with value(3) = 0: the leave form
    frame[6] = custom[0].SeatMask;

    if (VideoEnabled) {
        for (int i = 1; i <= 3; ++i) {
            PeerThrottle[i] = 0;
            PeerClosed[i] = false;
            PeerShown[i] = false;
            table.PicLocal(i).SetVisible(false);
            table.ImgShow(i).SetVisible(false);
            table.ImgKuang(i).SetVisible(false);
            table.vshow1(i).SetVisible(false);
            table.P2PSocket1.DisconnectUser(static_cast<int16_t>(i));
            custom[i].Name.clear();
        }
        closeRemoteWindow<frm_Remote1>();
        closeRemoteWindow<frm_Remote2>();
        closeRemoteWindow<frm_Remote3>();
        for (int i = 1; i <= 3; ++i)
            DropSideFrames(i);
    }

    quietSoftTimers();
    table.TimerKeepAlive.SetEnabled(false);

    if (table.Winsock1.State() == sckConnected)
        table.Winsock1.SendData(QByteArray(reinterpret_cast<const char*>(frame.data()), FrameSize));

    General::WaitSeconds(Reconnecting ? 0.8f : 0.4f);

    ReconnectAllowed = false;
    table.LblShuffle.SetVisible(false);
    table.ImgShuffle.SetVisible(false);
    table.TimerShuffle.SetEnabled(false);
    SeatShuffleShown = false;
    SeatShuffleRunning = false;
    // The camera stops with the seat, so the next table finds it free.
    if (CameraOn)
        table.vcap1.StopCapture();
    CameraOn = false;
    VideoTicks = 0;
    VideoPoll = false;
    VideoSteps.Fill(false);
    table.WebBrowser2.SetVisible(false);
}

void Api::ReturnToHall()
{
    MainForm& table = form<MainForm>();
    Total::HoldReceiving();
    // A handshake with the proxy ends here, before its socket closes.
    Mod_Proxy::StopHandshake();

    // A player back in the hall is never put back into the game: a
    // reconnection under way stops here.
    ReconnectAllowed = false;
    if (isLoaded<frmReconnect>())
        unload<frmReconnect>();

    GameRunning = false;
    ConnectionMonitorOn = false;
    ButtonUsed[2] = true;
    quietSoftTimers();
    table.TimerBong.SetEnabled(false);
    table.TimerKeepAlive.SetEnabled(false);
    table.Sysmsg(0).Clear();
    table.Sysmsg(1).Clear();

    table.Winsock1.Close();
    LoginPending = false;
    StopFirstLoginWatch();
    while (table.Winsock1.State() == sckConnected)
        Clock::ProcessEvents(0.05);

    for (int c = 0; c <= 3; ++c) {
        table.Tou(c).SetPicture(mj::Picture());
        table.Nid(c).SetCaption(QString());
        table.Cash(c).SetCaption(QString());
        table.Level(c).SetCaption(QString());
        // The own account name stays: the next login and the seat-name
        // match still find the own seat by it.
        if (c != 0)
            custom[c].Name.clear();
        custom[c].SeatMask = 0;
        PlayerInfo& p = Players[c];
        p.Name.clear();
        p.ClearDetails();
    }

    Hero& hero = form<Hero>();
    Score& score = form<Score>();
    for (int d = 0; d <= 3; ++d) {
        hero.Tou(d).SetPicture(mj::Picture());
        hero.ID(d).SetCaption(QString());
        hero.Num.Clear();
        hero.Grade(d).Clear();
        hero.Hide();
        score.Tou(d).SetPicture(mj::Picture());
        score.ID(d).SetCaption(QString());
        score.State(d).Clear();
        score.State(d + 4).Clear();
        score.Hide();
        hero.sumScore(d).SetCaption(QString());
        table.OK(d).SetVisible(false);
    }

    for (int i = 0; i <= 2; ++i) {
        table.Speak(i).SetVisible(false);
        table.tsSpeak(i).SetVisible(false);
    }
    table.Words.SetVisible(false);
    form<Talk>().Text1.Clear();

    OthersSeated = 0;
    GameRunning = false;
    table.QV_Image.SetVisible(false);
    TimeoutCount = 0;
    FirstGame = true;

    const QString history = ProgramFolder() + QStringLiteral("/info.qv");
    if (QFile::exists(history))
        QFile::remove(history);

    form<rule>().Hide();
    TableResetDone = false;
    RoundNo = 0;
    table.SetWindowState(1);
    table.lbwealth.SetCaption(QStringLiteral("0"));
    table.lbwealth.SetVisible(false);
    table.Imgwealth.SetVisible(false);
    SeatWealthRates.Fill(0);

    if (Mod_Prop::Prop_GameDllState > 0) {
        int16_t mode = 0;
        Mod_Prop::ExitPropPlugin(mode);
    }
}

void Api::LeaveToHallWindow()
{
    if (FindHallWindow() == 0)
        EndProgram();
    form<MainForm>().SetWindowState(1);
    Operate::RestoreHallWindow();
}

} // namespace mj
