// The tile events of a hand: the deal (code 1), draws (5), discards (2),
// claims (7), the tiles turned up at the wall's end (8), the wild tile (14)
// and the hands shown at the end (15). The seated table draws them for a
// player; watch mode draws them for an onlooker. Around that the dispatcher
// keeps the last discarder, the follow-the-dealer bubble, the tiles seen for
// the automatic play and the record of the wall's end tiles.
//
// Codes 1, 2, 5, 7 and 15 reach here only with a seat mask naming one seat
// (FrameRules): a frame for no seat is dropped before anything is drawn,
// counted or recorded.
#include "dispatch/Total.h"

#include "client/General.h"
#include "client/Image_Resource.h"
#include "client/MainForm.h"
#include "client/SoftTimer.h"
#include "controls/Operate.h"
#include "controls/PlayerRequests.h"
#include "platform/Placement.h"
#include "seated/Operate.h"
#include "social/Mod_Prop.h"
#include "table/Operate.h"
#include "video/Operate.h"
#include "watch/Side.h"

namespace mj::Total {

namespace {

// Sound effects, by their SoundFile entry.
constexpr int16_t SoundDiscard = 2, SoundDeal = 3;
// value(0) of a discard that shows the follow-the-dealer bubble.
constexpr int16_t FollowTheDealer = 3;

// The SuitIndex and rank of a tile code's low byte.
int16_t SuitOf(int16_t tile)
{
    return General::MaskToIndex(static_cast<uint8_t>((tile >> 4) & 0x0F));
}
int16_t RankOf(int16_t tile)
{
    return tile & 0x0F;
}

// Counts `by` seen tiles of a suit and rank; a rank no tile has is not
// counted.
void CountSeen(int16_t suit, int16_t rank, int16_t by)
{
    if (rank < 1 || rank > 9)
        return;
    SeenTiles(suit, rank) += by;
}

// The follow-the-dealer bubble beside another seat's discard, hidden again
// by the main loop after two seconds.
void ShowFollowBubble(int16_t side)
{
    MainForm& table = form<MainForm>();
    Image& bubble = table.tsSpeak(side - 1);
    switch (side) {
    case 1:
        bubble.SetTop(280 * ScaleY);
        bubble.SetLeft(8 * ScaleX);
        break;
    case 2: {
        const Image& avatar = table.Tou(2);
        bubble.SetTop(avatar.Top() + 0.8 * avatar.Height());
        bubble.SetLeft(avatar.Left() + 0.8 * avatar.Width());
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
    KeepInView(bubble, table.Host);
    Image_Resource::LoadGifResource(CInt(Image_Resource::FollowBubblePicture[side - 1]), QStringLiteral("GIF"), bubble);
    table.Speak(side - 1).SetVisible(false);
    bubble.ZOrder(0);
    bubble.SetVisible(true);
    BubbleHideOn = true;
    BubbleHideTicks = 0;
    BubbleSide = static_cast<int16_t>(side - 1);
}

// A frame of a hand in play: that hand's end is still to come. A seat that
// missed the hand's round start (it reconnected meanwhile) learns here that
// the hand after a settled one runs: it will settle, under a number of its
// own, so that its saved hand does not take the place of the one before.
void OpenHand()
{
    if (!HandSettled)
        return;
    HandSettled = false;
    HandInPlay = true;
    GameRunning = true;
    ++RoundNo;
}

} // namespace

void HandleDeal(MsgHeader& header)
{
    OpenHand();
    Operate::StartLocalCamera();
    Operate::LoginVideoServer();
    if (custom[0].sum == 0 && Mod_Prop::Prop_GameDllState >= 1)
        Mod_Prop::HidePropBoxes();
    SkipDiscardMove = false;
    PlayEffect(SoundDeal, true);
    VbArray<int16_t, 0, 11> tiles;
    for (int i = 0; i <= 11; ++i)
        tiles[i] = Msg[16 + i];
    const uint8_t seat = header.Seat & 15;
    if (WatchMode)
        Side::DrawTiles(seat, 12, std::span<const int16_t>(tiles.data(), tiles.Count));
    else
        Operate::DrawFromWall(seat, 12, tiles);
}

void HandleDraw(MsgHeader& header)
{
    OpenHand();
    NextRoundCountdownOn = false;
    const uint8_t seat = header.Seat & 15;
    if (WatchMode)
        Side::DrawTiles(seat, 1, std::span<const int16_t>(header.value.data(), header.value.Count));
    else
        Operate::DrawFromWall(seat, 1, header.value);
}

void HandleDiscard(MsgHeader& header)
{
    OpenHand();
    const uint8_t seat = header.Seat & 15;
    const int16_t tile = header.value[3];
    ActorSeat = seat;
    Operate::RequestTableVideo();
    PlayEffect(SoundDiscard);
    if (WatchMode) {
        Side::ShowDiscard(seat, tile);
        return;
    }
    Operate::ShowDiscard(seat, tile, ClaimedDiscardImage);
    // Whoever discarded, no discard is due from the own hand until the next
    // offer says so.
    MayDiscard = false;
    // The own seat's discard ends the own turn, also when the server played
    // it for the seat (a time-out of its own, a reconnection): nothing more
    // is answered for that turn.
    if (SideOf(seat) == 0)
        Operate::EndOwnTurn(form<MainForm>());

    if (header.value[0] == FollowTheDealer) {
        const int16_t side = SideOf(seat);
        if (side >= 1 && side <= 3)
            ShowFollowBubble(side);
    }
    // Honours are not counted here.
    if (SuitOf(tile) >= 1)
        CountSeen(SuitOf(tile), RankOf(tile), 1);
}

void HandlePlayerOperation(MsgHeader& header)
{
    OpenHand();
    const uint8_t seat = header.Seat & 15;
    // Where the claimed tile sits in the meld, by the discarder's place
    // before the claimer in the order of play.
    const int rel = (General::MaskToIndex(seat) + 4 - General::MaskToIndex(static_cast<uint8_t>(ActorSeat))) % 4;
    ActorSeat = rel == 1 ? 2 : rel == 2 ? 1 : 0;

    const int16_t op = header.value[0];
    Operate::ClaimTiles tiles;
    VbArray<int16_t, 0, 2> suit, rank;
    for (int k = 0; k <= 2; ++k) {
        tiles[k] = header.value[k + 1];
        suit[k] = SuitOf(tiles[k]);
        rank[k] = RankOf(tiles[k]);
    }
    if (WatchMode) {
        Side::ShowOperation(op, seat, tiles);
        return;
    }
    for (int k = 0; k <= 2; ++k)
        if (rank[k] == 0)
            rank[k] = 1;
    switch (op) {
    case OpChi:
    case OpPeng:
        // The claimer's two tiles; the discard was counted when it fell.
        CountSeen(suit[0], rank[0], 1);
        CountSeen(suit[1], rank[1], 1);
        break;
    case OpExposedGang:
        CountSeen(suit[2], rank[2], 3);
        break;
    case OpAddedGang:
        CountSeen(suit[2], rank[2], 1);
        break;
    default:
        break;
    }
    Operate::ApplyPlayerOperation(op, seat, tiles);
}

void HandleRevealWallTail(MsgHeader&)
{
    VbArray<uint8_t, 0, 100> block;
    for (int i = 0; i <= 100; ++i)
        block[i] = Msg[16 + i];
    Operate::RevealWallTail(block);
}

void HandleWildTile(MsgHeader& header)
{
    FlippedWallTile = header.value[3] & 0xFF;
    WildTile = header.value[2] & 0xFF;
    if (header.value[0] != 0)
        MarkClaimedTile = true;
}

void HandleRevealHands(MsgHeader& header)
{
    Operate::RevealHands(header.Seat & 15, header.value);

    // The round's wall-end tiles, from the first frame that names one.
    if (TailTileCount != 0)
        return;
    for (int i = 0; i <= 4; ++i) {
        TailTiles[i] = Msg[16 + i];
        if (Msg[16 + i] != 0)
            ++TailTileCount;
    }
    TailSlots[0] = WallTail;
    TailSlots[1] = static_cast<int16_t>(WallTail % 2 == 0 ? (WallTail + 1) % 136 : (WallTail - 3 + 136) % 136);
    if (TailTileCount >= 3)
        for (int i = 2; i <= TailTileCount - 1; ++i)
            TailSlots[i] = static_cast<int16_t>((WallHead + i - 2) % 136);
}

} // namespace mj::Total
