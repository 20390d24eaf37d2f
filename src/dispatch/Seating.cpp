// The seats' names (code 3) and the players' ready marks (code 23).
#include "dispatch/Total.h"

#include "client/General.h"
#include "client/MainForm.h"
#include "client/SoftTimer.h"
#include "client/Total.h"
#include "social/Mod_Prop.h"
#include "table/NewGame.h"

namespace mj::Total {

namespace {

constexpr int ContinuePicture = 6; // the 继续 entry of ButtonPicture

// With the four names in, finds the own name among them (seat 8 first) and
// gives every side its seat and name from there. No match changes nothing.
void seatTheTable()
{
    for (int own = 3; own >= 0; --own) {
        if (SeatNames[own] != custom[0].Name)
            continue;
        for (int side = 0; side <= 3; ++side) {
            const int seat = (own + 4 - side) % 4;
            custom[side].SeatMask = static_cast<uint8_t>(1 << seat);
            custom[side].Name = SeatNames[seat];
        }
        return;
    }
}

} // namespace

void HandleSeatName(MsgHeader&)
{
    MainForm& table = form<MainForm>();
    SeatShuffleAllowed = false;
    if (!WatchMode) {
        // A table is forming: the link no longer needs keeping alive.
        PulseOn = false;
        table.TimerKeepAlive.SetEnabled(false);
    }
    for (int side = 0; side <= 3; ++side)
        table.OK(side).SetVisible(false);
    ++FrameGroupCount;
    CountUserInfos = true;
    if (FrameGroupCount != 4)
        return;

    FrameGroupCount = 0;
    table.LoadButtonPicture(2, ContinuePicture);
    ButtonUsed[2] = true;
    seatTheTable();
    for (int16_t side = 1; side <= 3; ++side)
        Mod_Prop::CallPlugin([side](Tesmora& p) { p.ClearUser(side); });
}

void HandlePlayerReady(MsgHeader& header)
{
    MainForm& table = form<MainForm>();
    const QString name = SingleByteText(16, 31);
    if ((header.value[3] & 0xFF) == 1) {
        for (int side = 0; side <= 3; ++side) {
            if (!table.Nid(side).Caption().isEmpty() && custom[side].Name == name) {
                table.OK(side).SetVisible(true);
                table.OK(side).ZOrder(0);
            }
        }
    }
    CheckAllReady();
}

void CheckAllReady()
{
    MainForm& table = form<MainForm>();
    if (table.OK(1).Visible() && table.OK(2).Visible() && table.OK(3).Visible() && LoginDone > 0) {
        table.LoadButtonPicture(2, ContinuePicture);
        NewGame::ResetTableForRound();
        NewGame::ClearTableAndPlaceWalls();
        NewGame::ResetRoundDataCopy();
        TableResetDone = true;
    }
}

} // namespace mj::Total
