#include "support/CacheFolder.h"
#include "support/ChildProcess.h"
#include "support/PanelWindowSearch.h"

#include <gtest/gtest.h>
#include <juce_core/juce_core.h>

#include <csignal>
#include <memory>

namespace
{
    constexpr int exitTimeoutMilliseconds = 30000;

    // The program with a cache folder of its own (its single-instance lock
    // lives there).
    std::unique_ptr<test_support::ChildProcess> startProgram (const test_support::CacheFolder& cache)
    {
        // JUCE unloads the X library at its shutdown; kept loaded, what the
        // library holds is not taken for a leak. It then comes before the
        // sanitizer's runtime.
        return std::make_unique<test_support::ChildProcess> (std::vector<std::string> {},
                                                             std::map<std::string, std::string> {
                                                                 { "XDG_CACHE_HOME", cache.path() },
                                                                 { "LD_PRELOAD", "libX11.so.6" },
                                                                 { "ASAN_OPTIONS", "verify_asan_link_order=0" } },
                                                             PANEL_PROGRAM_PATH);
    }
}

TEST (PanelProgram, RunsOnceShowsItsWindowAndQuitsCleanlyOnTheQuitRequest)
{
    const test_support::CacheFolder cache;
    const auto running = startProgram (cache);
    ASSERT_TRUE (test_support::findPanelWindow (running->processId(), true).has_value()) << running->errorOutput();
    EXPECT_TRUE (cache.get().getChildFile ("kdar7-volume-panel/quenmarAppLock_K-DAR7 Volume Panel").existsAsFile());

    // Refused at the lock, the second start touches no sound server: other
    // clients would see it come and go.
    {
        test_support::ChildProcess serverEvents ({ "subscribe" }, {}, "pactl");
        juce::Thread::sleep (200);
        const auto second = startProgram (cache);
        EXPECT_EQ (second->waitForExit (exitTimeoutMilliseconds), 0);
        EXPECT_EQ (second->errorOutput(), "");
        juce::Thread::sleep (200);
        EXPECT_FALSE (serverEvents.waitForLine ("Event 'new' on client", 0));
        EXPECT_TRUE (serverEvents.isRunning());
    }

    running->sendSignal (SIGTERM);
    EXPECT_EQ (running->waitForExit (exitTimeoutMilliseconds), 0);
    EXPECT_EQ (running->errorOutput(), "");
}
