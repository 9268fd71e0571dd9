#pragma once

#include <sys/types.h>

namespace application_tests
{
    // What the X server itself says of top-level windows, asked on a
    // connection of the test's own, apart from the framework's.

    bool isMappedOnScreen (unsigned long windowId);

    // Pumps the message loop until the window's mapped state is the one
    // wanted; false when the time ran out.
    bool waitUntilMapped (unsigned long windowId, bool mapped, int timeoutMilliseconds = 5000);

    // Pumps until a mapped top-level window of that process shows up; its
    // id, or 0 when the time ran out.
    unsigned long waitForWindowOf (pid_t process, int timeoutMilliseconds);

    // Asks the window manager to close the window, as its close box does.
    void pressCloseBox (unsigned long windowId);
}
