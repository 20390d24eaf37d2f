#include "table/NewGame.h"

namespace mj::NewGame {

// The table layout and the round set-up fill these in.
void InitTableLayout() {}
void InitTableLayoutAndCamera() {}
void ResetTableForRound() {}
void ResetRoundData() {}
void ResetRoundDataCopy() {}
void ClearTableAndPlaceWalls() {}

} // namespace mj::NewGame
