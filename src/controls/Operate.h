// Round results of the player controls.
#pragma once

#include <QString>

#include <cstdint>

namespace mj::Operate {

// Shows the settlement sheet of a won hand from RoundResult: the score
// board's columns and final lines, the players' coins, points, wins, losses
// and titles, the history row, the board, the saved hand and the countdown
// to the next hand.
void ShowRoundResult();
// The sheet's labels between the head lines and the gang lines: the banker,
// the filler lines that level the columns, the winner's item and 包胡.
void AddScoreItems();

// The hand history file, info.qv beside the program: one section per
// settled hand, "juNum:" & the hand number.
QString RoundRecordPath();
// Writes the score board as it stands, with the seats' names and avatars,
// as the section of that hand. Keys that cannot be written are left out.
void SaveRoundRecord(int16_t round);
// Puts the section of that hand back on the score board; hand 0 loads
// nothing. What is missing or unreadable leaves the board as it was.
void LoadRoundRecord(int16_t round);

// ---- Claim requests ---------------------------------------------------------
// Each sender stages the meld into the next meld slots of custom(0)
// (MeldEnd - 2 .. MeldEnd, copies of the hand slots; the concealed run stays
// as it is) and queues the claim (code 7, tiles as claim words); the five
// meld senders then set RequestSent. The server's confirmation lays the meld
// out from the staged slots.

// Chi with the concealed slots a and b and the parked discard, in that order.
void SendChi(int16_t slotA, int16_t slotB);
// Peng on `tile` (its low byte) with the first pair of it in the hand. A hand
// without such a pair stages nothing and claims nothing: the offer is passed
// instead, when nothing was sent for it yet. True when the peng was claimed.
bool SendPeng(int16_t tile);
// Gang on the parked discard with the three equal concealed tiles from `slot`.
void SendExposedGang(int16_t slot);
// Concealed gang of the four equal tiles from `slot` (the fourth stays in the run).
void SendConcealedGang(int16_t slot);
// The concealed tile of `slot` added to a peng (or a red dragon set aside):
// staged in slot MeldEnd - 2 only.
void SendAddedGang(int16_t slot);
// Hu; no tile, no staging.
void SendHu();

// ---- Chi and gang choices ----------------------------------------------------
// The ways to chi `tile` (the parked discard) with the own hand: one is sent
// at once; two or three are shown on the chi picker, row by row above the chi
// button, and the turn clock restarts at half the turn length. A hand without
// a pair that fits (or without a tile of that suit) offers nothing.
void OfferChiChoices(int16_t tile);
// The gang candidates of the offered kinds (an added gang: the fourth tile of
// a peng, a red dragon or the wild tile set aside), each with the claim it
// makes in GangChoiceKinds and named by that claim's word on its picker; the
// four wild tiles make two, the concealed gang listed before the setting
// aside. In the automatic play (DecisionState 3) the first is sent without a
// word; otherwise one is sent at once, and none or several are shown as a
// column on the gang picker with the turn clock restarted at half the turn
// length.
void OfferGangChoices();

} // namespace mj::Operate
