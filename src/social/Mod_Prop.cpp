#include "social/Mod_Prop.h"

#include "controls/Operate.h"

#include <cmath>

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
    // The shut-down goes through whatever InitExit does; a plug-in that fails
    // even there is not asked again for the rest of the run.
    bool failed = false;
    try {
        PropObj->InitExit(mode);
    } catch (...) {
        failed = true;
    }
    Prop_GameDllState = failed ? -1 : 0;
    PropPolling = false;
    BoxCountdownOn = false;
    // The props host adds clearing the boxes, the label and their timer here.

    // A hand still waiting for its awards or its boxes is settled now,
    // without them.
    if (ScoreInfoPending || BoxRoadOn)
        SettleHand();
}

void SettleHand()
{
    ScoreInfoPending = false;
    BoxRoadOn = false;
    if (DrawnRound)
        SettleDrawnRound();
    else
        Operate::ShowRoundResult();
}

namespace {

constexpr qsizetype AwardTextLimit = 1024;
constexpr double AwardLimit = 1e12;

void cutText(QString& text)
{
    if (text.size() > AwardTextLimit)
        text.truncate(AwardTextLimit);
}

} // namespace

void CheckAwardData()
{
    for (int side = 0; side <= 3; ++side) {
        cutText(BonusText[side]);
        cutText(AwardTexts(0, side));
        cutText(AwardTexts(1, side));
        double& coins = BonusCoins[side];
        if (!std::isfinite(coins))
            coins = 0;
        coins = std::clamp(coins, -AwardLimit, AwardLimit);
    }
}

int16_t RandomBox()
{
    return static_cast<int16_t>(std::min(3.0, std::floor(PropRandom.generateDouble() * 4)));
}

void PluginFailed()
{
    // A member failing while the shut-down below runs changes nothing more.
    static bool failing = false;
    if (failing)
        return;
    failing = true;
    if (Prop_GameDllState > 0) {
        int16_t mode = 0;
        ExitPropPlugin(mode);
    }
    Prop_GameDllState = -1;
    PropPolling = false;
    failing = false;
}

// The props host fills these in.
void AddSysMessage(QString&) {}
void ShowPropLabel(QString&, QVector<int32_t>&, QVector<int32_t>&) {}
void ShowTreasureBoxes() {}
void OpenTreasureBoxes(int16_t&) {}
void SettleDrawnRound() {}
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
    BoxRoadOn = false;
    PropRandom.seed(1);
}

} // namespace mj::Mod_Prop
