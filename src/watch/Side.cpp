// A claim on the onlooker's table: announced with bubble, word and voice once
// the table is in step, then its tiles moved into the actor's meld row.
#include "watch/Side.h"

#include "client/Data.h"
#include "client/General.h"
#include "client/Image_Resource.h"
#include "client/MainForm.h"
#include "client/Mod_Resource.h"
#include "client/Mod_Sound.h"
#include "controls/Score.h"
#include "seated/Operate.h"
#include "seated/SetAside.h"
#include "table/General.h"
#include "table/TileSizes.h"
#include "watch/HandRow.h"

namespace mj::Side {

namespace {

// A meld tile of each side on the onlooker's table, in design pixels.
constexpr TileSize WatchMeldTileSize[] = {{45, 56}, {45, 35}, {34, 40}, {45, 35}};

// Entries of WordPicture.
enum Word : int { WordChi = 0, WordPeng = 1, WordGang = 2, WordConcealedGang = 3, WordRedDragonGang = 4,
                  WordWildTileGang = 5, WordAddedGang = 6, WordHu = 7 };

// Red dragons and wild tiles a side can set aside, each.
constexpr int SetAsideLimit = 4;

// The name colours of the score sheet: the winner and the others.
constexpr int32_t WinnerColour = 0xFF, OthersColour = 0xFF00;

class Claim {
public:
    Claim(int16_t op, int16_t side, const VbArray<int16_t, 0, 2>& tiles)
        : op_(op), side_(side), seat_(custom[side]), f_(form<MainForm>())
    {
        for (int k = 0; k <= 2; ++k)
            code_[k] = static_cast<int16_t>(tiles[k] & 0xFF);
        W_ = TileW[side];
        H_ = TileH[side];
    }

    void Announce()
    {
        if (op_ > OpPass)
            Operate::ShowSpeechBubble(side_);
        int word = -1;
        QString suffix;
        switch (op_) {
        case OpChi: word = WordChi, suffix = QStringLiteral("01"); break;
        case OpPeng: word = WordPeng, suffix = QStringLiteral("02"); break;
        case OpExposedGang: word = WordGang, suffix = QStringLiteral("03"); break;
        case OpConcealedGang: word = WordConcealedGang, suffix = QStringLiteral("03"); break;
        case OpAddedGang:
            if (IsRedDragon())
                word = WordRedDragonGang, suffix = QStringLiteral("04");
            else if (IsWildTile())
                word = WordWildTileGang, suffix = QStringLiteral("05");
            else
                word = WordAddedGang, suffix = QStringLiteral("03");
            break;
        case OpHu: word = WordHu, suffix = QStringLiteral("09"); break;
        default: break;
        }
        if (word >= 0)
            Image_Resource::LoadGifResource(CInt(Image_Resource::WordPicture[word]), QStringLiteral("GIF"), f_.Words);
        if (Mod_Sound::FunctionSoundOn) {
            // With no claim word the file name is empty: the sound playing
            // stops and nothing plays.
            const QString file = suffix.isEmpty() ? QString() : Mod_Resource::VoiceFileName(Players[side_], suffix);
            Mod_Sound::PlayWave(file, false, 0);
            Mod_Sound::SetWaveVolume(3000);
        }
        // The table is painted now: the pause handles no event.
        f_.Pic1.Refresh();
        General::SleepSeconds(2.0f);
        f_.Speak(side_ - 1).SetVisible(false);
        f_.Words.SetVisible(false);
    }

    void Meld()
    {
        switch (op_) {
        case OpChi:
        case OpPeng:
            ChiOrPeng();
            break;
        case OpExposedGang:
        case OpConcealedGang:
            NormalDraw = false;
            Gang();
            break;
        case OpAddedGang:
            NormalDraw = false;
            SetAside();
            break;
        case OpHu:
            Hu();
            break;
        default:
            break;
        }
        RestackRow();
        // After the row's re-stack the tiles set aside lie over it again.
        if (op_ == OpAddedGang)
            Operate::RestackSetAside(side_);
    }

private:
    // A code that names no tile is neither a red dragon nor a wild tile.
    bool IsRedDragon() const { return code_[2] == TileRedDragon; }
    bool IsWildTile() const { return General::IsTileCode(code_[2]) && code_[2] == WildTile; }

    Image& Sprite(int16_t image) { return f_.MJ_Image(image); }
    int16_t Face(int k) const { return General::TilePictureOf(side_, code_[k]); }
    int16_t LyingBack() const { return static_cast<int16_t>(36 * side_ + 8); }
    static bool DiscardWaits() { return ClaimedDiscardImage >= 0 && ClaimedDiscardImage <= 135; }

