// A claim reported by the server: chi, peng, the gangs and hu of any seat.
#include "seated/Operate.h"
#include "seated/SetAside.h"

#include "client/Data.h"
#include "client/General.h"
#include "client/Image_Resource.h"
#include "client/MainForm.h"
#include "client/Mod_Resource.h"
#include "client/Mod_Sound.h"
#include "client/SoftTimer.h"
#include "controls/Score.h"
#include "platform/Placement.h"
#include "table/General.h"
#include "table/TileSizes.h"

#include <algorithm>

namespace mj::Operate {

namespace {

constexpr int16_t RedDragon = 0x15;
// Red and wild tiles set aside: four of each kind at most.
constexpr int16_t SetAsideLimit = 4;
// A gang record is kept for each of this many gangs.
constexpr int GangRecordLimit = 16;

// The lying back of each side's view (a tile picture entry), and the picture
// resource that marks the tile taken from the discarder.
constexpr int16_t LyingBack[] = {8, 180, 80, 181};
constexpr int16_t ClaimedMarker[] = {353, 245, 281, 317};

// Word pictures of the claims.
enum Word : int { WordChi = 0, WordPeng = 1, WordGang = 2, WordConcealedGang = 3, WordRedDragonGang = 4,
                  WordOpenGang = 6, WordHu = 7 };

Image& Sprite(int16_t image)
{
    return form<MainForm>().MJ_Image(image);
}

bool IsImage(int16_t image)
{
    return image >= 0 && image <= 135;
}

// One claim being drawn: the side that claims and the tiles.
class Claim {
public:
    Claim(int16_t op, int16_t side, const ClaimTiles& tiles)
        : op_(op), side_(side), tiles_(tiles), seat_(custom[side])
    {
    }

    void Apply()
    {
        if (side_ > 0)
            Announce();
        switch (op_) {
        case OpChi:
        case OpPeng:
            ChiOrPeng();
            break;
        case OpExposedGang:
        case OpConcealedGang:
            Gang();
            break;
        case OpAddedGang:
            AddedGang();
            break;
        case OpHu:
            Step([&] { Hu(); });
            break;
        default:
            break;
        }
        Restack();
    }

private:
    // Another seat's failing step is skipped and the next one runs; the own
    // seat's raises to the caller.
    template <class Fn>
    void Step(Fn fn)
    {
        if (side_ == 0) {
            fn();
            return;
        }
        try {
            fn();
        } catch (const RuntimeError&) {
        }
    }

    void Announce()
    {
        MainForm& f = form<MainForm>();
        if (op_ > OpPass)
            ShowSpeechBubble(side_);
        QString suffix;
        Step([&] {
            int word = -1;
            switch (op_) {
            case OpChi:
                word = WordChi, suffix = QStringLiteral("01");
                break;
            case OpPeng:
                word = WordPeng, suffix = QStringLiteral("02");
                break;
            case OpExposedGang:
                word = WordGang, suffix = QStringLiteral("03");
                break;
            case OpConcealedGang:
                word = WordConcealedGang, suffix = QStringLiteral("03");
                break;
            case OpAddedGang:
                word = tiles_[2] == RedDragon ? WordRedDragonGang : WordOpenGang;
                suffix = QStringLiteral("03");
                break;
            case OpHu:
                word = WordHu, suffix = QStringLiteral("09");
                break;
            default:
                break;
            }
            if (word >= 0)
                Image_Resource::LoadGifResource(CInt(Image_Resource::WordPicture[word]), QStringLiteral("GIF"),
                                                f.Words);
        });
        Step([&] {
            if (Mod_Sound::FunctionSoundOn) {
                const QString file = suffix.isEmpty() ? QString() : Mod_Resource::VoiceFileName(Players[side_], suffix);
                Mod_Sound::PlayWave(file, false, side_);
            }
        });
        Step([&] {
            BubbleHideOn = true;
            BubbleHideTicks = 0;
            BubbleSide = static_cast<int16_t>(side_ - 1);
        });
        for (int i = 1; i <= 3; ++i)
            if (i != side_)
                Step([&] { f.Speak(i - 1).SetVisible(false); });
    }

    // ---- Chi and peng ------------------------------------------------------

