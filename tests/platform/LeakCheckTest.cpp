// The leak check at a test program's exit against the thread-local blocks of
// libraries loaded at run time: a block that starts 16 bytes into a memory
// page (where GCC 12's sanitizer runtime looks for the block header of old C
// libraries, see src/app/SanitizerDefaults.cpp) leaves the check working,
// both ways.
#include "ServerProcess.h"
#include "TestSupport.h"

#include <QProcessEnvironment>

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

constexpr char ProbeTest[] = "LeakCheck.DISABLED_ThreadLocalBlockAtAPageStart";

// Run as a child of the test below. Loads the probe library, takes small
// allocations until the next one starts a page, and has the C library make
// this thread's block of the probe's variable right then, so that it starts
// 16 bytes into the page. An allocation held only by that block stays
// reachable; with MJ_TLS_PROBE_LEAK set the block lets go of it, and the check
// must report the leak.
TEST(LeakCheck, DISABLED_ThreadLocalBlockAtAPageStart)
{
#if !defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "only a sanitized build checks for leaks";
#else
    void* library = dlopen(MJ_TLS_PROBE, RTLD_NOW);
    ASSERT_TRUE(library) << dlerror();
    const auto slotOf = reinterpret_cast<void** (*)()>(dlsym(library, "mj_tls_probe_slot"));
    ASSERT_TRUE(slotOf);
    std::vector<void*> taken;
    taken.reserve(1024);
    while (taken.size() < taken.capacity()) {
        taken.push_back(std::malloc(8));
        if ((reinterpret_cast<uintptr_t>(taken.back()) & 4095) == 4096 - 16)
            break; // the next one of this size starts a page
    }
    void** slot = slotOf();
    const uintptr_t at = reinterpret_cast<uintptr_t>(slot) & 4095;
    *slot = std::malloc(64);
    if (qEnvironmentVariableIsSet("MJ_TLS_PROBE_LEAK"))
        *slot = nullptr;
    for (void* p : taken)
        std::free(p);
    EXPECT_EQ(at, 16u) << "the block did not land where it was meant to";
#endif
}

TEST(LeakCheck, AThreadLocalBlockAtAPageStartKeepsTheCheckWorking)
{
#if !defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "only a sanitized build checks for leaks";
#else
    const struct {
        const char* what;
        bool leak;
    } cases[] = {{"held by the block", false}, {"let go", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        if (c.leak)
            env.insert(QStringLiteral("MJ_TLS_PROBE_LEAK"), QStringLiteral("1"));
        const mjtest::ChildRun run = mjtest::RunTestInChild(QLatin1String(ProbeTest), env);
        EXPECT_TRUE(run.output.contains(QStringLiteral("[  PASSED  ] 1 test"))) << qPrintable(run.output);
        EXPECT_FALSE(run.output.contains(QStringLiteral("fatal error"))) << qPrintable(run.output);
        if (c.leak) {
            EXPECT_NE(run.exitCode, 0);
            EXPECT_TRUE(run.output.contains(QStringLiteral("Direct leak of 64 byte(s)"))) << qPrintable(run.output);
        } else {
            EXPECT_EQ(run.exitCode, 0) << qPrintable(run.output);
        }
    }
#endif
}

} // namespace
