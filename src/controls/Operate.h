// Round results of the player controls.
#pragma once

namespace mj::Operate {

// Shows the settlement screen of the hand and starts the next-hand countdown.
void ShowRoundResult();

} // namespace mj::Operate
