#include "client/frmExit.h"

#include "client/Api.h"
#include "client/Data.h"
#include "client/General.h"
#include "client/Image_Resource.h"
#include "client/MainForm.h"
#include "client/Mod_Proxy.h"
#include "client/SoftTimer.h"
#include "platform/Resources.h"
#include "social/Mod_Prop.h"
#include "table/NewGame.h"

namespace mj {

namespace {
constexpr int32_t LightYellow = 0xC0FFFF; // RGB 255, 255, 192
} // namespace

void DesignDialogLabel(Label& label, double left, double top, double width, double height, const QString& caption,
                       double points, bool bold)
{
    label.Move(left, top, width, height);
    label.SetCaption(caption);
    label.SetBackStyle(Label::vbTransparent);
    label.SetForeColor(LightYellow);
    label.SetFontName(QStringLiteral("宋体"));
    label.SetFontSize(points);
    label.SetFontBold(bold);
}

frmExit::frmExit()
    : Form(QStringLiteral("frmExit"), ScaleMode::Pixels)
    , Label2(*this, QStringLiteral("Label2"))
    , Label1(*this, QStringLiteral("Label1"))
    , pbCloseMe(*this, QStringLiteral("pbCloseMe"))
    , pbCancel(*this, QStringLiteral("pbCancel"))
{
    SetBorderless(true);
    SetCaption(QStringLiteral("退出"));
    Move(0, 0, 320 * 15, 180 * 15);
    SetPicture(Resources::DesignPicture(QStringLiteral("frmExit")));
    DesignDialogLabel(Label2, 32, 32, 265, 22, QStringLiteral("游戏正在进行，逃跑会扣分！"), 14.25, true);
    DesignDialogLabel(Label1, 48, 64, 233, 22, QStringLiteral("您真的要退出吗？"), 14.25, true);
    pbCloseMe.SetStretch(true);
    pbCloseMe.Move(48, 112, 57, 25);
    pbCancel.SetStretch(true);
    pbCancel.Move(184, 112, 57, 25);
    pbCloseMe.OnClick = [this] { pbCloseMe_Click(); };
    pbCancel.OnClick = [this] { pbCancel_Click(); };
}

void frmExit::Form_Load()
{
    pbCloseMe.SetWidth(65);
    Image_Resource::LoadGifResource(CInt(Image_Resource::DialogButtonPicture[0]), QStringLiteral("GIF"), pbCloseMe);
    pbCancel.SetWidth(65);
    Image_Resource::LoadGifResource(CInt(Image_Resource::DialogButtonPicture[2]), QStringLiteral("GIF"), pbCancel);
    Label2.SetVisible(GameRunning && !WatchMode);
    if (SeatShuffleRunning)
        SetPicture(mj::Picture());
}

void frmExit::pbCancel_Click()
{
    Unload();
}

void frmExit::pbCloseMe_Click()
{
    const Api::LeaveGuard leave;
    if (!leave)
        return;
    if (Mod_Prop::CallPlugin([](Tesmora& p) { p.UpdataMyProp(false); }))
        General::WaitSeconds(0.25f);
    MainForm& table = form<MainForm>();
    if (Mod_Proxy::LinkThrough(table.Winsock1)) {
        ConnectionMonitorOn = false;
        ConnectionMonitorTicks = 0;
        Api::SendLeaveSeat();
    }
    TableResetDone = false;
    Api::ReturnToHall();
    NewGame::ResetRoundDataCopy();
    NewGame::ClearTableAndPlaceWalls();
    Unload();
    Api::LeaveToHallWindow();
}

void ShowExitDialog()
{
    MainForm& table = form<MainForm>();
    frmExit& dialog = form<frmExit>();
    dialog.SetLeft(table.Left() + (table.Width() - dialog.Width()) / 2);
    dialog.SetTop(table.Top() + (table.Height() - dialog.Height()) / 2);
    dialog.Label2.SetVisible(GameRunning && !WatchMode);
    dialog.Show();
}

void ToggleExitDialog()
{
    if (isLoaded<frmExit>() && form<frmExit>().Visible())
        form<frmExit>().Hide();
    else
        ShowExitDialog();
}

} // namespace mj
