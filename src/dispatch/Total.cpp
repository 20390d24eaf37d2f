#include "dispatch/Total.h"

#include "client/Total.h"

namespace mj::Total {

void HandleServerMessage(MsgHeader& header)
{
    if (header.Code != MsgReconnectResult) {
        SessionToken[0] = Msg[260];
        SessionToken[1] = Msg[261];
    }
    // The branches per code come with the dispatcher.
}

} // namespace mj::Total
