// Keyboard shortcuts: F1 is the boss key (every window of the client put
// away, the game and the hall minimised), F1 to F6 go to the props plug-in,
// Esc shows or hides the exit dialog, Alt then C opens the chat window.
#include "client/MainForm.h"

#include "client/Api.h"
#include "client/Data.h"
#include "client/frmExit.h"
#include "controls/Hero.h"
#include "controls/Information.h"
#include "controls/Score.h"
#include "social/Mod_Prop.h"
#include "social/Talk.h"
#include "social/VosSet.h"
#include "social/huifu.h"
#include "social/rule.h"

namespace mj {

namespace {

constexpr int16_t KeyF1 = 112, KeyF6 = 117, KeyEsc = 27, KeyAlt = 18, KeyC = 67;

// Runs one step of a key handler; the handlers of the window, the chat box
// and the two pictures skip a step that fails and go on.
template <class Step>
void ignoringErrors(Step step)
{
    try {
        step();
    } catch (const RuntimeError&) {
    }
}

void passKeyToPlugin(int16_t key)
{
    Mod_Prop::CallPlugin([&key](Tesmora& p) { p.SetKeyDown(key); });
}

template <class F>
void hideIfLoaded()
{
    if (isLoaded<F>())
        form<F>().Hide();
}

template <class F>
void unloadIfLoaded()
{
    if (isLoaded<F>())
        unload<F>();
}

// Hides every window but the table and the exit dialog.
void hideOtherWindows()
{
    hideIfLoaded<Information>();
    hideIfLoaded<Talk>();
    hideIfLoaded<VosSet>();
    hideIfLoaded<frmExit>();
    hideIfLoaded<Hero>();
    hideIfLoaded<Score>();
    hideIfLoaded<rule>();
}

// The boss key's first step: the game is hidden. The turn length in force is
// kept, so that restoring the window brings it back.
void pressBossKey()
{
    if (!BossKey)
        TurnSecondsBeforeBossKey = TurnSeconds;
    BossKey = true;
}

void hideTheGame(MainForm& table)
{
    table.SetWindowState(1);
    Operate::MinimizeHallWindow();
}

} // namespace

void MainForm::WireKeyEvents()
{
    // The window sees every key first, also those typed into the chat box:
    // that is why its own handler leaves F2 to F6 to the chat box's.
    SetKeyPreview(true);
    Pic1.OnKeyDown = [this](int16_t& keyCode, int16_t shift) { Pic1_KeyDown(keyCode, shift); };
    Pic2.OnKeyDown = [this](int16_t& keyCode, int16_t shift) { Pic2_KeyDown(keyCode, shift); };
    Chat.OnKeyDown = [this](int16_t& keyCode, int16_t shift) { Chat_KeyDown(keyCode, shift); };
    Chat.OnGotFocus = [this] { ChatHasFocus = true; };
    Chat.OnLostFocus = [this] { ChatHasFocus = false; };
    Sysmsg.OnKeyDown = [this](int16_t index, int16_t& keyCode, int16_t shift) { Sysmsg_KeyDown(index, keyCode, shift); };
}

void MainForm::Form_KeyDown(int16_t& keyCode, int16_t)
{
    const int16_t key = keyCode;
    if (key >= KeyF1 && key <= KeyF6 && (key == KeyF1 || !ChatHasFocus))
        ignoringErrors([&] { passKeyToPlugin(key); });
    if (key != KeyF1)
        return;
    ignoringErrors([] { pressBossKey(); });
    ignoringErrors([] { unloadIfLoaded<Information>(); });
    ignoringErrors([] { hideIfLoaded<Talk>(); });
    ignoringErrors([] { hideIfLoaded<huifu>(); });
    ignoringErrors([this] { SetWindowState(1); });
    ignoringErrors([] { Operate::MinimizeHallWindow(); });
}

void MainForm::Chat_KeyDown(int16_t& keyCode, int16_t)
{
    const int16_t key = keyCode;
    if (key >= KeyF1 && key <= KeyF6)
        ignoringErrors([&] { passKeyToPlugin(key); });
    if (key != KeyF1)
        return;
    ignoringErrors([] { pressBossKey(); });
    ignoringErrors([] { hideOtherWindows(); });
    ignoringErrors([] { TurnSeconds = 0; });
    ignoringErrors([this] { hideTheGame(*this); });
}

void MainForm::Pic1_KeyDown(int16_t& keyCode, int16_t)
{
    TableKeyDown(keyCode, true);
}

void MainForm::Pic2_KeyDown(int16_t& keyCode, int16_t)
{
    TableKeyDown(keyCode, false);
}

void MainForm::TableKeyDown(int16_t key, bool fromPic1)
{
    if (key == KeyF1) {
        ignoringErrors([] { pressBossKey(); });
        ignoringErrors([] { hideOtherWindows(); });
        ignoringErrors([] { TurnSeconds = 0; });
        ignoringErrors([] { passKeyToPlugin(KeyF1); });
        ignoringErrors([this] { hideTheGame(*this); });
    }
    if (key == KeyEsc) {
        if (fromPic1)
            Mod_Prop::CallPlugin([](Tesmora& p) { p.setbankstate(2); });
        ignoringErrors([] { ToggleExitDialog(); });
        return;
    }
    // Alt then C, in either order, with nothing but Esc between.
    if (key == KeyAlt)
        AltKeyFlags[0] = 1;
    else if (key == KeyC)
        AltKeyFlags[1] = 1;
    else
        AltKeyFlags[0] = AltKeyFlags[1] = 0;
    if (AltKeyFlags[0] == 1 && AltKeyFlags[1] == 1) {
        AltKeyFlags[0] = AltKeyFlags[1] = 0;
        ignoringErrors([this] { ShowChatWindow(); });
    }
}

void MainForm::ShowChatWindow()
{
    Talk& talk = form<Talk>();
    talk.Show();
    talk.SetTopMost(true);
    ChatPopupPlacement(talk);
}

void MainForm::Sysmsg_KeyDown(int16_t, int16_t& keyCode, int16_t)
{
    if (keyCode != KeyF1)
        return;
    pressBossKey();
    unloadIfLoaded<Information>();
    unloadIfLoaded<frmExit>();
    hideIfLoaded<Talk>();
    hideIfLoaded<huifu>();
    hideIfLoaded<VosSet>();
    hideIfLoaded<Hero>();
    hideIfLoaded<Score>();
    hideIfLoaded<rule>();
    TurnSeconds = 0;
    passKeyToPlugin(KeyF1);
    hideTheGame(*this);
}

} // namespace mj
