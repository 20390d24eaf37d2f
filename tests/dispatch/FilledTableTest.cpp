// A table filling up, as a session brings it: the members' information
// without seat masks, the seat names, then the information with masks that
// completes the table. Screenshots of the filled table with the score
// board, the history and a player card over it, at both layouts.
#include "dispatch/DispatchTable.h"

#include "client/Data.h"
#include "controls/Hero.h"
#include "controls/Information.h"
#include "controls/FloatingForms.h"
#include "controls/Score.h"
#include "dispatch/Total.h"
#include "platform/Clock.h"

#include <QImage>

using namespace mj;
using mjtest::Dispatch;
using mjtest::frames::UserInfo;

namespace {

struct Member {
    uint8_t seat;
    const char* account;
    QString name;
    QByteArray face;
    uint8_t sex;
};

class FilledTable : public OnScreen<DispatchTable> {
protected:

    static UserInfo Info(uint8_t headerSeat, const Member& m)
    {
        UserInfo frame(headerSeat);
        frame.Name(m.name).Face(m.face).Sex(m.sex).Coins(12000).Level(QStringLiteral("雀士"));
        frame.Account(m.account).Tag(QStringLiteral("雀友")).Location(QStringLiteral("杭州"));
        frame.Points(3500).Credit(100).Counts(40, 2, 21, 17).WealthRate(150).Ready(1);
        return frame;
    }

    // The table window with the floating windows drawn where they stand.
    bool Screenshot(const char* what, std::initializer_list<Form*> over)
    {
        EXPECT_EQ(mjtest::ControlsOutsideTheWindow(*w), QStringList());
        const QImage shot = mjtest::GrabWithWindowsOver(*w, over);
        const QString path = mjtest::ArtifactDir()
            + QStringLiteral("/filled-%1-%2.png").arg(QLatin1String(what)).arg(small() ? "800x600" : "1024x768");
        return shot.save(path) && shot.size() == (small() ? QSize(800, 600) : QSize(1024, 768));
    }
};

TEST_P(FilledTable, TheMembersFillTheSeatsAndTheFourthCompletesTheTable)
{
    Clock::SetIdleStep([] { Clock::Advance(0.25); });
    w->SetWindowState(1);
    const Member own{4, "player1", QStringLiteral("玩家一"), "w3", 0};
    const Member others[] = {{2, "li", QStringLiteral("李四"), "m2", 1},
                             {1, "wang", QStringLiteral("王五"), "m7", 1},
                             {8, "zhao", QStringLiteral("赵六"), "w5", 0}};
    Dispatch(Info(15, own));
    for (const Member& m : others)
        Dispatch(Info(0, m));
    EXPECT_EQ(OthersSeated, 3);
    EXPECT_EQ(w->WindowState(), 0);
    EXPECT_EQ(w->Sysmsg(0).List(0), QStringLiteral("游戏将在15秒内开始"));

    for (const auto& [seat, name] : {std::pair<uint8_t, QByteArray>{1, "wang"}, {2, "li"}, {4, "player1"}, {8, "zhao"}})
        Dispatch(mjtest::frames::SeatName(seat, name));
    ASSERT_EQ(custom[0].SeatMask, 4);
    w->ZhiNan.SetVisible(false);
    Dispatch(Info(4, own));
    for (const Member& m : others)
        Dispatch(Info(m.seat, m));
    EXPECT_EQ(FrameGroupCount, 5);
    EXPECT_TRUE(w->ZhiNan.Visible());
    EXPECT_EQ(w->Nid(1).Caption(), QStringLiteral("[雀友] 李四"));
    EXPECT_EQ(w->Nid(2).Caption(), QStringLiteral("[雀友] 王五"));
    EXPECT_EQ(w->Nid(3).Caption(), QStringLiteral("[雀友] 赵六"));
    EXPECT_EQ(w->lbwealth.Caption(), QStringLiteral("150"));
    w->Show();
    EXPECT_TRUE(Screenshot("table", {}));

    Score& board = form<Score>();
    for (int i = 0; i <= 3; ++i) {
        board.ID(i).SetCaption(SeatNameAvatar[i].Name);
        board.State(i).AddItem(QStringLiteral("   底注:  5"));
        board.State(i).AddItem(QStringLiteral("自摸 %1番").arg(i + 1));
        board.State(i + 4).AddItem(QStringLiteral("%1").arg(10 * (i - 1)));
        Hero& hero = form<Hero>();
        hero.Grade(i).AddItem(QStringLiteral("%1分").arg(10 * (i - 1)));
        hero.sumScore(i).SetCaption(QStringLiteral("%1分").arg(10 * (i - 1)));
    }
    form<Hero>().Num.AddItem(QString::number(1).rightJustified(12));
    CentreOverTable(board);
    board.Show();
    EXPECT_TRUE(Screenshot("score", {&board}));
    board.Hide();
    CentreOverTable(form<Hero>());
    form<Hero>().Show();
    EXPECT_TRUE(Screenshot("hero", {&form<Hero>()}));
    form<Hero>().Hide();
    w->Nid_MouseMove(1, 0, 0, 0, 0);
    EXPECT_TRUE(form<Information>().Visible());
    EXPECT_EQ(form<Information>().Inf(0).Caption(), QStringLiteral("李四"));
    EXPECT_TRUE(Screenshot("card", {&form<Information>()}));
    Clock::SetIdleStep(nullptr);
}

INSTANTIATE_TEST_SUITE_P(Layouts, FilledTable, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Small" : "Normal"; });

} // namespace
