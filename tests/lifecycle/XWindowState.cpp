#include "XWindowState.h"

#include "support/MessagePump.h"

#include <X11/Xlib.h>

namespace lifecycle_tests
{
    namespace
    {
        int ignoreErrors (Display*, XErrorEvent*)
        {
            return 0;
        }

        Display* testConnection()
        {
            static Display* const display = []
            {
                XSetErrorHandler (&ignoreErrors);
                return XOpenDisplay (nullptr);
            }();

            return display;
        }
    }

    bool isMappedOnScreen (unsigned long windowId)
    {
        XWindowAttributes attributes {};

        if (testConnection() == nullptr || XGetWindowAttributes (testConnection(), windowId, &attributes) == 0)
            return false;

        return attributes.map_state == IsViewable;
    }

    bool waitUntilMapped (unsigned long windowId, bool mapped, int timeoutMilliseconds)
    {
        return test_support::pumpUntil ([&] { return isMappedOnScreen (windowId) == mapped; }, timeoutMilliseconds);
    }
}
