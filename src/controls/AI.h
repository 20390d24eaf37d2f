// The automatic player: a hand evaluation that scores the own concealed
// hand suit by suit, the decisions built on it (which tile to discard,
// whether to chi, peng or gang), and the play of the own turn when the turn
// clock runs out.
#pragma once

#include "platform/Runtime.h"

#include <cstdint>

namespace mj::AI {

// Working tables of the evaluation, by SuitIndex (0 honours, 1 bamboo,
// 2 characters, 3 dots) and rank. HandCount counts the own concealed tiles
// (the evaluation and the claim decision take tiles out of it, so it is
// rebuilt before every evaluation); MeldTiles counts the tiles one
// evaluation took into melds; RankWeight is a pass's weight per rank.
inline VbArray2<int16_t, 0, 3, 1, 9> HandCount;
inline VbArray2<int16_t, 0, 3, 1, 9> MeldTiles;
inline VbArray2<int16_t, 0, 3, 1, 9> RankWeight;

// Fills HandCount from the own concealed run (each slot's code cut to its
// low byte) and clears MeldTiles. Codes outside the four suits or ranks 1..9
// are not counted.
void CountHandTiles();
// The score of the suit of `tile` in HandCount: 1000 per meld taken out
// greedily (modes 0 to 3), the tiles left over scored by isolation, nearness
// to the middle, a pair of 2, 5 or 8, copies already seen and the melds
// beside them. Mode 1 leaves one copy of `tile` out; mode 4 gives nothing
// for melds.
int16_t EvaluateSuit(int16_t mode, uint8_t tile);
// The tile the evaluation would discard: the concealed tile whose removal
// leaves the best hand, the earlier slot on a tie. Tiles outside the four
// suits or ranks 1..9 are no candidates; with none, the last concealed tile.
int16_t ChooseDiscard();
// Whether a chi (kind 1) or a peng (any other kind) on `tile` gains more than
// 150. Sets ClaimChoiceA and ClaimChoiceB: the slots of the chi's pair, or
// the peng's tile code. A peng without a pair of the tile in the hand, or a
// tile outside the four suits or ranks 1..9, is never claimed.
bool DecideClaim(int16_t kind, uint8_t tile);
// Whether the hand as it stands, without credit for melds, costs little
// enough (-99 or more) to take an offered gang.
bool DecideGang();

// Plays the own turn as the automatic player chooses (auto mode): hu when
// offered, else a gang, peng or chi the evaluation favours, else the pass;
// then, on the own discard turn with nothing claimed, the discard it chooses.
void AutoPlayTurn();
// A plain time-out: passes the offer and, on the own discard turn, discards
// the tile in the last concealed slot.
void TimeoutPlay();

} // namespace mj::AI
