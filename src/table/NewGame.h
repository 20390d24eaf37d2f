// Table layout and round set-up.
#pragma once

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
void ResetTableForRound();
void ResetRoundData();
void ResetRoundDataCopy();
void ClearTableAndPlaceWalls();
// Shows the wind compass turned for the own seat.
void ShowCompass();

} // namespace mj::NewGame
