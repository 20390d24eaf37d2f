// The frame rules: one table, by server code, of what a frame's header must
// hold before its branch may run. The dispatcher checks every frame against
// it once, before routing, so no branch repeats the checks and a frame that
// breaks its rule is handled one way for every code: it is dropped (its
// session token was still taken) and nothing else happens.
//
// A code without an entry has no rule: every header passes. A branch that
// reads a header field as a seat, a tile or a count adds the field's rule to
// its code's entry in FrameRules.cpp.
#pragma once

#include "client/Data.h"

#include <cstdint>

namespace mj::Total {

enum class SeatRule : uint8_t {
    Any,     // the seat is not read, or read as more than one seat
    OneSeat, // exactly one seat: 1, 2, 4 or 8
};

struct FrameRule {
    SeatRule Seat = SeatRule::Any;
    // The frame is meant for an onlooker only; a seated player drops it.
    bool WatchOnly = false;
};

// True for the mask of exactly one seat: 1, 2, 4 or 8.
bool IsOneSeat(uint8_t mask);
// The rule of a code (the empty rule for a code without an entry).
FrameRule RuleOf(int16_t code);
// True when the header keeps the rule of its code.
bool FrameFits(const MsgHeader& header);

} // namespace mj::Total
