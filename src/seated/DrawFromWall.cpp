// The deal and the draws: tiles from the wall into a hand.
#include "seated/Operate.h"

#include "client/Data.h"
#include "client/General.h"
#include "client/MainForm.h"
#include "seated/TableTiles.h"
#include "table/General.h"
#include "table/Operate.h"
#include "table/TileSizes.h"

namespace mj::Operate {

namespace {

int16_t TileAt(std::span<const int16_t> tiles, int i)
{
    if (i < 0 || static_cast<size_t>(i) >= tiles.size())
        Raise(ErrSubscript);
    return tiles[static_cast<size_t>(i)] & 0xFF;
}

int16_t WallDistance(int16_t from, int16_t to)
{
    return static_cast<int16_t>((to - from + 136) % 136);
}

// After a draw from the head: when the head now stands on the upper tile of
// the tail's stack (the tail, one ahead, is its lower tile), the tail has
// taken that upper tile already, so the head skips it.
void AdvanceHeadPastTakenTile()
{
    MoveWallEnd(WallEnd::Head);
    if (WallDistance(WallHead, WallTail) == 1 && WallTail % 2 == 1)
        MoveWallEnd(WallEnd::Head);
}

// The parked discard goes into its discarder's pool, once: a second draw
// with no discard between leaves it where the first laid it, so the pool
// keeps no hole.
void MoveParkedDiscardToPool(uint8_t mask, uint8_t count)
{
    if (SkipDiscardMove || ClaimedDiscardImage < 0 || ClaimedDiscard <= 0)
        return;
    if (count == 1)
        General::SleepSeconds(0.4f);
    // The own discard waits for the right-hand neighbour, who plays next.
    if (DiscarderSide == 0 && mask != custom[3].SeatMask)
        return;
    if (ClaimedDiscardImage == PooledDiscardImage)
        return;
    PlaceInPool(DiscarderSide, ClaimedDiscardImage);
    PooledDiscardImage = ClaimedDiscardImage;
}

// Where the wall's two ends meet.
void CorrectWallEnd()
{
    SkipDiscardMove = false;
    const int16_t d = WallDistance(WallHead, WallTail);
    if (WallTail % 2 == 1 && WildTile > 0 && NormalDraw && (d == 2 || d == 3)) {
        Image* tail = WallTile(WallTail);
        const Image* head = WallTile(WallHead);
        if (tail && head) {
            tail->Move(head->Left(), head->Top());
            if (d == 2 && WallTail / 34 == 2)
                tail->ZOrder(1);
        }
    }
    if (WallTail <= 32)
        if (Image* tail = WallTile(WallTail))
            tail->ZOrder(0);
    if (WallTail == WallHead) {
        if (NormalDraw)
            WallTail = NextWallPosition(WallEnd::Head, WallTail);
        else
            MoveWallEnd(WallEnd::Head);
        MoveWallEnd(WallEnd::Head);
        if (WallTail / 34 == 2)
            if (Image* tail = WallTile(WallTail))
                tail->ZOrder(1);
    }
}

// The own seat: faces of the own hand.
void DrawOwn(uint8_t count, std::span<const int16_t> tiles)
{
    MainForm& f = form<MainForm>();
    SeatRecord& seat = custom[0];
    const double W = TileW[0];
    const double H = TileH[0];
    const auto place = [&](int slot, int16_t image, int16_t code, double left) {
        seat.Slots[slot].State = SlotInHand;
        seat.Slots[slot].Code = code;
        seat.Slots[slot].Image = image;
        General::ShowTileImage(image, General::TilePictureOf(4, code));
        f.MJ_Image(image).Move(left, seat.HandY, W, H);
        ++seat.sum;
    };

    if (count != 1) {
        for (int i = 0; i < count; ++i) {
            const int slot = seat.FirstConcealed + seat.sum;
            if (slot > 20)
                return;
            const int16_t code = TileAt(tiles, i);
            const int16_t image = TakeWallTile(NearestWallPosition(WallEnd::Head));
            if (image < 0)
                return;
            place(slot, image, code, seat.HandX + slot * W);
            MoveWallEnd(WallEnd::Head);
        }
        return;
    }

    const int16_t code = TileAt(tiles, 3);
    const int slot = seat.FirstConcealed + seat.sum;
    const int16_t from = NearestWallPosition(NormalDraw ? WallEnd::Head : WallEnd::Tail);
    if (slot > 20 || from < 0)
        return;
    if (!NormalDraw) {
        // The hand closes up where the gang took its tiles.
        for (int i = seat.FirstConcealed; i < slot; ++i)
            f.MJ_Image(seat.Slots[i].Image).Move(seat.HandX + i * W, seat.HandY);
        SortHand(0, seat.sum);
    }
    const int16_t image = TakeWallTile(from);
    if (NormalDraw) {
        place(slot, image, code, seat.HandX + slot * W + (WildTile > 0 ? W / 2 : 0));
        AdvanceHeadPastTakenTile();
    } else {
        place(slot, image, code, seat.HandX + slot * W + W / 2);
        MoveWallEnd(WallEnd::Tail);
    }
    // The hand is complete: thirteen tiles, fourteen for the banker.
    if (WildTile < 0 && (seat.sum == 14 || (seat.sum == 13 && !seat.IsBanker))) {
        General::SleepSeconds(1.0f);
        SortHand(0, seat.sum);
    }
}

// Another seat: standing backs, stepping along its row.
void DrawOther(int16_t side, uint8_t count)
{
    MainForm& f = form<MainForm>();
    SeatRecord& seat = custom[side];
    const double SX = ScaleX;
    const double SY = ScaleY;
    const double W = TileW[side];
    const double H = TileH[side];
    const auto place = [&](int s, int16_t image, bool apart) {
        seat.Slots[s].State = SlotInHand;
        seat.Slots[s].Image = image;
        ++seat.sum;
        Image& tile = f.MJ_Image(image);
        switch (side) {
        case 1:
            tile.Move(seat.HandX - 5 * SX * s, seat.HandY + s * W / 2, W, H);
            if (apart)
                tile.SetTop(tile.Top() + 10 * SY);
            break;
        case 2:
            tile.Move(seat.HandX - s * W, seat.HandY, W, H);
            if (apart)
                tile.SetLeft(tile.Left() - 10 * SX);
            break;
        default:
            tile.Move(seat.HandX - 5 * SX * (s + 1), seat.HandY - (s + 1) * W / 2, W, H);
            if (apart)
                tile.SetTop(tile.Top() - 10 * SY);
            break;
        }
        General::ShowTileImage(image, static_cast<int16_t>(36 * side + 7));
        if (side == 1)
            tile.ZOrder(0);
        else if (side == 3)
            tile.ZOrder(1);
    };

    if (count == 1 && !NormalDraw) {
        const int slot = seat.FirstConcealed + seat.sum;
        if (slot > 20)
            return;
        const int16_t image = TakeWallTile(NearestWallPosition(WallEnd::Tail));
        if (image < 0)
            return;
        place(slot, image, true);
        MoveWallEnd(WallEnd::Tail);
        return;
    }
    for (int i = 0; i < count; ++i) {
        const int slot = seat.FirstConcealed + seat.sum;
        if (slot > 20)
            return;
        const int16_t image = TakeWallTile(NearestWallPosition(WallEnd::Head));
        if (image < 0)
            return;
        const bool apart = count == 1 && (WildTile > 0 || seat.sum + 1 == 14);
        place(slot, image, apart);
        AdvanceHeadPastTakenTile();
    }
}

} // namespace

void DrawFromWall(uint8_t seatMask, uint8_t count, std::span<const int16_t> tiles)
{
    const uint8_t mask = seatMask & 15;
    if (!General::IsOneSeat(mask))
        return;
    KeepWallEndsInRange();
    MoveParkedDiscardToPool(mask, count);
    CorrectWallEnd();

    const int16_t side = SideOfMask(custom[0].SeatMask, mask);
    for (int s = 0; s <= 3; ++s)
        SetTileSize(s, HandTileSize[s]);
    try {
        if (side == 0)
            DrawOwn(count, tiles);
        else
            DrawOther(side, count);
    } catch (const RuntimeError&) {
        // The tiles placed so far stay; the next draw is taken as this one was.
        return;
    }

    NormalDraw = true;
    if (WallTail % 2 == 0 && WildTile > 0 && WallTail / 34 == 1 && WallTail - WallHead == 1)
        if (Image* tail = WallTile(WallTail))
            tail->ZOrder(0);
}

} // namespace mj::Operate
