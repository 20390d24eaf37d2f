// The own turn played by the client when the turn clock runs out: by the
// hand evaluation in auto mode, plainly otherwise.
#include "controls/AI.h"

#include "client/Api.h"
#include "client/Data.h"
#include "client/MainForm.h"
#include "client/Mod_Sound.h"
#include "controls/Operate.h"
#include "controls/PlayerRequests.h"
#include "table/General.h"
#include "table/Operate.h"

namespace mj::AI {

namespace {

void Voice(const char* suffix)
{
    if (!Mod_Sound::FunctionSoundOn)
        return;
    Operate::PlayOwnVoice(suffix);
    Mod_Sound::SetWaveVolume(3000);
}

bool OwnDiscardTurn()
{
    return (custom[0].sum - 2) % 3 == 0;
}

// The automatic play ends the program on a run-time error, the hall window
// restored first.
template <typename Play>
void EndOnError(Play play)
{
    try {
        play();
    } catch (const RuntimeError&) {
        Operate::RestoreHallWindow();
        EndProgram();
    }
}

} // namespace

void AutoPlayTurn()
{
    // An onlooker never plays for the watched player.
    if (WatchMode)
        return;
    EndOnError([] {
        MainForm& f = form<MainForm>();
        SeatRecord& own = custom[0];
        Operate::ResetClaimControls(f);
        bool claimed = false;

        if (ClaimButtonState[3] == 2 && !RequestSent) {
            RequestSent = true;
            claimed = true;
            Voice("09");
            TileW[0] = 48;
            TileH[0] = 78;
            // A win on the parked discard brings it beside the hand; without
            // a parked discard nothing moves.
            if (!OwnDiscardTurn() && ClaimedDiscardImage >= 0) {
                Image& tile = f.MJ_Image(ClaimedDiscardImage);
                tile.SetHeight(78);
                tile.SetWidth(48);
                tile.SetTop(own.HandY);
                tile.SetLeft(f.MJ_Image(own.Slots[own.FirstConcealed + own.sum - 1].Image).Left() + 48);
                General::ShowTileImage(ClaimedDiscardImage, General::TilePictureOf(0, ClaimedDiscard));
            }
            Operate::QueueHuRequest();
        }
        if (ClaimButtonState[2] == 2 && !RequestSent && !claimed && DecideGang()) {
            if (OfferBits & OpConcealedGang)
                Operate::SortHand(0, own.sum);
            // The finder sends its first candidate; with none the turn goes
            // on to the other claims, the pass and the discard.
            Operate::OfferGangChoices();
            claimed = RequestSent;
        }
        if (ClaimButtonState[1] == 2 && !RequestSent && !claimed
            && DecideClaim(2, static_cast<uint8_t>(ClaimedDiscard))) {
            // A hand without the pair answers with the pass instead, and
            // without a word.
            if (Operate::SendPeng(ClaimChoiceA)) {
                claimed = true;
                Voice("02");
            }
        }
        if (ClaimButtonState[0] == 2 && !RequestSent && !claimed
            && DecideClaim(1, static_cast<uint8_t>(ClaimedDiscard))) {
            RequestSent = true;
            claimed = true;
            Voice("01");
            ChiChoices[0] = ClaimChoiceA;
            ChiChoices[1] = ClaimChoiceB;
            Operate::SendChi(ClaimChoiceA, ClaimChoiceB);
        }
        if (!RequestSent) {
            Operate::QueuePassRequest();
            RequestSent = true;
        }
        if (!OwnDiscardTurn() || claimed)
            return;

        int16_t tile = ChooseDiscard();
        int p = -1;
        for (int i = own.FirstConcealed; i <= own.FirstConcealed + own.sum - 1; ++i)
            if ((own.Slots[i].Code & 0xFF) == tile) {
                p = i;
                break;
            }
        if (p < 0) {
            p = own.FirstConcealed + own.sum - 1;
            tile = static_cast<int16_t>(own.Slots[p].Code & 0xFF);
        }
        Operate::QueueDiscardRequest(tile);
        MayDiscard = false;
        Operate::PutOwnDiscardOnTable(f, static_cast<int16_t>(p));
        Operate::CloseHandGap(f, static_cast<int16_t>(p));
    });
}

void TimeoutPlay()
{
    if (WatchMode)
        return;
    EndOnError([] {
        MainForm& f = form<MainForm>();
        SeatRecord& own = custom[0];
        Operate::ResetClaimControls(f);
        if (!RequestSent) {
            Operate::QueuePassRequest();
            RequestSent = true;
        }
        if (!OwnDiscardTurn())
            return;
        const int16_t p = static_cast<int16_t>(own.FirstConcealed + own.sum - 1);
        Operate::QueueDiscardRequest(own.Slots[p].Code);
        MayDiscard = false;
        Operate::PutOwnDiscardOnTable(f, p);
        --own.sum;
    });
}

} // namespace mj::AI
