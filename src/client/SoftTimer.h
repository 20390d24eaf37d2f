// The soft timers of the main loop: ten pairs of an enable flag and a tick
// counter that every tick of TimerBong advances (slots 5 and 9 do no work).
// Slots 7 and 8 go by the clock; their last clock second is kept beside them.
#pragma once

#include <cstdint>

namespace mj {

#define MJ_SOFT_TIMERS(X)                                             \
    X(SendOn, SendTicks)                             /* 1: 1 tick */  \
    X(RecvOn, RecvTicks)                             /* 2: 2 ticks */ \
    X(ConnectWatchOn, ConnectWatchTicks)             /* 3: 4 ticks */ \
    X(BlinkOn, BlinkTicks)                           /* 4: 8 ticks */ \
    X(Slot5On, Slot5Ticks)                           /* 5: no work */ \
    X(ConnectionMonitorOn, ConnectionMonitorTicks)   /* 6: 1 tick */  \
    X(TurnClockOn, TurnClockTicks)                   /* 7: 1 s */     \
    X(NextRoundCountdownOn, NextRoundCountdownTicks) /* 8: 1 s */     \
    X(PulseOn, PulseTicks)                           /* 9: no work */ \
    X(BubbleHideOn, BubbleHideTicks)                 /* 10: 40 ticks */

#define MJ_DECLARE_SOFT_TIMER(on, ticks) \
    inline bool on = false;              \
    inline int16_t ticks = 0;
MJ_SOFT_TIMERS(MJ_DECLARE_SOFT_TIMER)
#undef MJ_DECLARE_SOFT_TIMER

// Clock values (seconds since midnight) of the last second counted by the
// turn clock and the next-hand countdown.
inline double TurnClockLast = 0;
inline double NextRoundClockLast = 0;
// Whether each clock slot was on at the last tick: a slot just switched on
// counts its first second from the tick that saw it on.
inline bool TurnClockWasOn = false;
inline bool NextRoundWasOn = false;
// Monotonic time of the first award-data request of a settlement; -1 none.
inline double ScoreInfoAskedSince = -1;

// The first connection (start-up or the hall's relogin) and its login are
// watched: a socket that fails or is not up within 20 seconds, a login that
// gets no answer within 30 seconds, or a link that drops before the answer
// take the path of a refused login instead of leaving the client waiting
// for ever. The login answer ends the watch.
inline bool FirstLoginWatchOn = false;
inline double FirstLoginStartedAt = 0; // monotonic seconds
inline double LoginSentAt = -1;        // monotonic seconds; -1 until the login frame is out
constexpr double FirstConnectLimit = 20;
constexpr double LoginAnswerLimit = 30;
void StartFirstLoginWatch();
void StopFirstLoginWatch();
// Notes that the login frame went out (for the watch).
void NoteLoginSent();

// Load a countdown into TurnCountdown and switch its slot on: the turn clock
// (slot 7) or the countdown to the next hand (slot 8). The first second
// counts from this moment, whether the slot was off, on, or switched off
// and on again since the last tick.
void StartTurnClock(int16_t seconds);
void StartNextRoundCountdown(int16_t seconds);

// Every soft timer off with its counter at 0.
inline void ResetSoftTimers()
{
#define MJ_RESET_SOFT_TIMER(on, ticks) \
    on = false;                        \
    ticks = 0;
    MJ_SOFT_TIMERS(MJ_RESET_SOFT_TIMER)
#undef MJ_RESET_SOFT_TIMER
    TurnClockLast = NextRoundClockLast = 0;
    TurnClockWasOn = NextRoundWasOn = false;
    ScoreInfoAskedSince = -1;
    FirstLoginWatchOn = false;
    FirstLoginStartedAt = 0;
    LoginSentAt = -1;
}

} // namespace mj
