// The discards of a table snapshot, laid face down into the pools.
#include "watch/Side.h"

#include "client/Data.h"
#include "client/MainForm.h"
#include "seated/TableTiles.h"
#include "table/General.h"
#include "table/TileSizes.h"
#include "watch/EndWatch.h"
#include "watch/SnapshotSprites.h"

#include <algorithm>

namespace mj::Side {

void LayWallTiles()
{
    EndWatchOnError([] {
        MainForm& f = form<MainForm>();
        for (int16_t side = 0; side <= 3; ++side)
            SetTileSize(side, PoolTileSize[side]);

        int16_t lastSide = -1;
        int16_t lastImage = -1;
        // The tiles on the table are those taken from the wall at both ends;
        // the images still in the wall beyond them are the wall to be drawn.
        const int drawnFromTail = std::max(0, 135 - SnapshotTailMin);
        const int onTable = std::min(136, SnapshotHeadMax + drawnFromTail);
        const auto budgetLeft = [&] { return SnapshotTaken < onTable; };
        for (int16_t side = 0; side <= 3 && budgetLeft(); ++side) {
            for (int n = 0; n < SideTileCounts[side] && budgetLeft(); ++n) {
                const int16_t image = NextSnapshotSprite();
                if (image < 0)
                    break;
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
