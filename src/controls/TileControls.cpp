// The own tiles under the mouse: a hand tile lifts under the pointer, a press
// discards it while a discard is due, a right press elsewhere passes on the
// offer, and after a won hand a press turns a gang's hidden tile or a
// recorded wall-end tile face up. The pointer over the bare table lowers the
// lifted tile and puts the table window's other hover effects back.
#include "client/MainForm.h"

#include "client/Data.h"
#include "client/General.h"
#include "client/Image_Resource.h"
#include "client/SoftTimer.h"
#include "controls/Information.h"
#include "controls/PlayerRequests.h"
#include "controls/Toolbar.h"
#include "social/Mod_Prop.h"
#include "table/General.h"
#include "video/VideoState.h"

namespace mj {

namespace {

// The hover and the end-of-hand reveals go on past a statement that fails.
template <typename Statement>
void SkipOnError(Statement statement)
{
    try {
        statement();
    } catch (const RuntimeError&) {
    }
}

// How far a hand tile rises under the pointer, in pixels of Pic1.
constexpr int Lift = 10;

void DefaultPointer(Image& tile)
{
    if (tile.MousePointer() != vbDefault)
        tile.SetMousePointer(vbDefault);
}

// The own hand's concealed slots, FirstConcealed to FirstConcealed + sum - 1.
template <typename Each>
void ForConcealedSlots(Each each)
{
    const SeatRecord& own = custom[0];
    for (int i = own.FirstConcealed; i <= own.FirstConcealed + own.sum - 1; ++i)
        each(i);
}

} // namespace

void MainForm::MJ_Image_MouseMove(int16_t index, int16_t, int16_t, float, float)
{
    const int16_t handY = custom[0].HandY;
    Image* tile = nullptr;
    SkipOnError([&] { tile = &MJ_Image(index); });
    if (!tile)
        return;
    if (!(tile->Top() >= handY - Lift && !WatchMode && ButtonUsed[2])) {
        DefaultPointer(*tile);
        return;
    }
    bool inHand = false;
    SkipOnError([&] { inHand = General::HandHasImage(index); });
    if (!inHand) {
        DefaultPointer(*tile);
        return;
    }
    if (tile->MousePointer() != vbCustom)
        tile->SetMousePointer(vbCustom);
    if (tile->Top() != handY)
        return;
    ForConcealedSlots([&](int i) {
        SkipOnError([&] {
            Image& other = MJ_Image(custom[0].Slots[i].Image);
            if (other.Top() == handY - Lift)
                other.SetTop(handY);
        });
    });
    tile->SetTop(handY - Lift);
}

void MainForm::Pic1_MouseMove(int16_t, int16_t, float x, float y)
{
    SkipOnError([&] { RestToolbarButtons(*this); });
    if (ButtonUsed[2] && !WatchMode) {
        SeatRecord& own = custom[0];
        if (own.FirstConcealed + own.sum - 1 > 20)
            own.sum = static_cast<int16_t>(21 - own.FirstConcealed);
        const int16_t handY = own.HandY;
        ForConcealedSlots([&](int i) {
            SkipOnError([&] {
                Image& tile = MJ_Image(own.Slots[i].Image);
                if (tile.Top() != handY - Lift)
                    return;
                // The strip the lifted tile left free below itself keeps it up.
                const bool outside = x <= tile.Left() || x >= tile.Left() + tile.Width() || y <= tile.Top()
                    || y >= tile.Top() + tile.Height() + Lift;
                if (outside)
                    tile.SetTop(handY);
            });
        });
    }
    SkipOnError([] {
        Information& card = form<Information>();
        if (card.Visible())
            card.Hide();
    });
    if (BankHover) {
        BankHover = false;
        SkipOnError([&] { Image_Resource::LoadGifResource(450, QStringLiteral("GIF"), Bank); });
    }
    if (CameraOn && Tiplbl.Visible())
        Tiplbl.SetVisible(false);
    PropVideoShown = false;
    if (PropVideoSide >= 1 && PropVideoSide <= 4) {
        const auto side = static_cast<int16_t>(PropVideoSide - 1);
        Mod_Prop::CallPluginObject([side](Tesmora& p) { return p.ShowQvVideo(side, false, 0); });
        PropVideoSide = 0;
    }
}

void MainForm::MJ_Image_MouseDown(int16_t index, int16_t button, int16_t, float, float)
{
    if (DecisionState == 3 || !LoggedIn)
        return;
    SeatRecord& own = custom[0];
    // An onlooker's presses never play for the watched player.
    if (!WatchMode && General::HandHasImage(index) && MayDiscard) {
        TimeoutCount = 0;
        DecisionState = 2;
        MayDiscard = false;
        TurnClockOn = false;
        TurnCountdown = TurnSeconds;
        Time_Img.SetVisible(false);
        Number.SetVisible(false);
        if (!RequestSent) {
            Operate::QueuePassRequest();
            RequestSent = true;
        }
        Operate::ResetClaimButtons(*this, true);
        const int16_t slot = General::FindHandSlotOfImage(index);
        const int16_t tile = own.Slots[slot].Code;
        if ((own.sum - 2) % 3 == 0) {
            Operate::QueueDiscardRequest(tile);
            MayDiscard = false;
        }
        Operate::PutOwnDiscardOnTable(*this, slot);
        Operate::CloseHandGap(*this, slot);
        return;
    }
    if (!WatchMode && button == 2 && Operation(4).Visible() && !General::HandHasImage(index)) {
        TimeoutCount = 0;
        for (Image& b : Operation)
            b.SetVisible(false);
        if ((own.sum - 2) % 3 != 0) {
            TurnCountdown = TurnSeconds;
            TurnClockOn = false;
            TurnClockTicks = 0;
            Number.SetVisible(false);
            Time_Img.SetVisible(false);
        }
        if (!RequestSent) {
            Operate::QueuePassRequest();
            RequestSent = true;
        }
        Operate::ResetClaimButtons(*this, false);
    }

    // The end-of-hand reveals, once someone has won.
    if (WinnerSide < 0 || WinnerSide > 3)
        return;
    SkipOnError([&] {
        for (int i = 0; i < GangCount; ++i) {
            if (GangImages[i] != index)
                continue;
            const int16_t code = GangTiles[i];
            const int16_t picture = static_cast<int16_t>(36 * GangSeats[i] + 9 * General::MaskToIndex((code / 16) % 16)
                                                         + code % 16 - 1);
            SkipOnError([&] { General::ShowTileImage(index, picture); });
            GangImages[i] = -1;
            break;
        }
    });
    int entry = -1;
    for (int i = 0; i < TailTileCount && i <= TailSlots.UBound; ++i)
        if (TailSlots[i] == index) {
            entry = i;
            break;
        }
    if (entry < 0)
        return;
    const int16_t code = TailTiles[entry];
    const auto before = [](int n) { return static_cast<int16_t>((n - 1 + 136) % 136); };
    // The other tile of the stack fills the taken tile's place, so the
    // stack does not look hollow.
    const auto fillFrom = [&](int from, int to) {
        SkipOnError([&] {
            Image& filler = MJ_Image(from);
            const Image& taken = MJ_Image(to);
            filler.Move(taken.Left(), taken.Top());
            if (to / 34 == 2)
                filler.ZOrder(1);
        });
    };
    if (index % 2 == 1) {
        if (entry >= 2) {
            if (index != WallHead && TailSlots[entry - 1] > 0)
                fillFrom(before(index), index);
        } else if (WallTail % 2 == 0 && TailSlots[0] > 0) {
            SkipOnError([&] {
                Image& filler = MJ_Image(WallTail);
                const Image& next = MJ_Image((WallTail + 1) % 136);
                filler.Move(next.Left(), next.Top());
                if (WallTail / 34 == 2)
                    filler.ZOrder(1);
            });
        }
    }
    SkipOnError([&] {
        General::ShowTileImage(index, static_cast<int16_t>(9 * General::MaskToIndex((code / 16) % 16) + code % 16 - 1));
    });
    SkipOnError([&] {
        MJ_Image(index).Move((400 + 45 * entry) * ScaleX, 340 * ScaleY, 45 * ScaleX, 60 * ScaleY);
    });
    TailSlots[entry] = -1;
}

} // namespace mj
