#include "watch/Side.h"

namespace mj::Side {

void ShowOperation(int16_t, uint8_t, const VbArray<int16_t, 0, 2>&) {}

} // namespace mj::Side
