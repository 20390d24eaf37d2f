// The quick-phrase window: ready-made chat lines from chat.ini beside the
// program, text phrases in List1 and voiced phrases in List2, one list shown
// at a time over the same spot. A double click sends the phrase as a chat
// line; a voiced phrase carries its number, so that every client of the
// table plays it in the sender's voice.
#pragma once

#include "platform/Forms.h"

namespace mj {

class huifu : public Form {
public:
    huifu();

    Label Label1;  // title strip; a click hides the window
    ListBox List1; // text phrases
    ListBox List2; // voiced phrases; phrase n goes with the voice suffix "a" & n

    // chat.ini's num is taken between these bounds.
    static constexpr int MaxPhrases = 200;

    void Form_Load() override;
    void Label1_Click();
    void List1_DblClick();
    void List2_DblClick();
};

// Shows the phrase window with `list` (huifu.List1 or List2), switches a
// shown window to it, or hides the window when it already shows it. The
// chat window goes away either way.
void ToggleQuickPhrases(ListBox huifu::*list);

} // namespace mj
