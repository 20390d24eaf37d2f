#include "platform/Clock.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace mj::Clock {

namespace {

struct State {
    bool driven = false;
    double drivenMidnightOffset = 0; // Timer() = fmod(offset + drivenElapsed, 86400)
    double drivenElapsed = 0;        // seconds the driven clock has run
    QDate drivenDate;                // the date of the driven clock's first day
    std::function<void()> idleStep;
    std::function<void(int64_t)> sleepObserver;
};

State& state()
{
    static State s;
    return s;
}

// Real mode's start: the time of day then and a timer running since.
struct RealStart {
    QDateTime at = QDateTime::currentDateTime();
    QElapsedTimer timer;
    RealStart() { timer.start(); }
};

const RealStart& realStart()
{
    static const RealStart start;
    return start;
}

// Seconds of the program's clock since real mode's start.
double realElapsed()
{
    return static_cast<double>(realStart().timer.nsecsElapsed()) / 1e9 * Rate();
}

} // namespace

double Rate()
{
#ifdef MJ_HONOUR_CLOCK_RATE
    static const double rate = [] {
        bool ok = false;
        const double r = qEnvironmentVariable("MJ_CLOCK_RATE").toDouble(&ok);
        return ok && r >= 1 && r <= 100 ? r : 1.0;
    }();
    return rate;
#else
    return 1.0;
#endif
}

int64_t RealMilliseconds(int64_t milliseconds)
{
    if (milliseconds <= 0 || Rate() == 1.0)
        return milliseconds;
    return std::max<int64_t>(1, std::llround(static_cast<double>(milliseconds) / Rate()));
}

double Timer()
{
    const State& s = state();
    if (s.driven)
        return std::fmod(s.drivenMidnightOffset + s.drivenElapsed, 86400.0);
    if (Rate() != 1.0)
        return std::fmod(realStart().at.time().msecsSinceStartOfDay() / 1000.0 + realElapsed(), 86400.0);
    const QTime now = QTime::currentTime();
    return now.msecsSinceStartOfDay() / 1000.0;
}

QDateTime Now()
{
    const State& s = state();
    if (!s.driven && Rate() != 1.0)
        return realStart().at.addMSecs(static_cast<qint64>(realElapsed() * 1000.0));
    if (!s.driven)
        return QDateTime::currentDateTime();
    const double since = s.drivenMidnightOffset + s.drivenElapsed;
    const auto days = static_cast<qint64>(std::floor(since / 86400.0));
    const auto ms = static_cast<int>(std::fmod(since, 86400.0) * 1000.0);
    return QDateTime(s.drivenDate.addDays(days), QTime::fromMSecsSinceStartOfDay(ms));
}

double Monotonic()
{
    const State& s = state();
    if (s.driven)
        return s.drivenElapsed;
    return realElapsed();
}

uint32_t TickCount()
{
    return static_cast<uint32_t>(static_cast<uint64_t>(std::llround(Monotonic() * 1000.0)));
}

void Sleep(int64_t milliseconds)
{
    if (milliseconds <= 0)
        return;
    if (state().driven) {
        if (state().sleepObserver)
            state().sleepObserver(milliseconds);
        Advance(static_cast<double>(milliseconds) / 1000.0);
        return;
    }
    QThread::msleep(static_cast<unsigned long>(RealMilliseconds(milliseconds)));
}

void ProcessEvents(double maxWaitSeconds)
{
    State& s = state();
    if (s.driven) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        if (s.idleStep)
            s.idleStep();
        else
            Advance(0.01);
        return;
    }
    // Wait for the next event, but no longer than asked: a single-shot timer
    // wakes the loop when nothing else does.
    const auto ms = static_cast<int>(RealMilliseconds(std::max(0, static_cast<int>(std::ceil(maxWaitSeconds * 1000.0)))));
    QEventLoop loop;
    QTimer wake;
    wake.setSingleShot(true);
    QObject::connect(&wake, &QTimer::timeout, &loop, &QEventLoop::quit);
    wake.start(ms);
    loop.processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

void UseDrivenClock(double secondsSinceMidnight)
{
    State& s = state();
    s.driven = true;
    s.drivenMidnightOffset = secondsSinceMidnight;
    s.drivenElapsed = 0;
    s.drivenDate = QDate::currentDate();
    s.idleStep = nullptr;
    s.sleepObserver = nullptr;
}

void UseRealClock()
{
    State& s = state();
    s.driven = false;
    s.idleStep = nullptr;
    s.sleepObserver = nullptr;
}

void SetDrivenDate(const QDate& date)
{
    State& s = state();
    // The date given is today's: earlier whole days of the driven clock count back from it.
    const double since = s.drivenMidnightOffset + s.drivenElapsed;
    s.drivenDate = date.addDays(-static_cast<qint64>(std::floor(since / 86400.0)));
}

bool IsDriven()
{
    return state().driven;
}

void Advance(double seconds)
{
    if (seconds > 0)
        state().drivenElapsed += seconds;
}

void SetIdleStep(std::function<void()> step)
{
    state().idleStep = std::move(step);
}

void SetSleepObserver(std::function<void(int64_t milliseconds)> observer)
{
    state().sleepObserver = std::move(observer);
}

} // namespace mj::Clock
