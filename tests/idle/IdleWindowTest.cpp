#include "support/XWindowState.h"

#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>

namespace juce
{
    // JUCE's Linux event loop step; not in its public headers.
    bool dispatchNextMessageOnSystemQueue (bool returnIfNoPendingMessages);

    // The clock under Time's millisecond counters.
    uint32 juce_millisecondsSinceStartup() noexcept;
}

namespace
{
    // The bound for the idle program, all threads.
    constexpr double maxIdleContextSwitchesPerSecond = 40.0;

    // Lets the last paint and, three seconds after it, the release of the
    // window's back buffer go by before wake-ups are counted.
    constexpr int settleMilliseconds = 3500;

    long contextSwitchesOf (const std::filesystem::path& task)
    {
        long total = 0;
        std::ifstream status (task / "status");
        std::string line;

        while (std::getline (status, line))
            if (line.rfind ("voluntary_ctxt_switches:", 0) == 0 || line.rfind ("nonvoluntary_ctxt_switches:", 0) == 0)
                total += std::stol (line.substr (line.find (':') + 1));

        return total;
    }

    long contextSwitchesOfThisProcess()
    {
        long total = 0;

        for (const auto& task : std::filesystem::directory_iterator ("/proc/self/task"))
            total += contextSwitchesOf (task.path());

        return total;
    }

    // Voluntary switches of a thread: each sleep is one, and preemption on a
    // busy machine adds none.
    long sleepsOf (const std::filesystem::path& task)
    {
        std::ifstream status (task / "status");
        std::string line;

        while (std::getline (status, line))
            if (line.rfind ("voluntary_ctxt_switches:", 0) == 0)
                return std::stol (line.substr (line.find (':') + 1));

        return -1;
    }

    // Of the calling thread, the message thread in these tests: a timer due
    // wakes it with its timers' message.
    long wakesOfThisThread()
    {
        return sleepsOf ("/proc/thread-self");
    }

    // -1 when there is no such thread.
    long sleepsOfThread (const std::string& name)
    {
        for (const auto& task : std::filesystem::directory_iterator ("/proc/self/task"))
        {
            std::string comm;
            std::getline (std::ifstream (task.path() / "comm"), comm);

            if (comm == name)
                return sleepsOf (task.path());
        }

        return -1;
    }

    // Runs the message loop as the program does, asleep between events (the
    // tests' usual pump polls, which would swamp the count), until the
    // condition holds or the time is up.
    bool runMessageLoopUntil (const std::function<bool()>& condition, int timeoutMilliseconds)
    {
        struct Deadline : juce::Timer
        {
            bool passed = false;
            void timerCallback() override { passed = true; stopTimer(); }
        } deadline;

        // The condition is checked after each message; this timer's
        // messages keep it checked when nothing else arrives.
        struct Checker : juce::Timer
        {
            void timerCallback() override {}
        } checker;

        deadline.startTimer (timeoutMilliseconds);
        checker.startTimer (10);

        while (! condition() && ! deadline.passed)
            juce::dispatchNextMessageOnSystemQueue (false);

        return condition();
    }

    void runMessageLoopFor (int milliseconds)
    {
        struct Deadline : juce::Timer
        {
            bool passed = false;
            void timerCallback() override { passed = true; stopTimer(); }
        } deadline;

        deadline.startTimer (milliseconds);

        while (! deadline.passed)
            juce::dispatchNextMessageOnSystemQueue (false);
    }

    // Runs the loop with no timer of its own, which would wake the timer
    // thread: another thread posts the message that ends it.
    void runMessageLoopWithoutATimerFor (int milliseconds)
    {
        bool done = false;
        std::thread ender ([&]
        {
            std::this_thread::sleep_for (std::chrono::milliseconds (milliseconds));
            juce::MessageManager::callAsync ([&] { done = true; });
        });

        while (! done)
            juce::dispatchNextMessageOnSystemQueue (false);

        ender.join();
    }

