// The exit dialog: "您真的要退出吗？" with OK and Cancel.
#pragma once

#include "platform/Forms.h"

namespace mj {

class frmExit : public Form {
public:
    frmExit();

    Label Label2; // the warning while a hand runs
    Label Label1;
    Image pbCloseMe;
    Image pbCancel;

    void Form_Load() override;
    void pbCloseMe_Click();
    void pbCancel_Click();
};

// A label of a small dialog: light yellow 宋体 on the dialog's picture.
void DesignDialogLabel(Label& label, double left, double top, double width, double height, const QString& caption,
                       double points, bool bold);
// Centres the exit dialog over the table window, shows the warning only
// while a hand runs outside watch mode, and shows it (not modal).
void ShowExitDialog();
// The toolbar's and Esc's toggle: hides a visible exit dialog, else shows it.
void ToggleExitDialog();

} // namespace mj
