// The server message dispatcher: one branch per server code.
//
// Every received frame comes through HandleServerMessage. It takes the
// session token, checks the frame's header against the frame rules (one
// table by code, FrameRules.h) and runs the one branch of the frame's code
// inside the error trap. Codes the client has no branch for belong to the
// props plug-in.
#pragma once

#include "client/Data.h"

#include <functional>

namespace mj::Total {

// A member leaving resets the plug-in when a round has started since.
inline bool PluginResetPending = false;

// Handles the frame in Msg, whose header is `header` (info). Takes the
// session token from every frame but the reconnect answer first. Any error
// inside restores the hall window and ends the program.
void HandleServerMessage(MsgHeader& header);

// ---- Branches, by code ------------------------------------------------------
// Each reads `header` and Msg; `header.Seat` is a seat mask when it comes in.

// The login answer (code 18) and the reconnect answer (code 29).
void HandleLoginResult(MsgHeader& header);
void HandleReconnectResult(MsgHeader& header);
// A seat's name (code 3; the frame reader stored the name) and a player's
// ready mark (code 23).
void HandleSeatName(MsgHeader& header);
void HandlePlayerReady(MsgHeader& header);
// The table between hands (code 16): the banker, the continue prompt, and
// the players who quit or ran out of coins.
void HandleTableStatus(MsgHeader& header);
void HandleBanker(MsgHeader& header);
void HandleContinuePrompt(MsgHeader& header);
void HandlePlayersGone(MsgHeader& header);
void HandlePlayersQuit(MsgHeader& header);
void HandlePlayersOutOfCoins(MsgHeader& header);

// Branches whose work is done by the seated table: the deal (1), a discard
// (2), a draw (5), a claim (7), the tiles turned up at the wall's tail (8)
// and the hands shown at the end of a hand (15).
void HandleDeal(MsgHeader& header);
void HandleDiscard(MsgHeader& header);
void HandleDraw(MsgHeader& header);
void HandlePlayerOperation(MsgHeader& header);
void HandleRevealWallTail(MsgHeader& header);
void HandleRevealHands(MsgHeader& header);
// The other branches.
void HandleRoundStart(MsgHeader& header);   // 4
void HandleClaimOffer(MsgHeader& header);   // 6
void HandleHandScore(MsgHeader& header);    // 9
void HandleWildTile(MsgHeader& header);     // 14
void HandleScoreRow(MsgHeader& header);     // 17
void HandleUserInfo(MsgHeader& header);     // 20
void HandleMemberLeft(MsgHeader& header);   // 21
void HandleServerNotice(MsgHeader& header); // 22
void HandleTableSnapshot(MsgHeader& header); // 40
void HandleBankerDice(MsgHeader& header);   // 41
void HandleOwnCoins(MsgHeader& header);     // 91
void HandleOtherCoins(MsgHeader& header);   // 92

// ---- Shared by the branches --------------------------------------------------

// A member gone from side 1..3, in two halves that a member leaving runs
// apart: the side's ready mark, avatar and labels emptied with the system
// line; then its account and player information (all but the account, tag,
// voice, user id and onlooker flag) emptied, with OtherPlayerNames when
// asked, and the props plug-in told.
void ClearSidePlates(int16_t side);
void ClearSideRecord(int16_t side, bool otherName);
// The wealth plate after side 1..3 left: the smallest multiplier of those
// still seated, or hidden while the room has none.
void RefreshWealthLabel(int16_t side);
// Side 1..3's video taken down: surface, strip, frame and icon hidden, its
// flags cleared, the frame counter of the transport slot holding `player`
// (the side's account) reset, its pop-out window hidden and its last frame
// dropped.
void TakeDownSideVideo(int16_t side, const QString& player);
// The GBK text of Msg from byte `first`, ending at a zero byte or after
// byte `last`; a lead byte in the field takes its trail byte with it.
QString GbkFieldText(int first, int last);
// The time of day as the system lines show it: hours, minutes and seconds
// without leading zeros ("9:5:7").
QString TimeOfDayText();

// Four little-endian bytes of Msg from `first`, as the unsigned number they
// write.
uint32_t MsgU32le(int first);
// When the other three are ready after a hand, the table is set up afresh.
void CheckAllReady();
// The table is complete (four user informations after the seat names): the
// seat-wind draw, the compass and the players' voice packs.
void CompleteTable();
// The random numbers of the voice-pack draw, from 0 up to but not including
// 1. Empty: a generator seeded from the clock at each completion. Tests fix
// the draws here.
inline std::function<double()> VoicePackDraw;
// The side of a frame's seat mask (its low four bits) as seen from the own seat.
int16_t SideOf(uint8_t seat);
// The wealth plate: the multiplier WealthRate in lbwealth, its font size by
// the layout and the number's size, both shown.
void ShowWealthRate();
// The wealth plate's font size for the number it shows, by the layout.
void SetWealthFontSize(uint32_t shown);
// Where the wall breaks for the banker's side (0 to 3) and the four dice:
// `head` the upper tile of the stack drawing starts at, `tail` the upper
// tile of the stack before it. Both are wall positions 0 to 135 whatever the
// dice; legal dice count walls from the banker's side with the first throw
// and stacks with all four.
void WallBreak(int16_t bankerSide, const VbArray<int16_t, 0, 3>& dice, int16_t& head, int16_t& tail);
// Plays sound effect `sound` (an entry of SoundFile) once, at full volume
// when asked; nothing while sound effects are off.
void PlayEffect(int16_t sound, bool fullVolume = false);

} // namespace mj::Total
