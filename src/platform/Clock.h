// The one clock of the program. Everything that reads the time or pauses goes
// through here, so tests can drive time instead of waiting for it.
//
// Real mode reads the system clocks. A build made for the tests runs them at
// the rate MJ_CLOCK_RATE gives (a number from 1 to 100, read once; 1 when
// unset or out of range): at rate 4 every pause, wait and Timer control
// takes a quarter of its real time and the clocks run four times as fast
// from the program's start. End-to-end tests run the client so where the
// game's pauses are not what they check. Any other build (the player's
// client) runs at rate 1 whatever the variable says: the build compiles the
// variable in only with MJ_HONOUR_CLOCK_RATE (src/CMakeLists.txt).
// Driven mode (tests) keeps a clock that moves only when told to: Advance()
// moves it, Sleep() moves it by the sleep, and each turn of a wait's event
// loop moves it by one idle step (10 ms unless a test installs its own step,
// for example to act at a chosen moment).
#pragma once

#include <QDateTime>

#include <cstdint>
#include <functional>

namespace mj::Clock {

// Seconds since local midnight, with fraction (0 <= t < 86400).
double Timer();
// Seconds on a clock that never goes back and does not restart at midnight.
double Monotonic();
// The local date and time. In driven mode the date is the one set with
// SetDrivenDate (today when the driven clock was started) and the time of
// day is Timer(); the date moves on when the driven clock passes midnight.
QDateTime Now();
// Milliseconds since an arbitrary start, wrapping at 2^32.
uint32_t TickCount();

// The rate of real mode (see above): 1 outside a build made for the tests.
double Rate();
// Real milliseconds for an interval of the program's clock, at least 1 for
// a positive interval.
int64_t RealMilliseconds(int64_t milliseconds);

// Blocks the thread for the given milliseconds; no events are handled.
void Sleep(int64_t milliseconds);
// Handles pending events once, waiting at most the given seconds for one to
// arrive. Used by waits that keep the program responsive.
void ProcessEvents(double maxWaitSeconds);

// Driven mode for tests.
void UseDrivenClock(double secondsSinceMidnight = 12 * 3600.0);
void UseRealClock();
bool IsDriven();
void Advance(double seconds);
// The date of the driven clock's current day.
void SetDrivenDate(const QDate& date);
// What a wait does at each turn of its loop in driven mode; default: Advance(0.01).
void SetIdleStep(std::function<void()> step);
// Called with the milliseconds of each blocking sleep in driven mode, before
// the clock moves on; lets a test see what stands still during a pause.
void SetSleepObserver(std::function<void(int64_t milliseconds)> observer);

} // namespace mj::Clock
