// Round results of the player controls.
#pragma once

#include <QString>

#include <cstdint>

namespace mj::Operate {

// Shows the settlement screen of the hand and starts the next-hand countdown.
void ShowRoundResult();

// The hand history file, info.qv beside the program: one section per
// settled hand, "juNum:" & the hand number.
QString RoundRecordPath();
// Writes the score board as it stands, with the seats' names and avatars,
// as the section of that hand. Keys that cannot be written are left out.
void SaveRoundRecord(int16_t round);
// Puts the section of that hand back on the score board; hand 0 loads
// nothing. What is missing or unreadable leaves the board as it was.
void LoadRoundRecord(int16_t round);

} // namespace mj::Operate
