#include "controls/Operate.h"

namespace mj::Operate {

// The settlement screen fills this in.
void ShowRoundResult() {}

} // namespace mj::Operate
