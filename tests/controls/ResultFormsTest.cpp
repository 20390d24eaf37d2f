// The score board, the history and the player card: their own event
// procedures over the table window, on the offscreen platform.
#include "TableSupport.h"
#include "TestSupport.h"

#include "client/Data.h"
#include "client/MainForm.h"
#include "controls/Hero.h"
#include "controls/Information.h"
#include "controls/Operate.h"
#include "controls/Score.h"
#include "platform/Program.h"

#include <QAbstractItemView>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace mj;
using mjtest::SendMouse;

namespace {

QWidget* Viewport(ListBox& list)
{
    return qobject_cast<QAbstractItemView*>(list.Widget())->viewport();
}

// The middle of a row of the list, in its viewport.
QPointF RowCentre(ListBox& list, int row)
{
    auto* view = qobject_cast<QAbstractItemView*>(list.Widget());
    return view->visualRect(view->model()->index(row, 0)).center();
}

class ResultForms : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        SetProgramFolder(tmp.path());
        table = &mjtest::OpenTableWindow(QStringLiteral("战绩测试大厅"));
        table->Move(3000, 1500, 15360, 11520);
        table->Pic1.Move(300, 450, 12000, 9000);
    }

    // Centre of the table picture, in screen twips.
    double CentreX() const { return 3000 + 300 + 12000 / 2.0; }
    double CentreY() const { return 1500 + 450 + 9000 / 2.0; }

    // Three hands in the history; the rows show their hand numbers.
    Hero& HistoryOfThree()
    {
        Hero& hero = form<Hero>();
        for (int hand : {2, 3, 5}) {
            hero.Num.AddItem(QString::number(hand).rightJustified(12));
            for (int i = 0; i <= 3; ++i)
                hero.Grade(i).AddItem(QStringLiteral("%1分").arg(hand * 10 + i));
        }
        return hero;
    }

    void SaveHandNamed(int16_t hand, const QString& name)
    {
        SeatNameAvatar[0].Name = name;
        form<Score>().State(0).Clear();
        form<Score>().State(0).AddItem(name);
        Operate::SaveRoundRecord(hand);
    }

    QTemporaryDir tmp;
    MainForm* table = nullptr;
};

TEST_F(ResultForms, ScoreAndHeroLoadCentredOverTheTablePictureAndOpaque)
{
    Score& board = form<Score>();
    EXPECT_DOUBLE_EQ(board.Left() + board.Width() / 2, CentreX());
    EXPECT_DOUBLE_EQ(board.Top() + board.Height() / 2, CentreY());
    EXPECT_EQ(board.WindowAlpha(), 255);
    Hero& hero = form<Hero>();
    EXPECT_DOUBLE_EQ(hero.Left() + hero.Width() / 2, CentreX());
    EXPECT_DOUBLE_EQ(hero.Top() + hero.Height() / 2, CentreY());
    EXPECT_EQ(hero.WindowAlpha(), 255);
    Information& card = form<Information>();
    EXPECT_EQ(card.WindowAlpha(), 255);
    for (const Label& value : card.Inf) {
        EXPECT_EQ(value.FontSize(), 12);
        EXPECT_EQ(value.BackStyle(), Label::vbTransparent);
    }
}

TEST(ResultFormsAlone, LoadingWithoutATableWindowDoesNotBringOneUp)
{
    form<Score>();
    form<Hero>();
    EXPECT_FALSE(isLoaded<MainForm>());
}

TEST_F(ResultForms, APressOfEitherButtonDragsTheWindowFromItsDraggableParts)
{
    Score& board = form<Score>();
    Hero& hero = form<Hero>();
    board.Show();
    hero.Show();
    for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton}) {
        SCOPED_TRACE(button);
        const int boardDrags = board.DragsStarted(), heroDrags = hero.DragsStarted();
        SendMouse(board.Widget(), QEvent::MouseButtonPress, QPointF(20, 300), button);
        EXPECT_EQ(board.DragsStarted(), boardDrags + 1);
        QWidget* parts[] = {hero.Widget(), hero.ID(2).Widget(), hero.Label1.Widget(), hero.Tou(1).Widget()};
        for (QWidget* part : parts)
            SendMouse(part, QEvent::MouseButtonPress, QPointF(2, 2), button);
        EXPECT_EQ(hero.DragsStarted(), heroDrags + 4);
        SendMouse(Viewport(hero.Grade(0)), QEvent::MouseButtonPress, QPointF(2, 2), button);
        EXPECT_EQ(hero.DragsStarted(), heroDrags + 4);
    }
}

TEST_F(ResultForms, TheCloseAreasHideTheFormAndKeepItsContents)
{
    for (int16_t index : {0, 1}) {
        Score& board = form<Score>();
        board.State(0).AddItem(QStringLiteral("自摸"));
        board.Show();
        mjtest::Click(board.Image1(index).Widget());
        EXPECT_FALSE(board.Visible());
        EXPECT_TRUE(isLoaded<Score>());
        Hero& hero = form<Hero>();
        hero.Show();
        mjtest::Click(hero.Image1(index).Widget());
        EXPECT_FALSE(hero.Visible());
    }
    EXPECT_EQ(form<Score>().State(0).ListCount(), 2);
}

