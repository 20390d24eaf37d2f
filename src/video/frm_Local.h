// The pop-out window of the own video. Its controls come with the subsystem that owns it.
#pragma once

#include "platform/Forms.h"

namespace mj {

class frm_Local : public Form {
public:
    frm_Local();
};

} // namespace mj
