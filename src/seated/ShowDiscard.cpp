// A discard reported by the server.
#include "seated/Operate.h"

#include "client/Data.h"
#include "client/General.h"
#include "client/MainForm.h"
#include "client/Mod_Resource.h"
#include "client/Mod_Sound.h"
#include "seated/TableTiles.h"
#include "table/General.h"
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

} // namespace

void ShowDiscard(uint8_t seatMask, int16_t tile, int16_t /*unused*/)
{
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
    if (side == 0)
        return;

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
