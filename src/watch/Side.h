// Watch mode: the onlooker's drawing of the table, every seat's tiles seen
// from the watched player's side (side 0), whose own tiles are face down too.
//
// Each routine works out the side from the seat mask itself; a mask that is
// not exactly one seat changes nothing. A run-time error while tiles are
// dealt, drawn or laid out (a slot past 20, an image past 135) ends watching:
// the hall window comes back and the program ends.
#pragma once

#include "platform/Runtime.h"

#include <cstdint>
#include <span>

namespace mj::Side {

// Tiles a seat takes from the wall, all as standing backs in its hand row: a
// deal of `count` tiles from the wall's head, or (count 1) a single draw, from
// the head, or from the tail when it is the first draw after a gang
// (NormalDraw false). Only tiles still in the wall are taken: each end passes
// over tiles already on the table, and with none left nothing is taken. Side
// 0's slots get the codes: tiles(k) of a deal, tiles(3) of a single draw,
// each cut to its low byte.
void DrawTiles(uint8_t seatMask, uint8_t count, std::span<const int16_t> tiles);

// A seat's discard: spoken in its voice, its last hand back turned face up,
// shown enlarged at the table's centre for a second once the onlooker is in
// step with the table (WatchSynced), then laid into its pool, where it waits
// for a claim (ClaimedDiscardImage, DiscarderSide). A code that names no tile
// lies there as the side's lying back. A side with no concealed tile, or
// whose last concealed slot shows no tile, only speaks.
void ShowDiscard(uint8_t seatMask, int16_t tile);

// A seat's claim: bubble, word, voice and meld.
void ShowOperation(int16_t op, uint8_t seatMask, const VbArray<int16_t, 0, 2>& tiles);

// The discards of a table snapshot, SideTileCounts(side) for each side, laid
// face down into the pools, each on the next image the hand has taken from
// the wall that the snapshot has not laid yet (SnapshotTaken counting up),
// stopping for good once none is left: the wall still to be drawn is never
// used. The last back laid waits as a discard of the side whose pool took
// it; none waits when nothing was laid. TileW/TileH of every side are left at
// the pool sizes.
void LayWallTiles();

} // namespace mj::Side
