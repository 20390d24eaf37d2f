// The rules page: the game's rules as one block of text, read whole from
// rule.ini beside the program (plain GBK text despite its name). It opens
// centred over the table and is dragged by its free area with the left
// button.
#pragma once

#include "platform/Forms.h"

namespace mj {

class rule : public Form {
public:
    rule();

    Label Label1; // the title "规则"
    Label Label2; // the rules text, wrapped to the label's width

    // The most of rule.ini that is read.
    static constexpr qint64 MaxTextBytes = 64 * 1024;

    void Form_Load() override;
    void Form_MouseDown(int16_t button, int16_t shift, float x, float y) override;
};

} // namespace mj
