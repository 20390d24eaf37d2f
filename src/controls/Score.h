// The score board: the settlement sheet of one hand, four seat columns and
// four final lines, with the players' names and avatars.
#pragma once

#include "platform/Forms.h"

namespace mj {

class Score : public Form {
public:
    Score();

    ControlArray<ListBox> State; // 0..3 the columns, 4..7 the final lines, by side
    ControlArray<Image> Tou;     // avatars by side
    ControlArray<Label> ID;      // names by side
};

} // namespace mj
