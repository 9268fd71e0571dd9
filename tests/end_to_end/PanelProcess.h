#pragma once

#include "PanelScreenshot.h"

#include "support/CacheFolder.h"
#include "support/ChildProcess.h"

#include <functional>
#include <memory>
#include <optional>

namespace end_to_end
{
    // The real program as a process of its own, with a cache folder (and so
    // a single-instance lock) of its own, and its window on the display;
    // worked with the real pointer and seen through screenshots.
    class PanelProcess
    {
    public:
        // Starts the program, with these variables added to the test's
        // environment, and waits for its window; false when none came.
        bool start (const std::map<std::string, std::string>& environment = {});
        // The quit request of the desktop (SIGTERM); the exit status, or
        // nothing when it did not exit on its own.
        std::optional<int> quit();
        juce::String errorOutput();

        // What the window shows, in panel coordinates.
        PanelScreenshot screenshot();
        // Takes screenshots until one passes the check; false when none did
        // within the time.
        bool waitUntilShown (const std::function<bool (const PanelScreenshot&)>& check, int timeoutMilliseconds);

        // The close box, and the reopen signal; each says whether the X
        // server then showed the window unmapped, or mapped.
        bool hideByCloseBox();
        bool reopen();

        void click (juce::Point<int> panelPoint);
        void drag (juce::Point<int> from, juce::Point<int> to);

    private:
        void xdotool (const juce::StringArray& actions);
        juce::StringArray moveTo (juce::Point<int> panelPoint) const;

        // The panel ends before its cache folder goes.
        test_support::CacheFolder folder;
        std::unique_ptr<test_support::ChildProcess> process;
        juce::String window;
    };
}
