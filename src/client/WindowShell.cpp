// The window shell: the painted skin, the title-bar buttons, dragging,
// minimise and restore, and the ordered unload.
#include "client/MainForm.h"

namespace mj {

void MainForm::Form_Unload(int16_t&) {}
void MainForm::Form_Resize() {}
void MainForm::Form_MouseMove(int16_t, int16_t, float, float) {}

} // namespace mj
