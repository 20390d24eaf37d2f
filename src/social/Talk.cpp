#include "social/Talk.h"

#include "client/Data.h"
#include "client/MainForm.h"
#include "client/frmExit.h"
#include "platform/Resources.h"

#include <QAbstractItemModel>
#include <QListWidget>

namespace mj {

namespace {
constexpr int16_t KeyAlt = 18, KeyC = 67;
} // namespace

Talk::Talk()
    : Form(QStringLiteral("Talk"))
    , Label1(*this, QStringLiteral("Label1"))
    , Text1(*this, QStringLiteral("Text1"))
{
    SetBorderless(true);
    SetCaption(QStringLiteral("聊天"));
    Move(0, 0, 4800, 2700);
    SetPicture(Resources::DesignPicture(QStringLiteral("Talk")));
    Label1.Move(120, 0, 4575, 255);
    Label1.SetBackStyle(Label::vbTransparent);
    Label1.SetMouseIcon(Resources::DesignPicture(QStringLiteral("MainForm.MouseIcon")));
    Label1.SetMousePointer(vbCustom);
    Text1.Move(120, 240, 4575, 2370);

    Label1.OnClick = [this] { Label1_Click(); };
    Text1.OnKeyDown = [this](int16_t& keyCode, int16_t shift) { Text1_KeyDown(keyCode, shift); };

    // The bound on the history: after every append the oldest lines go.
    if (auto* list = qobject_cast<QListWidget*>(Text1.Widget())) {
        QObject::connect(list->model(), &QAbstractItemModel::rowsInserted, list, [list] {
            while (list->count() > HistoryLimit)
                delete list->takeItem(0);
        });
    }
}

void Talk::Form_Load()
{
    // The first place, before anything shows it: a share of the table
    // window's size, counted from the screen's corner.
    if (isLoaded<MainForm>()) {
        const MainForm& table = form<MainForm>();
        SetTop(0.66 * table.Height());
        SetLeft(0.3 * table.Width());
    }
}

void Talk::Label1_Click()
{
    Hide();
}

void Talk::Text1_KeyDown(int16_t& keyCode, int16_t)
{
    if (keyCode == KeyAlt)
        AltKeyFlags[0] = 1;
    else if (keyCode == KeyC)
        AltKeyFlags[1] = 1;
    else
        AltKeyFlags[0] = AltKeyFlags[1] = 0;
    if (AltKeyFlags[0] == 1 && AltKeyFlags[1] == 1) {
        AltKeyFlags[0] = AltKeyFlags[1] = 0;
        Hide();
    }
}

void ChatPopupPlacement(Form& window)
{
    const MainForm& table = form<MainForm>();
    const double left = table.Left() + table.Pic1.Left();
    const double top = table.Top() + table.Pic1.Top();
    if (ScaleX < 1) {
        window.SetTop(top + 0.6 * table.Height());
        window.SetLeft(left + 0.22 * table.Width());
    } else {
        window.SetTop(top + 0.66 * table.Pic1.Height());
        window.SetLeft(left + 0.3 * table.Pic1.Width());
    }
}

} // namespace mj
