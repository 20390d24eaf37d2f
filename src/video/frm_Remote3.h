// The pop-out video window of side 3. Its controls come with the subsystem that owns it.
#pragma once

#include "platform/Forms.h"

namespace mj {

class frm_Remote3 : public Form {
public:
    frm_Remote3();
};

} // namespace mj
