#include "support/XWindowState.h"

#include "support/MessagePump.h"

#include <X11/Xlib.h>

namespace test_support
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
        return pumpUntil ([&] { return isMappedOnScreen (windowId) == mapped; }, timeoutMilliseconds);
    }

    void pressCloseBox (unsigned long windowId)
    {
        XEvent event {};
        event.xclient.type = ClientMessage;
        event.xclient.window = windowId;
        event.xclient.message_type = XInternAtom (testConnection(), "_NET_CLOSE_WINDOW", False);
        event.xclient.format = 32;
        event.xclient.data.l[1] = 2; // from a pager: always honoured
        XSendEvent (testConnection(), DefaultRootWindow (testConnection()), False,
                    SubstructureRedirectMask | SubstructureNotifyMask, &event);
        XFlush (testConnection());
    }
}
