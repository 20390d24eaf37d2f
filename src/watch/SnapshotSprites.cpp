#include "watch/SnapshotSprites.h"

#include "client/Data.h"
#include "seated/TableTiles.h"

#include <algorithm>

namespace mj::Side {

namespace {

using Operate::WallPosition;
using Operate::WallSize;

// Calls `visit` with every image the hand has taken, the head's in drawing
// order, then the tail's, each once, until it returns true; returns that
// image, or -1.
template <typename Visit> int16_t FirstTaken(Visit visit)
{
    VbArray<bool, 0, 135> seen;
    const int head = WallPosition(WallHead);
    const int fromHead = std::clamp<int>(SnapshotHeadMax, 0, WallSize);
    for (int i = 0; i < fromHead; ++i) {
        const int16_t k = WallPosition(head + i);
        seen[k] = true;
        if (visit(k))
            return k;
    }
    int16_t k = WallPosition(WallTail);
    for (int i = 0; i < TailDraws(); ++i) {
        if (!seen[k]) {
            seen[k] = true;
            if (visit(k))
                return k;
        }
        k = Operate::NextWallPosition(Operate::WallEnd::Tail, k);
    }
    return -1;
}

} // namespace

int TailDraws()
{
    return std::clamp(135 - SnapshotTailMin, 0, WallSize);
}

int16_t TailAfterSnapshot()
{
    int16_t k = WallPosition(WallTail);
    for (int i = 0; i < TailDraws(); ++i)
        k = Operate::NextWallPosition(Operate::WallEnd::Tail, k);
    return k;
}

VbArray<bool, 0, 135> TakenFromWall()
{
    VbArray<bool, 0, 135> taken;
    FirstTaken([&](int16_t k) {
        taken[k] = true;
        return false;
    });
    return taken;
}

int16_t NextTakenSprite()
{
    return FirstTaken([](int16_t k) { return SnapshotLaidBy[k] == 0; });
}

int16_t NextSnapshotSprite()
{
    const int16_t taken = NextTakenSprite();
    if (taken >= 0)
        return taken;
    // Every taken image is laid: go on from where the wall to be drawn
    // begins.
    const int head = WallPosition(WallHead + SnapshotHeadMax);
    for (int step = 0; step < WallSize; ++step) {
        const int16_t k = WallPosition(head + step);
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
