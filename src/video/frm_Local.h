// The pop-out video window of the own camera.
#pragma once

#include "video/VideoWindow.h"

namespace mj {

class frm_Local : public VideoWindow {
public:
    frm_Local();
};

} // namespace mj
