// The dialog raised when the table breaks up around the player: leave, or
// stay at the emptied table.
#pragma once

#include "platform/Forms.h"

namespace mj {

class frmOtherExit : public Form {
public:
    frmOtherExit();

    Label Label1; // the message, written by the dispatcher
    Image imgOK;
    Image imgCancel;

    void Form_Load() override;
    void imgOK_Click();
    void imgCancel_Click();
};

} // namespace mj
