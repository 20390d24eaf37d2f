// The settlement of the demonstration's hand (scripts/demo-server.txt) as
// player1 at seat 4 must see it, worked out line by line from the sheet's
// rules rather than from the client: sides 0..3 hold seats 4, 2, 1, 8.
// Seat 2 (side 1) won 8 x the stake of 10 in gold bars, paid whole by the
// banker, seat 1 (side 2: 包胡); seat 2 holds an exposed gang of 6条 fed by
// player1, seat 8 (side 3) a concealed gang of 1条; the dice double by 7,
// the room by 150, and seats 2 and 1 are capped.
#pragma once

#include <QString>
#include <QStringList>

namespace mjtest::demo {


// The players' coins before the hand, by side (from their user information).
inline constexpr double CoinsBefore[4] = {12000, 9000, 15000, 6000};

// Score.State(k), k = 0..7: the four columns, then the four final lines.
inline QStringList SheetList(int k)
{
    const QString dashes = QStringLiteral("--------------------------");
    const QString blank = QStringLiteral(" ");
    const QString equals = QStringLiteral("=======================");
    const QString coins[4] = {"12000", "9000", "15000", "6000"};
    const QString hu[4] = {"0", "80", "-80", "0"};
    const QString subtotal[4] = {"-10", "90", "-90", "10"};
    const QString total[4] = {"-10500", "94500", "-94500", "10500"};
    const QString final[4] = {"-10500", "50000", "-50000", "10500"};
    const QString exposed[4] = {"6条明杠：-10", "6条明杠：10", blank, blank};
    const QString concealed[4] = {"1条暗杠：-10", "1条暗杠：-10", "1条暗杠：-10", "1条暗杠：30"};
    if (k >= 4)
        return {QStringLiteral("最终分：") + final[k - 4] + QStringLiteral("金条")};
    QStringList lines = {QStringLiteral("   房间底金:  10"), blank, QStringLiteral("初始：") + coins[k] + QStringLiteral("金币"),
                         blank};
    // The banker's label, and a filler under the other three.
    lines << (k == 2 ? QStringLiteral("  庄      家") : blank) << dashes;
    // The winner's item, 包胡 under the payer, two blanks elsewhere.
    lines << (k == 1 ? QStringLiteral("  杠      兹") : k == 2 ? QStringLiteral("  包      胡") : QStringLiteral("  "));
    lines << dashes << exposed[k] << concealed[k];
    lines << blank << QStringLiteral("胡牌总分：") + hu[k] + QStringLiteral("金条") << blank << equals;
    lines << QStringLiteral("  小计:") + subtotal[k] + QStringLiteral("金币") << QStringLiteral("  骰子加倍 ×7")
          << QStringLiteral("  财富加倍 ×150");
    lines << blank << QStringLiteral("总分：") + total[k] + QStringLiteral("金币");
    lines << (k == 1 || k == 2 ? QStringLiteral("  封顶") : blank);
    lines << QStringLiteral("最终分：") + final[k] + QStringLiteral("金条");
    return lines;
}

// The coin labels and titles after the hand, by side: coins floor at 0.
inline QString CashAfter(int side)
{
    const QString cash[4] = {"1500金条", "59000金条", "0金条", "16500金条"};
    return cash[side];
}
inline QString TitleAfter(int side)
{
    const QString title[4] = {"雀士", "雀圣", "雀士", "雀士"};
    return title[side];
}
// The history row: the hand number padded to 12, each final score to 9.
inline QString HeroNum()
{
    return QStringLiteral("1           ");
}
inline QString HeroGrade(int side)
{
    const QString grade[4] = {"-10500   金条", "50000    金条", "-50000   金条", "10500    金条"};
    return grade[side];
}
// The names the board shows, by side.
inline QString BoardName(int side)
{
    const QString name[4] = {"玩家一", "李四", "王五", "赵六"};
    return name[side];
}

} // namespace mjtest::demo
