// The wall images a table snapshot lays its tiles on: the first its group
// has not laid yet, counted from the wall head, so no image shows two of the
// snapshot's tiles (in a hand, a meld, a pool, or the turned tile).
#pragma once

#include <cstdint>

namespace mj::Side {

// The mark of the turned wall tile in SnapshotLaidBy (a side's is side + 1).
constexpr int8_t TurnedTileMark = 5;

// The next image the group has not laid, from WallHead on; -1 when none is
// left.
int16_t NextSnapshotSprite();
// `image` leaves the wall for side `side`'s tiles (4: the turned tile), and
// SnapshotTaken counts it.
void TakeSnapshotSprite(int16_t image, int16_t side);

} // namespace mj::Side
