// Watch mode: the onlooker's drawing of the table, every seat's tiles seen
// from the watched player's side. Not drawn yet: each routine does nothing.
#pragma once

#include "platform/Runtime.h"

#include <cstdint>
#include <span>

namespace mj::Side {

// Tiles a seat takes from the wall (count 12 or 1), all face down.
void DrawTiles(uint8_t seatMask, uint8_t count, std::span<const int16_t> tiles);
// A seat's discard into its pool.
void ShowDiscard(uint8_t seatMask, int16_t tile, int16_t unused);
// A seat's claim: bubble, word, voice and meld.
void ShowOperation(int16_t op, uint8_t seatMask, const VbArray<int16_t, 0, 2>& tiles);

} // namespace mj::Side
