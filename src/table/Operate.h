// Sorting a seat's concealed tiles.
#pragma once

#include "platform/Runtime.h"

#include <cstdint>

namespace mj::Operate {

// Sorts the `count` slots of custom(side) from its FirstConcealed into display
// order and repaints them. Dots come first, then characters, bamboo and the
// honours; within a suit the ranks ascend. Only the tile codes move: every
// slot keeps its state and its image, so each image stays where it stands and
// only the tile it shows changes. Side 0 shows the own standing hand (view 4);
// once the wild tile is known, only its slots whose tile changed are
// repainted. The other sides show their face-up view. A code that names no
// tile is drawn face down. A run reaching past slot 20 is sorted up to slot 20.
void SortHand(uint8_t side, int16_t count);

// The hands shown at the end of a hand. Each call carries up to four tiles
// of one seat (values(3) first); the other seats' tiles are recorded into
// their concealed slots while their counts (sum) go down to 0. The call that
// completes all three hands shows them: each sorted and face up at its
// end-of-hand size, a self-drawn winning tile kept last, the discard a winner
// took laid at the end of its row, and the own hand face up where it stands
// (an onlooker's hand sorted and resized). A call about the own seat only
// sets the working tile sizes; a seat mask whose low four bits name no one
// seat changes nothing. Nothing is recorded past slot 20, and a placement
// whose tile image is missing is skipped.
void RevealHands(int16_t seatMask, const VbArray<int16_t, 0, 3>& values);

} // namespace mj::Operate
