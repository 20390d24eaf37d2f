// A claim offer (code 6): what the own seat may do now and for how long. The
// offered claim buttons light up, a fresh decision starts, and the turn clock
// runs beside the wealth plate. The player's answer and the time-out play
// belong to the player controls.
#include "dispatch/Total.h"

#include "client/Image_Resource.h"
#include "client/MainForm.h"
#include "client/SoftTimer.h"
#include "controls/PlayerRequests.h"

namespace mj::Total {

namespace {

// Frame byte 100: the turn length in seconds.
constexpr int TurnLengthByte = 100;
// The turn length when the frame gives less than two seconds.
constexpr int16_t ShortestTurnReplacement = 8;

// The claim buttons: 0 吃, 1 碰, 2 杠, 3 胡, 4 过.
enum ClaimButton : int16_t { ButtonChi = 0, ButtonPeng = 1, ButtonGang = 2, ButtonHu = 3, ButtonPass = 4 };

struct OfferedButton {
    uint8_t bit;
    int16_t button;
};
// Offer bits from 0x01 up; 0x02 stands for no operation and lights nothing.
constexpr OfferedButton OfferButtons[] = {
    {OpPass, ButtonPass},          {OpChi, ButtonChi},          {OpPeng, ButtonPeng},
    {OpExposedGang, ButtonGang},   {OpConcealedGang, ButtonGang}, {OpAddedGang, ButtonGang},
    {OpHu, ButtonHu},
};
constexpr uint8_t GangBits = OpExposedGang | OpConcealedGang | OpAddedGang;

} // namespace

void HandleClaimOffer(MsgHeader& header)
{
    if ((header.Seat & 15) != (custom[0].SeatMask & 15))
        return; // another seat's offer
    // An onlooker never answers for the watched player: no lit button, no
    // turn clock whose time-out would play under that player's seat.
    if (WatchMode)
        return;
    MainForm& table = form<MainForm>();
    const uint8_t bits = static_cast<uint8_t>(header.value[0] & 0xFF);

    RequestSent = false;
    DecisionState = 0;
    ClaimButtonState.Fill(0);
    for (const OfferedButton& offered : OfferButtons) {
        if ((bits & offered.bit) == 0)
            continue;
        Image& button = table.Operation(offered.button);
        button.SetEnabled(true);
        // Entry 3k + 1 is button k's lit picture.
        Image_Resource::LoadGifResource(CInt(Image_Resource::ClaimButtonPicture[3 * offered.button + 1]),
                                        QStringLiteral("GIF"), button);
        ClaimButtonState[offered.button] = 2;
        if (offered.bit & GangBits)
            OfferBits = bits;
    }

    // Buttons 碰 杠 胡 过 show together; 吃 is lit and enabled when offered,
    // never shown by the offer.
    const int16_t held = custom[0].sum;
    if (held > 0 || ClaimButtonState[ButtonGang] == 2 || ClaimButtonState[ButtonHu] == 2) {
        for (int16_t i = ButtonPeng; i <= ButtonPass; ++i) {
            table.Operation(i).SetVisible(true);
            table.Operation(i).ZOrder(0);
        }
    }
    // A hand of 3n + 2 concealed tiles has a tile to discard; the permission
    // lasts for this offer only.
    MayDiscard = (held - 2) % 3 == 0;

    if (BossKey) {
        TurnCountdown = 1;
    } else {
        TurnCountdown = Msg[TurnLengthByte];
        if (TurnCountdown < 2)
            TurnCountdown = ShortestTurnReplacement;
    }
    TurnClockActs = true;

    table.Time_Img.Move(table.Imgwealth.Left(), table.Imgwealth.Top() + 200 * ScaleY);
    table.Number.Move(table.Time_Img.Left() + 48 * ScaleX, table.Time_Img.Top() + 5 * ScaleY);
    Operate::ShowClockFace(table);
    StartTurnClock(TurnCountdown);
    TurnClockTicks = 0;
}

} // namespace mj::Total
