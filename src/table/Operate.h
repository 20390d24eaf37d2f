// Sorting a seat's concealed tiles.
#pragma once

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

} // namespace mj::Operate
