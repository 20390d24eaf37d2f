// The pop-out window of the own video. The window's layout places its controls.
#pragma once

#include "platform/Forms.h"
#include "platform/Video.h"

namespace mj {

class frm_Local : public Form {
public:
    frm_Local();

    vshow vshow1; // its video surface; the window's layout places it
};

} // namespace mj