    // A meld tile of slot s: size, place and drawing order (a gang leaves
    // the watched and the opposite tiles where they are in the order).
    void PlaceMeldTile(int s, int16_t image, bool gang)
    {
        Image& tile = Sprite(image);
        tile.SetHeight(H_);
        tile.SetWidth(W_);
        const double SX = ScaleX, SY = ScaleY;
        const double x = seat_.HandX, y = seat_.HandY;
        switch (side_) {
        case 0:
            tile.Move(x + s * (W_ - 2 * SX), y);
            if (!gang)
                tile.ZOrder(0);
            break;
        case 1:
            tile.Move(x - 5 * SX * s, y + s * (H_ - 17 * SY));
            tile.ZOrder(0);
            break;
        case 2:
            tile.Move(x - s * W_, y);
            break;
        default:
            tile.Move(x - 5 * SX * s - 10 * SX, y - s * (H_ - 17 * SY));
            tile.ZOrder(1);
            break;
        }
    }

    // The claimed discard leaves its pool: the discarder's cursor goes back
    // to where it lay, and the right pool's list drops it.
    static void RewindPool()
    {
        SeatRecord& discarder = custom[DiscarderSide];
        discarder.PoolX = PoolCursorBeforeDiscardX;
        discarder.PoolY = PoolCursorBeforeDiscardY;
        if (DiscarderSide == 3 && RightPoolCount > 0)
            --RightPoolCount;
    }

    void ChiOrPeng()
    {
        // A claim finds the waiting discard and two hand tiles beside the
        // one that moves, or it moves nothing.
        if (!DiscardWaits() || seat_.sum < 3)
            return;
        const int ME = seat_.MeldEnd, F = seat_.FirstConcealed, n = seat_.sum;
        // Every slot the step writes is checked before anything moves.
        for (int s : {ME - 2, ME, F + n})
            (void)seat_.Slots[s];
        // The hand gives the claim's tiles less the discard.
        VbArray<int16_t, 0, 2> fromHand = code_;
        for (int k = 0; k <= 1; ++k)
            if (fromHand[k] == (ClaimedDiscard & 0xFF))
                std::swap(fromHand[k], fromHand[2]);
        TakeFromWatchedRun(side_, {{F, fromHand[0]}, {F + 1, fromHand[1]}});
        RewindPool();
        seat_.Slots[ME - 2] = seat_.Slots[F];
        seat_.Slots[ME - 1] = seat_.Slots[F + 1];
        seat_.Slots[ME].Image = ClaimedDiscardImage;
        ClaimedDiscardImage = -1;
        if (op_ == OpPeng)
            for (int k = 0; k <= 2; ++k) {
                seat_.Slots[ME - 2 + k].State = SlotPeng;
                seat_.Slots[ME - 2 + k].Code = code_[k];
            }
        seat_.Slots[F + n] = seat_.Slots[F + 2];
        seat_.sum = static_cast<int16_t>(n - 2);
        seat_.FirstConcealed = static_cast<int16_t>(F + 3);
        for (int k = 0; k <= 2; ++k) {
            const int16_t image = seat_.Slots[ME - 2 + k].Image;
            PlaceMeldTile(ME - 2 + k, image, false);
            General::ShowTileImage(image, Face(k));
        }
        seat_.MeldEnd = static_cast<int16_t>(ME + 3);
        // The third hand tile stands at its new slot, the last of the run,
        // by the hand-row rule, so the row stays in order.
        PlaceInHandRow(side_, F + n, seat_.Slots[F + n].Image, false);
    }

    void Gang()
    {
        const bool concealed = op_ == OpConcealedGang;
        if (concealed ? seat_.sum < 4 : !DiscardWaits() || seat_.sum < 3)
            return;
        const int ME = seat_.MeldEnd, F = seat_.FirstConcealed, n = seat_.sum;
        for (int s : {ME - 2, ME, F + n - 1})
            (void)seat_.Slots[s];
        if (concealed)
            TakeFromWatchedRun(side_, {{F, code_[0]}, {F + 1, code_[1]}, {F + 2, code_[2]}, {F + n - 1, code_[2]}});
        else
            TakeFromWatchedRun(side_, {{F, code_[0]}, {F + 1, code_[1]}, {F + 2, code_[2]}});
        if (!concealed)
            RewindPool();
        seat_.Slots[ME] = seat_.Slots[F];
        seat_.Slots[ME - 1] = seat_.Slots[F + 1];
        seat_.Slots[ME - 2] = seat_.Slots[F + 2];
        // The fourth tile: the claimed discard, or the concealed gang's last
        // hand tile.
        const int16_t fourth = concealed ? seat_.Slots[F + n - 1].Image : ClaimedDiscardImage;
        if (!concealed)
            ClaimedDiscardImage = -1;
        Image& top = Sprite(fourth);
        top.ZOrder(0);
        seat_.sum = static_cast<int16_t>(n - 3);
        seat_.FirstConcealed = static_cast<int16_t>(F + 3);
        top.SetHeight(H_);
        top.SetWidth(W_);

        const auto picture = [&](int k) {
            if (side_ == 0)
                return Face(2);
            return concealed ? LyingBack() : Face(k);
        };
        for (int k = 0; k <= 2; ++k) {
            const int16_t image = seat_.Slots[ME - 2 + k].Image;
            PlaceMeldTile(ME - 2 + k, image, true);
            General::ShowTileImage(image, picture(k));
        }
        const double SY = ScaleY;
        const Image& middle = Sprite(seat_.Slots[ME - 1].Image);
        switch (side_) {
        case 0:
            top.Move(middle.Left(), seat_.HandY - 18 * SY);
            break;
        case 2:
            top.Move(seat_.HandX - (ME - 1) * W_, seat_.HandY - 18 * SY);
            break;
        default:
            top.Move(middle.Left(), middle.Top() - 18 * SY);
            top.ZOrder(0);
            break;
        }
        General::ShowTileImage(fourth, picture(2));
        if (concealed)
            --seat_.sum;
        seat_.MeldEnd = static_cast<int16_t>(ME + 3);
    }

