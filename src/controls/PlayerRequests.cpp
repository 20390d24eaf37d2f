#include "controls/PlayerRequests.h"

#include "client/General.h"
#include "client/Image_Resource.h"
#include "client/MainForm.h"
#include "client/Mod_Resource.h"
#include "client/Mod_Sound.h"
#include "client/SoftTimer.h"
#include "client/Total.h"
#include "seated/TableTiles.h"
#include "table/General.h"
#include "table/Operate.h"

namespace mj::Operate {

bool QueuePlayRequest(MsgHeader& request)
{
    if (WatchMode)
        return false;
    request.Seat = custom[0].SeatMask;
    return Total::QueueMessage(request);
}

void QueuePassRequest()
{
    MsgHeader pass;
    pass.Code = MsgPlayerOperation;
    pass.value[0] = OpPass;
    QueuePlayRequest(pass);
}

void QueueDiscardRequest(int16_t tile)
{
    MsgHeader discard;
    discard.Code = MsgDiscard;
    discard.value[3] = DiscardTileWord(tile);
    QueuePlayRequest(discard);
}

void QueueHuRequest()
{
    MsgHeader hu;
    hu.Code = MsgPlayerOperation;
    hu.value[0] = OpHu;
    QueuePlayRequest(hu);
}

void ResetClaimButtons(MainForm& table, bool hide)
{
    for (int i = 0; i <= 4; ++i) {
        Image& button = table.Operation(i);
        button.SetEnabled(false);
        if (hide)
            button.SetVisible(false);
        Image_Resource::LoadGifResource(CInt(Image_Resource::ClaimButtonPicture[3 * i]), QStringLiteral("GIF"),
                                        button);
    }
}

void StopTurnClock(MainForm& table)
{
    TurnCountdown = TurnSeconds;
    TurnClockOn = false;
    table.Number.SetVisible(false);
    table.Time_Img.SetVisible(false);
}

void ResetClaimControls(MainForm& table)
{
    ResetClaimButtons(table, true);
    for (Image& picker : table.Gang) {
        picker.SetEnabled(false);
        picker.SetVisible(false);
    }
    for (Image& picker : table.Chi) {
        picker.SetEnabled(false);
        picker.SetVisible(false);
    }
}

void EndOwnTurn(MainForm& table)
{
    ResetClaimControls(table);
    ClaimButtonState.Fill(0);
    MayDiscard = false;
    // Answered: no pass goes out for the offer, whoever would send it.
    RequestSent = true;
    // The time-out play, if it ran, keeps its state until the next offer;
    // otherwise the turn is over as after the player's own discard.
    if (DecisionState != 3)
        DecisionState = 2;
    if (TurnClockOn) {
        StopTurnClock(table);
        TurnClockTicks = 0;
    }
}

void PutOwnDiscardOnTable(MainForm& table, int16_t slot)
{
    const TileSlot& s = custom[0].Slots[slot];
    TileW[0] = CInt(36 * ScaleX);
    TileH[0] = CInt(50 * ScaleY);
    General::ShowTileImage(s.Image, General::TilePictureOf(0, s.Code));
    ClaimedDiscardImage = s.Image;
    DiscarderSide = 0;
    ParkedOwnTile = s.Code;
    Image& tile = table.MJ_Image(s.Image);
    ParkAtCentre(tile, TileW[0], TileH[0]);
    tile.ZOrder(1);
    tile.SetVisible(true);
}

void CloseHandGap(MainForm& table, int16_t slot)
{
    TileW[0] = CInt(48 * ScaleX);
    TileH[0] = CInt(78 * ScaleY);
    SeatRecord& own = custom[0];
    for (int j = slot; j <= own.FirstConcealed + own.sum - 2; ++j) {
        own.Slots[j] = own.Slots[j + 1];
        table.MJ_Image(own.Slots[j].Image).Move(own.HandX + j * TileW[0], own.HandY);
    }
    SortHand(0, static_cast<int16_t>(own.sum - 1));
    --own.sum;
}

void PlayOwnVoice(const char* suffix)
{
    if (!Mod_Sound::FunctionSoundOn)
        return;
    Mod_Sound::PlayWave(Mod_Resource::VoiceFileName(Players[0], QString::fromLatin1(suffix)), false, 0);
}

void ShowClockFace(MainForm& table)
{
    table.Number.SetCaption(QString::number(TurnCountdown));
    table.Number.SetForeColor(0xFF00);
    table.Number.SetVisible(true);
    table.Time_Img.SetVisible(true);
    table.Time_Img.ZOrder(0);
    table.Number.ZOrder(0);
}

void RestartTurnClockForChoice(MainForm& table)
{
    StartTurnClock(static_cast<int16_t>(TurnSeconds / 2));
    TurnClockTicks = 0;
    ShowClockFace(table);
}

} // namespace mj::Operate
