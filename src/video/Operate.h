// Video chat operations used by the table.
#pragma once

#include <cstdint>

namespace mj::Operate {

// Shows or hides the own video picture over the own avatar.
void ShowLocalVideo(int16_t& cameraOn, int16_t& hide);

} // namespace mj::Operate
