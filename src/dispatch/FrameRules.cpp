#include "dispatch/FrameRules.h"

#include <array>
#include <utility>

namespace mj::Total {

namespace {

// The entries, by code. The seated table draws for the seat a frame names,
// working out the side from it; any other value would pick a side that did
// not act.
// The table snapshot lays out a running hand for an onlooker who joins it;
// on a seated player's table it would deal tiles the seat never drew.
constexpr std::array<std::pair<int16_t, FrameRule>, 6> Rules{{
    {1, {SeatRule::OneSeat}},  // the deal: the seat that receives the tiles
    {2, {SeatRule::OneSeat}},  // a discard: the discarder
    {5, {SeatRule::OneSeat}},  // a draw: the seat that draws
    {7, {SeatRule::OneSeat}},  // a claim: the seat that claimed
    {15, {SeatRule::OneSeat}}, // the hands shown: the seat whose hand it is
    {40, {SeatRule::Any, true}}, // the table snapshot: for an onlooker only
}};

} // namespace

bool IsOneSeat(uint8_t mask)
{
    return mask == 1 || mask == 2 || mask == 4 || mask == 8;
}

FrameRule RuleOf(int16_t code)
{
    for (const auto& [c, rule] : Rules)
        if (c == code)
            return rule;
    return {};
}

bool FrameFits(const MsgHeader& header)
{
    const FrameRule rule = RuleOf(header.Code);
    if (rule.Seat == SeatRule::OneSeat && !IsOneSeat(header.Seat & 15))
        return false;
    if (rule.WatchOnly && !WatchMode)
        return false;
    return true;
}

} // namespace mj::Total
