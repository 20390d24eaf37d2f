#include "controls/Information.h"

#include "client/frmExit.h"
#include "platform/Resources.h"

namespace mj {

Information::Information()
    : Form(QStringLiteral("Information"))
    , Label1(*this, QStringLiteral("Label1"))
    , Label2(*this, QStringLiteral("Label2"))
    , Label3(*this, QStringLiteral("Label3"))
    , Label4(*this, QStringLiteral("Label4"))
    , Label5(*this, QStringLiteral("Label5"))
    , Label6(*this, QStringLiteral("Label6"))
    , Label7(*this, QStringLiteral("Label7"))
    , Label8(*this, QStringLiteral("Label8"))
    , Label9(*this, QStringLiteral("Label9"))
    , Inf(*this, QStringLiteral("Inf"), {0, 1, 2, 3, 4, 5, 6, 7, 8})
{
    SetBorderless(true);
    SetCaption(QStringLiteral("Form1"));
    Move(0, 0, 3300, 4950);
    SetBackColor(0x808000);
    SetPicture(Resources::DesignPicture(QStringLiteral("Information")));
    Label* labels[] = {&Label1, &Label2, &Label3, &Label4, &Label5, &Label6, &Label7, &Label8, &Label9};
    const QString captions[] = {
        QStringLiteral("玩家昵称"), QStringLiteral("性    别"), QStringLiteral("所 在 地"),
        QStringLiteral("积    分"), QStringLiteral("信 用 度"), QStringLiteral("登录次数"),
        QStringLiteral("掉线次数"), QStringLiteral("胜场次数"), QStringLiteral("败场次数"),
    };
    for (int i = 0; i <= 8; ++i) {
        DesignDialogLabel(*labels[i], 345, 600 + 480 * i, 1260, 285, captions[i], 14.25, true);
        Inf(i).Move(1920, 600 + 480 * i, 1020, 225);
        Inf(i).SetFontName(QStringLiteral("宋体"));
        Inf(i).SetFontBold(true);
    }
}

void Information::Form_Load()
{
    for (Label& value : Inf) {
        value.SetAutoSize(true);
        value.SetFontSize(12);
        value.SetBackStyle(Label::vbTransparent);
    }
}

void Information::ShowPlayer(const PlayerInfo& p)
{
    const QString values[] = {
        p.Name,
        p.Sex == 0 ? QStringLiteral("女") : QStringLiteral("男"),
        p.Location,
        QString::number(p.Points, 'f', 0),
        QString::number(p.Credit, 'f', 0),
        QString::number(p.Logins),
        QString::number(p.Drops),
        QString::number(p.Wins),
        QString::number(p.Losses),
    };
    for (int i = 0; i <= 8; ++i)
        Inf(i).SetCaption(values[i]);
    Show();
}

} // namespace mj
