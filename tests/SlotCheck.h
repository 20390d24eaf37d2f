// The table's tile bookkeeping checked as a whole, for tests that move tiles:
// run it after every step.
#pragma once

#include <QStringList>

namespace mjtest {

// Every fault found, one a line; empty when all holds:
// - each seat's sum is 0 or more and its live slots (the melds made and the
//   concealed run) lie within slots 0..20 and show tile images 0..135;
// - each tile image is in one place only: one live slot, the wall (InWall),
//   the right pool's order list, or the table's centre (the parked discard
//   while it covers the centre);
// - a tile in the wall or in a live slot is shown.
// The other pools are not recorded anywhere, so their tiles are known only
// as tiles in none of these places.
QStringList CheckSlots();

} // namespace mjtest
