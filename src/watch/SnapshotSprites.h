// The wall images a table snapshot lays its tiles on. The hand has taken
// SnapshotHeadMax tiles from the wall head and 135 - SnapshotTailMin from the
// tail, the tail going back a stack at a time as every replacement draw does
// (upper tile, then the lower one beneath it, then the stack before). The
// snapshot's tiles (hands, melds, tiles set aside, the turned tile, the
// pools) lie on exactly those images: the head's first, then the tail's in
// the order the tail gave them. So the wall left is exactly the tiles not
// yet taken, and the next draw at either end takes the tile the seated
// table's walk takes. The turned tile counts among the taken.
//
// Within a group the frames may raise the counts as they come; each image is
// laid once (SnapshotLaidBy), so no image shows two of the snapshot's tiles.
// These read WallHead and WallTail, which stay where the group found them
// until its fourth frame has laid everything and moves them.
#pragma once

#include "platform/Runtime.h"

#include <cstdint>

namespace mj::Side {

// The mark of the turned wall tile in SnapshotLaidBy (a side's is side + 1).
constexpr int8_t TurnedTileMark = 5;

// Tiles the hand has drawn from the tail so far, 0 to 136.
int TailDraws();
// Where the tail stands after TailDraws() replacement draws from WallTail.
int16_t TailAfterSnapshot();
// By image: taken from the wall by the hand the counts describe.
VbArray<bool, 0, 135> TakenFromWall();

// The next image taken from the wall that the group has not laid yet; -1
// when the counts name none.
int16_t NextTakenSprite();
// The next image for a seat's own tiles (hand, melds, tiles set aside): a
// taken one while any is left, else the next the group has not laid from the
// wall still to be drawn on (the seat's tiles are on the table whatever the
// counts say); -1 when no image is left at all.
int16_t NextSnapshotSprite();
// `image` leaves the wall for side `side`'s tiles (4: the turned tile), and
// SnapshotTaken counts it.
void TakeSnapshotSprite(int16_t image, int16_t side);

} // namespace mj::Side
