// Moving tile images between the wall, the table's centre and the discard
// pools. The deal and draws, the discards, the wall-end reveal and the claims
// all move tiles through these, so the wall's two ends, its tiles and the
// pools stay consistent whichever of them moves a tile.
#pragma once

#include <cstdint>

namespace mj {
class Image;
}

namespace mj::Operate {

// ---- The wall ---------------------------------------------------------------
//
// A wall position is a tile image index 0..135. WallHead is where the next
// ordinary draw is taken; WallTail is where the next replacement draw or
// wall-end reveal is taken. InWall records which positions still hold their
// tile: the wall building fills it and every take clears one entry, so no
// step ever takes a tile that has left the wall.

enum class WallEnd { Head, Tail };

constexpr int WallSize = 136;

// `position` brought into 0..135, counting on round the wall either way.
int16_t WallPosition(int position);

// The position taken after `position` at that end, always 0..135: the head
// goes forward one tile; the tail goes back a stack at a time, from an upper
// tile (even) to the lower tile beneath it (+1), from a lower tile (odd) to
// the upper tile of the stack before (-3). A position outside 0..135 is first
// brought into it.
int16_t NextWallPosition(WallEnd end, int16_t position);
// Moves WallHead or WallTail to its next position.
void MoveWallEnd(WallEnd end);
// WallHead and WallTail brought into 0..135.
void KeepWallEndsInRange();

// The tile image at `position` when it still lies in the wall; nullptr when
// its tile has been taken (or the position is outside 0..135).
Image* WallTile(int16_t position);
// Takes the tile at `position` out of the wall and returns its image index;
// -1, taking nothing, when that tile has already left the wall.
int16_t TakeWallTile(int16_t position);
// Where the next tile at that end is taken: the end's position while its
// tile is in the wall, else the first position the end would reach that
// still holds one (where the two ends meet, a tile can stand where neither
// points); -1 when the wall is empty.
int16_t NearestWallPosition(WallEnd end);
// How many tiles the wall still holds.
int16_t WallTilesLeft();
// The first position from `position` on, going the way that end goes, whose
// tile is still in the wall; -1 when the wall holds none.
int16_t NextInWall(WallEnd end, int16_t position);

// ---- The centre and the pools -----------------------------------------------

// Puts a tile at the table's centre: its corner goes to the centre less half
// the size it has now, then it takes the new size.
void ParkAtCentre(Image& tile, double width, double height);

// Lays tile image `image` into side's discard pool at the pool's cursor, with
// the pool's tile size and drawing order, and moves the cursor on: eight
// tiles to a row (the own and the opposite pool) or to a column (the left and
// the right pool), then a new one. The right pool is restacked so that in a
// column an older tile covers the newer one above it and a later column
// covers the earlier one. The cursor the tile took is kept in
// PoolCursorBeforeDiscardX/Y; TileW/TileH of the side end at its hand size.
// The picture is the caller's.
void LayInPool(int16_t side, int16_t image);
// LayInPool, then the blink of the last discard restarts.
void PlaceInPool(int16_t side, int16_t image);

} // namespace mj::Operate
