// The pop-out video window of side 1.
#pragma once

#include "video/VideoWindow.h"

namespace mj {

class frm_Remote1 : public VideoWindow {
public:
    frm_Remote1();
};

} // namespace mj
