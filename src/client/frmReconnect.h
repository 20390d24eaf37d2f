// The reconnection form: never shown; loading it starts the silent
// reconnection attempts.
#pragma once

#include "platform/Forms.h"

namespace mj {

class frmReconnect : public Form {
public:
    frmReconnect();
};

} // namespace mj
