#pragma once

// What the X server says of a window, asked on a connection of the test's
// own, apart from the framework's: a request the framework left in its
// output buffer never shows here. Kept apart from the framework's headers,
// which Xlib's macros would break.
namespace test_support
{
    struct ServerPoint
    {
        int x = 0;
        int y = 0;
    };

    // Whether the X server has the window mapped and viewable.
    bool isMappedOnScreen (unsigned long windowId);

    // Pumps the message loop until the window's mapped state is the one
    // wanted; false when the time ran out.
    bool waitUntilMapped (unsigned long windowId, bool mapped, int timeoutMilliseconds = 5000);

    // The window's top left on the root, or 0, 0 when the server does not know it.
    ServerPoint serverPositionOf (unsigned long windowId);

    // Each waits up to the given time for the server to show the state and
    // says whether it did; none dispatches the framework's messages.
    bool serverShowsMapped (unsigned long windowId, bool mapped, int timeoutMilliseconds);
    bool serverShowsPosition (unsigned long windowId, ServerPoint topLeft, int timeoutMilliseconds);
    bool serverShowsPixel (unsigned long windowId, ServerPoint point, unsigned int rgb, int timeoutMilliseconds);

    // The window the window manager calls active (_NET_ACTIVE_WINDOW); 0
    // when it names none.
    unsigned long activeWindow();

    // The window manager's close request, as its close box sends it.
    void pressCloseBox (unsigned long windowId);

    // Maps a small window of the test's own connection, another client to
    // the framework, and gives it the focus; 0 when it could not be shown.
    unsigned long focusWindowOfAnotherClient();
    void destroyWindowOfAnotherClient (unsigned long windowId);
}
