#include "dispatch/Total.h"

#include "client/Api.h"
#include "client/MainForm.h"
#include "client/Mod_Resource.h"
#include "client/Mod_Sound.h"
#include "client/Total.h"
#include "dispatch/FrameRules.h"
#include "platform/Program.h"
#include "social/Mod_Prop.h"

namespace mj::Total {

namespace {

// A frame that belongs to the props plug-in: handed on whole while the
// plug-in is ready, dropped otherwise.
void handToPlugin()
{
    Mod_Prop::CallPlugin([](Tesmora& p) { p.Rec_MSG(Msg); });
}

void route(MsgHeader& header)
{
    switch (header.Code) {
    case 1: HandleDeal(header); break;
    case 2: HandleDiscard(header); break;
    case 3: HandleSeatName(header); break;
    case 4: HandleRoundStart(header); break;
    case 5: HandleDraw(header); break;
    case 6: HandleClaimOffer(header); break;
    case 7: HandlePlayerOperation(header); break;
    case 8: HandleRevealWallTail(header); break;
    case 9: HandleHandScore(header); break;
    case 14: HandleWildTile(header); break;
    case 15: HandleRevealHands(header); break;
    case 16: HandleTableStatus(header); break;
    case 17: HandleScoreRow(header); break;
    case 18: HandleLoginResult(header); break;
    case 19: break; // the frame reader has shown the chat line already
    case 20: HandleUserInfo(header); break;
    case 21: HandleMemberLeft(header); break;
    case 22: HandleServerNotice(header); break;
    case 23: HandlePlayerReady(header); break;
    case 29: HandleReconnectResult(header); break;
    case 40: HandleTableSnapshot(header); break;
    case 41: HandleBankerDice(header); break;
    case 46:
        // The main loop's settlement poll asks the plug-in for the hand's
        // award data once it has seen this frame.
        if (Mod_Prop::Prop_GameDllState > 0 && Mod_Prop::PropObj)
            Mod_Prop::PropMsg46Seen = true;
        handToPlugin();
        break;
    case 91: HandleOwnCoins(header); break;
    case 92: HandleOtherCoins(header); break;
    default: handToPlugin(); break; // 44, 45 and every code without a branch
    }
}

} // namespace

uint32_t MsgU32le(int first)
{
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | Msg[first + i];
    return v;
}

int16_t SideOf(uint8_t seat)
{
    return SideOfMask(custom[0].SeatMask, seat & 15);
}

void PlayEffect(int16_t sound, bool fullVolume)
{
    if (!Mod_Sound::FunctionSoundOn)
        return;
    Mod_Sound::PlayWave(Mod_Resource::SoundFile[sound], false);
    if (fullVolume)
        Mod_Sound::SetWaveVolume(3000);
}

void HandleServerMessage(MsgHeader& header)
{
    // Every frame but the reconnect answer carries the session token that
    // the next frames sent must carry, whatever happens to the frame.
    if (Msg[3] != MsgReconnectResult) {
        SessionToken[0] = Msg[260];
        SessionToken[1] = Msg[261];
    }
    try {
        if (FrameFits(header))
            route(header);
    } catch (const ProgramEnded&) {
        throw; // a branch that ends the program has done its own steps
    } catch (...) {
        // Whatever went wrong, the table can no longer be trusted: back to
        // the hall, and end.
        form<MainForm>().TimerBong.SetEnabled(false);
        Operate::RestoreHallWindow();
        EndProgram();
    }
}

} // namespace mj::Total
