#include "controls/Score.h"

#include "client/frmExit.h"
#include "controls/FloatingForms.h"
#include "platform/Resources.h"

namespace mj {

Score::Score()
    : Form(QStringLiteral("Score"))
    , State(*this, QStringLiteral("State"), {0, 1, 2, 3, 4, 5, 6, 7})
    , Tou(*this, QStringLiteral("Tou"), {0, 1, 2, 3})
    , ID(*this, QStringLiteral("ID"), {0, 1, 2, 3})
    , Image1(*this, QStringLiteral("Image1"), {0, 1})
{
    SetBorderless(true);
    SetCaption(QStringLiteral("战绩板"));
    Move(0, 0, 9600, 7200);
    SetPicture(Resources::DesignPicture(QStringLiteral("Score")));
    const double columnLeft[] = {90, 2430, 4830, 7260}, columnWidth[] = {2265, 2325, 2325, 2235};
    const double lineLeft[] = {120, 2460, 4890, 7290}, lineWidth[] = {2205, 2265, 2235, 2205};
    const double touLeft[] = {120, 2520, 4920, 7320}, idLeft[] = {840, 3240, 5640, 8040};
    for (int i = 0; i <= 3; ++i) {
        State(i).Move(columnLeft[i], 1260, columnWidth[i], 4920);
        State(i + 4).Move(lineLeft[i], 6330, lineWidth[i], 750);
        State(i + 4).SetForeColor(0xFF);
        Tou(i).SetStretch(true);
        Tou(i).Move(touLeft[i], 480, 675, 615);
        ID(i).Move(idLeft[i], 600, 570, 210);
        ID(i).SetCaption(QStringLiteral("玩家%1").arg(i));
        ID(i).SetForeColor(0x80FFFF);
        ID(i).SetBackStyle(Label::vbTransparent);
        ID(i).SetFontName(QStringLiteral("宋体"));
        ID(i).SetFontSize(10.5);
        ID(i).SetFontBold(true);
        ID(i).SetAutoSize(true);
    }
    for (ListBox& list : State) {
        list.SetBackColor(0x80C0FF);
        list.SetFontName(QStringLiteral("宋体"));
        list.SetFontSize(9);
        list.SetFontBold(true);
    }
    Image1(0).Move(8970, 120, 285, 345);
    Image1(1).Move(9270, 120, 345, 315);
    for (Image& button : Image1) {
        button.SetMouseIcon(Resources::DesignPicture(QStringLiteral("MainForm.MouseIcon")));
        button.SetMousePointer(vbCustom);
    }
    Image1.OnClick = [this](int16_t index) { Image1_Click(index); };
}

void Score::Form_Load()
{
    CentreOverTable(*this);
}

void Score::Form_MouseDown(int16_t, int16_t, float, float)
{
    StartDrag();
}

void Score::Image1_Click(int16_t)
{
    Hide();
}

} // namespace mj
