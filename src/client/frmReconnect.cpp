#include "client/frmReconnect.h"

#include "client/Api.h"
#include "client/Data.h"
#include "client/Image_Resource.h"
#include "client/MainForm.h"
#include "client/Mod_Proxy.h"
#include "client/SoftTimer.h"
#include "client/Total.h"
#include "client/frmExit.h"
#include "platform/Resources.h"
#include "table/NewGame.h"

namespace mj {

namespace {
// True while a tick of TimerCount runs. A tick can wait with events handled
// (a try through a proxy waits for the proxy, the last message waits for the
// player); the ticks that come meanwhile do nothing, so no second try starts
// and no second message shows.
bool g_tickRunning = false;
} // namespace

frmReconnect::frmReconnect()
    : Form(QStringLiteral("frmReconnect"), ScaleMode::Pixels)
    , lbReconnect(*this, QStringLiteral("lbReconnect"))
    , lbTime(*this, QStringLiteral("lbTime"))
    , pbReconnect(*this, QStringLiteral("pbReconnect"))
    , pbCancel(*this, QStringLiteral("pbCancel"))
    , TimerReconnect(*this, QStringLiteral("TimerReconnect"))
    , TimerCount(*this, QStringLiteral("TimerCount"))
{
    SetBorderless(true);
    Move(0, 0, 278 * 15, 200 * 15);
    SetPicture(Resources::DesignPicture(QStringLiteral("frmReconnect")));
    DesignDialogLabel(lbReconnect, 8, 40, 265, 22, QStringLiteral("网络断开，需要重连吗？"), 14.25, true);
    DesignDialogLabel(lbTime, 8, 88, 257, 22, QStringLiteral("30 秒后自动重连"), 12, true);
    pbReconnect.Move(40, 136, 73, 25);
    pbCancel.Move(168, 136, 73, 25);
    TimerReconnect.SetEnabled(false);
    TimerReconnect.SetInterval(1000);
    TimerCount.SetEnabled(false);
    TimerCount.SetInterval(3000);
    TimerReconnect.OnTimer = [this] { TimerReconnect_Timer(); };
    TimerCount.OnTimer = [this] { TimerCount_Timer(); };
    pbReconnect.OnClick = [this] { pbReconnect_Click(); };
    pbCancel.OnClick = [this] { pbCancel_Click(); };
}

void frmReconnect::ShowCountdown()
{
    lbTime.SetCaption(QString::number(ReconnectCountdown) + QStringLiteral(" 秒后自动重连"));
}

void frmReconnect::Form_Load()
{
    Image_Resource::LoadGifResource(CInt(Image_Resource::DialogButtonPicture[0]), QStringLiteral("GIF"), pbReconnect);
    Image_Resource::LoadGifResource(CInt(Image_Resource::DialogButtonPicture[2]), QStringLiteral("GIF"), pbCancel);
    ReconnectTries = 0;
    ReconnectCountdown = 1;
    ShowCountdown();
    TimerReconnect.SetEnabled(true);
    TimerCount.SetEnabled(false);
}

void frmReconnect::StartTries()
{
    TimerReconnect.SetEnabled(false);
    ReconnectCountdown = 1;
    ShowCountdown();
    TimerCount.SetEnabled(true);
    Hide();
}

void frmReconnect::TimerReconnect_Timer()
{
    --ReconnectCountdown;
    ShowCountdown();
    if (ReconnectCountdown < 1)
        StartTries();
}

void frmReconnect::pbReconnect_Click()
{
    StartTries();
}

void frmReconnect::TimerCount_Timer()
{
    if (g_tickRunning)
        return;
    g_tickRunning = true;
    struct TickDone {
        ~TickDone() { g_tickRunning = false; }
    } done;
    // Through to the game server (past the proxy, when one is used): the
    // answer to the reconnect frame is the dispatcher's.
    if (Mod_Proxy::LinkThrough(form<MainForm>().Winsock1)) {
        TimerCount.SetEnabled(false);
        Unload();
        return;
    }
    if (ReconnectTries < ReconnectTryLimit) {
        ++ReconnectTries;
        General::RequestReconnect();
        return;
    }
    MsgBox(QStringLiteral("重连失败，请检查您的网络！"), vbOKOnly);
    Operate::RestoreHallWindow();
    EndProgram();
}

void frmReconnect::pbCancel_Click()
{
    MainForm& table = form<MainForm>();
    if (table.Winsock1.State() != sckConnected) {
        const Api::LeaveGuard leave;
        if (!leave)
            return;
        table.SetWindowState(1);
        Operate::RestoreHallWindow();
        TableResetDone = false;
        Api::ReturnToHall();
        NewGame::ResetRoundDataCopy();
        NewGame::ClearTableAndPlaceWalls();
    }
    Unload();
}

void General::RequestReconnect()
{
    MainForm& table = form<MainForm>();
    table.Sysmsg(0).Clear();
    table.Sysmsg(1).Clear();
    table.Sysmsg(0).AddItem(QStringLiteral("正在重新连接服务器..."));
    Total::WriteReconnectFrame();
    DirectLink = true;
    table.Winsock1.Close();
    // The new stream starts on a frame boundary: a frame cut off by the drop
    // is not read out of step with it. Whole frames already in stay.
    Total::DropPartialReceivedFrame();
    if (ProxyType == 0) {
        table.Winsock1.Connect();
        ConnectWatchOn = true;
        ConnectWatchTicks = 0;
    } else if (ProxyType == 5) {
        ConnectWatchOn = false;
        Mod_Proxy::ConnectViaProxy(table.Winsock1);
    }
}

} // namespace mj
