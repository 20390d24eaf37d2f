// The red dragons and wild tiles a side sets aside beside its hand row. The
// seated table and the onlooker's table place them, and the onlooker's
// table snapshot stacks them, by the same rules.
#pragma once

#include <cstdint>

namespace mj::Operate {

// Tile image `image` set aside by `side` as the k-th (0..3) red dragon
// (`red`) or wild tile of that side: moved beside the hand row, each of a
// kind 18 x ScaleY higher than the one before, given the face of `code` in
// the side's view, and sent to the back (side 1) or brought to the front
// (side 3); sides 0 and 2 keep their drawing order. The tile's size is the
// caller's; TileH of sides 1 and 3 and TileW of side 2 are read at the meld
// size. Recording the image and counting it are the caller's.
void LaySetAside(int16_t side, int16_t image, int16_t code, bool red, int k);

// Once side 1's or side 3's hand row has been re-stacked, the tiles it set
// aside lie over the row again. Left: the image in Slots(1) goes to the
// back, each wild tile after the first comes in front of the one below it,
// and when a red dragon was set aside (an image in Slots(0)) the red
// dragons go to the back, those above the wild tiles' height then to the
// front. Right: every wild tile, then every red dragon, comes to the front.
// Other sides: nothing.
void RestackSetAside(int16_t side);

} // namespace mj::Operate
