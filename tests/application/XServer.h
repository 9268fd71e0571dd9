#pragma once

// What the X server says of a window, asked on a connection of the test's
// own, apart from the framework's; kept apart from the framework's headers,
// which Xlib's macros would break.
namespace application_tests
{
    bool isMappedOnScreen (unsigned long windowId);

    // Pumps the message loop until the window is mapped or unmapped, as
    // wanted; false after five seconds.
    bool waitUntilMapped (unsigned long windowId, bool mapped);

    // The window manager's close request, as its close box sends it.
    void pressCloseBox (unsigned long windowId);
}
