// The table window's event procedures that belong to the player controls.
#include "client/MainForm.h"

namespace mj {

// The player card comes with the player controls.
void MainForm::Tou_MouseMove(int16_t, int16_t, int16_t, float, float) {}

} // namespace mj
