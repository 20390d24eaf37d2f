#include "watch/AI.h"

#include "client/Data.h"
#include "client/MainForm.h"
#include "table/General.h"
#include "watch/EndWatch.h"

#include <utility>

namespace mj::AI {

namespace {

int Suit(int16_t code)
{
    return (code / 16) & 15;
}
int Rank(int16_t code)
{
    return code & 15;
}

// A wall tile of each quarter as the walls lie (design pixels), and how far
// the turned tile stands raised above the tail's tile (table pixels).
struct TurnedTile {
    double w, h, lift;
};
constexpr TurnedTile TurnedByQuarter[] = {{36, 50, 22}, {48, 35, 20}, {30, 36, 16}, {48, 35, 20}};

} // namespace

void SortTileCodes(std::span<int16_t> codes, uint8_t count)
{
    Side::EndWatchOnError([&] {
        if (count > codes.size())
            Raise(ErrSubscript);
        for (int i = 0; i + 1 < count; ++i)
            for (int j = i + 1; j < count; ++j) {
                int16_t& a = codes[static_cast<size_t>(i)];
                int16_t& b = codes[static_cast<size_t>(j)];
                if (Suit(b) > Suit(a) || (Suit(b) == Suit(a) && Rank(a) > Rank(b)))
                    std::swap(a, b);
            }
    });
}

void TurnWallTileFaceUp(int16_t image)
{
    Side::EndWatchOnError([&] {
        MainForm& f = form<MainForm>();
        const Image& tail = f.MJ_Image(WallTail);
        Image& turned = f.MJ_Image(image);
        const int q = WallTail / 34;
        const TurnedTile& size = TurnedByQuarter[q];
        turned.Move(tail.Left(), tail.Top() - size.lift, size.w * ScaleX, size.h * ScaleY);
        General::ShowTileImage(image, General::TilePictureOf(static_cast<int16_t>(q), FlippedWallTile));
        if (WallTail % 2 == 0)
            turned.ZOrder(0);
        turned.SetVisible(true);
        InWall[image] = false;
    });
}

} // namespace mj::AI