    void ChiOrPeng()
    {
        if (side_ == 0) {
            OwnChiOrPeng();
            return;
        }
        // A run too short for the claim, or no parked discard, moves nothing.
        if (seat_.sum < 3 || !IsImage(ClaimedDiscardImage))
            return;
        const bool peng = op_ == OpPeng;
        const int16_t me = seat_.MeldEnd;
        const int16_t first = seat_.FirstConcealed;
        Step([&] { seat_.Slots[me - 2] = seat_.Slots[first]; });
        Step([&] { seat_.Slots[me - 1] = seat_.Slots[first + 1]; });
        Step([&] { seat_.Slots[me].Image = ClaimedDiscardImage; });
        if (peng)
            Step([&] {
                for (int p = 0; p <= 2; ++p) {
                    seat_.Slots[me - p].State = SlotPeng;
                    seat_.Slots[me - p].Code = tiles_[2 - p];
                }
            });
        Step([&] { seat_.Slots[first + seat_.sum] = seat_.Slots[first + 2]; });
        seat_.sum -= 2;
        seat_.FirstConcealed += 3;
        for (int p = 2; p >= 0; --p)
            Step([&] {
                const int16_t image = seat_.Slots[me - p].Image;
                if (MarkClaimedTile && peng && (side_ + 3 - p) % 4 == DiscarderSide)
                    General::ShowTileImage(image, LyingBack[side_]);
                else
                    General::ShowTileImage(image, General::TilePictureOf(side_, tiles_[2 - p]));
                PlaceInMeldRow(static_cast<int16_t>(me - p));
                if (p == ActorSeat % 3)
                    MarkClaimed(image);
            });
        seat_.MeldEnd += 3;
        Step([&] { PlaceLastApart(); });
    }

    void OwnChiOrPeng()
    {
        const int16_t first = seat_.FirstConcealed, n = seat_.sum;
        if (op_ == OpChi) {
            const int16_t a = ChiChoices[0], b = ChiChoices[1];
            if (!Staged(SlotChi) || a < first || a >= b || b > first + n - 1)
                return;
            LayOwnChi(a, b, tiles_);
        } else {
            if (!Staged(SlotPeng) || !HoldsPair(tiles_[0]))
                return;
            LayOwnPeng(tiles_);
        }
        seat_.sum -= 2;
        seat_.FirstConcealed += 3;
        seat_.MeldEnd += 3;
    }

    // The own claim sender left the next meld's slots holding tile images in
    // the state of this claim (an added gang stages its first slot only).
    bool Staged(int16_t state, int count = 3) const
    {
        const int16_t me = seat_.MeldEnd;
        if (me - 2 < 0 || me > 20)
            return false;
        for (int s = me - 2; s < me - 2 + count; ++s)
            if (seat_.Slots[s].State != state || !IsImage(seat_.Slots[s].Image))
                return false;
        return true;
    }
    // The concealed run holds two neighbouring tiles of `code`.
    bool HoldsPair(int16_t code) const
    {
        const int first = seat_.FirstConcealed;
        for (int j = first; j <= first + seat_.sum - 2; ++j)
            if (j >= 0 && j + 1 <= 20 && seat_.Slots[j].Code == code && seat_.Slots[j + 1].Code == code)
                return true;
        return false;
    }
    // The concealed run holds slots from..to.
    bool InRun(int from, int to) const
    {
        return from >= seat_.FirstConcealed && from <= to && to <= seat_.FirstConcealed + seat_.sum - 1 && to <= 20;
    }