    double contextSwitchesPerSecondWhileIdle()
    {
        constexpr int measuredMilliseconds = 2000;
        const auto before = contextSwitchesOfThisProcess();
        runMessageLoopFor (measuredMilliseconds);
        return (double) (contextSwitchesOfThisProcess() - before) * 1000.0 / measuredMilliseconds;
    }

    class FilledWindow : public juce::Component
    {
    public:
        FilledWindow()
        {
            setBounds (200, 200, 200, 150);
            addToDesktop (juce::ComponentPeer::windowHasTitleBar | juce::ComponentPeer::windowHasCloseButton);
            setVisible (true);
        }

        void paint (juce::Graphics& g) override
        {
            ++paints;
            g.fillAll (colour);
        }

        juce::Colour colour { juce::Colours::red };
        int paints = 0;
    };

    struct VBlankCounter
    {
        explicit VBlankCounter (juce::Component& component)
            : attachment (&component, [this] { ++calls; })
        {
        }

        int calls = 0;
        juce::VBlankAttachment attachment;
    };

    class IdleWindowTest : public ::testing::Test
    {
    protected:
        void SetUp() override
        {
            ASSERT_NE (window.getPeer(), nullptr);
            ASSERT_TRUE (test_support::waitUntilMapped (windowId(), true));
            ASSERT_TRUE (runMessageLoopUntil ([this] { return window.paints > 0; }, 5000));
        }

        unsigned long windowId() const
        {
            return (unsigned long) window.getPeer()->getNativeHandle();
        }

        FilledWindow window;
    };

    TEST_F (IdleWindowTest, SleepsWhenIdleAndWakesForVBlankListenersAndRepaints)
    {
        runMessageLoopFor (settleMilliseconds);
        EXPECT_LT (contextSwitchesPerSecondWhileIdle(), maxIdleContextSwitchesPerSecond);

        {
            VBlankCounter counter (window);
            EXPECT_TRUE (runMessageLoopUntil ([&] { return counter.calls >= 20; }, 5000));
        }

        EXPECT_LT (contextSwitchesPerSecondWhileIdle(), maxIdleContextSwitchesPerSecond);

        // A repaint of the sleeping window is drawn, and the drawing is on
        // the server without the loop running any further.
        const auto paintsBefore = window.paints;
        window.colour = juce::Colours::blue;
        window.repaint();
        ASSERT_TRUE (runMessageLoopUntil ([&] { return window.paints > paintsBefore; }, 2000));
        EXPECT_TRUE (test_support::serverShowsPixel (windowId(), { 100, 75 }, 0x0000ffu, 2000));

        runMessageLoopFor (settleMilliseconds);
        EXPECT_LT (contextSwitchesPerSecondWhileIdle(), maxIdleContextSwitchesPerSecond);
    }

    // A repaint of an idle window is painted by a message: the refresh timer
    // does not tick for it.
    TEST_F (IdleWindowTest, PaintsRepaintsOfAnIdleWindowWithoutATimer)
    {
        runMessageLoopFor (settleMilliseconds);

        constexpr int repaints = 5;
        const auto paintsBefore = window.paints;
        const auto timerSleepsBefore = sleepsOfThread ("JUCE Timer");
        const auto start = std::chrono::steady_clock::now();
        ASSERT_GE (timerSleepsBefore, 0);

        // Posted from another thread, as the sound server's replies wake the
        // panel: a timer of the test's own would wake the timer thread.
        bool done = false;
        std::thread poster ([&]
        {
            for (int repaint = 0; repaint <= repaints; ++repaint)
            {
                std::this_thread::sleep_for (std::chrono::milliseconds (100));
                juce::MessageManager::callAsync ([&, repaint] { repaint < repaints ? window.repaint() : (void) (done = true); });
            }
        });

        while (! done)
            juce::dispatchNextMessageOnSystemQueue (false);

        poster.join();
        EXPECT_EQ (window.paints - paintsBefore, repaints);
        // A wake for each message and for each paint's shared-memory
        // acknowledgement. Stock, the refresh timer ticked twice a repaint.
        // Beyond its sleeps of 100 ms, which keep the approximate clock
        // fresh, the timer thread sleeps up to 7 times (the sanitizer build):
        // for the back buffer's release timer started by the first paint,
        // and for the timers' lock. A timer ticking twice a repaint made 37
        // to 43.
        const auto refreshes = std::chrono::duration_cast<std::chrono::milliseconds> (std::chrono::steady_clock::now() - start).count() / 100;
        EXPECT_LE (sleepsOfThread ("JUCE Timer") - timerSleepsBefore - refreshes, 12);
    }

