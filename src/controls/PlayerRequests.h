// The requests the player controls and the automatic play send for the own
// seat, and the steps they share: the pass and the discard, the claim
// buttons put back to grey, the own discard parked at the table's centre and
// the gap it leaves in the hand closed, and the turn the server ended.
//
// An onlooker (watch mode) sits in the watched player's seat but never plays
// for that player: every request built here is dropped in watch mode.
#pragma once

#include "client/Data.h"

#include <cstdint>

namespace mj {
class MainForm;
}

namespace mj::Operate {

// Request codes of the own seat's play.
constexpr int16_t MsgDiscard = 2;
constexpr int16_t MsgPlayerOperation = 7;

// A tile in a claim request and in a discard request.
constexpr int16_t ClaimTileWord(int16_t code) { return static_cast<int16_t>((code & 0x0FFF) | ClaimTileFlag); }
constexpr int16_t DiscardTileWord(int16_t code) { return static_cast<int16_t>((code & 0x0FFF) | DiscardTileFlag); }

// Queues a request of the own seat (its Seat is set here); false when
// nothing was queued (watch mode, or no room).
bool QueuePlayRequest(MsgHeader& request);
// The pass: code 7 with OpPass.
void QueuePassRequest();
// The discard of `tile`: code 2, value(3) the tile word.
void QueueDiscardRequest(int16_t tile);
// The hu: code 7 with OpHu and no tile.
void QueueHuRequest();

// Every claim button disabled and given its grey picture; hidden too when
// `hide`.
void ResetClaimButtons(MainForm& table, bool hide);

// The turn clock off and hidden, its countdown back at the turn length.
void StopTurnClock(MainForm& table);

// The claim buttons as ResetClaimButtons hides them, and the chi and gang
// pickers disabled and hidden.
void ResetClaimControls(MainForm& table);

// The own turn ended by the server (it reported the own seat's discard):
// the claim buttons and pickers put away, the turn clock stopped and hidden
// if it runs, and the offer counted as answered, so that nothing more goes
// out for it: no pass from 过, the right button, the time-out or the
// automatic play, and no discard.
void EndOwnTurn(MainForm& table);

// The tile of own concealed slot `slot` becomes the parked discard: the face
// of its tile at the own pool size, at the table's centre, behind the other
// tiles; ParkedOwnTile holds its code until the server reports the discard.
// TileW(0) and TileH(0) end at the own pool size.
void PutOwnDiscardOnTable(MainForm& table, int16_t slot);
// The concealed run closes over slot `slot` (each later slot moves down one,
// its image to its new place in the row at the own hand size, which TileW(0)
// and TileH(0) then hold), is sorted, and holds one tile less.
void CloseHandGap(MainForm& table, int16_t slot);

// Plays the own voice line with this suffix ("01" chi ... "09" hu) while
// sound effects are on.
void PlayOwnVoice(const char* suffix);

// The clock in front with the seconds left, in green.
void ShowClockFace(MainForm& table);

// The turn clock shown again with half the turn length, for a choice on
// a picker.
void RestartTurnClockForChoice(MainForm& table);

} // namespace mj::Operate
