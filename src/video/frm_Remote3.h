// The pop-out video window of side 3. The window's layout places its controls.
#pragma once

#include "platform/Forms.h"
#include "platform/Video.h"

namespace mj {

class frm_Remote3 : public Form {
public:
    frm_Remote3();

    vshow vshow1; // its video surface; the window's layout places it
};

} // namespace mj
