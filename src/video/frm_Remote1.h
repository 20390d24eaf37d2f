// The pop-out video window of side 1. Its controls come with the subsystem that owns it.
#pragma once

#include "platform/Forms.h"

namespace mj {

class frm_Remote1 : public Form {
public:
    frm_Remote1();
};

} // namespace mj
