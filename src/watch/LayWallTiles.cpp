// The discards of a table snapshot, laid face down into the pools.
#include "watch/Side.h"

#include "client/Data.h"
#include "client/MainForm.h"
#include "seated/TableTiles.h"
#include "table/General.h"
#include "table/TileSizes.h"
#include "watch/EndWatch.h"
#include "watch/SnapshotSprites.h"

namespace mj::Side {

void LayWallTiles()
{
    EndWatchOnError([] {
        MainForm& f = form<MainForm>();
        for (int16_t side = 0; side <= 3; ++side)
            SetTileSize(side, PoolTileSize[side]);

        int16_t lastSide = -1;
        int16_t lastImage = -1;
        // The discards lie on the images the hand has taken from the wall
        // and the seats' tiles left free; once none is left, the rest are
        // not laid.
        bool full = false;
        for (int16_t side = 0; side <= 3 && !full; ++side) {
            for (int n = 0; n < SideTileCounts[side]; ++n) {
                const int16_t image = NextTakenSprite();
                if (image < 0) {
                    full = true;
                    break;
                }
                TakeSnapshotSprite(image, side);
                f.MJ_Image(image).ZOrder(0);
                General::ShowTileImage(image, static_cast<int16_t>(36 * side + 8));
                Operate::LayInPool(side, image);
                lastSide = side;
                lastImage = image;
            }
        }
        for (int16_t side = 0; side <= 3; ++side)
            SetTileSize(side, PoolTileSize[side]);
        // The last back laid waits for a claim as its side's discard.
        ClaimedDiscardImage = lastImage;
        if (lastSide >= 0)
            DiscarderSide = static_cast<uint8_t>(lastSide);
    });
}

} // namespace mj::Side
