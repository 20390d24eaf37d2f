// Automatic play on a turn time-out.
#pragma once

namespace mj::AI {

// Plays the own turn as the automatic player chooses (auto-play).
void AutoPlayTurn();
// A plain time-out: passes the offer and discards the last drawn tile.
void TimeoutPlay();

} // namespace mj::AI
