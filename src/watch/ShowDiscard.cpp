// A discard of any side, spoken, previewed and laid into its pool.
#include "watch/Side.h"

#include "client/Data.h"
#include "client/General.h"
#include "client/MainForm.h"
#include "client/Mod_Resource.h"
#include "client/Mod_Sound.h"
#include "seated/TableTiles.h"
#include "table/General.h"
#include "table/TileSizes.h"
#include "watch/HandRow.h"

namespace mj::Side {

namespace {

// How much larger than a pool tile the discard is shown at the centre.
constexpr double PreviewScale = 1.2;

} // namespace

void ShowDiscard(uint8_t seatMask, int16_t tile)
{
    if (!General::IsOneSeat(seatMask))
        return;
    ClaimedDiscard = tile;
    const int16_t side = SideOfMask(custom[0].SeatMask, seatMask);
    const int16_t code = tile & 0xFF;
    if (Mod_Sound::FunctionSoundOn && General::IsTileCode(code)) {
        Mod_Sound::PlayWave(Mod_Resource::VoiceFileName(Players[side], Mod_Resource::TileVoiceSuffix(code)), false, 0);
        Mod_Sound::SetWaveVolume(3000);
    }
    DiscarderSide = static_cast<uint8_t>(side);

    // The discard is the last back of the concealed run. A run without a
    // tile, or whose last slot shows none, has nothing to give: no tile
    // moves and no discard waits.
    SeatRecord& seat = custom[side];
    const int last = seat.FirstConcealed + seat.sum - 1;
    if (seat.sum < 1 || !seat.Slots.InBounds(last) || seat.Slots[last].Image < 0 || seat.Slots[last].Image > 135) {
        ClaimedDiscardImage = -1;
        return;
    }
    // The watched side gives up the tile of that code, whichever back goes.
    TakeFromWatchedRun(side, {{last, code}});
    const int16_t image = seat.Slots[last].Image;
    MainForm& f = form<MainForm>();
    Image& sprite = f.MJ_Image(image);

    SetTileSize(side, PoolTileSize[side]);
    ClaimedDiscardImage = image;
    // A code that names no tile lies in the pool as a lying back.
    General::ShowTileImage(image, General::IsTileCode(code) ? General::TilePictureOf(side, code)
                                                            : static_cast<int16_t>(36 * side + 8));
    if (WatchSynced) {
        const double w = PreviewScale * TileW[side];
        const double h = PreviewScale * TileH[side];
        const QPointF centre = General::TableCentre();
        sprite.Move(centre.x() - w / 2, centre.y() - h / 2, w, h);
        sprite.ZOrder(side == 1 || side == 2 ? 0 : 1);
        // The table is painted now: the pause handles no event.
        f.Pic1.Refresh();
        General::SleepSeconds(1.0f);
    }
    Operate::LayInPool(side, image);
    --seat.sum;

    // The turned wall tile of a snapshot stays over the pool tiles while its
    // hand lasts (the round reset forgets it).
    if (WatchSynced && SnapshotWallPos >= 0 && SnapshotWallPos <= 135)
        f.MJ_Image(SnapshotWallPos).ZOrder(0);
}

} // namespace mj::Side
