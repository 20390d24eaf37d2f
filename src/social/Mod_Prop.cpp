// The props host's shared steps: the shut-down of the plug-in, what a
// failing plug-in leads to, the settlement of a hand that waited for its
// awards, and the checks on the award data the plug-in gives.
#include "social/Mod_Prop.h"

#include "client/MainForm.h"
#include "controls/Operate.h"

#include <algorithm>
#include <cmath>

namespace mj::Mod_Prop {

namespace {

constexpr qsizetype AwardTextLimit = 1024;
constexpr double AwardLimit = 1e12;

void cutText(QString& text)
{
    if (text.size() > AwardTextLimit)
        text.truncate(AwardTextLimit);
}

} // namespace

void ClearPropDisplay()
{
    BoxCountdownOn = false;
    BoxAnimOn = false;
    BoxOpening = false;
    LabelTimerOn = false;
    ++BoxRoadRun;
    if (!isLoaded<MainForm>())
        return;
    MainForm& table = form<MainForm>();
    table.TimerProp.SetEnabled(false);
    // The boxes made at the first set-up stay for the run, hidden and disabled.
    for (Image& box : table.ImgProp) {
        box.SetVisible(false);
        box.SetEnabled(false);
    }
    table.LbProp.SetCaption(QString());
    table.LbProp.SetVisible(false);
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
    ClearPropDisplay();

    // A hand still waiting for its awards or its boxes is settled now,
    // without them.
    if (ScoreInfoPending || BoxRoadOn)
        SettleHand();
}

void PluginFailed()
{
    // A member failing while the shut-down below runs changes nothing more.
    static bool failing = false;
    if (failing)
        return;
    failing = true;
    if (Prop_GameDllState > 0 && PropObj) {
        int16_t mode = 0;
        ExitPropPlugin(mode);
    }
    Prop_GameDllState = -1;
    PropPolling = false;
    failing = false;
}

void SettleHand()
{
    ScoreInfoPending = false;
    BoxRoadOn = false;
    ++SettledHands;
    if (DrawnRound)
        SettleDrawnRound();
    else
        Operate::ShowRoundResult();
}

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

bool TakesPart(int side)
{
    return !AwardTexts(0, side).isEmpty() || !AwardTexts(1, side).isEmpty();
}


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
    BoxRoadRun = 0;
    BoxOpening = false;
    SettledHands = 0;
    PropRandom.seed(1);
    BoxPos = {};
    BoxCentre = {};
    SeatPoint = {};
    LabelPoint = {};
    BoxTiming = {};
    ClosedBoxPicture = Picture();
    ClosedBoxSize = {};
    OpenedBoxPicture = Picture();
    OpenedBoxSize = {};
    ChosenBox.Fill(-1);
    BoxAnimOn = false;
    BoxStep = 0;
    BoxSteps = 0;
    AwardNames = {};
    AwardLines.clear();
    StepCoins = {};
    ShownCoins = {};
    AwardNameWidth = 0;
    CoinDigits = 0;
    LabelTimerOn = false;
    LabelTicks = 0;
    LabelTickLimit = 0;
}

} // namespace mj::Mod_Prop
