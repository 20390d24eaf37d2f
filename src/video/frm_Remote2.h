// The pop-out video window of side 2.
#pragma once

#include "video/VideoWindow.h"

namespace mj {

class frm_Remote2 : public VideoWindow {
public:
    frm_Remote2();
};

} // namespace mj
