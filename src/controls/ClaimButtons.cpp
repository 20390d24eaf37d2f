// Answers to a claim offer: the claim buttons 吃 碰 杠 胡 过, the chi and gang
// pickers, and the right mouse button released over the bare table, which
// passes. A click on the table also puts the small windows away.
#include "client/MainForm.h"

#include "client/Data.h"
#include "client/Image_Resource.h"
#include "client/SoftTimer.h"
#include "client/frmExit.h"
#include "controls/Hero.h"
#include "controls/Operate.h"
#include "controls/PlayerRequests.h"
#include "controls/Score.h"
#include "social/Talk.h"
#include "social/VosSet.h"
#include "social/huifu.h"
#include "social/rule.h"
#include "table/Operate.h"

namespace mj {

namespace {

// Claims are answered only on the link, for the own seat, before the turn
// clock ran out.
bool MayAnswer()
{
    return LoggedIn && !WatchMode && DecisionState != 3;
}

void HideClaimButtons(MainForm& f)
{
    for (Image& button : f.Operation)
        button.SetVisible(false);
}

bool OwnDiscardTurn()
{
    return (custom[0].sum - 2) % 3 == 0;
}

} // namespace

void MainForm::Operation_Click(int16_t index)
{
    if (ClaimButtonState[index] != 2 || !MayAnswer() || DecisionState > 0)
        return;
    DecisionState = 2;
    ClaimButtonState.Fill(0);
    Operation(index).SetEnabled(false);
    Image_Resource::LoadGifResource(CInt(Image_Resource::ClaimButtonPicture[3 * index]), QStringLiteral("GIF"),
                                    Operation(index));
    if (index <= 3)
        Operate::StopTurnClock(*this);
    TileW[0] = CInt(48 * ScaleX);
    TileH[0] = CInt(78 * ScaleY);
    TimeoutCount = 0;
    switch (index) {
    case 0:
        MayDiscard = false;
        HideClaimButtons(*this);
        Operate::PlayOwnVoice("01");
        Operate::OfferChiChoices(ClaimedDiscard);
        break;
    case 1:
        MayDiscard = false;
        HideClaimButtons(*this);
        // A hand without the pair passes instead, without a word.
        if (Operate::SendPeng(ClaimedDiscard))
            Operate::PlayOwnVoice("02");
        break;
    case 2:
        MayDiscard = false;
        for (int i : {0, 1, 3, 4})
            Operation(i).SetVisible(false);
        if (OfferBits & OpConcealedGang)
            Operate::SortHand(0, custom[0].sum);
        Operate::OfferGangChoices();
        break;
    case 3:
        MayDiscard = false;
        Operate::SendHu();
        Operate::PlayOwnVoice("09");
        HideClaimButtons(*this);
        break;
    case 4:
        HideClaimButtons(*this);
        // On the own discard turn the pass goes out with the discard.
        if (!OwnDiscardTurn()) {
            Operate::StopTurnClock(*this);
            TurnClockTicks = 0;
            if (!RequestSent) {
                Operate::QueuePassRequest();
                RequestSent = true;
            }
        }
        break;
    default:
        break;
    }
    Operate::ResetClaimButtons(*this, false);
    DecisionState = 1;
}

void MainForm::Chi_Click(int16_t index)
{
    if (!MayAnswer())
        return;
    TimeoutCount = 0;
    TurnClockOn = false;
    TurnClockTicks = 0;
    const int first = index % 2 == 0 ? index : index - 1;
    ChiChoices[0] = ChiChoices[first];
    ChiChoices[1] = ChiChoices[first + 1];
    Operate::SendChi(ChiChoices[0], ChiChoices[1]);
    for (Image& picker : Chi) {
        picker.SetEnabled(false);
        picker.SetVisible(false);
    }
    Operation(0).SetVisible(false);
}

void MainForm::Gang_Click(int16_t index)
{
    if (!MayAnswer())
        return;
    TimeoutCount = 0;
    TurnClockOn = false;
    TurnClockTicks = 0;
    for (Image& picker : Gang) {
        picker.SetEnabled(false);
        picker.SetVisible(false);
    }
    HideClaimButtons(*this);
    const SeatRecord& own = custom[0];
    const int16_t s = GangChoices[index];
    const int end = own.FirstConcealed + own.sum;
    const auto code = [&](int slot) { return own.Slots[slot].Code; };
    if (code(s) == TileRedDragon) {
        GangChoices[0] = s;
        Operate::SendAddedGang(s);
        return;
    }
    if (OfferBits & OpAddedGang) {
        Operate::PlayOwnVoice("03");
        // A tile beside its twin is taken for a concealed or exposed gang,
        // except the wild tile listed to be set aside: four wild tiles make
        // both candidates, and each sends its own claim.
        const int neighbour = s + 1 < end ? s + 1 : s - 1;
        const bool wildAside = WildTile > 0 && code(s) == WildTile && GangChoiceKinds[index] == OpAddedGang;
        if (code(neighbour) != code(s) || wildAside) {
            GangChoices[0] = s;
            Operate::SendAddedGang(s);
            return;
        }
    }
    if (s + 3 < end && (OfferBits & OpConcealedGang) && code(s) == code(s + 3)) {
        Operate::PlayOwnVoice("03");
        GangChoices[0] = s;
        Operate::SendConcealedGang(s);
        return;
    }
    if (s + 2 < end && (OfferBits & OpExposedGang) && code(s) == code(s + 2)) {
        Operate::PlayOwnVoice("03");
        GangChoices[0] = s;
        Operate::SendExposedGang(s);
    }
}

void MainForm::Pic1_MouseUp(int16_t button, int16_t, float, float)
{
    if (!LoggedIn || WatchMode || button != 2 || !Operation(4).Visible() || DecisionState > 0)
        return;
    DecisionState = 2;
    TimeoutCount = 0;
    HideClaimButtons(*this);
    if (!OwnDiscardTurn()) {
        Operate::StopTurnClock(*this);
        TurnClockTicks = 0;
    }
    if (!RequestSent) {
        Operate::QueuePassRequest();
        RequestSent = true;
    }
    Operate::ResetClaimButtons(*this, false);
    DecisionState = 1;
}

void MainForm::Pic2_MouseUp(int16_t button, int16_t shift, float x, float y)
{
    Pic1_MouseUp(button, shift, x, y);
}

void MainForm::Pic1_Click()
{
    form<Talk>().Hide();
    form<huifu>().Hide();
    form<Score>().Hide();
    form<Hero>().Hide();
    form<VosSet>().Hide();
    form<frmExit>().Hide();
    form<rule>().Hide();
}

void MainForm::Pic2_Click()
{
    Pic1_Click();
}

} // namespace mj