    // Another seat's meld row: slot s's tile at the meld size, and its place
    // in the drawing order (the left row's lower tiles cover the upper ones,
    // the right row's the other way round).
    void PlaceInMeldRow(int16_t s)
    {
        Image& sprite = Sprite(seat_.Slots[s].Image);
        const float x = seat_.HandX, y = seat_.HandY, sx = ScaleX, sy = ScaleY;
        switch (side_) {
        case 1:
            sprite.Move(x - 5 * sx * s, y + s * (TileH[1] - 17 * sy), TileW[1], TileH[1]);
            sprite.ZOrder(0);
            break;
        case 2:
            sprite.Move(x - s * TileW[2], y, TileW[2], TileH[2]);
            break;
        default:
            sprite.Move(x - 5 * sx * s - 10 * sx, y - s * (TileH[3] - 17 * sy), TileW[3], TileH[3]);
            sprite.ZOrder(1);
            break;
        }
    }
    void MarkClaimed(int16_t image)
    {
        Image_Resource::LoadGifResource(ClaimedMarker[side_], QStringLiteral("GIF"), Sprite(image));
    }
    // The tile moved to the end of the hand stands a little apart from it.
    void PlaceLastApart()
    {
        const int last = seat_.FirstConcealed + seat_.sum - 1;
        Image& sprite = Sprite(seat_.Slots[last].Image);
        const Image& before = Sprite(seat_.Slots[last - 1].Image);
        switch (side_) {
        case 1:
            sprite.Move(before.Left() - 5 * ScaleX, before.Top() + 1.3 * TileW[1] * 0.5);
            break;
        case 2:
            sprite.SetLeft(seat_.HandX - (last + 1.3) * TileW[2]);
            break;
        default:
            sprite.Move(before.Left() - 5 * ScaleX, before.Top() - 1.3 * TileW[3] * 0.5);
            break;
        }
    }

    // ---- Gangs on a discard and concealed gangs ----------------------------

    void Gang()
    {
        const bool concealed = op_ == OpConcealedGang;
        const int16_t me = seat_.MeldEnd;
        const int16_t first = seat_.FirstConcealed;
        LeaveTheNextDrawToTheTail();
        if (side_ == 0) {
            OwnGang(concealed);
            return;
        }
        // A run too short for the gang, or a gang on a discard without a
        // parked discard, moves nothing.
        if (seat_.sum < (concealed ? 4 : 3) || (!concealed && !IsImage(ClaimedDiscardImage)))
            return;
        Step([&] { seat_.Slots[me] = seat_.Slots[first]; });
        Step([&] { seat_.Slots[me - 1] = seat_.Slots[first + 1]; });
        Step([&] { seat_.Slots[me - 2] = seat_.Slots[first + 2]; });
        if (concealed)
            Step([&] {
                ClaimedDiscardImage = seat_.Slots[first + seat_.sum - 1].Image;
                if (GangCount < GangRecordLimit) {
                    GangImages[GangCount] = ClaimedDiscardImage;
                    GangTiles[GangCount] = tiles_[0];
                    GangSeats[GangCount] = static_cast<uint8_t>(side_);
                    ++GangCount;
                }
            });
        Step([&] { Sprite(ClaimedDiscardImage).ZOrder(0); });
        seat_.sum -= 3;
        seat_.FirstConcealed += 3;
        SizeMeldSlots(me);
        Step([&] {
            Image& fourth = Sprite(ClaimedDiscardImage);
            fourth.SetHeight(TileH[side_]);
            fourth.SetWidth(TileW[side_]);
        });
        for (int p = 2; p >= 0; --p)
            Step([&] {
                const int16_t image = seat_.Slots[me - p].Image;
                PlaceInMeldRow(static_cast<int16_t>(me - p));
                if (concealed) {
                    General::ShowTileImage(image, LyingBack[side_]);
                    return;
                }
                if (MarkClaimedTile && (side_ + 3 - p) % 4 == DiscarderSide)
                    General::ShowTileImage(image, LyingBack[side_]);
                else
                    General::ShowTileImage(image, General::TilePictureOf(side_, tiles_[2 - p]));
                if (p == ActorSeat % 3)
                    MarkClaimed(image);
            });
        Step([&] {
            Image& fourth = Sprite(ClaimedDiscardImage);
            if (side_ == 2) {
                fourth.Move(seat_.HandX - TileW[2] * (me - 1.0f), seat_.HandY - 16 * ScaleY);
            } else {
                const Image& middle = Sprite(seat_.Slots[me - 1].Image);
                fourth.Move(middle.Left(), middle.Top() - 18 * ScaleY);
                fourth.ZOrder(0);
            }
        });
        Step([&] { General::ShowTileImage(ClaimedDiscardImage, General::TilePictureOf(side_, tiles_[0])); });
        if (concealed)
            --seat_.sum;
        seat_.MeldEnd += 3;
    }

