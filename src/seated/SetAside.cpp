// Tiles set aside beside a hand row: where they lie and how they stack.
#include "seated/SetAside.h"

#include "client/Data.h"
#include "client/General.h"
#include "client/MainForm.h"
#include "table/General.h"
#include "table/TileSizes.h"

namespace mj::Operate {

namespace {

Image& Sprite(int16_t image)
{
    return form<MainForm>().MJ_Image(image);
}

} // namespace

void LaySetAside(int16_t side, int16_t image, int16_t code, bool red, int k)
{
    const SeatRecord& seat = custom[side];
    const double x = seat.HandX, y = seat.HandY, SX = ScaleX, SY = ScaleY;
    const double h = TileH[side];
    const double step = k * 18 * SY;
    Image& tile = Sprite(image);
    if (red) {
        tile.Move(side == 3 ? x - 10 * SX : x, y - step);
    } else {
        switch (side) {
        case 0:
            // Beside the hand's start by a meld tile's width, whatever size
            // the own hand has left in TileW(0).
            tile.Move(seat.HandX + ScaledWidth(MeldTileSize[0]) - 2, y - step);
            break;
        case 1:
            tile.Move(x - 5 * SX, y + (h - 17 * SY) - step);
            break;
        case 2:
            tile.Move(seat.HandX - TileW[2], y - step);
            break;
        default:
            // The 17 is plain pixels at every scale.
            tile.Move(x - 5 * SX - 10 * SX, y - (h - 17) - step);
            break;
        }
    }
    General::ShowTileImage(image, General::TilePictureOf(side, code));
    if (side == 1)
        tile.ZOrder(1);
    else if (side == 3)
        tile.ZOrder(0);
}

void RestackSetAside(int16_t side)
{
    const SeatRecord& seat = custom[side];
    if (side == 1) {
        if (seat.Slots[1].Image >= 0)
            Sprite(seat.Slots[1].Image).ZOrder(1);
        for (int k = 1; k < seat.WildCount; ++k)
            Sprite(SpecialTileImages(1, 4 + k)).ZOrder(0);
        if (seat.Slots[0].Image >= 0) {
            for (int k = 0; k < seat.RedCount; ++k)
                Sprite(SpecialTileImages(1, k)).ZOrder(1);
            for (int k = seat.WildCount; k < seat.RedCount; ++k)
                Sprite(SpecialTileImages(1, k)).ZOrder(0);
        }
    } else if (side == 3) {
        for (int k = 0; k < seat.WildCount; ++k)
            Sprite(SpecialTileImages(3, 4 + k)).ZOrder(0);
        for (int k = 0; k < seat.RedCount; ++k)
            Sprite(SpecialTileImages(3, k)).ZOrder(0);
    }
}

} // namespace mj::Operate
