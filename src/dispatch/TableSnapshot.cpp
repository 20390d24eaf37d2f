// The snapshot of a running hand for an onlooker (code 40): four frames, one
// a seat. Each draws its seat: the red dragons and wild tiles set aside,
// face up beside the hand; the meld tiles, face up and sorted, with their
// peng marks and a gang's fourth tile stacked on the second; the concealed
// tiles, face down. The fourth frame of a group completes the table: the
// wild tile, the rest of the wall, the wall tile turned face up, the
// earlier discards face down in the pools, the wall head, and WatchSynced.
//
// Frame: byte 7 the seat's discards; value(1) the tiles taken from the wall
// head so far (the group keeps the largest); value(3) the wall tail's
// position, 135 while nothing was drawn from it (the group keeps the
// smallest); bytes 16..63 24 pairs of a kind (high nibble 1 concealed, 2
// exposed, else ignored) and a tile code.
//
// A group lays the whole table afresh on the images the hand has taken from
// the wall (value(1) from the head, then 135 - value(3) from the tail in the
// order the tail walk took them; see watch/SnapshotSprites.h), each image
// once; the fourth frame lays the rest as the wall still to be drawn. So no
// image shows two of the snapshot's tiles, no later draw takes one of them,
// and the next draw at either end takes the tile a seated table would. The
// meld tiles lie in the slots a claim fills (from two below MeldEnd), so an
// added gang finds a peng from the snapshot as it finds one claimed later.
//
// A seat's row keeps its last slot for the seat's next draw: meld tiles past
// the slot before it are left out, and the concealed run starts early enough
// (never among the melds) that its tiles and that draw fit.
//
// Concealed tiles are drawn as backs whatever their code: a server may hide
// them. A second frame for a seat in one group replaces what the first laid;
// tiles past the seat's last slot, or beyond the images left in the wall,
// are left out. A frame beyond the table's limits (more than 14 concealed
// tiles, more than four red dragons or wild tiles on a side, a face-up code
// that names no tile, no wild tile known at the fourth frame) raises a
// run-time error before it touches anything out of bounds; the dispatcher
// then ends the watch.
#include "dispatch/Total.h"

#include "client/General.h"
#include "client/Image_Resource.h"
#include "client/MainForm.h"
#include "seated/SetAside.h"
#include "seated/TableTiles.h"
#include "table/General.h"
#include "table/TileSizes.h"
#include "watch/AI.h"
#include "watch/Side.h"
#include "watch/SnapshotSprites.h"

#include <algorithm>

namespace mj::Total {

namespace {

constexpr int PairsFirst = 16, PairCount = 24;
constexpr int LastSlot = 20;
// The last slot a snapshot fills: slot 20 stays free for the seat's next
// draw.
constexpr int LastFilledSlot = LastSlot - 1;
constexpr TileSize SnapshotMeldSize[] = {{45, 56}, {45, 35}, {34, 40}, {45, 35}};

// A tile code's face in view `view`; a code that names no tile is an error.
int16_t facePicture(int16_t view, int16_t code)
{
    if (!General::IsTileCode(code))
        Raise(ErrSubscript);
    return Image_Resource::TilePicIndex(view, General::MaskToIndex(static_cast<uint8_t>((code >> 4) & 15)),
                                        static_cast<int16_t>(code & 15));
}

class SeatSnapshot {
public:
    explicit SeatSnapshot(int16_t side) : s_(side), seat_(custom[side]), table_(form<MainForm>()) {}

    void Draw(const VbArray<int16_t, 0, 23>& exposedIn, int exposedCount, const VbArray<int16_t, 0, 13>& hand,
              int handCount)
    {
        VbArray<int16_t, 0, 23> exposed = exposedIn;
        int count = exposedCount;
        SetTileSize(s_, SnapshotMeldSize[s_]);
        setAside(exposed, count);
        AI::SortTileCodes(exposed, static_cast<uint8_t>(count));
        markPengs(exposed, count);
        const int laid = drawMelds(exposed, count);
        placeConcealedRun(laid, handCount);
        for (int k = 0; k < handCount; ++k)
            drawHandTile(hand[k]);
        restack();
    }

private:
    // The next sprite still in the wall; taken once it is placed.
    static int16_t nextSprite() { return Side::NextSnapshotSprite(); }
    Image& sprite(int16_t index) { return table_.MJ_Image(index); }
    void take(int16_t index) { Side::TakeSnapshotSprite(index, s_); }
    double tw() const { return TileW[s_]; }
    double th() const { return TileH[s_]; }

