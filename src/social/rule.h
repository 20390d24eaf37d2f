// The rules page. Its controls come with the subsystem that owns it.
#pragma once

#include "platform/Forms.h"

namespace mj {

class rule : public Form {
public:
    rule();
};

} // namespace mj
