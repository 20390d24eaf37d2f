// The table window's event procedures that belong to chat and props.
#include "client/MainForm.h"

namespace mj {

// The private-chat target comes with the chat line.
void MainForm::Tou_Click(int16_t&) {}

} // namespace mj
