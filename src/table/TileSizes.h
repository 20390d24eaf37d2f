// The sizes a tile is drawn at, by side, in design pixels, and how a side's
// working size (TileW, TileH) is set from them.
#pragma once

#include <cstdint>

namespace mj {

struct TileSize {
    int16_t w, h;
};

// A tile in each side's discard pool (the walls use them too).
constexpr TileSize PoolTileSize[] = {{36, 50}, {48, 35}, {30, 36}, {48, 35}};
// A tile in each side's hand: the own standing tile, the others' backs.
constexpr TileSize HandTileSize[] = {{48, 78}, {35, 66}, {36, 50}, {35, 66}};

// A tile in each side's meld row.
constexpr TileSize MeldTileSize[] = {{45, 60}, {45, 35}, {34, 40}, {45, 35}};

// A design size at the screen's scale, each side rounded to the nearest
// integer with a half going to the even neighbour.
int16_t ScaledWidth(TileSize size);
int16_t ScaledHeight(TileSize size);
// TileW(side), TileH(side) := the design size at the screen's scale.
void SetTileSize(int side, TileSize size);

} // namespace mj
