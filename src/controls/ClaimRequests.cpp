// The own seat's claim requests: each stages its meld into the next meld
// slots of the own seat record before the server confirms it, and queues
// the claim.
#include "controls/Operate.h"

#include "controls/PlayerRequests.h"

namespace mj::Operate {

namespace {

// Copies a slot into a meld slot and gives the copy the meld's state.
void Stage(int meldSlot, int fromSlot, int16_t state)
{
    SeatRecord& own = custom[0];
    own.Slots[meldSlot] = own.Slots[fromSlot];
    own.Slots[meldSlot].State = state;
}

void QueueClaim(int16_t op, int16_t v1, int16_t v2, int16_t v3)
{
    MsgHeader claim;
    claim.Code = MsgPlayerOperation;
    claim.value[0] = op;
    claim.value[1] = v1;
    claim.value[2] = v2;
    claim.value[3] = v3;
    QueuePlayRequest(claim);
    RequestSent = true;
}

} // namespace

void SendChi(int16_t slotA, int16_t slotB)
{
    SeatRecord& own = custom[0];
    const int me = own.MeldEnd;
    Stage(me - 2, slotA, SlotChi);
    Stage(me - 1, slotB, SlotChi);
    own.Slots[me].Code = ClaimedDiscard;
    own.Slots[me].Image = ClaimedDiscardImage;
    own.Slots[me].State = SlotChi;
    QueueClaim(OpChi, ClaimTileWord(own.Slots[me - 2].Code), ClaimTileWord(own.Slots[me - 1].Code),
               ClaimTileWord(own.Slots[me].Code));
}

bool SendPeng(int16_t tile)
{
    SeatRecord& own = custom[0];
    const int16_t t = static_cast<int16_t>(tile & 0xFF);
    int pair = -1;
    for (int p = own.FirstConcealed; p <= own.FirstConcealed + own.sum - 2; ++p)
        if (own.Slots[p].Code == t && own.Slots[p + 1].Code == t) {
            pair = p;
            break;
        }
    if (pair < 0) {
        // No pair to claim with: answer the offer with the pass instead.
        if (!RequestSent) {
            QueuePassRequest();
            RequestSent = true;
        }
        return false;
    }
    const int me = own.MeldEnd;
    Stage(me - 2, pair, SlotPeng);
    Stage(me - 1, pair + 1, SlotPeng);
    own.Slots[me].Code = t;
    own.Slots[me].Image = ClaimedDiscardImage;
    own.Slots[me].State = SlotPeng;
    const int16_t word = ClaimTileWord(own.Slots[me - 2].Code);
    QueueClaim(OpPeng, word, word, word);
    return true;
}

void SendExposedGang(int16_t slot)
{
    const int me = custom[0].MeldEnd;
    for (int k = 0; k <= 2; ++k)
        Stage(me - 2 + k, slot + k, SlotExposedGang);
    const int16_t word = ClaimTileWord(ClaimedDiscard);
    QueueClaim(OpExposedGang, word, word, word);
}

void SendConcealedGang(int16_t slot)
{
    const int me = custom[0].MeldEnd;
    for (int k = 0; k <= 2; ++k)
        Stage(me - 2 + k, slot + k, SlotConcealedGang);
    const int16_t word = ClaimTileWord(custom[0].Slots[slot].Code);
    QueueClaim(OpConcealedGang, word, word, word);
}

void SendAddedGang(int16_t slot)
{
    const int me = custom[0].MeldEnd;
    Stage(me - 2, slot, SlotAddedGang);
    QueueClaim(OpAddedGang, 0, 0, ClaimTileWord(custom[0].Slots[slot].Code));
}

void SendHu()
{
    QueueHuRequest();
}

} // namespace mj::Operate
