// The sound and video settings. Its controls come with the subsystem that owns it.
#pragma once

#include "platform/Forms.h"

namespace mj {

class VosSet : public Form {
public:
    VosSet();
};

} // namespace mj
