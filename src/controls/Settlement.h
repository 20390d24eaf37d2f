// Pieces shared by the three settlements of a hand: the won hand
// (Operate::ShowRoundResult), the drawn hand the dispatcher settles itself
// and the drawn hand the props plug-in hands back (Mod_Prop::SettleDrawnRound).
#pragma once

#include <QString>

#include <cstdint>

namespace mj::Settlement {

// An amount as the sheet prints it: whole decimal digits with a leading "-"
// when negative, never in exponent form; a fraction (a plug-in's bonus may
// carry one) keeps its decimals without trailing zeros.
QString AmountText(double amount);

// The score board's names and avatars from SeatNameAvatar. An avatar index
// that is empty, not a number or outside AvatarPicture leaves that picture
// as it is.
void PutSeatsOnBoard();

// The two system lines that ask for the next hand: "请点击【继续】按钮继续游戏！"
// and "游戏将在15秒内开始", each list cleared first.
void ShowContinueLines();

// The countdown to the next hand: `seconds` on the green clock, in front.
void StartNextHandCountdown(int16_t seconds);

// The plug-in shut down after the settlement when a player ran out of coins
// meanwhile (ScoreShowState 0), else kept (ScoreShowState 2).
void FinishPropSettlement();

} // namespace mj::Settlement
