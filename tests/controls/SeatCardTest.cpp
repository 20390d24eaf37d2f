// The player card shown while the pointer rests on a seat, and the wealth
// plate's tooltip, on the table window.
#include "TableSupport.h"
#include "TestSupport.h"

#include "client/Data.h"
#include "client/MainForm.h"
#include "controls/Information.h"

#include <gtest/gtest.h>

#include <limits>

using namespace mj;

namespace {

class SeatCard : public ::testing::Test {
protected:
    void SetUp() override
    {
        table = &mjtest::OpenTableWindow(QStringLiteral("名片测试大厅"));
        table->Move(3000, 1500, 15360, 11520);
        table->Pic1.Move(150, 300, 15001, 10800);
        for (int side = 0; side <= 3; ++side) {
            PlayerInfo& p = Players[side];
            p.Name = QStringLiteral("玩家%1").arg(side);
            p.Sex = static_cast<uint8_t>(side);
            p.Location = QStringLiteral("上海");
            p.Points = 1000.0 * side;
            p.Credit = 7;
            p.Logins = 12;
            p.Drops = -3;
            p.Wins = 5;
            p.Losses = std::numeric_limits<int32_t>::min();
        }
    }

    QStringList CardValues()
    {
        QStringList values;
        for (int i = 0; i <= 8; ++i)
            values << form<Information>().Inf(i).Caption();
        return values;
    }

    MainForm* table = nullptr;
};

TEST_F(SeatCard, HoveringASeatShowsThatPlayersCardBesideIt)
{
    struct Case {
        const char* name;
        int16_t side;
        float scale;
        double left, top;
    };
    const double x0 = 3000 + 150, y0 = 1500 + 300;
    const Case cases[] = {
        {"own seat", 0, 1.0f, x0, y0 + 0.42 * 10800},
        {"own seat, small layout", 0, 0.78125f, x0, y0 + 0.3 * 10800},
        {"side 1", 1, 1.0f, x0, y0 + 0.11 * 10800},
        {"side 2", 2, 1.0f, x0 + 5000, y0 + 0.11 * 10800},  // 15001 \ 3
        {"side 3", 3, 0.78125f, x0 + 10000, y0 + 0.11 * 10800}, // 30002 \ 3
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScaleX = c.scale;
        table->Pic1_MouseMove(0, 0, 1, 1);
        table->Tou_MouseMove(c.side, 0, 0, 0, 0);
        Information& card = form<Information>();
        EXPECT_TRUE(card.Visible());
        EXPECT_DOUBLE_EQ(card.Left(), c.left);
        EXPECT_DOUBLE_EQ(card.Top(), c.top);
        EXPECT_EQ(card.Inf(0).Caption(), QStringLiteral("玩家%1").arg(c.side));
    }
}

TEST_F(SeatCard, TheCardSpellsEveryValueOut)
{
    Players[2].Points = 18446744073709551615.0; // the largest 64-bit amount, as held
    Players[2].Credit = 9007199254740993.0;
    table->Tou_MouseMove(2, 0, 0, 0, 0);
    EXPECT_EQ(CardValues(), (QStringList{QStringLiteral("玩家2"), QStringLiteral("男"), QStringLiteral("上海"),
                                         QStringLiteral("18446744073709551616"), QStringLiteral("9007199254740992"),
                                         QStringLiteral("12"), QStringLiteral("-3"), QStringLiteral("5"),
                                         QStringLiteral("-2147483648")}));
    for (int16_t side : {0, 1, 3}) {
        table->Pic1_MouseMove(0, 0, 1, 1);
        table->Tou_MouseMove(side, 0, 0, 0, 0);
        EXPECT_EQ(form<Information>().Inf(1).Caption(), side == 0 ? QStringLiteral("女") : QStringLiteral("男"));
    }
}

TEST_F(SeatCard, TheCardStaysFromSeatToSeatUntilThePointerCrossesTheTable)
{
    mjtest::Hover(table->Nid(1).Widget());
    Information& card = form<Information>();
    ASSERT_TRUE(card.Visible());
    const double side1Left = card.Left();
    mjtest::Hover(table->Cash(2).Widget());
    table->Level_MouseMove(3, 0, 0, 0, 0);
    EXPECT_EQ(card.Inf(0).Caption(), QStringLiteral("玩家1"));
    EXPECT_EQ(card.Left(), side1Left);

    mjtest::SendMouse(table->Pic1.Widget(), QEvent::MouseMove, QPointF(300, 300), Qt::NoButton);
    EXPECT_FALSE(card.Visible());
    table->Nid_MouseMove(2, 0, 0, 0, 0);
    EXPECT_EQ(card.Inf(0).Caption(), QStringLiteral("玩家2"));
    EXPECT_DOUBLE_EQ(card.Left(), side1Left + 5000);
}

TEST_F(SeatCard, AnEmptySeatShowsNoCard)
{
    Players[3].Name.clear();
    table->Tou_MouseMove(3, 0, 0, 0, 0);
    EXPECT_FALSE(form<Information>().Visible());
}

TEST_F(SeatCard, TheWealthTooltipFollowsThePlate)
{
    table->lbwealth.SetCaption(QStringLiteral("10"));
    WealthRate = 0;
    table->Imgwealth_MouseMove(0, 0, 0, 0);
    EXPECT_EQ(table->Imgwealth.ToolTipText(), QString());
    WealthRate = 10;
    table->lbwealth_MouseMove(0, 0, 0, 0);
    EXPECT_EQ(table->Imgwealth.ToolTipText(), QStringLiteral("财富加倍 ×10"));
    EXPECT_EQ(table->lbwealth.ToolTipText(), QStringLiteral("财富加倍 ×10"));
}

} // namespace
