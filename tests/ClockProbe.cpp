// The program clock as any build that is not made for the tests compiles it
// (see tests/CMakeLists.txt): prints the rate of real mode and the real
// milliseconds of a 4-s pause, so that a check can set MJ_CLOCK_RATE and see
// that such a build ignores it.
#include "platform/Clock.h"

#include <cstdio>

int main()
{
    std::printf("rate %g, a 4000-ms pause takes %lld ms\n", mj::Clock::Rate(),
                static_cast<long long>(mj::Clock::RealMilliseconds(4000)));
    return 0;
}
