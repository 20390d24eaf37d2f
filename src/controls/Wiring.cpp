// Connects the player controls of the table window to their event procedures.
#include "client/MainForm.h"

namespace mj {

void MainForm::WirePlayerControls()
{
    AnNiu.OnClick = [this](int16_t i) { AnNiu_Click(i); };
    AnNiu.OnMouseMove = [this](int16_t i, int16_t b, int16_t s, float x, float y) { AnNiu_MouseMove(i, b, s, x, y); };
    TimerShuffle.OnTimer = [this] { TimerShuffle_Timer(); };
    MJ_Image.OnMouseMove = [this](int16_t i, int16_t b, int16_t s, float x, float y) {
        MJ_Image_MouseMove(i, b, s, x, y);
    };
    MJ_Image.OnMouseDown = [this](int16_t i, int16_t b, int16_t s, float x, float y) {
        MJ_Image_MouseDown(i, b, s, x, y);
    };
    Operation.OnClick = [this](int16_t i) { Operation_Click(i); };
    Chi.OnClick = [this](int16_t i) { Chi_Click(i); };
    Gang.OnClick = [this](int16_t i) { Gang_Click(i); };
    Pic1.OnMouseUp = [this](int16_t b, int16_t s, float x, float y) { Pic1_MouseUp(b, s, x, y); };
    Pic2.OnMouseUp = [this](int16_t b, int16_t s, float x, float y) { Pic2_MouseUp(b, s, x, y); };
    Pic1.OnClick = [this] { Pic1_Click(); };
    Pic2.OnClick = [this] { Pic2_Click(); };
}

} // namespace mj