    // Nothing ticks in an idle window to send what it asked of the server.
    // A hidden window is not painted, and shows its latest state once mapped.
    TEST_F (IdleWindowTest, HideShowAndMoveReachTheServerWithoutTheMessageLoop)
    {
        runMessageLoopFor (settleMilliseconds);
        auto* peer = window.getPeer();

        peer->setVisible (false);
        EXPECT_TRUE (test_support::serverShowsMapped (windowId(), false, 2000));

        const auto paintsWhileHidden = window.paints;
        window.colour = juce::Colours::blue;
        window.repaint();
        runMessageLoopFor (300);
        EXPECT_EQ (window.paints, paintsWhileHidden);

        peer->setVisible (true);
        EXPECT_TRUE (test_support::serverShowsMapped (windowId(), true, 2000));
        ASSERT_TRUE (test_support::waitUntilMapped (windowId(), true));
        ASSERT_TRUE (runMessageLoopUntil ([&] { return window.paints > paintsWhileHidden; }, 2000));
        EXPECT_TRUE (test_support::serverShowsPixel (windowId(), { 100, 75 }, 0x0000ffu, 2000));

        runMessageLoopFor (settleMilliseconds);
        const auto before = test_support::serverPositionOf (windowId());
        peer->setBounds (peer->getBounds().translated (40, 30), false);
        EXPECT_TRUE (test_support::serverShowsPosition (windowId(), { before.x + 40, before.y + 30 }, 2000));
    }

    // As while a control or the window is dragged: repaints and moves at a
    // rate above the display's, with a vblank listener attached.
    TEST_F (IdleWindowTest, KeepsPaintingAndCallingListenersThroughAStreamOfRepaintsAndMoves)
    {
        VBlankCounter counter (window);

        struct Dragger : juce::Timer
        {
            explicit Dragger (FilledWindow& w) : window (w) {}

            void timerCallback() override
            {
                window.setTopLeftPosition (window.getPosition().translated (1, 0));
                window.colour = window.colour == juce::Colours::red ? juce::Colours::green : juce::Colours::red;
                window.repaint();
            }

            FilledWindow& window;
        } dragger (window);

        const auto paintsBefore = window.paints;
        dragger.startTimer (3);
        runMessageLoopFor (1000);
        dragger.stopTimer();

        // The display's rate is 100 Hz or more: a second is 100 frames.
        EXPECT_GT (window.paints - paintsBefore, 20);
        EXPECT_GT (counter.calls, 20);
    }

    // The back buffer is kept between paints; only an opaque window may skip
    // clearing it, or a translucent paint would pile onto the last one.
    TEST_F (IdleWindowTest, RepaintsATranslucentWindowOverAClearedBuffer)
    {
        window.colour = juce::Colours::red.withAlpha (0.5f);

        juce::Image once (juce::Image::ARGB, 1, 1, true);
        juce::Graphics (once).fillAll (window.colour);
        const juce::Image::BitmapData pixel (once, juce::Image::BitmapData::readOnly);
        const auto expected = reinterpret_cast<const juce::PixelARGB*> (pixel.getPixelPointer (0, 0))->getNativeARGB() & 0xffffffu;

        for (int paint = 0; paint < 3; ++paint)
        {
            const auto paintsBefore = window.paints;
            window.repaint();
            ASSERT_TRUE (runMessageLoopUntil ([&] { return window.paints > paintsBefore; }, 2000));
            runMessageLoopFor (100);
        }

        EXPECT_TRUE (test_support::serverShowsPixel (windowId(), { 100, 75 }, expected, 2000));
    }