    void setAside(VbArray<int16_t, 0, 23>& exposed, int& count)
    {
        const double hx = seat_.HandX, hy = seat_.HandY;
        int i = 0;
        while (i < count) {
            const int16_t code = exposed[i];
            const bool red = code == TileRedDragon;
            const bool wild = !red && code == WildTile;
            if (!red && !wild) {
                ++i;
                continue;
            }
            const int16_t r = seat_.RedCount, w = seat_.WildCount;
            // Four places for each kind; a fifth is an error, not the other
            // kind's place.
            if ((red && r >= 4) || (wild && w >= 4))
                Raise(ErrSubscript);
            const int16_t image = nextSprite();
            if (image < 0)
                return; // no image left: the rest is left out
            Image& tile = sprite(image);
            double left = hx, top = hy - 18.0 * (red ? r : w);
            if (red) {
                if (s_ == 3)
                    left = hx - 10;
                SpecialTileImages(s_, r) = image;
                seat_.RedCount = static_cast<int16_t>(r + 1);
            } else {
                switch (s_) {
                case 0: left = hx + tw() - 2; break;
                case 1: left = hx - 5; top = hy + (th() - 17) - 18.0 * w; break;
                case 2: left = hx - tw(); break;
                default: left = hx - 15; top = hy - (th() - 17) - 18.0 * w; break;
                }
                SpecialTileImages(s_, 4 + w) = image;
                seat_.WildCount = static_cast<int16_t>(w + 1);
            }
            General::ShowTileImage(image, facePicture(s_, code));
            tile.Move(left, top, tw(), th());
            tile.SetVisible(true);
            if (s_ != 1) {
                tile.ZOrder(0);
            } else if (red) {
                tile.ZOrder(1);
                if (seat_.RedCount > 1)
                    tile.ZOrder(0);
            } else {
                tile.ZOrder(1);
            }
            take(image);
            for (int j = i; j < count - 1; ++j)
                exposed[j] = exposed[j + 1];
            --count;
        }
    }

    // Meld tile i (from MeldEnd on) lies in the slot a claim would give it.
    static int meldSlot(int meldEnd) { return meldEnd - 2; }

    void markPengs(const VbArray<int16_t, 0, 23>& exposed, int count)
    {
        const int m = meldSlot(seat_.MeldEnd);
        for (int i = 0; i <= count - 3; ++i) {
            if (exposed[i] == exposed[i + 1] && exposed[i + 1] == exposed[i + 2]) {
                for (int k = 0; k <= 2 && m + i + k <= LastFilledSlot; ++k)
                    seat_.Slots[m + i + k].State = SlotPeng;
            }
        }
    }

    // Returns how many meld tiles were laid.
    int drawMelds(const VbArray<int16_t, 0, 23>& exposed, int count)
    {
        const double hx = seat_.HandX, hy = seat_.HandY;
        // The sprites the meld tiles took, for a gang's fourth tile.
        VbArray<int16_t, 0, 23> taken;
        for (int i = 0; i < count; ++i) {
            const int m = seat_.MeldEnd;
            const int16_t image = nextSprite();
            if (meldSlot(m) > LastFilledSlot || image < 0)
                return i; // past the last meld slot or the last image: left out
            taken[i] = image;
            const int16_t code = exposed[i];
            TileSlot& slot = seat_.Slots[meldSlot(m)];
            const int16_t picture = facePicture(s_, code);
            slot.Image = image;
            slot.Code = code;
            General::ShowTileImage(image, picture);
            Image& tile = sprite(image);
            tile.SetWidth(tw());
            tile.SetHeight(th());
            tile.SetVisible(true);
            switch (s_) {
            case 0: tile.Move(hx + (tw() - 2) * (m - 2), hy); tile.ZOrder(0); break;
            case 1: tile.Move(hx - 5.0 * m + 10, hy + (th() - 17) * (m - 2)); tile.ZOrder(0); break;
            case 2: tile.Move(hx - tw() * (m - 2), hy); break;
            default: tile.Move(hx - 5.0 * m, hy - (th() - 17) * (m - 2)); tile.ZOrder(1); break;
            }
            take(image);
            if (i >= 3 && code == exposed[i - 3]) {
                // The fourth of four equal tiles lies on the second.
                const Image& below = sprite(taken[i - 2]);
                tile.Move(below.Left(), below.Top() - 17);
                tile.ZOrder(0);
            } else {
                seat_.MeldEnd = static_cast<int16_t>(m + 1);
            }
        }
        return count;
    }