    // Operation 0x40: the last tile drawn is set aside (a red dragon or the
    // wild tile, stacked upwards beside the row) or added to its peng.
    void SetAside()
    {
        if (seat_.sum < 1)
            return;
        const int ME = seat_.MeldEnd, F = seat_.FirstConcealed, n = seat_.sum;
        TakeFromWatchedRun(side_, {{F + n - 1, code_[2]}});
        seat_.Slots[ME - 2] = seat_.Slots[F + n - 1];
        const int16_t image = seat_.Slots[ME - 2].Image;
        Image& tile = Sprite(image);
        tile.ZOrder(0);
        tile.SetHeight(H_);
        tile.SetWidth(W_);
        seat_.sum = static_cast<int16_t>(n - 1);
        if (IsRedDragon() && seat_.RedCount == 0)
            seat_.Slots[0] = seat_.Slots[ME - 2];

        if (IsRedDragon() || IsWildTile()) {
            const bool red = IsRedDragon();
            int16_t& count = red ? seat_.RedCount : seat_.WildCount;
            const int k = count;
            if (k >= SetAsideLimit)
                Raise(ErrSubscript);
            if (side_ != 2)
                SpecialTileImages(side_, (red ? 0 : 4) + k) = image;
            ++count;
            Operate::LaySetAside(side_, image, code_[2], red, k);
        } else {
            AddToPeng(tile, image);
        }
    }

    // The added gang goes on the middle tile of the first peng of its code;
    // with none it stays a back in the row.
    void AddToPeng(Image& tile, int16_t image)
    {
        const double SX = ScaleX, SY = ScaleY;
        const double x = seat_.HandX, y = seat_.HandY;
        for (int g = side_ == 0 ? 1 : 2; g + 2 <= seat_.MeldEnd - 3; g += 3) {
            bool peng = true;
            for (int s = g; s <= g + 2; ++s)
                peng = peng && seat_.Slots[s].State == SlotPeng && seat_.Slots[s].Code == code_[2];
            if (!peng)
                continue;
            const int m = g + 1;
            switch (side_) {
            case 0: tile.Move(x + m * (W_ - 2 * SX), y - 18 * SY); break;
            case 1: tile.Move(x - 5 * SX * m, y + m * (H_ - 17 * SY) - 17 * SY); break;
            case 2: tile.Move(x - m * W_, y - 18 * SY); break;
            default:
                tile.Move(Sprite(seat_.Slots[m].Image).Left(), y - m * (H_ - 17 * SY) - 17 * SY);
                break;
            }
            General::ShowTileImage(image, Face(2));
            return;
        }
    }

    void Hu()
    {
        if (WinnerSide >= 0)
            return;
        Score& sheet = form<Score>();
        for (int i = 0; i <= 3; ++i)
            sheet.ID(i).SetForeColor(OthersColour);
        WinnerSide = side_;
        sheet.ID(side_).SetForeColor(WinnerColour);
    }

    // The left and right rows: shown again tile by tile, so that a lower tile
    // lies in front of the one above it.
    void RestackRow()
    {
        if (side_ != 1 && side_ != 3)
            return;
        const int first = seat_.FirstConcealed, last = first + seat_.sum - 1;
        for (int s = first; s <= last; ++s)
            Sprite(seat_.Slots[s].Image).SetVisible(false);
        for (int s = first; s <= last; ++s) {
            Image& tile = Sprite(seat_.Slots[s].Image);
            tile.SetVisible(true);
            tile.ZOrder(side_ == 1 ? 0 : 1);
        }
    }

    const int16_t op_;
    const int16_t side_;
    SeatRecord& seat_;
    MainForm& f_;
    VbArray<int16_t, 0, 2> code_;
    double W_ = 0, H_ = 0;
};

} // namespace

void ShowOperation(int16_t op, uint8_t seatMask, const VbArray<int16_t, 0, 2>& tiles)
{
    if (!General::IsOneSeat(seatMask))
        return;
    for (int16_t s = 0; s <= 3; ++s)
        SetTileSize(s, WatchMeldTileSize[s]);
    const int16_t side = SideOfMask(custom[0].SeatMask, seatMask);
    Claim claim(op, side, tiles);
    if (side != 0 && WatchSynced)
        claim.Announce();
    claim.Meld();
}

} // namespace mj::Side
