// The floating chat window: the chat history list Text1 under a title strip.
#pragma once

#include "platform/Forms.h"

namespace mj {

class Talk : public Form {
public:
    Talk();

    Label Label1;  // title strip
    ListBox Text1; // the chat history, one entry per display line
};

} // namespace mj
