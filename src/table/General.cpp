#include "table/General.h"

#include "client/Data.h"
#include "client/General.h"
#include "client/Image_Resource.h"
#include "client/MainForm.h"

namespace mj::General {

void ShowTileImage(int16_t imageIndex, int16_t pictureIndex)
{
    if (imageIndex < 0 || imageIndex > 135 || pictureIndex < 0 || pictureIndex > 181)
        return;
    // The window is repainted only once the frame is handled, so the tile
    // is not hidden around the change: a hide and a show would show nothing
    // new and cost the display a round trip each time the pointer is over
    // the table.
    Image& tile = form<MainForm>().MJ_Image(imageIndex);
    Image_Resource::LoadGifResource(CInt(Image_Resource::TilePicture[pictureIndex]), QStringLiteral("GIF"), tile);
    tile.SetVisible(true);
}

bool IsTileCode(int16_t code)
{
    const int suit = code >> 4;
    const int rank = code & 0xF;
    switch (suit) {
    case SuitHonour:
        return rank >= 1 && rank <= 7;
    case SuitBamboo:
    case SuitCharacters:
    case SuitDots:
        return rank >= 1 && rank <= 9;
    default:
        return false;
    }
}

bool IsOneSeat(uint8_t mask)
{
    return mask == 1 || mask == 2 || mask == 4 || mask == 8;
}

int16_t TilePictureOf(int16_t view, int16_t code)
{
    if (view < 0 || view > 4)
        Raise(ErrSubscript);
    if (!IsTileCode(code))
        return static_cast<int16_t>(36 * view + 7);
    return Image_Resource::TilePicIndex(view, MaskToIndex(static_cast<uint8_t>(code >> 4)),
                                        static_cast<int16_t>(code & 0xF));
}

QPointF TableCentre()
{
    return QPointF(512.0 * ScaleX, 384.0 * ScaleY);
}

} // namespace mj::General
