#include "controls/Hero.h"

namespace mj {

Hero::Hero()
    : Form(QStringLiteral("Hero"))
    , Num(*this, QStringLiteral("Num"))
    , Grade(*this, QStringLiteral("Grade"), {0, 1, 2, 3})
    , sumScore(*this, QStringLiteral("sumScore"), {0, 1, 2, 3})
    , ID(*this, QStringLiteral("ID"), {0, 1, 2, 3})
    , Tou(*this, QStringLiteral("Tou"), {0, 1, 2, 3})
{
    SetBorderless(true);
    SetCaption(QStringLiteral("英雄榜"));
    Move(0, 0, 9825, 6810);
    Num.Move(120, 1110, 1815, 4740);
    const double gradeLeft[] = {2010, 3930, 5910, 7890}, gradeWidth[] = {1845, 1875, 1905, 1845},
                 gradeHeight[] = {4710, 4725, 4710, 4710};
    const double sumLeft[] = {2160, 4080, 6000, 8040}, idLeft[] = {2640, 4560, 6480, 8520},
                 touLeft[] = {2040, 3960, 5880, 7920};
    for (int i = 0; i <= 3; ++i) {
        Grade(i).Move(gradeLeft[i], 1110, gradeWidth[i], gradeHeight[i]);
        sumScore(i).Move(sumLeft[i], 6120, 1695, 375);
        sumScore(i).SetForeColor(0xFF);
        sumScore(i).SetAlignment(Label::vbCenter);
        sumScore(i).SetBackStyle(Label::vbTransparent);
        ID(i).Move(idLeft[i], 480, 570, 210);
        ID(i).SetCaption(QStringLiteral("玩家%1").arg(i));
        ID(i).SetForeColor(0x80FFFF);
        ID(i).SetBackStyle(Label::vbTransparent);
        Tou(i).SetStretch(true);
        Tou(i).Move(touLeft[i], 360, 615, 615);
    }
}

} // namespace mj
