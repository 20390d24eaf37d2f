// The snapshot of a running table as an onlooker sees it: the tile lists of
// the snapshot put in order, and the tile turned up in the wall at the start
// of the round shown face up at the wall's tail.
#pragma once

#include "platform/Runtime.h"

#include <cstdint>
#include <span>

namespace mj::AI {

// Sorts entries 0 .. count - 1 of `codes` in place: by suit bit from high to
// low (dots, characters, bamboo, honours, then anything with a lower high
// nibble), within a suit by rank upwards; the entries after them stay. A
// count past the list's end ends watching (hall restored, program ends).
void SortTileCodes(std::span<int16_t> codes, uint8_t count);
template <int Lo, int Hi>
void SortTileCodes(VbArray<int16_t, Lo, Hi>& codes, uint8_t count)
{
    static_assert(Lo == 0, "tile lists are counted from 0");
    SortTileCodes(std::span<int16_t>(codes.data(), codes.Count), count);
}

// Shows FlippedWallTile face up in MJ_Image(image), in the view of the wall
// quarter where WallTail lies, at that quarter's wall tile size, on the
// tail's tile and raised above it; brought to the front when the tail is an
// upper tile. The image leaves the wall. A failure ends watching.
void TurnWallTileFaceUp(int16_t image);

} // namespace mj::AI
