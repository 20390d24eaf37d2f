// The end of a hand: four hand scores (code 9), then four settlement rows
// (code 17).
//
// Code 9 body: bytes 16..23 the seat's hand score, signed 64-bit
// little-endian, negated when value(1) is 0; only whether it is zero
// matters: four zeros are a drawn hand. Code 17: value(1), value(3) and body
// bytes 16..116 become the 103 rows of the seat's RoundResult.
//
// Each code counts its frames whatever seat they name; the fourth settles:
// a drawn hand at once while the props plug-in is not ready, a won hand at
// once without the plug-in; with it, the main loop's settlement poll settles
// once the plug-in has its award data.
//
// A hand settles once: after the settling frame, hand-end frames change
// nothing (no sheet, no coins, no saved hand) until the next hand opens the
// count again: its round start, or its first deal, draw, discard or claim
// for a seat that missed the round start.
#include "dispatch/Total.h"

#include "client/General.h"
#include "client/MainForm.h"
#include "client/SoftTimer.h"
#include "controls/Hero.h"
#include "controls/Operate.h"
#include "controls/Score.h"
#include "controls/Settlement.h"
#include "social/Mod_Prop.h"
#include "video/Operate.h"

namespace mj::Total {

namespace {

constexpr int ScoreBytes = 16;
constexpr int FirstRowByte = 16;

int64_t handScore()
{
    uint64_t value = 0;
    for (int i = ScoreBytes + 7; i >= ScoreBytes; --i)
        value = (value << 8) | Msg[i];
    return static_cast<int64_t>(value);
}

// The plug-in is told that the hand's result is complete; the main loop
// fetches its award data and then settles.
void handOverToPlugin(bool drawn)
{
    using namespace Mod_Prop;
    ScoreInfoPending = true;
    ScoreShowState = 1;
    if (drawn)
        DrawnRound = true;
    BonusCoins = {};
    BonusText = {};
    AwardTexts = {};
    CallPlugin([](Tesmora& p) { p.InitShowEnd(); });
}

// A drawn hand without the plug-in: the 黄庄 sheet, the history row, the
// board, the saved hand and the countdown of 15 seconds in every mode.
void settleDrawnHand()
{
    MainForm& table = form<MainForm>();
    Score& board = form<Score>();
    Hero& hero = form<Hero>();
    GameRunning = false;
    hero.Num.AddItem(General::PadRight(QString::number(RoundNo), 12));
    for (int side = 0; side <= 3; ++side) {
        board.State(side).SetForeColor(0);
        board.State(side).AddItem(QStringLiteral("      黄  庄"));
        board.State(side + 4).AddItem(QStringLiteral("最终分：0金币"));
        hero.Grade(side).AddItem(General::PadRight(QStringLiteral("0"), 9) + QStringLiteral("金币"));
    }
    if (!BossKey) {
        int16_t scoreBoard = 5;
        table.AnNiu_Click(scoreBoard);
        Settlement::PutSeatsOnBoard();
    }
    Operate::SaveRoundRecord(RoundNo);
    Settlement::ShowContinueLines();
    if (!WatchMode)
        Settlement::StartNextHandCountdown(15);
}

} // namespace

void HandleHandScore(MsgHeader& header)
{
    if (HandSettled)
        return;
    HoldPropFrameA = true;
    HoldPropFrameB = true;
    HeldPropFrameA = {};
    HeldPropFrameB = {};
    const int16_t side = SideOf(header.Seat);
    header.Seat = static_cast<uint8_t>(side);
    HandInPlay = false;
    // The hand is over, and with it every turn: a turn clock still running
    // stops and goes, so that it neither stands over the shown hands nor
    // plays for the player once it runs out.
    if (TurnClockOn) {
        MainForm& table = form<MainForm>();
        TurnClockOn = false;
        TurnCountdown = TurnSeconds;
        table.Time_Img.SetVisible(false);
        table.Number.SetVisible(false);
    }
    Score& board = form<Score>();
    board.State(side).Clear();
    board.State(side + 4).Clear();
    int64_t score = handScore();
    if (header.value[1] == 0)
        score = static_cast<int64_t>(0 - static_cast<uint64_t>(score)); // wraps, never overflows
    custom[side].HandScore = score;

    if (++Fen_Num == 4) {
        Fen_Num = 0;
        bool drawn = true;
        for (int s = 0; s <= 3; ++s)
            drawn = drawn && custom[s].HandScore == 0;
        if (drawn) {
            HandSettled = true;
            Settlement::PutSeatsOnBoard();
            if (Mod_Prop::Prop_GameDllState >= 1)
                handOverToPlugin(true);
            else
                settleDrawnHand();
        }
    }
    Operate::CloseAllVideo();
}

void HandleScoreRow(MsgHeader& header)
{
    if (HandSettled)
        return;
    const int16_t side = SideOf(header.Seat);
    header.Seat = static_cast<uint8_t>(side);
    RoundResult(side, 0) = header.value[1];
    RoundResult(side, 1) = header.value[3];
    for (int i = 0; i <= 100; ++i)
        RoundResult(side, i + 2) = Msg[FirstRowByte + i];
    if (++ScoreRowsIn != 4)
        return;
    ScoreRowsIn = 0;
    HandSettled = true;
    if (Mod_Prop::Prop_GameDllState <= 0)
        Operate::ShowRoundResult();
    else
        handOverToPlugin(false);
}

} // namespace mj::Total
