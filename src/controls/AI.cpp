#include "controls/AI.h"

namespace mj::AI {

// The automatic play fills these in.
void AutoPlayTurn() {}
void TimeoutPlay() {}

} // namespace mj::AI
