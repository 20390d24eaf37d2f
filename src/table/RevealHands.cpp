// The hands shown at the end of a hand.
#include "table/Operate.h"

#include "client/Data.h"
#include "client/General.h"
#include "client/MainForm.h"
#include "table/General.h"
#include "table/TileSizes.h"

#include <algorithm>

namespace mj::Operate {

namespace {

// The tile sizes of the shown hands.
constexpr TileSize ShownTileSize[] = {{48, 60}, {45, 35}, {36, 39}, {45, 35}};

// A hand holds at most fourteen concealed tiles.
constexpr int MostConcealed = 14;

bool IsTileImage(int16_t image)
{
    return image >= 0 && image <= 135;
}

// The tile images of slots first..last of a side take that side's working
// size where they stand.
void ResizeSlots(MainForm& f, const SeatRecord& seat, int first, int last, int side)
{
    for (int i = first; i <= last; ++i) {
        const int16_t image = seat.Slots[i].Image;
        if (!IsTileImage(image))
            continue;
        f.MJ_Image(image).SetWidth(TileW[side]);
        f.MJ_Image(image).SetHeight(TileH[side]);
    }
}

// How many tiles of side s have been recorded: the first free position.
int RecordedCount(int s)
{
    int k = 0;
    while (k < MostConcealed && HiddenTiles(s, k) != 0)
        ++k;
    return k;
}

// Side s's recorded tiles face up, sorted, at the shown size; the discard a
// winner took joins the end of the row.
void ShowOtherHand(MainForm& f, int16_t s)
{
    SeatRecord& seat = custom[s];
    const int first = seat.FirstConcealed;
    // Only slots up to 20 are shown.
    const int k = std::clamp(RecordedCount(s), 0, std::max(0, 21 - first));
    const bool winner = s == WinnerSide;
    if (winner && k % 3 == 2) {
        // A self-drawn win: the drawn tile stays last.
        const TileSlot& drawn = seat.Slots[first + k - 1];
        General::ShowTileImage(drawn.Image, General::TilePictureOf(s, drawn.Code));
        SortHand(static_cast<uint8_t>(s), static_cast<int16_t>(k - 1));
    } else {
        SortHand(static_cast<uint8_t>(s), static_cast<int16_t>(k));
    }
    ResizeSlots(f, seat, first, first + k - 1, s);

    if (!winner || k % 3 == 2 || k == 0 || !IsTileImage(ClaimedDiscardImage))
        return;
    const int16_t lastImage = seat.Slots[first + k - 1].Image;
    if (s != 2 && !IsTileImage(lastImage))
        return;
    Image& taken = f.MJ_Image(ClaimedDiscardImage);
    General::ShowTileImage(ClaimedDiscardImage, General::TilePictureOf(s, ClaimedDiscard & 0xFF));
    const double SX = ScaleX;
    const double SY = ScaleY;
    switch (s) {
    case 1: {
        const Image& last = f.MJ_Image(lastImage);
        taken.Move(last.Left() - 5 * SX, last.Top() + TileH[1] - 13 * SY, TileW[1], TileH[1]);
        taken.ZOrder(0);
        break;
    }
    case 2:
        taken.Move(seat.HandX - TileW[2] * (first + k) - 5 * SX, seat.HandY, TileW[2], TileH[2]);
        break;
    default: {
        const Image& last = f.MJ_Image(lastImage);
        taken.Move(last.Left() - 5 * SX, last.Top() - TileH[3] + 13 * SY, TileW[3], TileH[3]);
        taken.ZOrder(1);
        break;
    }
    }
}

} // namespace

void RevealHands(int16_t seatMask, const VbArray<int16_t, 0, 3>& values)
{
    const uint8_t mask = static_cast<uint8_t>(seatMask & 15);
    if (!General::IsOneSeat(mask))
        return;
    const int16_t side = SideOfMask(custom[0].SeatMask, mask);
    for (int s = 0; s <= 3; ++s)
        SetTileSize(s, ShownTileSize[s]);
    if (side == 0)
        return;

    // Record this call's tiles; words left once the hand is in are ignored.
    SeatRecord& seat = custom[side];
    int p = RecordedCount(side);
    for (int n = 0; n <= 3 && seat.sum > 0; ++n) {
        const int16_t tile = values[3 - n] & 0xFF;
        const int slot = seat.FirstConcealed + p;
        // A tile with no slot left is counted but not recorded.
        if (slot >= 0 && slot <= 20) {
            HiddenTiles(side, p) = tile;
            seat.Slots[slot].Code = tile;
            ++p;
        }
        --seat.sum;
    }
    if (custom[1].sum != 0 || custom[2].sum != 0 || custom[3].sum != 0)
        return;

    MainForm& f = form<MainForm>();
    SeatRecord& own = custom[0];
    const int ownLast = std::min(own.FirstConcealed + own.sum - 1, 20);
    if (WatchMode) {
        // The watched hand was face down until now: once sorted, every tile
        // shows its face, the tiles the sort left in place as well.
        SortHand(0, own.sum);
        for (int i = own.FirstConcealed; i <= ownLast; ++i)
            General::ShowTileImage(own.Slots[i].Image, General::TilePictureOf(4, own.Slots[i].Code));
        ResizeSlots(f, own, own.FirstConcealed, ownLast, 0);
    } else {
        for (int i = own.FirstConcealed; i <= ownLast; ++i)
            General::ShowTileImage(own.Slots[i].Image, General::TilePictureOf(0, own.Slots[i].Code));
    }
    for (int16_t s = 1; s <= 3; ++s)
        ShowOtherHand(f, s);
}

} // namespace mj::Operate
