// The settlement sheet of a won hand: the four seat columns and final lines
// of the score board made from the hand's settlement rows (RoundResult), the
// players' coins, points, wins, losses and titles, the history row, the
// board, the saved hand and the countdown to the next hand.
//
// RoundResult rows read here (one byte each from row 2 on): 0 the room's
// base stake, 1 the unit, 3 the winner's item, 9 the win multiplier, 22..29
// the final score's magnitude, 30 its sign, 31..46 the title, 63 the cap,
// 64..71 the subtotal's magnitude, 73 the gang count, 74.. the gang records.
#include "controls/Settlement.h"

#include "client/Data.h"
#include "client/General.h"
#include "client/Image_Resource.h"
#include "client/MainForm.h"
#include "client/SoftTimer.h"
#include "controls/Hero.h"
#include "controls/Operate.h"
#include "controls/PlayerRequests.h"
#include "controls/Score.h"
#include "platform/Gbk.h"
#include "social/Mod_Prop.h"

#include <cmath>
#include <limits>

namespace mj {

namespace Settlement {

QString AmountText(double amount)
{
    if (amount == 0 || std::isnan(amount))
        return QStringLiteral("0");
    if (std::trunc(amount) == amount)
        return QString::number(amount, 'f', 0);
    QString text = QString::number(amount, 'f', 6);
    while (text.endsWith(u'0'))
        text.chop(1);
    if (text.endsWith(u'.'))
        text.chop(1);
    return text;
}

void PutSeatsOnBoard()
{
    Score& board = form<Score>();
    for (int side = 0; side <= 3; ++side) {
        const NameAvatar& seat = SeatNameAvatar[side];
        bool isNumber = false;
        const int avatar = seat.PicIndex.trimmed().toInt(&isNumber);
        if (isNumber && avatar >= Image_Resource::AvatarPicture.LBound && avatar <= Image_Resource::AvatarPicture.UBound)
            Image_Resource::LoadGifResource(CInt(Image_Resource::AvatarPicture[avatar]), QStringLiteral("GIF"),
                                            board.Tou(side));
        board.ID(side).SetCaption(seat.Name);
    }
}

void ShowContinueLines()
{
    MainForm& table = form<MainForm>();
    table.Sysmsg(0).Clear();
    table.Sysmsg(0).AddItem(QStringLiteral("请点击【继续】按钮继续游戏！"));
    ButtonUsed[2] = false;
    TableResetDone = false;
    table.Sysmsg(1).Clear();
    table.Sysmsg(1).AddItem(QStringLiteral("游戏将在15秒内开始"));
}

void StartNextHandCountdown(int16_t seconds)
{
    MainForm& table = form<MainForm>();
    StartNextRoundCountdown(seconds);
    NextRoundCountdownTicks = 0;
    Operate::ShowClockFace(table);
}

void FinishPropSettlement()
{
    using namespace Mod_Prop;
    if (PropExitAfterScore) {
        if (Prop_GameDllState > 0) {
            int16_t mode = 0;
            ExitPropPlugin(mode);
        }
        ScoreShowState = 0;
    } else {
        ScoreShowState = 2;
    }
}

} // namespace Settlement

namespace Operate {

namespace {

constexpr int RowStake = 0, RowUnit = 1, RowWinItem = 3, RowWinMultiplier = 9, RowFinal = 22, RowSign = 30,
              RowTitle = 31, RowCapped = 63, RowSubtotal = 64, RowGangCount = 73, RowGangs = 74;
constexpr int GangRecordSize = 7, MaxGangRecords = 4, TitleChars = 8;
const QString Dashes = QStringLiteral("--------------------------"); // 26

int row(int side, int r)
{
    return RoundResult(side, r);
}

// A byte row: the frame byte it was read from.
int byteRow(int side, int r)
{
    return RoundResult(side, r) & 0xFF;
}

// Eight byte rows from `first` up as one unsigned little-endian number; a
// magnitude beyond 2^53 becomes the nearest double.
double magnitude(int side, int first)
{
    uint64_t value = 0;
    for (int r = first + 7; r >= first; --r)
        value = (value << 8) | static_cast<uint64_t>(byteRow(side, r));
    return static_cast<double>(value);
}

bool negative(int side)
{
    return byteRow(side, RowSign) == 2;
}

QString unitText(int side)
{
    return (row(side, RowUnit) & 0xFF) == 1 ? QStringLiteral("金币") : QStringLiteral("金条");
}

// One GBK character a pair of rows, up to the first pair whose lead byte is
// 0; a pair that is not one GBK character shows as "?".
QString title(int side)
{
    QString text;
    for (int k = 0; k < TitleChars; ++k) {
        const int lead = byteRow(side, RowTitle + 2 * k);
        if (lead == 0)
            break;
        const char pair[2] = {static_cast<char>(lead), static_cast<char>(byteRow(side, RowTitle + 2 * k + 1))};
        const QString ch = lead >= 0x80 ? Gbk::Decode(pair, 2) : QString();
        text += ch.size() == 1 && ch != QStringLiteral("?") ? ch : QStringLiteral("?");
    }
    return text;
}

// A whole number a caption spells (its leading number).
double factorOf(const QString& caption)
{
    return std::trunc(Val(caption));
}

QString text(double amount)
{
    return Settlement::AmountText(amount);
}

void add(ListBox& list, const QString& line)
{
    list.AddItem(line);
}

// Adds one to a count that stops at its largest value.
void countUp(int32_t& count)
{
    if (count < std::numeric_limits<int32_t>::max())
        ++count;
}

// One gang record's line in each of the four columns; a record of a mode
// the sheet has no line for adds none, so the columns stay level.
void addGangLines(Score& board, int owner, int record)
{
    const int base = RowGangs + GangRecordSize * record;
    const int mode = byteRow(owner, base);
    const int tile = byteRow(owner, base + 1);
    const int feeder = byteRow(owner, base + 2);
    const bool exposed = mode == 1 || mode == 3;
    if (!exposed && mode != 2)
        return;
    const QString name = General::TileName(static_cast<int16_t>(tile & 15), static_cast<int16_t>((tile >> 4) & 15));
    const int32_t stake = row(owner, RowStake);
    const QString label = name + (exposed ? QStringLiteral("明杠：") : QStringLiteral("暗杠："));
    const int32_t ownerAmount = exposed ? stake : 3 * stake;
    for (int k = 0; k <= 3; ++k) {
        QString line;
        if (k == owner)
            line = label + QString::number(ownerAmount);
        else if (!exposed || custom[k].SeatMask == feeder)
            line = label + QStringLiteral("-") + QString::number(stake);
        else
            line = QStringLiteral(" ");
        add(board.State(k), line);
    }
}

// The plug-in's bonus lines under a column: each line's last eight
// characters spell its colour, which the whole column takes.
void addBonusLines(ListBox& column, const QString& bonus)
{
    add(column, QStringLiteral(" "));
    for (QString line : bonus.split(u'|')) {
        const double colour = Val(line.size() >= 8 ? line.right(8) : line);
        if (colour >= 0 && colour <= 16777215)
            column.SetForeColor(static_cast<int32_t>(RoundHalfEven(colour)));
        if (line.size() >= 8)
            line.chop(8);
        add(column, line);
    }
    add(column, QStringLiteral(" "));
}

} // namespace

void AddScoreItems()
{
    Score& board = form<Score>();
    for (int side = 0; side <= 3; ++side) {
        if (custom[side].IsBanker)
            add(board.State(side), QStringLiteral("  庄      家"));
    }
    int longest = -1;
    for (int side = 0; side <= 3; ++side)
        longest = std::max(longest, board.State(side).ListCount());
    for (int side = 0; side <= 3; ++side) {
        while (board.State(side).ListCount() < longest)
            add(board.State(side), QStringLiteral(" "));
        add(board.State(side), Dashes);
    }
    for (int side = 0; side <= 3; ++side) {
        if (side != WinnerSide)
            continue;
        switch (const int item = byteRow(side, RowWinItem)) {
        case 11: add(board.State(side), QStringLiteral("  炸      弹")); break;
        case 12:
        case 13: add(board.State(side), QStringLiteral("  杠      兹")); break;
        case 14: add(board.State(side), QStringLiteral("  糊  涂  兹")); break;
        default: {
            add(board.State(side), QStringLiteral("  杠      兹"));
            const int payer = (General::MaskToIndex(custom[0].SeatMask) + 4 -
                               General::MaskToIndex(static_cast<uint8_t>(item))) & 3;
            add(board.State(payer), QStringLiteral("  包      胡"));
            break;
        }
        }
    }
    for (int side = 0; side <= 3; ++side) {
        ListBox& column = board.State(side);
        if (column.List(column.ListCount() - 1) == Dashes)
            add(column, QStringLiteral("  "));
        add(column, Dashes);
    }
}

void ShowRoundResult()
{
    MainForm& table = form<MainForm>();
    Score& board = form<Score>();
    Hero& hero = form<Hero>();

    VbArray<double, 0, 3> subtotal;
    VbArray<int, 0, 3> capped;
    for (int side = 0; side <= 3; ++side) {
        RoundScores[side] = magnitude(side, RowFinal);
        subtotal[side] = magnitude(side, RowSubtotal);
        capped[side] = byteRow(side, RowCapped);
        if (negative(side)) {
            RoundScores[side] = -RoundScores[side];
            subtotal[side] = -subtotal[side];
        }
        SessionTotals[side] += RoundScores[side];
        Players[side].Level = title(side);
        table.Level(side).SetCaption(Players[side].Level);
    }
    VbArray<int32_t, 0, 3> hu;
    for (int side = 0; side <= 3; ++side)
        hu[side] = byteRow(side, RowWinMultiplier) * row(side, RowStake);
    for (int side = 0; side <= 3; ++side) {
        if (byteRow(side, RowWinItem) == 0)
            hu[side] = -hu[side];
    }
    bool allZero = true;
    for (int side = 0; side <= 3; ++side)
        allZero = allZero && RoundScores[side] == 0;

    hero.Num.AddItem(General::PadRight(QString::number(RoundNo), 12));
    for (int side = 0; side <= 3; ++side) {
        ListBox& column = board.State(side);
        add(column, QStringLiteral("   房间底金:  ") + QString::number(row(side, RowStake)));
        add(column, QStringLiteral(" "));
        add(column, QStringLiteral("初始：") + text(Players[side].Coins) + QStringLiteral("金币"));
        add(column, QStringLiteral(" "));
    }

    AddScoreItems();

    for (int owner = 0; owner <= 3; ++owner) {
        const int gangs = std::min(byteRow(owner, RowGangCount), MaxGangRecords);
        for (int j = 0; j < gangs; ++j)
            addGangLines(board, owner, j);
    }

    const double diceFactor = factorOf(table.lblDifen.Caption());
    const double wealthFactor = factorOf(WealthText);
    const bool diceActive = DiceDouble != 0 && diceFactor != 0;
    const bool wealthActive = WealthRate != 0 && wealthFactor != 0;
    for (int side = 0; side <= 3; ++side) {
        PlayerInfo& player = Players[side];
        ListBox& column = board.State(side);
        player.Coins += RoundScores[side];
        if (player.Coins < 0)
            player.Coins = 0;
        if (WinnerSide == side)
            countUp(player.Wins);
        else
            countUp(player.Losses);
        player.Points += RoundScores[side];
        if (player.Points < 0)
            player.Points = 1;
        add(column, QStringLiteral(" "));
        add(column, QStringLiteral("胡牌总分：") + QString::number(hu[side]) + unitText(side));
        add(column, QStringLiteral(" "));
        add(column, QStringLiteral("======================="));
        if (!allZero && (diceActive || wealthActive))
            add(column, QStringLiteral("  小计:") + text(subtotal[side]) + QStringLiteral("金币"));
        if (DiceDouble != 0 && !allZero)
            add(column, QStringLiteral("  骰子加倍 ×") + table.lblDifen.Caption());
        if (WealthRate != 0 && !allZero)
            add(column, QStringLiteral("  财富加倍 ×") + WealthText);
    }
    VbArray<double, 0, 3> total;
    for (int side = 0; side <= 3; ++side) {
        total[side] = subtotal[side];
        if (wealthActive && !allZero)
            total[side] *= wealthFactor;
        if (diceActive && !allZero)
            total[side] *= diceFactor;
    }
    for (int side = 0; side <= 3; ++side) {
        ListBox& column = board.State(side);
        if (!allZero) {
            add(column, QStringLiteral(" "));
            add(column, QStringLiteral("总分：") + text(total[side]) + QStringLiteral("金币"));
        }
        add(column, capped[side] > 0 && WealthRate != 0 ? QStringLiteral("  封顶") : QStringLiteral(" "));
    }
    for (int side = 0; side <= 3; ++side) {
        PlayerInfo& player = Players[side];
        ListBox& column = board.State(side);
        const QString unit = unitText(side);
        add(column, QStringLiteral("最终分：") + text(RoundScores[side]) + unit);
        if (!Mod_Prop::BonusText[side].isEmpty()) {
            addBonusLines(column, Mod_Prop::BonusText[side]);
            RoundScores[side] += Mod_Prop::BonusCoins[side];
            player.Coins += Mod_Prop::BonusCoins[side];
            SessionTotals[side] += Mod_Prop::BonusCoins[side];
            Mod_Prop::BonusCoins[side] = 0;
            Mod_Prop::BonusText[side].clear();
            Mod_Prop::AwardTexts = {};
        }
        table.Cash(side).SetCaption(text(player.Coins) + unit);
        add(board.State(side + 4), QStringLiteral("最终分：") + text(RoundScores[side]) + unit);
        hero.Grade(side).AddItem(General::PadRight(text(RoundScores[side]), 9) + unit);
        hero.sumScore(side).SetCaption(text(SessionTotals[side]) + unit);
    }

    if (table.WindowState() != 1) {
        int16_t scoreBoard = 5;
        table.AnNiu_Click(scoreBoard);
    }
    Settlement::PutSeatsOnBoard();

    Settlement::ShowContinueLines();
    TurnClockOn = false;
    GameRunning = false;
    ReadySent = false;
    if (!WatchMode) {
        ReadySent = false;
        Settlement::StartNextHandCountdown(AutoPlay ? 3 : 15);
    }
    SaveRoundRecord(RoundNo);
    Settlement::FinishPropSettlement();
}

} // namespace Operate

} // namespace mj
