// The floating chat window: the chat history list Text1 under a title strip.
// Loaded on first use, then only hidden and shown, so the history lasts for
// the run. Its list keeps the newest HistoryLimit display lines, whoever
// appends them (incoming chat, the flood notice, the plug-in's notices).
#pragma once

#include "platform/Forms.h"

namespace mj {

class Talk : public Form {
public:
    Talk();

    Label Label1;  // title strip; a click hides the window
    ListBox Text1; // the chat history, one entry per display line

    static constexpr int HistoryLimit = 500;

    void Form_Load() override;
    void Label1_Click();
    // The Alt-then-C pair typed in the list closes the window.
    void Text1_KeyDown(int16_t& keyCode, int16_t shift);
};

// Where the chat window and the phrase window open: over the lower part of
// the table, lower and further left on the scaled-down table.
void ChatPopupPlacement(Form& window);

} // namespace mj
