// Start-up: the table window's load event brings the whole client up.
#include "client/MainForm.h"

namespace mj {

void MainForm::Form_Load() {}

} // namespace mj
