// The watched side's tile codes follow the tiles it gives up.
#include "watch/HandRow.h"

#include "client/Data.h"

#include <utility>

namespace mj::Side {

void TakeFromWatchedRun(int16_t side, std::initializer_list<TakenTile> taken)
{
    if (side != 0)
        return;
    SeatRecord& seat = custom[0];
    const int first = seat.FirstConcealed;
    const int last = first + seat.sum - 1;
    VbArray<bool, 0, 20> settled;
    settled.Fill(false);
    for (const TakenTile& t : taken) {
        if (t.slot < first || t.slot > last || !seat.Slots.InBounds(t.slot))
            continue;
        for (int j = first; j <= last && seat.Slots.InBounds(j); ++j) {
            if (settled[j] || (seat.Slots[j].Code & 0xFF) != (t.code & 0xFF))
                continue;
            std::swap(seat.Slots[j].Code, seat.Slots[t.slot].Code);
            break;
        }
        settled[t.slot] = true;
    }
}

} // namespace mj::Side
