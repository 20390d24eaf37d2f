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
    ControlArray<Image> Image1;  // the close buttons of the background

    void Form_Load() override;
    void Form_MouseDown(int16_t button, int16_t shift, float x, float y) override;
    void Image1_Click(int16_t index);
};

} // namespace mj
