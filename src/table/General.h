// The table's tile pictures and its centre: one tile picture into one tile
// image, the picture of a tile code in a view, and the middle of the table
// as it is drawn.
#pragma once

#include <QPointF>

#include <cstdint>

namespace mj::General {

// Shows entry `pictureIndex` of TilePicture in MJ_Image(imageIndex): given
// the picture and shown. Place and size stay; the tile images stretch their
// picture to their own size. An image outside 0..135 or a picture outside
// 0..181 does nothing.
void ShowTileImage(int16_t imageIndex, int16_t pictureIndex);

// True for a code that names a tile: 0x11..0x17, 0x21..0x29, 0x41..0x49,
// 0x81..0x89 (no flag bits).
bool IsTileCode(int16_t code);

// True for a seat mask that names one seat: 1, 2, 4 or 8.
bool IsOneSeat(uint8_t mask);

// The TilePicture entry that shows `code` in `view` (0..3 the face-up views of
// sides 0..3, 4 the own standing hand): 36 x view + 9 x SuitIndex + rank - 1.
// A code that names no tile shows the back of the view, 36 x view + 7, never
// another tile's face. A view outside 0..4 raises error 9.
int16_t TilePictureOf(int16_t view, int16_t code);

// The centre of the table as drawn: (512 x ScaleX, 384 x ScaleY). The table
// picture may be larger than the drawn table (a screen small in one dimension
// only), so its size is not used.
QPointF TableCentre();

} // namespace mj::General
