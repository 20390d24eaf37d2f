#include "platform/Clock.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

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

QElapsedTimer& realTimer()
{
    static QElapsedTimer t = [] {
        QElapsedTimer e;
        e.start();
        return e;
    }();
    return t;
}

} // namespace

double Timer()
{
    const State& s = state();
    if (s.driven)
        return std::fmod(s.drivenMidnightOffset + s.drivenElapsed, 86400.0);
    const QTime now = QTime::currentTime();
    return now.msecsSinceStartOfDay() / 1000.0;
}

QDateTime Now()
{
    const State& s = state();
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
    return static_cast<double>(realTimer().nsecsElapsed()) / 1e9;
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
    QThread::msleep(static_cast<unsigned long>(milliseconds));
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
    const int ms = std::max(0, static_cast<int>(std::ceil(maxWaitSeconds * 1000.0)));
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
