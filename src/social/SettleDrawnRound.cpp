// The settlement of a drawn hand (黄庄) that was handed to the props plug-in:
// the main loop's settlement poll and the treasure boxes call it once the
// plug-in's award data are in. Every column reads "      黄  庄" with the
// seat's bonus lines under it; the bonus coins are the seat's final score.
// Unlike a won hand: no score lines, no points, wins, losses or titles, the
// unit is always 金币, the boss key (not the window state) keeps the board
// down, and the countdown is 15 seconds in every mode.
#include "social/Mod_Prop.h"

#include "client/Data.h"
#include "client/General.h"
#include "client/MainForm.h"
#include "controls/Hero.h"
#include "controls/Operate.h"
#include "controls/Score.h"
#include "controls/Settlement.h"

namespace mj::Mod_Prop {

void SettleDrawnRound()
{
    MainForm& table = form<MainForm>();
    Score& board = form<Score>();
    Hero& hero = form<Hero>();
    const auto amount = [](double value) { return Settlement::AmountText(value); };
    GameRunning = false;
    hero.Num.AddItem(General::PadRight(QString::number(RoundNo), 12));
    for (int side = 0; side <= 3; ++side) {
        ListBox& column = board.State(side);
        column.AddItem(QStringLiteral("      黄  庄"));
        RoundScores[side] = 0;
        if (!BonusText[side].isEmpty()) {
            column.AddItem(QStringLiteral(" "));
            for (const QString& piece : BonusText[side].split(u'|'))
                column.AddItem(piece);
            column.AddItem(QStringLiteral(" "));
            RoundScores[side] += BonusCoins[side];
            Players[side].Coins += BonusCoins[side];
            SessionTotals[side] += BonusCoins[side];
            BonusCoins[side] = 0;
            BonusText[side].clear();
            AwardTexts = {};
        }
        table.Cash(side).SetCaption(amount(Players[side].Coins) + QStringLiteral("金币"));
        board.State(side + 4).AddItem(QStringLiteral("最终分：") + amount(RoundScores[side]) + QStringLiteral("金币"));
        hero.Grade(side).AddItem(General::PadRight(amount(RoundScores[side]), 9) + QStringLiteral("金币"));
        hero.sumScore(side).SetCaption(amount(SessionTotals[side]) + QStringLiteral("金币"));
    }
    if (!BossKey) {
        int16_t scoreBoard = 5;
        table.AnNiu_Click(scoreBoard);
    }
    Settlement::PutSeatsOnBoard();
    Operate::SaveRoundRecord(RoundNo);
    Settlement::FinishPropSettlement();
    Settlement::ShowContinueLines();
    if (!WatchMode)
        Settlement::StartNextHandCountdown(15);
}

} // namespace mj::Mod_Prop
