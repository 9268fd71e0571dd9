#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <X11/Xlib.h>

#include <atomic>
#include <filesystem>
#include <pthread.h>

// The framework reads the desktop's settings from helper programs when no
// settings manager owns the display; each run holds up every start. A
// program of its own, so that the desktop is first made inside the test.
namespace
{
    std::atomic<int> forks { 0 };

    const bool countingForks = pthread_atfork ([] { ++forks; }, nullptr, nullptr) == 0;

    bool settingsManagerRuns()
    {
        auto* display = XOpenDisplay (nullptr);

        if (display == nullptr)
            return false;

        const auto owner = XGetSelectionOwner (display, XInternAtom (display, "_XSETTINGS_S0", False));
        XCloseDisplay (display);
        return owner != None;
    }

    TEST (FrameworkStartTest, AsksForTheThemeOnlyWhenSomethingWantsToKnow)
    {
        ASSERT_TRUE (countingForks);

        if (! std::filesystem::exists ("/usr/bin/gsettings") || settingsManagerRuns())
            GTEST_SKIP() << "needs /usr/bin/gsettings and a display without a settings manager";

        // The scale factor is needed for the first window (read with dconf
        // too where it is installed); the theme is not.
        juce::Desktop::getInstance();
        const auto forksAtStart = forks.load();
        EXPECT_LE (forksAtStart, std::filesystem::exists ("/usr/bin/dconf") ? 2 : 1);

        const auto dark = juce::Desktop::getInstance().isDarkModeActive();
        EXPECT_EQ (forks.load(), forksAtStart + 1);

        EXPECT_EQ (juce::Desktop::getInstance().isDarkModeActive(), dark);
        EXPECT_EQ (forks.load(), forksAtStart + 1) << "the theme is asked for once";
    }
}
