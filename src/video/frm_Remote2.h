// The pop-out video window of side 2. Its controls come with the subsystem that owns it.
#pragma once

#include "platform/Forms.h"

namespace mj {

class frm_Remote2 : public Form {
public:
    frm_Remote2();
};

} // namespace mj