    // The concealed run begins past the meld tiles laid (a gang's fourth
    // tile counting as one), or earlier when that would leave the seat's
    // `hand` tiles and its next draw no room before the last slot; never
    // among the melds.
    void placeConcealedRun(int laidMeldTiles, int hand)
    {
        const int afterMelds = meldSlot(seat_.MeldEnd);
        const int roomy = std::max(afterMelds, LastSlot - hand);
        seat_.FirstConcealed = static_cast<int16_t>(std::min(seat_.FirstConcealed + laidMeldTiles, roomy));
    }

    // A concealed tile, face down whatever its code.
    void drawHandTile(int16_t code)
    {
        SetTileSize(s_, HandTileSize[s_]);
        const int16_t image = nextSprite();
        if (seat_.FirstConcealed + seat_.sum > LastFilledSlot || image < 0)
            return; // no room left before the draw's slot, or no image: left out
        ++seat_.sum;
        const int n = seat_.FirstConcealed + seat_.sum;
        TileSlot& slot = seat_.Slots[n - 1];
        slot.Image = image;
        slot.Code = code;
        Image& tile = sprite(image);
        tile.SetVisible(true);
        tile.SetWidth(tw());
        tile.SetHeight(th());
        const double hx = seat_.HandX, hy = seat_.HandY;
        switch (s_) {
        case 0: tile.Move(hx + (n - 1) * tw(), hy); break;
        case 1: tile.Move(hx - 5.0 * (n - 1), hy + (n - 1) * tw() / 2); tile.ZOrder(0); break;
        case 2: tile.Move(hx - (n - 1) * tw(), hy); break;
        default: tile.Move(hx - 5.0 * n, hy - n * tw() / 2); tile.ZOrder(1); break;
        }
        General::ShowTileImage(image, static_cast<int16_t>(36 * s_ + 7));
        take(image);
    }

    // Sides 1 and 3 lie across the screen: their rows are stacked so that
    // each tile covers the one it should.
    void restack()
    {
        if (s_ != 1 && s_ != 3)
            return;
        for (int k = seat_.FirstConcealed; k < seat_.FirstConcealed + seat_.sum; ++k)
            sprite(seat_.Slots[k].Image).ZOrder(s_ == 1 ? 0 : 1);
        Operate::RestackSetAside(s_);
    }

