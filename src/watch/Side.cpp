#include "watch/Side.h"

namespace mj::Side {

void DrawTiles(uint8_t, uint8_t, std::span<const int16_t>) {}
void ShowDiscard(uint8_t, int16_t) {}
void ShowOperation(int16_t, uint8_t, const VbArray<int16_t, 0, 2>&) {}

} // namespace mj::Side
