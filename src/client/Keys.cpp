// Keyboard shortcuts and the boss key.
#include "client/MainForm.h"

namespace mj {

void MainForm::Form_KeyDown(int16_t&, int16_t) {}

} // namespace mj
