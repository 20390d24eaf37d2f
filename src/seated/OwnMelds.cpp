// The own melds laid out once the server confirms the own claim. The claim
// sender has already copied the claimed hand tiles (and the parked discard)
// into the slots of the next meld; here they are drawn in the meld row above
// the hand and the concealed run closes the gaps they left.
#include "seated/Operate.h"

#include "client/Data.h"
#include "client/Image_Resource.h"
#include "client/MainForm.h"
#include "table/General.h"
#include "table/TileSizes.h"

namespace mj::Operate {

namespace {

// The face-down meld tile of the own view, as a picture resource.
constexpr int16_t OwnMeldBackResource = 353;
// The same picture as an entry of the tile pictures.
constexpr int16_t OwnMeldBackPicture = 8;

Image& Sprite(int16_t image)
{
    return form<MainForm>().MJ_Image(image);
}

// The meld row's place of slot s: a step of 43 design pixels to the right per
// slot, above the hand.
void PlaceInMeldRow(int16_t s)
{
    const SeatRecord& own = custom[0];
    Sprite(own.Slots[s].Image)
        .Move(own.HandX + (s + 1) * (TileW[0] - 2 * ScaleX), own.HandY + 29 * ScaleY, TileW[0], TileH[0]);
}

// slot i := slot from, its image `by` concealed tile widths further right
// (negative: to the left).
void ShiftSlot(int i, int from, int by)
{
    SeatRecord& own = custom[0];
    own.Slots[i] = own.Slots[from];
    Image& sprite = Sprite(own.Slots[i].Image);
    sprite.SetLeft(sprite.Left() + by * TileW[0]);
}

// The tile from the discarder is shown face down: in the left, middle or
// right place of the meld by where the discarder sits.
void MarkDiscardersTile(int i, int16_t image, int16_t code)
{
    if (MarkClaimedTile && (3 - i) % 4 == DiscarderSide)
        General::ShowTileImage(image, OwnMeldBackPicture);
    else
        General::ShowTileImage(image, General::TilePictureOf(0, code));
}
void LoadMarker(int i, int16_t image)
{
    if (i == ActorSeat % 3)
        Image_Resource::LoadGifResource(OwnMeldBackResource, QStringLiteral("GIF"), Sprite(image));
}

// The fourth tile of a gang lies across the middle of its three.
void LayFourthTile(int16_t image, int16_t code)
{
    const SeatRecord& own = custom[0];
    Image& fourth = Sprite(image);
    fourth.Move(Sprite(own.Slots[own.MeldEnd - 1].Image).Left() + 1, own.HandY + 11 * ScaleY, TileW[0] - 2,
                TileH[0]);
    General::ShowTileImage(image, General::TilePictureOf(0, code));
    fourth.ZOrder(0);
}

} // namespace

void LayOwnChi(int16_t slotA, int16_t slotB, const ClaimTiles& tiles)
{
    SeatRecord& own = custom[0];
    const int me = own.MeldEnd, first = own.FirstConcealed, n = own.sum;
    SetTileSize(0, MeldTileSize[0]);
    for (int i = 2; i >= 0; --i) {
        const int16_t image = own.Slots[me - i].Image;
        PlaceInMeldRow(static_cast<int16_t>(me - i));
        General::ShowTileImage(image, General::TilePictureOf(0, tiles[2 - i]));
        Sprite(image).ZOrder(0);
    }
    SetTileSize(0, HandTileSize[0]);
    for (int i = slotB; i >= slotA + 2; --i)
        ShiftSlot(i, i - 1, 1);
    for (int i = slotA + 1; i >= first + 2; --i)
        ShiftSlot(i, i - 2, 2);
    for (int i = first + n; i >= first + 3; --i)
        ShiftSlot(i, i - 1, 1);
}

void LayOwnPeng(const ClaimTiles& tiles)
{
    SeatRecord& own = custom[0];
    const int me = own.MeldEnd, first = own.FirstConcealed, n = own.sum;
    SetTileSize(0, MeldTileSize[0]);
    for (int i = 2; i >= 0; --i) {
        const int16_t image = own.Slots[me - i].Image;
        PlaceInMeldRow(static_cast<int16_t>(me - i));
        MarkDiscardersTile(i, image, tiles[0]);
        Sprite(image).ZOrder(0);
        LoadMarker(i, image);
    }
    SetTileSize(0, HandTileSize[0]);
    int g = first + n - 1;
    for (int j = first; j <= first + n - 2; ++j)
        if (own.Slots[j].Code == tiles[0] && own.Slots[j + 1].Code == tiles[0]) {
            g = j;
            break;
        }
    for (int i = g + 1; i >= first + 2; --i)
        ShiftSlot(i, i - 2, 2);
    for (int i = first + n; i >= first + 3; --i)
        ShiftSlot(i, i - 1, 1);
}

void LayOwnExposedGang(int16_t slot, const ClaimTiles& tiles)
{
    SeatRecord& own = custom[0];
    const int me = own.MeldEnd, first = own.FirstConcealed;
    SetTileSize(0, MeldTileSize[0]);
    for (int i = 2; i >= 0; --i) {
        const int16_t image = own.Slots[me - i].Image;
        PlaceInMeldRow(static_cast<int16_t>(me - i));
        MarkDiscardersTile(i, image, tiles[0]);
        LoadMarker(i, image);
    }
    LayFourthTile(ClaimedDiscardImage, tiles[0]);
    SetTileSize(0, HandTileSize[0]);
    for (int i = slot + 2; i >= first + 3; --i)
        ShiftSlot(i, i - 3, 3);
}

void LayOwnConcealedGang(int16_t slot, const ClaimTiles& tiles)
{
    SeatRecord& own = custom[0];
    const int me = own.MeldEnd, first = own.FirstConcealed, n = own.sum;
    SetTileSize(0, MeldTileSize[0]);
    for (int i = 2; i >= 0; --i) {
        PlaceInMeldRow(static_cast<int16_t>(me - i));
        General::ShowTileImage(own.Slots[me - i].Image, OwnMeldBackPicture);
    }
    ClaimedDiscardImage = own.Slots[slot + 3].Image;
    LayFourthTile(ClaimedDiscardImage, tiles[0]);
    SetTileSize(0, HandTileSize[0]);
    for (int i = slot + 3; i >= first + 4; --i)
        own.Slots[i] = own.Slots[i - 4];
    for (int i = first + 3; i <= first + n - 2; ++i) {
        own.Slots[i] = own.Slots[i + 1];
        Sprite(own.Slots[i].Image).Move(own.HandX + i * TileW[0], own.HandY, TileW[0], TileH[0]);
    }
}

void LayOwnAddedGang(int16_t slot)
{
    SeatRecord& own = custom[0];
    const int first = own.FirstConcealed, n = own.sum;
    ClaimedDiscardImage = own.Slots[own.MeldEnd - 2].Image;
    ClaimedDiscard = own.Slots[slot].Code;
    SetTileSize(0, HandTileSize[0]);
    for (int i = slot; i <= first + n - 2; ++i)
        ShiftSlot(i, i + 1, -1);
}

} // namespace mj::Operate