    void OwnGang(bool concealed)
    {
        const int16_t g = GangChoices[0];
        if (!Staged(concealed ? SlotConcealedGang : SlotExposedGang) || !InRun(g, g + (concealed ? 3 : 2))
            || (!concealed && !IsImage(ClaimedDiscardImage)))
            return;
        SizeMeldSlots(seat_.MeldEnd);
        if (concealed)
            LayOwnConcealedGang(g, tiles_);
        else
            LayOwnExposedGang(g, tiles_);
        seat_.sum -= concealed ? 4 : 3;
        seat_.FirstConcealed += 3;
        seat_.MeldEnd += 3;
    }

    // Whatever a gang's own steps can draw, the server's next draw for the
    // seat is the replacement from the wall's tail, and the parked discard
    // (now in the meld, or the claimable tile) stays where it is.
    static void LeaveTheNextDrawToTheTail()
    {
        NormalDraw = false;
        SkipDiscardMove = true;
    }

    void SizeMeldSlots(int16_t me)
    {
        for (int s = me - 2; s <= me; ++s)
            Step([&] {
                Image& sprite = Sprite(seat_.Slots[s].Image);
                sprite.SetHeight(TileH[side_]);
                sprite.SetWidth(TileW[side_]);
            });
    }

    // ---- Added gangs and tiles set aside -----------------------------------

    void AddedGang()
    {
        const int16_t me = seat_.MeldEnd;
        const int16_t first = seat_.FirstConcealed;
        const int16_t added = tiles_[2];
        LeaveTheNextDrawToTheTail();
        if (side_ == 0) {
            const int16_t g = GangChoices[0];
            if (!Staged(SlotAddedGang, 1) || !InRun(g, g))
                return;
        } else if (seat_.sum < 1) {
            return;
        }
        if (side_ > 0) {
            Step([&] { seat_.Slots[me - 2] = seat_.Slots[first + seat_.sum - 1]; });
            Step([&] { Sprite(seat_.Slots[me - 2].Image).SetVisible(false); });
            Step([&] {
                ClaimedDiscardImage = seat_.Slots[me - 2].Image;
                ClaimedDiscard = added;
            });
            --seat_.sum;
        }
        Step([&] {
            Image& sprite = Sprite(seat_.Slots[me - 2].Image);
            sprite.ZOrder(0);
            sprite.SetWidth(TileW[side_]);
            sprite.SetHeight(TileH[side_]);
        });
        if (side_ == 0) {
            LayOwnAddedGang(GangChoices[0]);
            --seat_.sum;
        }
        Step([&] {
            const int m = PengSlotOf(added);
            if (m < 0)
                SetAside(added);
            else
                LayOnPeng(m, added);
        });
        if (side_ > 0)
            Step([&] { Sprite(seat_.Slots[me - 2].Image).SetVisible(true); });
    }

    // The middle slot of the seat's peng of `code`; -1 when it has none.
    int PengSlotOf(int16_t code) const
    {
        for (int i = side_ == 0 ? 1 : 2; i <= seat_.MeldEnd - 3; ++i) {
            if (seat_.Slots[i].State != SlotPeng || seat_.Slots[i].Code != code)
                continue;
            const bool next = i + 1 <= 20 && seat_.Slots[i + 1].State == SlotPeng && seat_.Slots[i + 1].Code == code;
            return next ? i + 1 : i;
        }
        return -1;
    }

    void LayOnPeng(int m, int16_t code)
    {
        const int16_t image = seat_.Slots[seat_.MeldEnd - 2].Image;
        Image& sprite = Sprite(image);
        const float x = seat_.HandX, y = seat_.HandY, sx = ScaleX, sy = ScaleY;
        switch (side_) {
        case 0:
            sprite.Move(Sprite(seat_.Slots[m].Image).Left(), y - 18 * sy + 29 * sy);
            break;
        case 1:
            sprite.Move(x - 5 * sx * m, y + m * (TileH[1] - 17 * sy) - 17 * sy);
            break;
        case 2:
            sprite.Move(x - m * TileW[2], y - 18 * sy);
            break;
        default:
            sprite.Move(Sprite(seat_.Slots[m].Image).Left(), y - m * (TileH[3] - 17 * sy) - 17 * sy);
            break;
        }
        General::ShowTileImage(image, General::TilePictureOf(side_, code));
    }

