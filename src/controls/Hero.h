// The history of the hands at this table, with running totals.
#pragma once

#include "platform/Forms.h"

namespace mj {

class Hero : public Form {
public:
    Hero();

    ListBox Num;                   // hand numbers
    ControlArray<ListBox> Grade;   // results by side
    ControlArray<Label> sumScore;  // running totals by side
    ControlArray<Label> ID;        // names by side
    ControlArray<Image> Tou;       // avatars by side
};

} // namespace mj
