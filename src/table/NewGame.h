// Table layout and round set-up.
#pragma once

namespace mj::NewGame {

void InitTableLayout();
void InitTableLayoutAndCamera();
void ResetTableForRound();
void ResetRoundData();
void ResetRoundDataCopy();
void ClearTableAndPlaceWalls();

} // namespace mj::NewGame
