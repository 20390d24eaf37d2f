// The score sheet of a hand.
#pragma once

#include "platform/Forms.h"

namespace mj {

class Score : public Form {
public:
    Score();
};

} // namespace mj
