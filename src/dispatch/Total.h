// The server message dispatcher: one branch per server code.
#pragma once

#include "client/Data.h"

namespace mj::Total {

// A member leaving resets the plug-in when a round has started since.
inline bool PluginResetPending = false;

// Handles the frame in Msg, whose header is `header` (info). Takes the
// session token from every frame but the reconnect answer first. A run-time
// error inside restores the hall window and ends the program.
void HandleServerMessage(MsgHeader& header);

// The login answer (code 18) and the reconnect answer (code 29).
void HandleLoginResult(MsgHeader& header);
void HandleReconnectResult(MsgHeader& header);

} // namespace mj::Total
