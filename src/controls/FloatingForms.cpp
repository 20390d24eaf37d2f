#include "controls/FloatingForms.h"

#include "client/MainForm.h"

namespace mj {

void CentreOverTable(Form& window)
{
    // A window touched while the table window is away (taken down on the
    // way back to the hall) stays where it is rather than bring it back.
    if (!isLoaded<MainForm>())
        return;
    MainForm& table = form<MainForm>();
    window.SetTop(table.Top() + table.Pic1.Top() + (table.Pic1.Height() - window.Height()) / 2);
    window.SetLeft(table.Left() + table.Pic1.Left() + (table.Pic1.Width() - window.Width()) / 2);
}

} // namespace mj
