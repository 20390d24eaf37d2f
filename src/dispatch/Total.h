// The server message dispatcher: one branch per server code.
#pragma once

#include "client/Data.h"

namespace mj::Total {

// Handles the frame in Msg, whose header is `header` (info). Takes the
// session token from every frame but the reconnect answer first.
void HandleServerMessage(MsgHeader& header);

} // namespace mj::Total
