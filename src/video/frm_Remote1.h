// The pop-out video window of side 1. The window's layout places its controls.
#pragma once

#include "platform/Forms.h"
#include "platform/Video.h"

namespace mj {

class frm_Remote1 : public Form {
public:
    frm_Remote1();

    vshow vshow1; // its video surface; the window's layout places it
};

} // namespace mj
