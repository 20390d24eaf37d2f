// The window shell: the painted skin with its title-bar buttons, dragging the
// window by its title strip, what minimising and restoring do, and the
// ordered unload of the table window.
#include "client/MainForm.h"

#include "client/Api.h"
#include "client/Data.h"
#include "client/Mod_Sound.h"
#include "client/frmExit.h"
#include "client/frmOtherExit.h"
#include "client/frmReconnect.h"
#include "controls/Hero.h"
#include "controls/Information.h"
#include "controls/Score.h"
#include "platform/HallLink.h"
#include "social/Mod_Prop.h"
#include "social/Talk.h"
#include "social/VosSet.h"
#include "social/huifu.h"
#include "social/rule.h"
#include "video/frm_Local.h"
#include "video/frm_Remote1.h"
#include "video/frm_Remote2.h"
#include "video/frm_Remote3.h"

#include <QWindow>

namespace mj {

namespace {

template <class F>
void unloadIfVisible()
{
    if (isLoaded<F>() && form<F>().Visible())
        unload<F>();
}

template <class F>
void unloadIfLoaded()
{
    if (isLoaded<F>())
        unload<F>();
}

template <class F>
void hideIfLoaded()
{
    if (isLoaded<F>())
        form<F>().Hide();
}

} // namespace

void MainForm::WireShellEvents()
{
    ImgClose.OnMouseDown = [this](int16_t i, int16_t b, int16_t s, float x, float y) { ImgClose_MouseDown(i, b, s, x, y); };
    ImgClose.OnMouseMove = [this](int16_t i, int16_t b, int16_t s, float x, float y) { ImgClose_MouseMove(i, b, s, x, y); };
    ImgClose.OnMouseUp = [this](int16_t i, int16_t b, int16_t s, float x, float y) { ImgClose_MouseUp(i, b, s, x, y); };
    ImgClose.OnClick = [this](int16_t i) { ImgClose_Click(i); };
    ImgMin.OnMouseDown = [this](int16_t i, int16_t b, int16_t s, float x, float y) { ImgMin_MouseDown(i, b, s, x, y); };
    ImgMin.OnMouseMove = [this](int16_t i, int16_t b, int16_t s, float x, float y) { ImgMin_MouseMove(i, b, s, x, y); };
    ImgMin.OnMouseUp = [this](int16_t i, int16_t b, int16_t s, float x, float y) { ImgMin_MouseUp(i, b, s, x, y); };
    ImgMin.OnClick = [this](int16_t i) { ImgMin_Click(i); };
    LbMove.OnMouseDown = [this](int16_t b, int16_t s, float x, float y) { LbMove_MouseDown(b, s, x, y); };
    LbMove.OnMouseMove = [this](int16_t b, int16_t s, float x, float y) { LbMove_MouseMove(b, s, x, y); };
}

void MainForm::DrawSkin()
{
    const mj::Picture skin = Skin.Picture();
    const double w = Width(), h = Height();
    struct Part {
        double x, y, width, height, sx, sy, swidth, sheight;
    };
    const Part parts[] = {
        {0, 0, 120, 300, 0, 0, 120, 300},                       // top-left corner
        {120, 0, w - 240, 300, 120, 0, 120, 300},               // top edge
        {w - 120, 0, 120, 300, 570, 0, 120, 300},               // top-right corner
        {0, 300, 120, h - 420, 0, 300, 120, 2880},              // left edge
        {w - 120, 300, 120, h - 420, 570, 300, 120, 2880},      // right edge
        {0, h - 120, 120, 120, 0, 3180, 120, 120},              // bottom-left corner
        {120, h - 120, w - 240, 120, 120, 3180, 120, 120},      // bottom edge
        {w - 120, h - 120, 120, 120, 570, 3180, 120, 120},      // bottom-right corner
    };
    if (!skin.IsNull()) {
        for (const Part& p : parts)
            PaintPicture(skin, p.x, p.y, p.width, p.height, p.sx, p.sy, p.swidth, p.sheight);
    }
    if (!Icon().IsNull()) {
        ImgIcon.SetStretch(true);
        ImgIcon.SetPicture(Icon());
        ImgIcon.Move(50, 50, 240, 240);
    }
    ImgClose(0).SetLeft(ScaleWidth() - ImgClose(0).Width() - 70);
    ImgClose(0).SetTop(25);
    ImgClose(0).SetPicture(ImgClose(1).Picture());
    ImgClose(0).ZOrder(0);
    ImgMin(0).SetLeft(ImgClose(0).Left() - ImgMin(0).Width() - 30);
    ImgMin(0).SetTop(25);
    ImgMin(0).SetPicture(ImgMin(1).Picture());
    ImgMin(0).ZOrder(0);
    LbMove.Move(290, 0, ImgMin(0).Left() - 290, ImgClose(0).Height() + 50);
    lcaption.Move(300, 25);
    lcaption.SetForeColor(0xFFFFFF);
}

void MainForm::ImgClose_MouseDown(int16_t index, int16_t, int16_t, float, float)
{
    if (index == 0)
        ImgClose(0).SetPicture(ImgClose(3).Picture());
}

void MainForm::ImgClose_MouseMove(int16_t index, int16_t, int16_t, float, float)
{
    if (index == 0 && ButtonsAtRest) {
        ImgClose(0).SetPicture(ImgClose(2).Picture());
        ButtonsAtRest = false;
    }
}

void MainForm::ImgClose_MouseUp(int16_t index, int16_t, int16_t, float, float)
{
    if (index != 0)
        return;
    int16_t history = 6;
    AnNiu_Click(history);
    ImgClose(0).SetPicture(ImgClose(2).Picture());
}

void MainForm::ImgClose_Click(int16_t index)
{
    if (index != 0)
        return;
    int16_t exitButton = 8;
    AnNiu_Click(exitButton);
}

void MainForm::ImgMin_MouseDown(int16_t index, int16_t, int16_t, float, float)
{
    if (index == 0)
        ImgMin(0).SetPicture(ImgMin(3).Picture());
}

void MainForm::ImgMin_MouseMove(int16_t index, int16_t, int16_t, float, float)
{
    if (index == 0 && ButtonsAtRest) {
        ImgMin(0).SetPicture(ImgMin(2).Picture());
        ButtonsAtRest = false;
    }
}

void MainForm::ImgMin_MouseUp(int16_t index, int16_t, int16_t, float, float)
{
    if (index == 0)
        ImgMin(0).SetPicture(ImgMin(2).Picture());
}

void MainForm::ImgMin_Click(int16_t index)
{
    if (index == 0)
        SetWindowState(1);
}

void MainForm::Form_MouseMove(int16_t, int16_t, float, float)
{
    RestTitleButtons();
}

void MainForm::LbMove_MouseMove(int16_t, int16_t, float, float)
{
    RestTitleButtons();
    LbMove.SetMousePointer(vbArrow);
}

void MainForm::RestTitleButtons()
{
    if (ButtonsAtRest)
        return;
    ButtonsAtRest = true;
    ImgClose(0).SetPicture(ImgClose(1).Picture());
    ImgMin(0).SetPicture(ImgMin(1).Picture());
}

void MainForm::LbMove_MouseDown(int16_t button, int16_t, float, float)
{
    if (button != 1)
        return;
    hideIfLoaded<Talk>();
    hideIfLoaded<huifu>();
    hideIfLoaded<Score>();
    hideIfLoaded<Hero>();
    hideIfLoaded<VosSet>();
    LbMove.SetMousePointer(vbSizeAll);
    // The window system drags the window until the button is released.
    if (QWidget* w = Widget(); w && w->windowHandle())
        w->windowHandle()->startSystemMove();
}

void MainForm::Form_Resize()
{
    if (WindowState() == 1) {
        unloadIfVisible<frm_Local>();
        unloadIfVisible<frm_Remote1>();
        unloadIfVisible<frm_Remote2>();
        unloadIfVisible<frm_Remote3>();
        return;
    }
    // Brought to the front of the other windows.
    SetTopMost(true);
    SetTopMost(false);
    if (BossKey) {
        TurnSeconds = TurnSecondsBeforeBossKey;
        BossKey = false;
    }
    try {
        Chat.SetFocus();
    } catch (const RuntimeError&) {
    }
    Operate::MinimizeHallWindow();
    TimeoutCount = 0;
    Mod_Prop::CallPlugin([](Tesmora& p) { p.FixBuffPos(); });
}

void MainForm::Form_Unload(int16_t&)
{
    HallLink::SetHandler(nullptr);
    P2PSocket1.Logout();
    if (Mod_Sound::FunctionSoundOn)
        Mod_Sound::StopWave();
    if (CameraOn) {
        vcap1.StopCapture();
        vcap1.CloseDevice();
    }
    unloadIfLoaded<frm_Local>();
    unloadIfLoaded<frm_Remote1>();
    unloadIfLoaded<frm_Remote2>();
    unloadIfLoaded<frm_Remote3>();
    if (Mod_Prop::Prop_GameDllState > 0) {
        int16_t mode = 1;
        Mod_Prop::ExitPropPlugin(mode);
    }
    Mod_Prop::PropObj.reset();
    unloadIfLoaded<frmExit>();
    unloadIfLoaded<frmOtherExit>();
    unloadIfLoaded<frmReconnect>();
    unloadIfLoaded<Hero>();
    unloadIfLoaded<huifu>();
    unloadIfLoaded<Information>();
    unloadIfLoaded<Score>();
    unloadIfLoaded<Talk>();
    unloadIfLoaded<VosSet>();
    // The table window itself is being unloaded by the caller.
    unloadIfLoaded<rule>();
    EndProgram(0);
}

} // namespace mj