    // A red dragon or a wild tile with no peng to go on is set aside beside
    // the hand row, each of a kind one step higher than the one before; it
    // must not stay in the hand row, where later tiles would slide under it.
    void SetAside(int16_t code)
    {
        const int16_t image = seat_.Slots[seat_.MeldEnd - 2].Image;
        const bool red = code == RedDragon;
        if (red && seat_.RedCount == 0)
            seat_.Slots[0] = seat_.Slots[seat_.MeldEnd - 2];
        int16_t& count = red ? seat_.RedCount : seat_.WildCount;
        // A tile past the fourth of its kind lies on the fourth.
        const int k = std::min<int>(count, SetAsideLimit - 1);
        if (count < SetAsideLimit) {
            if (side_ != 2)
                SpecialTileImages(side_, (red ? 0 : 4) + k) = image;
            ++count;
        }
        LaySetAside(side_, image, code, red, k);
    }

    // ---- Hu -------------------------------------------------------------------

    void Hu()
    {
        if (WinnerSide >= 0)
            return;
        Score& sheet = form<Score>();
        for (int i = 0; i <= 3; ++i) {
            sheet.ID(i).SetForeColor(0);
            sheet.State(i).SetForeColor(0);
        }
        WinnerSide = side_;
        sheet.ID(WinnerSide).SetForeColor(255);
        if (side_ != 0)
            return;
        SetTileSize(0, HandTileSize[0]);
        if ((seat_.sum - 2) % 3 == 0)
            return;
        // The win on a discard: the parked discard joins the hand, when there
        // is one and a hidden tile to stand beside.
        const int last = seat_.FirstConcealed + seat_.sum - 1;
        if (!IsImage(ClaimedDiscardImage) || seat_.sum < 1 || last < 0 || last > 20
            || !IsImage(seat_.Slots[last].Image))
            return;
        Sprite(ClaimedDiscardImage)
            .Move(Sprite(seat_.Slots[last].Image).Left() + 1.5 * TileW[0], seat_.HandY, TileW[0], TileH[0]);
        General::ShowTileImage(ClaimedDiscardImage, General::TilePictureOf(0, ClaimedDiscard));
    }

    // ---- Closing: the slanted hands re-stacked -----------------------------

    void Restack()
    {
        if (side_ != 1 && side_ != 3)
            return;
        for (int i = seat_.FirstConcealed; i <= seat_.FirstConcealed + seat_.sum - 1; ++i)
            Step([&] { Sprite(seat_.Slots[i].Image).ZOrder(side_ == 1 ? 0 : 1); });
        if (op_ == OpAddedGang)
            Step([&] { RestackSetAside(side_); });
    }

    const int16_t op_;
    const int16_t side_;
    const ClaimTiles& tiles_;
    SeatRecord& seat_;
};

} // namespace

void ShowSpeechBubble(int16_t side)
{
    MainForm& f = form<MainForm>();
    Image& bubble = f.Speak(side - 1);
    switch (side) {
    case 1:
        bubble.SetTop(280 * ScaleY);
        bubble.SetLeft(8 * ScaleX);
        break;
    case 2: {
        const Image& avatar = f.Tou(2);
        bubble.SetTop(avatar.Top() + 0.8 * avatar.Height() + 65 * ScaleY);
        bubble.SetLeft(avatar.Left() + 0.8 * avatar.Width() - 60 * ScaleY);
        break;
    }
    default:
        bubble.SetTop(280 * ScaleY);
        bubble.SetLeft(936 * ScaleX);
        break;
    }
    // The small table's banker plate stands where the left seat's bubble
    // would hide it, and the right seat's bubble would cross the window's
    // right edge: the bubble stays in view, as near its place as fits.
    KeepInView(bubble, f.Host);
    f.Words.SetTop(bubble.Top() + 0.24 * bubble.Height());
    f.Words.SetLeft(bubble.Left() + 0.17 * bubble.Width());
    bubble.SetVisible(true);
    f.Words.SetVisible(true);
    bubble.ZOrder(0);
    f.Words.ZOrder(0);
}

void ApplyPlayerOperation(int16_t op, uint8_t seatMask, const ClaimTiles& tiles)
{
    const uint8_t mask = seatMask & 15;
    if (!General::IsOneSeat(mask))
        return;
    for (int side = 0; side <= 3; ++side)
        SetTileSize(side, MeldTileSize[side]);
    const int16_t side = SideOfMask(custom[0].SeatMask, mask);
    Claim(op, side, tiles).Apply();
}

} // namespace mj::Operate
