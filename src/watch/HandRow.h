// The onlooker's hand rows: where slot s of a side's concealed run stands.
#pragma once

#include <cstdint>
#include <initializer_list>

namespace mj::Side {

// Puts MJ_Image(image) at slot s of the side's hand row as a standing back at
// the side's hand size: the left row runs down the screen with every new
// tile in front, the right row up the screen with every new tile behind, the
// opposite row to the left and the watched row to the right. `apart` moves a
// watched tile half a tile to the right.
void PlaceInHandRow(int16_t side, int s, int16_t image, bool apart);

// A tile a discard or a claim takes from a concealed run: the slot whose
// image the step moves, and the tile's code.
struct TakenTile {
    int slot;
    int16_t code;
};

// The watched side's codes are known from its deal and draws, but its run
// lies face down and a discard or a claim takes whichever backs the step
// moves. Before such a step each taken slot gets its tile's code from the
// run, exchanged with the slot that held it (slots given earlier in the list
// keep theirs), so the run keeps the codes of the tiles still held and the
// hands shown at the hand's end show them. A code the run does not hold, or
// a slot outside the run, changes nothing. Only codes move; every image
// stays where it is. Other sides: nothing.
void TakeFromWatchedRun(int16_t side, std::initializer_list<TakenTile> taken);

} // namespace mj::Side
