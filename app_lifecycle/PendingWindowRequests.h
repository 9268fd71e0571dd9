#pragma once

namespace app_lifecycle
{
    // JUCE 7 on Linux writes a window's map and unmap requests into its X
    // connection's buffer and leaves them there until something else
    // flushes it: the next X event read, repaint or timer. A change of
    // window made for a request from outside the window system (a signal,
    // the session bus) would reach the screen only then.
    class PendingWindowRequests
    {
    public:
        // Hands what the framework has written to the X server at once.
        static void sendNow();
    };
}
