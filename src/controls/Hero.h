// The history of the hands at this table, with running totals. A double
// click on a hand shows its sheet on the score board.
#pragma once

#include "platform/Forms.h"

namespace mj {

class Hero : public Form {
public:
    Hero();

    ListBox Num;                   // hand numbers
    ControlArray<ListBox> Grade;   // results by side
    ControlArray<Label> sumScore;  // running totals by side
    Label Label2;                  // heading of the totals
    Label Label1;                  // the hint
    ControlArray<Label> ID;        // names by side
    ControlArray<Image> Tou;       // avatars by side
    ControlArray<Image> Image1;    // the close buttons of the background

    void Form_Load() override;
    void Form_MouseDown(int16_t button, int16_t shift, float x, float y) override;
    void Image1_Click(int16_t index);
    void Grade_DblClick(int16_t index);
    void Num_DblClick();
    void Grade_MouseDown(int16_t index, int16_t button, int16_t shift, float x, float y);
    void Num_MouseDown(int16_t button, int16_t shift, float x, float y);

private:
    // Shows the hand of a history row on the score board.
    void ShowHandOfRow(int row);
};

} // namespace mj
