#include "watch/SnapshotSprites.h"

#include "client/Data.h"

namespace mj::Side {

int16_t NextSnapshotSprite()
{
    const int head = ((WallHead % 136) + 136) % 136;
    for (int step = 0; step < 136; ++step) {
        const int16_t k = static_cast<int16_t>((head + step) % 136);
        if (SnapshotLaidBy[k] == 0)
            return k;
    }
    return -1;
}

void TakeSnapshotSprite(int16_t image, int16_t side)
{
    InWall[image] = false;
    SnapshotLaidBy[image] = static_cast<int8_t>(side + 1);
    ++SnapshotTaken;
}

} // namespace mj::Side
