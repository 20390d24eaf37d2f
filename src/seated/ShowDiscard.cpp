// A discard reported by the server.
#include "seated/Operate.h"

#include "client/Data.h"
#include "client/General.h"
#include "client/MainForm.h"
#include "client/Mod_Resource.h"
#include "client/Mod_Sound.h"
#include "seated/TableTiles.h"
#include "table/General.h"
#include "table/Operate.h"
#include "table/TileSizes.h"

namespace mj::Operate {

namespace {

// Each step is tried on its own; a failing one is skipped.
template <class Step>
void Attempt(Step step)
{
    try {
        step();
    } catch (const RuntimeError&) {
    }
}

// The own discard the player did not park (the server played it for the
// seat): the last concealed tile of that code leaves the hand and is parked
// at the table's centre as the player's discard would be, and the run closes
// up. A hand without the tile parks nothing.
void ParkUnparkedOwnDiscard(int16_t code)
{
    SeatRecord& own = custom[0];
    MainForm& table = form<MainForm>();
    ClaimedDiscardImage = -1;
    int slot = -1;
    for (int i = own.FirstConcealed + own.sum - 1; i >= own.FirstConcealed && i >= 0; --i)
        if (i <= 20 && (own.Slots[i].Code & 0xFF) == code) {
            slot = i;
            break;
        }
    if (slot < 0 || own.Slots[slot].Image < 0 || own.Slots[slot].Image > 135)
        return;
    const int16_t image = own.Slots[slot].Image;
    SetTileSize(0, HandTileSize[0]);
    for (int j = slot; j <= own.FirstConcealed + own.sum - 2 && j < 20; ++j) {
        own.Slots[j] = own.Slots[j + 1];
        Attempt([&] { table.MJ_Image(own.Slots[j].Image).Move(own.HandX + j * TileW[0], own.HandY); });
    }
    --own.sum;
    Attempt([&] { SortHand(0, own.sum); });
    Image& sprite = table.MJ_Image(image);
    SetTileSize(0, PoolTileSize[0]);
    General::ShowTileImage(image, General::TilePictureOf(0, code));
    ParkAtCentre(sprite, TileW[0], TileH[0]);
    sprite.ZOrder(1);
    sprite.SetVisible(true);
    ClaimedDiscardImage = image;
}

// The server reports an own discard of another tile than the one parked (a
// late click, or one sent on reconnection, that the server did not take):
// the parked tile goes back into the hand, at the end of the concealed run
// in the hand's size and face, and the reported tile leaves the hand for the
// centre as an unparked discard does. A hand without the reported tile, or
// without room for the parked one, keeps the parked tile where it is.
void ReturnParkedOwnDiscard(int16_t code)
{
    SeatRecord& own = custom[0];
    const int back = own.FirstConcealed + own.sum;
    bool held = false;
    for (int i = own.FirstConcealed; i < back && i <= 20; ++i)
        held = held || (i >= 0 && (own.Slots[i].Code & 0xFF) == code);
    if (!held || back < 0 || back > 20)
        return;
    const int16_t image = ClaimedDiscardImage;
    own.Slots[back] = TileSlot{SlotInHand, static_cast<int16_t>(ParkedOwnTile & 0xFF), image};
    ++own.sum;
    SetTileSize(0, HandTileSize[0]);
    Image& sprite = form<MainForm>().MJ_Image(image);
    General::ShowTileImage(image, General::TilePictureOf(4, ParkedOwnTile & 0xFF));
    sprite.Move(own.HandX + back * TileW[0], own.HandY, TileW[0], TileH[0]);
    ParkUnparkedOwnDiscard(code);
}

} // namespace

void ShowDiscard(uint8_t seatMask, int16_t tile, int16_t /*unused*/)
{
    // The player's own discard is parked before the server reports it: it is
    // then the parked discard, of the own side, no longer in the hand.
    bool ownParked = false;
    Attempt([&] {
        ownParked = DiscarderSide == 0 && ClaimedDiscardImage >= 0 && ClaimedDiscardImage <= 135
            && !General::HandHasImage(ClaimedDiscardImage);
    });
    ClaimedDiscard = tile;
    if (tile == 0)
        return;
    General::SleepSeconds(0.05f);

    const uint8_t mask = seatMask & 15;
    if (!General::IsOneSeat(mask)) {
        ClaimedDiscardImage = -1;
        return;
    }
    const int16_t side = SideOfMask(custom[0].SeatMask, mask);
    const int16_t code = tile & 0xFF;
    if (Mod_Sound::FunctionSoundOn && General::IsTileCode(code))
        Mod_Sound::PlayWave(Mod_Resource::VoiceFileName(Players[side], Mod_Resource::TileVoiceSuffix(code)), false, 0);

    DiscarderSide = static_cast<uint8_t>(side);
    if (side == 0) {
        if (!ownParked)
            ParkUnparkedOwnDiscard(code);
        else if (ParkedOwnTile != 0 && (ParkedOwnTile & 0xFF) != code)
            ReturnParkedOwnDiscard(code);
        ParkedOwnTile = 0;
        return;
    }

    // The discarded tile is the last of the concealed run; a run without
    // one, or one whose last slot shows no tile, parks nothing.
    SeatRecord& seat = custom[side];
    const int last = seat.FirstConcealed + seat.sum - 1;
    if (seat.sum < 1 || last < 0 || last > 20 || seat.Slots[last].Image < 0 || seat.Slots[last].Image > 135) {
        ClaimedDiscardImage = -1;
        return;
    }
    const int16_t image = seat.Slots[last].Image;
    Image& sprite = form<MainForm>().MJ_Image(image);
    Attempt([&] { SetTileSize(side, PoolTileSize[side]); });
    Attempt([&] { ClaimedDiscardImage = image; });
    Attempt([&] { General::ShowTileImage(image, General::TilePictureOf(side, code)); });
    Attempt([&] { ParkAtCentre(sprite, TileW[side], TileH[side]); });
    Attempt([&] { sprite.ZOrder(0); });
    Attempt([&] { --seat.sum; });
}

} // namespace mj::Operate
