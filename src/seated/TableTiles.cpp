#include "seated/TableTiles.h"

#include "client/Data.h"
#include "client/MainForm.h"
#include "table/General.h"
#include "table/TileSizes.h"

#include <algorithm>

namespace mj::Operate {

namespace {

// Side 2's width is left one wider than its hand tile by a pool placement;
// every placing procedure sets the sizes it needs before it reads them.
constexpr TileSize SizeAfterPoolPlacement[] = {HandTileSize[0], HandTileSize[1], {37, 50}, HandTileSize[3]};

// The right pool's columns of eight: each column but the first is brought to
// the front, oldest (lowest) tile last, then the column being filled.
void RestackRightPool(MainForm& f)
{
    const int n = RightPoolCount;
    const int current = (n - 1) / 8;
    for (int column = 1; column < current; ++column)
        for (int i = 8 * column + 7; i >= 8 * column; --i)
            f.MJ_Image(RightPoolOrder[i]).ZOrder(0);
    for (int i = n - 1; i >= 8 * current; --i)
        f.MJ_Image(RightPoolOrder[i]).ZOrder(0);
}

void AppendToRightPool(int16_t image)
{
    const int16_t* first = RightPoolOrder.begin();
    const int16_t* end = first + RightPoolCount;
    // A tile laid again (the same parked discard met by a second draw) keeps
    // its one entry.
    if (std::find(first, end, image) != end)
        return;
    RightPoolOrder[RightPoolCount] = image;
    ++RightPoolCount;
}

} // namespace

int16_t WallPosition(int position)
{
    return static_cast<int16_t>(((position % WallSize) + WallSize) % WallSize);
}

int16_t NextWallPosition(WallEnd end, int16_t position)
{
    const int16_t p = WallPosition(position);
    if (end == WallEnd::Head)
        return WallPosition(p + 1);
    return WallPosition(p % 2 == 0 ? p + 1 : p - 3);
}

void MoveWallEnd(WallEnd end)
{
    int16_t& position = end == WallEnd::Head ? WallHead : WallTail;
    position = NextWallPosition(end, position);
}

void KeepWallEndsInRange()
{
    WallHead = WallPosition(WallHead);
    WallTail = WallPosition(WallTail);
}

Image* WallTile(int16_t position)
{
    if (!InWall.InBounds(position) || !InWall[position])
        return nullptr;
    return &form<MainForm>().MJ_Image(position);
}

int16_t TakeWallTile(int16_t position)
{
    if (!WallTile(position))
        return -1;
    InWall[position] = false;
    return position;
}

int16_t NearestWallPosition(WallEnd end)
{
    return NextInWall(end, end == WallEnd::Head ? WallHead : WallTail);
}

int16_t WallTilesLeft()
{
    return static_cast<int16_t>(std::count(InWall.begin(), InWall.end(), true));
}

int16_t NextInWall(WallEnd end, int16_t position)
{
    int16_t p = WallPosition(position);
    // The tail's order visits every position too, so a whole round of
    // either end sees the whole wall.
    for (int step = 0; step < WallSize; ++step) {
        if (InWall[p])
            return p;
        p = NextWallPosition(end, p);
    }
    return -1;
}

void ParkAtCentre(Image& tile, double width, double height)
{
    const QPointF centre = General::TableCentre();
    tile.Move(centre.x() - tile.Width() / 2, centre.y() - tile.Height() / 2, width, height);
}

void LayInPool(int16_t side, int16_t image)
{
    MainForm& f = form<MainForm>();
    SeatRecord& seat = custom[side];
    const double SX = ScaleX;
    const double SY = ScaleY;

    SetTileSize(side, PoolTileSize[side]);
    const int W = TileW[side];
    const int H = TileH[side];
    PoolCursorBeforeDiscardX = seat.PoolX;
    PoolCursorBeforeDiscardY = seat.PoolY;
    Image& tile = f.MJ_Image(image);
    tile.Move(seat.PoolX, seat.PoolY, W, H);

    // A column of the side pools steps by the part of a tile left showing.
    const int columnStep = CInt(H - 17 * SY);
    switch (side) {
    case 0:
        tile.ZOrder(1);
        seat.PoolX = static_cast<int16_t>(seat.PoolX + W);
        if ((seat.PoolX - seat.PoolRowX) / W == 8) {
            seat.PoolX = seat.PoolRowX;
            seat.PoolY = CInt(seat.PoolY - H + 18 * SY);
        }
        break;
    case 1:
        tile.ZOrder(0);
        seat.PoolY = CInt(seat.PoolY + H - 17 * SY);
        seat.PoolX = static_cast<int16_t>(seat.PoolX - 5);
        if ((seat.PoolY - seat.PoolRowY) / columnStep == 8) {
            seat.PoolY = seat.PoolRowY;
            seat.PoolX = CInt(seat.PoolX + 40 + W - 5 * SX);
        }
        break;
    case 2:
        tile.ZOrder(0);
        seat.PoolX = static_cast<int16_t>(seat.PoolX - W);
        if ((seat.PoolRowX - seat.PoolX) / W == 8) {
            seat.PoolX = seat.PoolRowX;
            seat.PoolY = CInt(seat.PoolY + H - 14 * SY);
        }
        break;
    default:
        tile.ZOrder(1);
        AppendToRightPool(image);
        RestackRightPool(f);
        seat.PoolY = CInt(seat.PoolY - H + 17 * SY);
        seat.PoolX = static_cast<int16_t>(seat.PoolX - 5);
        if ((seat.PoolRowY - seat.PoolY) / columnStep == 8) {
            seat.PoolY = seat.PoolRowY;
            seat.PoolX = CInt(seat.PoolX - W + 40 + 5 * SX);
        }
        break;
    }

    SetTileSize(side, SizeAfterPoolPlacement[side]);
}

void PlaceInPool(int16_t side, int16_t image)
{
    LayInPool(side, image);
    BlinkCount = 3;
}

} // namespace mj::Operate
