// Seated table play: what the server reports about the tiles, drawn for a
// player sitting at the table (an onlooker's table is drawn by watch mode).
#pragma once

#include "platform/Runtime.h"

#include <cstdint>
#include <span>

namespace mj::Operate {

// A discard: `tile` from the seat `seatMask` (tile 0: no tile, nothing else
// happens). After a 50 ms pause the tile is spoken in the discarder's voice
// (a code that names no tile is not spoken) and becomes the parked discard
// (ClaimedDiscard, ClaimedDiscardImage, DiscarderSide). Another seat's last
// concealed tile turns face up and is parked at the table's centre at its
// pool size; the own tile was parked when the player discarded it, and one
// the player did not discard (the server played it for the seat) leaves the
// own hand, its last tile of that code, to be parked the same way; a tile
// the player parked that is not the one reported goes back into the hand
// (ParkedOwnTile names it until the report). A discard
// that cannot come from a hand (a seat mask naming no one seat, no concealed
// tile, a last slot past 20 or without a tile image) leaves no parked tile
// (ClaimedDiscardImage -1): nothing moves and no count changes. The third
// argument is not read.
void ShowDiscard(uint8_t seatMask, int16_t tile, int16_t unused = 0);

// Tiles the seat `seatMask` takes from the wall: a deal (`count` tiles,
// tiles(0..count-1)) or a single draw (count 1, the tile in tiles(3));
// tile codes are read for the own seat only. First the parked discard goes
// into its discarder's pool (the own discard only when the right-hand seat
// draws; a single draw pauses 0.4 s first), unless a gang said to leave it.
// The tiles come from the wall's head, or from its tail for the replacement
// draw after a gang. The own hand shows the faces, the others standing backs;
// a tile drawn once the wild tile is known (or another seat's fourteenth)
// stands apart. The own hand is sorted, after 1 s, when the deal completes
// it. Only tiles that fit in the slots up to 20 and that the wall still holds
// are taken; the counts and the wall's ends move for those alone. A seat mask
// whose low four bits name no one seat changes nothing.
void DrawFromWall(uint8_t seatMask, uint8_t count, std::span<const int16_t> tiles);
template <int Lo, int Hi>
void DrawFromWall(uint8_t seatMask, uint8_t count, const VbArray<int16_t, Lo, Hi>& tiles)
{
    static_assert(Lo == 0, "tiles are counted from 0");
    DrawFromWall(seatMask, count, std::span<const int16_t>(tiles.data(), tiles.Count));
}

// The tiles turned up at the wall's end: block(0) non-zero keeps the last
// one face up in the wall; block(1) is how many (above 99 read as 99, all
// the block holds); block(2..) the tiles. Each shows its face where it lies,
// waits 1 s, then goes to the table's centre, waits 1 s, and into a pool,
// the pools taking the tiles in the order of play from the seat with mask
// 8's side. The waits handle window events. The reveal stops when the wall
// holds no tile to turn up.
void RevealWallTail(const VbArray<uint8_t, 0, 100>& block);

// The three tile codes of a claim, in meld order.
using ClaimTiles = VbArray<int16_t, 0, 2>;

// A claim the server reports: `op` (OpPass .. OpHu) by the seat `seatMask`
// (low four bits; anything but one seat changes nothing) with `tiles`.
// Another seat's claim is announced (bubble, word, voice, the bubble's hide
// armed) and its tiles go from the hand into its meld row; from the word on,
// a failing step is skipped. The own claim was staged into the meld slots by
// the claim sender; it is laid out only when the staging matches, and a
// failing step raises. The first hu of a hand marks the winner on the score
// sheet, and an own win on a discard brings the tile beside the hand.
void ApplyPlayerOperation(int16_t op, uint8_t seatMask, const ClaimTiles& tiles);

// The speech bubble of side 1..3 at its place beside that seat, with the
// word picture Words inside it, both shown and brought to the front. The
// seated and the onlooker's claims both announce through it.
void ShowSpeechBubble(int16_t side);

// The own meld layouts, called once the claim is confirmed: the staged meld
// slots are drawn in the meld row and the concealed run closes up. The caller
// updates the counters.
void LayOwnChi(int16_t slotA, int16_t slotB, const ClaimTiles& tiles);
void LayOwnPeng(const ClaimTiles& tiles);
void LayOwnExposedGang(int16_t slot, const ClaimTiles& tiles);
void LayOwnConcealedGang(int16_t slot, const ClaimTiles& tiles);
void LayOwnAddedGang(int16_t slot);

} // namespace mj::Operate
