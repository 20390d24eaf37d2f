// The onlooker's hand rows: where slot s of a side's concealed run stands.
#pragma once

#include <cstdint>

namespace mj::Side {

// Puts MJ_Image(image) at slot s of the side's hand row as a standing back at
// the side's hand size: the left row runs down the screen with every new
// tile in front, the right row up the screen with every new tile behind, the
// opposite row to the left and the watched row to the right. `apart` moves a
// watched tile half a tile to the right.
void PlaceInHandRow(int16_t side, int s, int16_t image, bool apart);

} // namespace mj::Side