TEST_F(ResultForms, HeroLoadShowsEachResultListFromItsLastRow)
{
    Hero& hero = form<Hero>();
    for (int row = 0; row < 60; ++row) {
        hero.Num.AddItem(QString::number(row + 1));
        for (int i = 0; i <= 2; ++i) // Grade(3) stays empty
            hero.Grade(i).AddItem(QString::number(row));
    }
    hero.SetWindowState(1);
    hero.Form_Load();
    EXPECT_EQ(hero.WindowState(), 0);
    for (int i = 0; i <= 2; ++i)
        EXPECT_GT(hero.Grade(i).TopIndex(), 30) << i;
    EXPECT_EQ(hero.Grade(3).TopIndex(), 0);
    EXPECT_EQ(hero.Num.TopIndex(), 0);
}

TEST_F(ResultForms, APressOnARowSelectsThatHandInAllFiveLists)
{
    Hero& hero = HistoryOfThree();
    hero.Grade(3).RemoveItem(2); // one list a row short
    hero.Grade(2).SetListIndex(1);
    hero.Grade_MouseDown(2, 1, 0, 0, 0);
    for (int i = 0; i <= 3; ++i)
        EXPECT_EQ(hero.Grade(i).ListIndex(), 1) << i;
    EXPECT_EQ(hero.Num.ListIndex(), 1);

    hero.Num.SetListIndex(2);
    hero.Num_MouseDown(1, 0, 0, 0);
    for (int i = 0; i <= 2; ++i)
        EXPECT_EQ(hero.Grade(i).ListIndex(), 2) << i;
    EXPECT_EQ(hero.Grade(3).ListIndex(), -1); // it has no such row
}

TEST_F(ResultForms, ADoubleClickShowsTheHandNumberedInItsRowOnTheScoreBoard)
{
    SaveHandNamed(1, QStringLiteral("第一局"));
    SaveHandNamed(2, QStringLiteral("第二局"));
    SaveHandNamed(3, QStringLiteral("第三局"));
    Hero& hero = HistoryOfThree();
    Score& board = form<Score>();
    board.Move(0, 0);

    hero.Grade(1).SetListIndex(0); // row 0 shows hand 2
    hero.Grade_DblClick(1);
    EXPECT_EQ(board.ID(0).Caption(), QStringLiteral("第二局"));
    EXPECT_EQ(board.State(0).List(0), QStringLiteral("第二局"));
    EXPECT_TRUE(board.Visible());
    EXPECT_DOUBLE_EQ(board.Left() + board.Width() / 2, CentreX());
    EXPECT_DOUBLE_EQ(board.Top() + board.Height() / 2, CentreY());

    hero.Num.SetListIndex(1); // hand 3
    hero.Num_DblClick();
    EXPECT_EQ(board.ID(0).Caption(), QStringLiteral("第三局"));
}

TEST_F(ResultForms, ARealDoubleClickOnAResultRowShowsThatHandInFront)
{
    SaveHandNamed(5, QStringLiteral("第五局"));
    Hero& hero = HistoryOfThree();
    hero.Show();
    const QPointF row = RowCentre(hero.Grade(3), 2);
    SendMouse(Viewport(hero.Grade(3)), QEvent::MouseButtonPress, row);
    SendMouse(Viewport(hero.Grade(3)), QEvent::MouseButtonRelease, row);
    for (int i = 0; i <= 3; ++i)
        EXPECT_EQ(hero.Grade(i).ListIndex(), 2) << i;
    EXPECT_EQ(hero.Num.ListIndex(), 2);
    SendMouse(Viewport(hero.Grade(3)), QEvent::MouseButtonDblClick, row);
    SendMouse(Viewport(hero.Grade(3)), QEvent::MouseButtonRelease, row);
    EXPECT_TRUE(form<Score>().Visible());
    EXPECT_EQ(form<Score>().ID(0).Caption(), QStringLiteral("第五局"));
}

TEST_F(ResultForms, ADoubleClickOnNoHandShowsTheBoardAsItIs)
{
    SaveHandNamed(1, QStringLiteral("第一局"));
    Hero& hero = HistoryOfThree();
    hero.Num.AddItem(QStringLiteral("   "));
    Score& board = form<Score>();
    board.ID(0).SetCaption(QStringLiteral("原样"));
    struct Case {
        const char* name;
        int row;
    };
    for (const Case& c : {Case{"no row selected", -1}, Case{"a row without a number", 3}}) {
        SCOPED_TRACE(c.name);
        board.Hide();
        hero.Num.SetListIndex(c.row);
        hero.Num_DblClick();
        EXPECT_EQ(board.ID(0).Caption(), QStringLiteral("原样"));
        EXPECT_TRUE(board.Visible());
    }
}

} // namespace
