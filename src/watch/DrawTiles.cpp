// The deal and the draws of every side, as standing backs in the hand rows.
#include "watch/Side.h"

#include "client/Data.h"
#include "client/MainForm.h"
#include "seated/TableTiles.h"
#include "table/General.h"
#include "table/TileSizes.h"
#include "watch/EndWatch.h"
#include "watch/HandRow.h"

namespace mj::Side {

namespace {

// Entry i of the tiles handed in, cut to its low byte; outside the list a
// run-time error.
int16_t TileAt(std::span<const int16_t> tiles, int i)
{
    if (i < 0 || static_cast<size_t>(i) >= tiles.size())
        Raise(ErrSubscript);
    return tiles[static_cast<size_t>(i)] & 0xFF;
}

} // namespace

void PlaceInHandRow(int16_t side, int s, int16_t image, bool apart)
{
    MainForm& f = form<MainForm>();
    const SeatRecord& seat = custom[side];
    const double W = ScaledWidth(HandTileSize[side]);
    const double H = ScaledHeight(HandTileSize[side]);
    const double SX = ScaleX;
    Image& tile = f.MJ_Image(image);
    tile.SetWidth(W);
    tile.SetHeight(H);
    General::ShowTileImage(image, static_cast<int16_t>(36 * side + 7));
    switch (side) {
    case 0:
        tile.Move(seat.HandX + s * W + (apart ? W / 2 : 0), seat.HandY);
        break;
    case 1:
        tile.Move(seat.HandX - 5 * SX * s, seat.HandY + s * W / 2);
        tile.ZOrder(0);
        break;
    case 2:
        tile.Move(seat.HandX - s * W, seat.HandY);
        break;
    default:
        tile.Move(seat.HandX - 5 * SX * (s + 1), seat.HandY - (s + 1) * W / 2);
        tile.ZOrder(1);
        break;
    }
}

void DrawTiles(uint8_t seatMask, uint8_t count, std::span<const int16_t> tiles)
{
    if (!General::IsOneSeat(seatMask))
        return;
    EndWatchOnError([&] {
        MainForm& f = form<MainForm>();
        const int16_t side = SideOfMask(custom[0].SeatMask, seatMask);
        SeatRecord& seat = custom[side];
        SetTileSize(side, HandTileSize[side]);
        const int s0 = seat.FirstConcealed + seat.sum;
        seat.sum = static_cast<int16_t>(seat.sum + count);

        const bool single = count == 1;
        const bool fromTail = single && !NormalDraw;
        const bool wildInForce = WildTile > 0;
        if (side == 0 && single && wildInForce) {
            // The run as it stood closes up at whole-tile steps before the
            // new tile stands apart.
            for (int i = seat.FirstConcealed; i <= seat.FirstConcealed + seat.sum - 2; ++i)
                f.MJ_Image(seat.Slots[i].Image).Move(seat.HandX + i * TileW[0], seat.HandY);
        }

        for (int k = 0; k < count; ++k) {
            const int s = s0 + k;
            // Only a tile still in the wall is taken: the end passes over
            // tiles already on the table (a snapshot's hands, its turned
            // tile); with none left the draw takes nothing.
            const Operate::WallEnd end = fromTail ? Operate::WallEnd::Tail : Operate::WallEnd::Head;
            int16_t& position = fromTail ? WallTail : WallHead;
            if (position < 0 || position > 135)
                Raise(ErrSubscript);
            const int16_t image = Operate::NextInWall(end, position);
            if (image < 0) {
                seat.sum = static_cast<int16_t>(s - seat.FirstConcealed);
                break;
            }
            position = image;
            const bool apart = side == 0 && single && (fromTail || wildInForce);
            PlaceInHandRow(side, s, image, apart);
            TileSlot& slot = seat.Slots[s];
            slot.State = SlotInHand;
            slot.Image = image;
            if (side == 0)
                slot.Code = TileAt(tiles, single ? 3 : k);
            InWall[image] = false;
            Operate::MoveWallEnd(end);
        }

        // The watched player's set-aside wild tiles stay over the left row.
        if (side == 1)
            for (int j = 0; j < custom[0].WildCount; ++j)
                f.MJ_Image(SpecialTileImages(0, 4 + j)).ZOrder(0);
        NormalDraw = true;
    });
}

} // namespace mj::Side
