// Tiles turned up at the wall's end.
#include "seated/Operate.h"

#include "client/Data.h"
#include "client/General.h"
#include "client/MainForm.h"
#include "seated/TableTiles.h"
#include "table/General.h"
#include "table/TileSizes.h"

#include <algorithm>

namespace mj::Operate {

namespace {

// The side whose view a wall position shows: its wall, except that the lower
// tile of a wall's first stack belongs to the wall before it.
int16_t WallSideOf(int16_t position)
{
    if (position % 34 == 1)
        return static_cast<int16_t>((position / 34 + 3) % 4);
    return static_cast<int16_t>(position / 34);
}

// How far a lower tile is lifted onto the stack before it, in design pixels.
constexpr int Lift[] = {22, 20, 16, 20};

// The block holds 99 tiles after the keep flag and the count.
constexpr int MostTiles = 99;

} // namespace

void RevealWallTail(const VbArray<uint8_t, 0, 100>& block)
{
    if (WallRevealSide < 0)
        WallRevealSide = static_cast<int16_t>((General::MaskToIndex(custom[0].SeatMask) + 1) & 3);
    KeepWallEndsInRange();

    const bool keepLast = block[0] != 0;
    const int n = std::min<int>(block[1], MostTiles);
    for (int k = 2; k <= n + 1; ++k) {
        const bool last = k == n + 1;
        const int16_t code = block[k];
        const int16_t w = WallSideOf(WallTail);

        // The head has taken the tail's upper tile: the tail moves on to the
        // lower one, where the head stands.
        if ((WallHead - WallTail + 136) % 136 == 1 && WallHead % 2 == 1) {
            WallTail = WallHead;
            if (WallTail / 34 == 2)
                if (Image* tile = WallTile(WallTail))
                    tile->ZOrder(1);
        }
        const int16_t T = NearestWallPosition(WallEnd::Tail);
        if (T < 0)
            return;
        Image* tile = WallTile(T);
        const int16_t d = static_cast<int16_t>((T - WallHead + 136) % 136);

        // A lower tile is lifted onto the stack before it, to be seen.
        if (T % 2 == 1 && (!last || keepLast) && d > 2) {
            if (const Image* before = WallTile(static_cast<int16_t>((T + 133) % 136))) {
                tile->Move(before->Left(), before->Top() - Lift[w] * static_cast<double>(ScaleY),
                           ScaledWidth(PoolTileSize[w]), ScaledHeight(PoolTileSize[w]));
            }
        }
        General::ShowTileImage(T, General::TilePictureOf(w, code));
        if (w == 1 && T != 34 && ((T % 2 == 1 && d == 1) || (T % 2 == 0 && d >= 2)))
            tile->ZOrder(1);
        else
            tile->ZOrder(0);
        General::WaitSeconds(1.0f);

        if (last && keepLast)
            return;

        // To the centre, then into the next pool in the order of play.
        TakeWallTile(T);
        General::ShowTileImage(T, General::TilePictureOf(0, code));
        ParkAtCentre(*tile, PoolTileSize[0].w, PoolTileSize[0].h);
        General::WaitSeconds(1.0f);
        const int16_t s = WallRevealSide & 3;
        General::ShowTileImage(T, General::TilePictureOf(s, code));
        PlaceInPool(s, T);

        if (WallHead == WallTail)
            MoveWallEnd(WallEnd::Head);
        MoveWallEnd(WallEnd::Tail);
        if (WallTail <= 32)
            if (Image* next = WallTile(WallTail))
                next->ZOrder(0);
        WallRevealSide = static_cast<int16_t>((WallRevealSide + 3) & 3);
    }
}

} // namespace mj::Operate
