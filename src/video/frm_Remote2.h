// The pop-out video window of side 2. The window's layout places its controls.
#pragma once

#include "platform/Forms.h"
#include "platform/Video.h"

namespace mj {

class frm_Remote2 : public Form {
public:
    frm_Remote2();

    vshow vshow1; // its video surface; the window's layout places it
};

} // namespace mj
