// The player card: nine labelled values of one player, shown beside a seat
// while the pointer rests on it.
#pragma once

#include "platform/Forms.h"

#include "client/Data.h"

namespace mj {

class Information : public Form {
public:
    Information();

    Label Label1, Label2, Label3, Label4, Label5, Label6, Label7, Label8, Label9;
    ControlArray<Label> Inf; // the value beside Label(index + 1)

    void Form_Load() override;
    // Fills the nine values with the player's and shows the card; amounts
    // as plain digits, however large.
    void ShowPlayer(const PlayerInfo& p);
};

} // namespace mj
