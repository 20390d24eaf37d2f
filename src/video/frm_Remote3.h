// The pop-out video window of side 3.
#pragma once

#include "video/VideoWindow.h"

namespace mj {

class frm_Remote3 : public VideoWindow {
public:
    frm_Remote3();
};

} // namespace mj
