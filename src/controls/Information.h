// The player card. Its controls come with the subsystem that owns it.
#pragma once

#include "platform/Forms.h"

namespace mj {

class Information : public Form {
public:
    Information();
};

} // namespace mj
