// The quick-phrase window. Its controls come with the subsystem that owns it.
#pragma once

#include "platform/Forms.h"

namespace mj {

class huifu : public Form {
public:
    huifu();
};

} // namespace mj