    // The framework promises an approximate clock at most about 100 ms old
    // on every thread; its timer thread refreshes it, also while the message
    // loop sleeps for seconds between its one timer's calls.
    TEST (TimerThreadTest, KeepsTheApproximateClockFreshForOtherThreadsWhileTheLoopIdles)
    {
        struct Distant : juce::Timer
        {
            void timerCallback() override {}
        } distant;
        distant.startTimer (2000);

        std::atomic<bool> reading { true };
        juce::uint32 worstStaleness = 0;
        int readings = 0;

        std::thread reader ([&]
        {
            while (reading)
            {
                // The clock under the approximate one, read without
                // refreshing it; a reading preempted between the clocks
                // does not count.
                const auto before = juce::juce_millisecondsSinceStartup();
                const auto approximate = juce::Time::getApproximateMillisecondCounter();

                if (juce::juce_millisecondsSinceStartup() - before <= 1)
                {
                    // Refreshed between the two reads, it is ahead: not stale.
                    if (approximate < before)
                        worstStaleness = std::max (worstStaleness, before - approximate);

                    ++readings;
                }

                std::this_thread::sleep_for (std::chrono::milliseconds (5));
            }
        });

        runMessageLoopWithoutATimerFor (5000);
        reading = false;
        reader.join();

        ASSERT_GT (readings, 100);
        EXPECT_LE (worstStaleness, 150u);
    }

    // After a change of focus the framework checks which window is active,
    // less and less often, for about 4.3 s (10 ms doubling to 1.28 s, then
    // 1.73 s); then it sleeps until the next change, which it still follows,
    // the program losing the focus to another one included, also when a
    // round trip to the X server read that news into Xlib's queue before
    // the message loop saw it arrive.
    TEST (TopLevelWindowTest, StopsCheckingTheActiveWindowOnceSettledAndFollowsTheNextChange)
    {
        struct Window : juce::DocumentWindow
        {
            Window (const juce::String& name, int left)
                : juce::DocumentWindow (name, juce::Colours::grey, juce::DocumentWindow::closeButton)
            {
                setUsingNativeTitleBar (true);
                setBounds (left, 100, 200, 150);
                setVisible (true);
            }
        };

        Window first ("first", 100), second ("second", 400);

        // The window manager focuses each window it maps: only after both
        // are mapped does the focus stay where it is given.
        for (auto* window : { &first, &second })
            ASSERT_TRUE (test_support::waitUntilMapped ((unsigned long) window->getPeer()->getNativeHandle(), true));

        first.toFront (true);
        ASSERT_TRUE (runMessageLoopUntil ([&] { return first.isActiveWindow() && ! second.isActiveWindow(); }, 5000));

        // Active with no component focused, so that only the X event can
        // tell when the focus leaves the program.
        juce::Component::unfocusAllComponents();
        runMessageLoopFor (6000);
        ASSERT_TRUE (first.isActiveWindow());

        // The message that ends the loop wakes it 2 or 3 times; each check
        // of the active window once more.
        const auto wakesBefore = wakesOfThisThread();
        runMessageLoopWithoutATimerFor (4000);
        EXPECT_LE (wakesOfThisThread() - wakesBefore, 3);

        const auto other = test_support::focusWindowOfAnotherClient();
        ASSERT_NE (other, 0u);
        juce::Thread::sleep (200);
        juce::Desktop::getMousePosition();
        EXPECT_TRUE (runMessageLoopUntil ([&] { return ! first.isActiveWindow(); }, 5000));
        test_support::destroyWindowOfAnotherClient (other);

        second.toFront (true);
        EXPECT_TRUE (runMessageLoopUntil ([&] { return second.isActiveWindow() && ! first.isActiveWindow(); }, 5000));
    }
}
