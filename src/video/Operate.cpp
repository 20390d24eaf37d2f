#include "video/Operate.h"

namespace mj::Operate {

// Video chat fills this in.
void ShowLocalVideo(int16_t&, int16_t&) {}

} // namespace mj::Operate
