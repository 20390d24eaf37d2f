// The real clock's rate (MJ_CLOCK_RATE), read once at a program's start: each
// case runs this test program again with the variable set.
#include "ServerProcess.h"
#include "TestSupport.h"

#include "platform/Clock.h"

#include <QElapsedTimer>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

using namespace mj;

namespace {

// Run as a child of the test below, with MJ_CLOCK_RATE and the rate it must
// give in MJ_EXPECTED_RATE. At a rate above 1, a pause of four seconds of the
// program's clock takes four seconds divided by the rate in real time, and
// both clocks have moved on by the four seconds.
TEST(ClockRate, DISABLED_Probe)
{
    const double expected = qEnvironmentVariable("MJ_EXPECTED_RATE").toDouble();
    ASSERT_EQ(Clock::Rate(), expected);
    EXPECT_EQ(Clock::RealMilliseconds(4000), static_cast<int64_t>(4000 / expected));
    EXPECT_EQ(Clock::RealMilliseconds(1), 1);
    EXPECT_EQ(Clock::RealMilliseconds(0), 0);
    if (expected == 1)
        return;
    const auto pauseTakes = [](const std::function<void()>& pause, double* programSeconds) {
        QElapsedTimer real;
        const double before = Clock::Monotonic();
        const double timeOfDay = Clock::Timer();
        real.start();
        pause();
        const qint64 took = real.elapsed();
        *programSeconds = Clock::Monotonic() - before;
        EXPECT_NEAR(std::fmod(Clock::Timer() - timeOfDay + 86400, 86400), *programSeconds, 1.0);
        return took;
    };
    double moved = 0;
    const qint64 took = pauseTakes([] { Clock::Sleep(4000); }, &moved);
    EXPECT_GE(took, 4000 / expected - 5);
    EXPECT_LT(took, 4000);
    EXPECT_GE(moved, 4.0 - 0.01);
}

TEST(ClockRate, TheVariableSpeedsTheRealClockUpOrIsLeftAlone)
{
    const struct {
        const char* value; // nullptr: unset
        const char* rate;
    } cases[] = {{"4", "4"}, {"2.5", "2.5"}, {nullptr, "1"}, {"0", "1"}, {"0.5", "1"}, {"101", "1"}, {"fast", "1"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value ? c.value : "unset");
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("MJ_CLOCK_RATE"));
        if (c.value)
            env.insert(QStringLiteral("MJ_CLOCK_RATE"), QString::fromLatin1(c.value));
        env.insert(QStringLiteral("MJ_EXPECTED_RATE"), QString::fromLatin1(c.rate));
        const mjtest::ChildRun run = mjtest::RunTestInChild(QStringLiteral("ClockRate.DISABLED_Probe"), env);
        EXPECT_EQ(run.exitCode, 0) << qPrintable(run.output);
        EXPECT_TRUE(run.output.contains(QStringLiteral("[  PASSED  ] 1 test"))) << qPrintable(run.output);
    }
}

} // namespace
