// Branches that the dispatcher routes to and that are not built yet: each
// does nothing for now. The seated table's drawing and the later branches
// fill them in.
#include "dispatch/Total.h"

namespace mj::Total {

void HandleMemberLeft(MsgHeader&) {}
void HandleServerNotice(MsgHeader&) {}
void HandleTableSnapshot(MsgHeader&) {}
void HandleOwnCoins(MsgHeader&) {}
void HandleOtherCoins(MsgHeader&) {}
void HandlePlayersGone(MsgHeader&) {}

} // namespace mj::Total
