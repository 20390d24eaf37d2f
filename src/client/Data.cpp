#include "client/Data.h"

namespace mj {

void ResetSharedState()
{
}

} // namespace mj
