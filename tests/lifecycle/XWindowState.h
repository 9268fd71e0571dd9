#pragma once

namespace lifecycle_tests
{
    // Whether the X server has the window mapped and viewable, asked on a
    // connection of the test's own, apart from the framework's.
    bool isMappedOnScreen (unsigned long windowId);

    // Pumps the message loop until the window's mapped state is the one
    // wanted; false when the time ran out.
    bool waitUntilMapped (unsigned long windowId, bool mapped, int timeoutMilliseconds = 5000);
}
