// What the three small windows over the table (score board, history, player
// card) share.
#pragma once

#include "platform/Forms.h"

namespace mj {

// Puts the window in the middle of the table picture of the table window;
// without a table window it stays where it is.
void CentreOverTable(Form& window);

} // namespace mj
