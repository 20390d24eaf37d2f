#include "table/Operate.h"

#include "client/Data.h"
#include "table/General.h"

#include <algorithm>

namespace mj::Operate {

void SortHand(uint8_t side, int16_t count)
{
    SeatRecord& seat = custom[side];
    const int first = seat.FirstConcealed;
    // A run never reaches past the last slot; a longer count stops there.
    const int last = std::min(first + count - 1, static_cast<int>(decltype(seat.Slots)::UBound));
    if (last < first)
        return;

    VbArray<int16_t, 0, 20> before;
    if (side == 0)
        for (int i = first; i <= last; ++i)
            before[i] = seat.Slots[i].Code;

    // Exchange sort on the suit bit (descending) and the rank (ascending) of
    // the code's low byte.
    const auto suit = [](int16_t code) { return (code & 0xFF) >> 4; };
    const auto rank = [](int16_t code) { return code & 0xF; };
    for (int i = first; i <= last - 1; ++i) {
        for (int j = i + 1; j <= last; ++j) {
            int16_t& a = seat.Slots[i].Code;
            int16_t& b = seat.Slots[j].Code;
            if (suit(a) < suit(b) || (suit(a) == suit(b) && rank(a) > rank(b)))
                std::swap(a, b);
        }
    }

    const int16_t view = side == 0 ? 4 : side;
    const bool onlyChanged = side == 0 && WildTile > 0;
    for (int i = first; i <= last; ++i) {
        const TileSlot& slot = seat.Slots[i];
        if (onlyChanged && slot.Code == before[i])
            continue;
        General::ShowTileImage(slot.Image, General::TilePictureOf(view, slot.Code));
    }
}

} // namespace mj::Operate
