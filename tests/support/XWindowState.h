#pragma once

// What the X server says of a window, asked on a connection of the test's
// own, apart from the framework's; kept apart from the framework's headers,
// which Xlib's macros would break.
namespace test_support
{
    // Whether the X server has the window mapped and viewable.
    bool isMappedOnScreen (unsigned long windowId);

    // Pumps the message loop until the window's mapped state is the one
    // wanted; false when the time ran out.
    bool waitUntilMapped (unsigned long windowId, bool mapped, int timeoutMilliseconds = 5000);

    // The window the window manager calls active (_NET_ACTIVE_WINDOW); 0
    // when it names none.
    unsigned long activeWindow();

    // The window manager's close request, as its close box sends it.
    void pressCloseBox (unsigned long windowId);
}
