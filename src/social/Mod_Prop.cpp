#include "social/Mod_Prop.h"

namespace mj::Mod_Prop {

// The props host fills these in.
bool InitPropPlugin()
{
    return false;
}

void ExitPropPlugin(int16_t& mode)
{
    if (Prop_GameDllState < 1)
        return;
    if (!PropObj)
        Raise(ErrObjectNotSet);
    // An error of the plug-in reaches the caller and leaves the state as it was.
    PropObj->InitExit(mode);
    Prop_GameDllState = 0;
    PropPolling = false;
    BoxCountdownOn = false;
    // The props host adds clearing the boxes, the label and their timer here.
}

// The props host fills these in.
void AddSysMessage(QString&) {}
void ShowPropLabel(QString&, QVector<int32_t>&, QVector<int32_t>&) {}
void ShowTreasureBoxes() {}
void OpenTreasureBoxes(int16_t&) {}
void HidePropBoxes() {}

void ResetState()
{
    Prop_GameDllState = 0;
    PropObj.reset();
    PropPolling = false;
    Prop_swicth = 0;
    CmdAccount.clear();
    CmdCredential.clear();
    CmdPluginParam = 0;
    PropCommand = 0;
    PropText.clear();
    PropPicture = Picture();
    PropSendFrame.clear();
    PropRect.clear();
    PropParams = QVector<int32_t>(5, 0);
    ScoreInfoPending = false;
    PropMsg46Seen = false;
    DrawnRound = false;
    PropExitAfterScore = false;
    ScoreShowState = 0;
    PropBoxesHidden = false;
    BonusText = {};
    BonusCoins = {};
    AwardTexts = {};
    BoxCountdownOn = false;
    BoxCountdownTicks = 0;
    BoxCountdown = 0;
    BoxClicked = false;
}

} // namespace mj::Mod_Prop
