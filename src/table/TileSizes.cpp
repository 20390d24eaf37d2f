#include "table/TileSizes.h"

#include "client/Data.h"

namespace mj {

int16_t ScaledWidth(TileSize size)
{
    return CInt(size.w * static_cast<double>(ScaleX));
}

int16_t ScaledHeight(TileSize size)
{
    return CInt(size.h * static_cast<double>(ScaleY));
}

void SetTileSize(int side, TileSize size)
{
    TileW[side] = ScaledWidth(size);
    TileH[side] = ScaledHeight(size);
}

} // namespace mj
