// Table layout and round set-up.
#pragma once

#include "platform/Runtime.h"

#include <cstdint>

namespace mj::NewGame {

// True while start-up fills the picture tables and runs the first layout pass.
inline bool LayoutBusy = false;
// Anchors of the room-rule plates; used only by the first layout pass.
inline int16_t LayoutAnchorX = 0;
inline int16_t LayoutAnchorY = 0;

// The first layout pass (start-up, once): places the wild tile, avatars,
// video frames and icons, toolbar, seat labels, ready marks, room-rule
// plates and the props warehouse button for the screen's scale; creates
// Tou(1..3), AnNiu(1..8), Nid/Cash/Level(1..3) and OK(1..3); gives the
// toolbar its pictures. Creating a member twice raises a run-time error.
void InitTableLayout();
// Places the seat labels, the room label and the location bar with its two
// phrase hot spots (called by InitTableLayout).
void LayoutSeatLabels();
// The second layout pass (start-up, once, after the first): places the turn
// clock, creates and places the claim buttons, creates MJ_Image(1..135) and
// SZ_Image(1..15), lays out the system message lines, the chat line, the
// banner corner, opens the camera device and frames the hidden preview over
// the own avatar. It starts no capture.
void InitTableLayoutAndCamera();

// Before a hand the table is reset by ResetTableForRound,
// ClearTableAndPlaceWalls and ResetRoundData (or ResetRoundDataCopy), in
// that order; leaving the table runs ResetRoundDataCopy and
// ClearTableAndPlaceWalls only. Each gives the same result run twice.

// Clears the table window for a hand: no parked discard and nothing to
// blink, the pool tile sizes of the four sides, every tile image hidden and
// without a picture, every slot's tile code 0, the claim buttons disabled and
// hidden, the seat names empty, the wild tile hidden and, unless watching, the
// banker's wind character empty.
void ResetTableForRound();
// Clears the hand's game state: every slot empty with no image, the meld and
// hand counters (MeldEnd 3 for the own side, 4 for the others), scores, seat
// names, the revealed and set-aside tiles, no wild tile and no winner. The two
// names do the same; callers use one or the other.
void ResetRoundData();
void ResetRoundDataCopy();
// Hides everything that belongs to a hand, lays the 136 tile images out as
// four walls of 17 stacks of two (wall w in front of side w, images 34w to
// 34w + 33 clockwise from the bottom right corner, the upper tile of a stack
// even) with the drawing order that makes the stacks look stacked, sets each
// seat's hand and pool origins, hides the room-rule plates (the wealth plate
// only while WealthRate is 0), clears the hand's props and settlement flags
// and shows the props warehouse button. Every tile image is left hidden.
void ClearTableAndPlaceWalls();

// The round-start animations. Blocking pauses freeze the window; the waits of
// the wall building and the dice handle window events, but the main loop, which
// calls these inside its own tick, dispatches no frame until they end.

// The seat-wind draw when the table has filled: four standing backs in a row
// at the table's centre, 0.5 s, one of them turned to the own seat's wind
// (seat index 0 北, 1 西, 2 南, 3 东), 0.5 s, all hidden again. A seat index
// outside 0..3 turns none up.
void ShowSeatWindDraw(int16_t wind);
// Shows the wind compass turned for the own seat (an own seat mask of 0
// becomes 1). Errors are ignored step by step.
void ShowCompass();
// Builds the four walls stack by stack from their corners, tells the hall the
// hand has started and clears the hand's gang and wall-tail records. Any error
// restores the hall window and ends the program.
void AnimateWallBuilding();
// The banker's two throws of two dice: dice(0), dice(1), then dice(2),
// dice(3), each tumbling 21 to 25 frames and resting 0.6 s. A 0 in the
// caller's array becomes 1; a value above 6 lands on face 6 and stays as it
// came. The second throw is made only for a side below 4.
void ThrowDice(int16_t bankerSide, VbArray<int16_t, 0, 3>& dice);

} // namespace mj::NewGame
