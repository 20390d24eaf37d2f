#include "social/rule.h"

#include "client/MainForm.h"
#include "client/frmExit.h"
#include "platform/Gbk.h"
#include "platform/Program.h"
#include "platform/Resources.h"

#include <QFile>

namespace mj {

namespace {

// Runs one step; a step that fails is passed over and the next one runs.
template <class Step>
void step(Step s)
{
    try {
        s();
    } catch (const RuntimeError&) {
    }
}

} // namespace

rule::rule()
    : Form(QStringLiteral("rule"))
    , Label1(*this, QStringLiteral("Label1"))
    , Label2(*this, QStringLiteral("Label2"))
{
    SetBorderless(true);
    SetCaption(QStringLiteral("规则"));
    Move(0, 0, 5025, 7995);
    SetPicture(Resources::DesignPicture(QStringLiteral("rule")));
    DesignDialogLabel(Label1, 240, 480, 4575, 255, QString(), 14.25, false);
    Label1.SetAlignment(Label::vbCenter);
    DesignDialogLabel(Label2, 240, 840, 4530, 6900, QString(), 9, false);
    Label2.SetWordWrap(true);
}

void rule::Form_Load()
{
    // Opaque, as every small window is on this system.
    step([this] { SetWindowState(0); });
    step([this] {
        const MainForm& table = form<MainForm>();
        SetTop((table.Height() - Height()) / 2 + table.Top());
        SetLeft((table.Width() - Width()) / 2 + table.Left());
    });
    Label1.SetCaption(QStringLiteral("规则"));
    const QString path = ProgramFolder() + QStringLiteral("/rule.ini");
    bool present = false;
    step([&] { present = form<MainForm>().Is_File_Exist(path, QStringLiteral("rule.ini")); });
    if (!present)
        return;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    Label2.SetCaption(Gbk::Decode(file.read(MaxTextBytes)));
}

void rule::Form_MouseDown(int16_t button, int16_t, float, float)
{
    if (button == 1)
        StartDrag();
}

} // namespace mj
