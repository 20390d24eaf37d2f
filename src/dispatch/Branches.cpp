// Branches that the dispatcher routes to and that are not built yet: each
// does nothing for now. The seated table's drawing and the later branches
// fill them in.
#include "dispatch/Total.h"

namespace mj::Total {

void HandleTableSnapshot(MsgHeader&) {}

} // namespace mj::Total
