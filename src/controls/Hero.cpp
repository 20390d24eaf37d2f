#include "controls/Hero.h"

#include "client/frmExit.h"
#include "controls/FloatingForms.h"
#include "controls/Operate.h"
#include "controls/Score.h"
#include "platform/Resources.h"

namespace mj {

namespace {

void DesignLabel(Label& label, int32_t colour, double points)
{
    label.SetForeColor(colour);
    label.SetBackStyle(Label::vbTransparent);
    label.SetFontName(QStringLiteral("宋体"));
    label.SetFontSize(points);
    label.SetFontBold(true);
}

void DesignList(ListBox& list)
{
    list.SetBackColor(0x80C0FF);
    list.SetFontName(QStringLiteral("宋体"));
    list.SetFontSize(10.5);
    list.SetFontBold(true);
}

// Selects the row in a list that has it; a shorter list selects none.
void SelectRow(ListBox& list, int row)
{
    list.SetListIndex(row >= 0 && row < list.ListCount() ? row : -1);
}

} // namespace

Hero::Hero()
    : Form(QStringLiteral("Hero"))
    , Num(*this, QStringLiteral("Num"))
    , Grade(*this, QStringLiteral("Grade"), {0, 1, 2, 3})
    , sumScore(*this, QStringLiteral("sumScore"), {0, 1, 2, 3})
    , Label2(*this, QStringLiteral("Label2"))
    , Label1(*this, QStringLiteral("Label1"))
    , ID(*this, QStringLiteral("ID"), {0, 1, 2, 3})
    , Tou(*this, QStringLiteral("Tou"), {0, 1, 2, 3})
    , Image1(*this, QStringLiteral("Image1"), {0, 1})
{
    SetBorderless(true);
    SetCaption(QStringLiteral("英雄榜"));
    Move(0, 0, 9825, 6810);
    SetPicture(Resources::DesignPicture(QStringLiteral("Hero")));
    Num.Move(120, 1110, 1815, 4740);
    DesignList(Num);
    const double gradeLeft[] = {2010, 3930, 5910, 7890}, gradeWidth[] = {1845, 1875, 1905, 1845},
                 gradeHeight[] = {4710, 4725, 4710, 4710};
    const double sumLeft[] = {2160, 4080, 6000, 8040}, idLeft[] = {2640, 4560, 6480, 8520},
                 touLeft[] = {2040, 3960, 5880, 7920};
    for (int i = 0; i <= 3; ++i) {
        Grade(i).Move(gradeLeft[i], 1110, gradeWidth[i], gradeHeight[i]);
        DesignList(Grade(i));
        sumScore(i).Move(sumLeft[i], 6120, 1695, 375);
        DesignLabel(sumScore(i), 0xFF, 12);
        sumScore(i).SetAlignment(Label::vbCenter);
        ID(i).Move(idLeft[i], 480, 570, 210);
        ID(i).SetCaption(QStringLiteral("玩家%1").arg(i));
        DesignLabel(ID(i), 0x80FFFF, 10.5);
        ID(i).SetAutoSize(true);
        Tou(i).SetStretch(true);
        Tou(i).Move(touLeft[i], 360, 615, 615);
    }
    Label2.Move(480, 6120, 1455, 375);
    Label2.SetCaption(QStringLiteral("输赢总分："));
    DesignLabel(Label2, 0xFF, 12);
    Label1.Move(240, 480, 1350, 210);
    Label1.SetCaption(QStringLiteral("点击查看明细"));
    DesignLabel(Label1, 0x80FFFF, 10.5);
    Label1.SetAutoSize(true);
    Image1(0).Move(9120, 120, 255, 255);
    Image1(1).Move(9420, 120, 315, 255);

    Image1.OnClick = [this](int16_t index) { Image1_Click(index); };
    Grade.OnDblClick = [this](int16_t index) { Grade_DblClick(index); };
    Num.OnDblClick = [this] { Num_DblClick(); };
    Grade.OnMouseDown = [this](int16_t i, int16_t b, int16_t s, float x, float y) { Grade_MouseDown(i, b, s, x, y); };
    Num.OnMouseDown = [this](int16_t b, int16_t s, float x, float y) { Num_MouseDown(b, s, x, y); };
    // The names, the avatars and the hint drag the window as its surface does.
    auto drag = [this](int16_t, int16_t, int16_t, float, float) { StartDrag(); };
    ID.OnMouseDown = drag;
    Tou.OnMouseDown = drag;
    Label1.OnMouseDown = [this](int16_t, int16_t, float, float) { StartDrag(); };
}

void Hero::Form_Load()
{
    SetWindowState(0);
    // Each result list shows its latest hand at the top.
    for (ListBox& list : Grade) {
        if (list.ListCount() > 0)
            list.SetTopIndex(list.ListCount() - 1);
    }
    CentreOverTable(*this);
}

void Hero::Form_MouseDown(int16_t, int16_t, float, float)
{
    StartDrag();
}

void Hero::Image1_Click(int16_t)
{
    Hide();
}

void Hero::ShowHandOfRow(int row)
{
    // The row shows its hand's number: the rows of the list and the saved
    // hands need not line up (a hand that was never settled, a new login).
    bool isNumber = false;
    const int hand = Num.List(row).trimmed().toInt(&isNumber);
    Operate::LoadRoundRecord(isNumber && hand > 0 && hand <= INT16_MAX ? static_cast<int16_t>(hand) : 0);
    Score& board = form<Score>();
    CentreOverTable(board);
    board.Show();
    board.ZOrder(0);
}

void Hero::Grade_DblClick(int16_t index)
{
    ShowHandOfRow(Grade(index).ListIndex());
}

void Hero::Num_DblClick()
{
    ShowHandOfRow(Num.ListIndex());
}

void Hero::Grade_MouseDown(int16_t index, int16_t, int16_t, float, float)
{
    const int row = Grade(index).ListIndex();
    for (int i = 0; i <= 3; ++i) {
        if (i != index)
            SelectRow(Grade(i), row);
    }
    SelectRow(Num, row);
}

void Hero::Num_MouseDown(int16_t, int16_t, float, float)
{
    for (ListBox& list : Grade)
        SelectRow(list, Num.ListIndex());
}

} // namespace mj
