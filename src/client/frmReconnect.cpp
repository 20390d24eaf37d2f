#include "client/frmReconnect.h"

namespace mj {

// The reconnection attempts come with the reconnection form's timers.
frmReconnect::frmReconnect() : Form(QStringLiteral("frmReconnect")) {}

} // namespace mj