    int16_t s_;
    SeatRecord& seat_;
    MainForm& table_;
};

// A group's first frame: nothing laid yet.
void startGroup()
{
    SnapshotLaidBy.Fill(0);
    SnapshotSidesLaid = 0;
    SnapshotTaken = 0;
}

// A seat as the round reset leaves it. The images an earlier frame of the
// group laid for it are free again, out of sight.
void clearSeat(int16_t side)
{
    MainForm& table = form<MainForm>();
    for (int16_t k = 0; k <= 135; ++k) {
        if (SnapshotLaidBy[k] != side + 1)
            continue;
        SnapshotLaidBy[k] = 0;
        table.MJ_Image(k).SetVisible(false);
        --SnapshotTaken;
    }
    SeatRecord& seat = custom[side];
    for (TileSlot& slot : seat.Slots)
        slot = TileSlot{SlotEmpty, 0, -1};
    seat.FirstConcealed = 4;
    seat.sum = 0;
    seat.MeldEnd = side == 0 ? 3 : 4;
    seat.RedCount = 0;
    seat.WildCount = 0;
    for (int k = 0; k <= 7; ++k)
        SpecialTileImages(side, k) = 0;
}

// The wall after the group: the wild tile, the wall still to be drawn face
// down, the pools, the turned tile and the new wall ends. The wall is
// exactly the images the hand has not taken, and the images taken but not
// laid are out of play and out of sight. The images are chosen from the
// ends as the group found them; then the tail moves to where its walk leaves
// it after the tail draws, and the turned tile is raised over it.
void completeTable()
{
    MainForm& table = form<MainForm>();
    FrameGroupCount = 0;
    SnapshotSidesLaid = 0;
    // A wild tile of 0: none in force, and no indicator.
    table.QV_Image.SetVisible(WildTile != 0);
    if (WildTile != 0)
        Image_Resource::LoadGifResource(CInt(Image_Resource::TilePicture[facePicture(4, WildTile)]),
                                        QStringLiteral("GIF"), table.QV_Image);
    const VbArray<bool, 0, 135> taken = Side::TakenFromWall();
    for (int16_t k = 0; k <= 135; ++k) {
        if (SnapshotLaidBy[k] != 0)
            continue;
        InWall[k] = !taken[k];
        Image& tile = table.MJ_Image(k);
        tile.SetVisible(InWall[k]);
        if (InWall[k])
            General::ShowTileImage(k, static_cast<int16_t>(36 * (k / 34) + 8));
    }
    // The turned tile counts among the taken: with none of them left for
    // it, it is not shown.
    const int16_t turned = Side::NextTakenSprite();
    SnapshotWallPos = turned;
    if (turned >= 0)
        Side::TakeSnapshotSprite(turned, Side::TurnedTileMark - 1);
    Side::LayWallTiles();
    WallTail = Side::TailAfterSnapshot();
    if (turned >= 0)
        AI::TurnWallTileFaceUp(turned);
    WallHead = Operate::WallPosition(WallHead + SnapshotHeadMax);
    SnapshotLaidBy.Fill(0);
    WatchSynced = true;
}

} // namespace

void HandleTableSnapshot(MsgHeader& header)
{
    const int16_t side = SideOf(header.Seat);
    header.Seat = static_cast<uint8_t>(side);
    if (side == 0)
        Players[0].ShowHandToWatcher = 0;
    SideTileCounts[side] = header.Byte7;
    const int16_t taken = static_cast<int16_t>(header.value[1] & 0xFF);
    const int16_t tail = static_cast<int16_t>(header.value[3] & 0xFF);
    if (FrameGroupCount == 0)
        SnapshotSidesLaid = 0;
    // A second frame for a seat replaces the first and does not count
    // towards the group's four.
    const uint8_t bit = static_cast<uint8_t>(1 << side);
    if ((SnapshotSidesLaid & bit) == 0 && ++FrameGroupCount == 1) {
        startGroup();
        SnapshotHeadMax = taken;
        SnapshotTailMin = tail;
    }
    SnapshotHeadMax = std::max(SnapshotHeadMax, taken);
    SnapshotTailMin = std::min(SnapshotTailMin, tail);

    VbArray<int16_t, 0, 23> exposed;
    VbArray<int16_t, 0, 13> hand;
    int exposedCount = 0, handCount = 0;
    for (int i = 0; i < PairCount; ++i) {
        const int kind = Msg[PairsFirst + 2 * i] >> 4;
        const int16_t code = Msg[PairsFirst + 2 * i + 1];
        if (kind == 2)
            exposed[exposedCount++] = code;
        else if (kind == 1)
            hand[handCount++] = code; // a fifteenth raises
    }
    // Every code shown face up names a tile before anything is drawn.
    for (int k = 0; k < exposedCount; ++k) {
        if (!General::IsTileCode(exposed[k]))
            Raise(ErrSubscript);
    }
    clearSeat(side);
    SnapshotSidesLaid |= bit;
    SeatSnapshot(side).Draw(exposed, exposedCount, hand, handCount);
    if (FrameGroupCount == 4)
        completeTable();
}

} // namespace mj::Total
