#include "XServer.h"

#include "support/MessagePump.h"

#include <X11/Xlib.h>

namespace application_tests
{
    namespace
    {
        Display* testConnection()
        {
            static Display* const display = []
            {
                XSetErrorHandler ([] (Display*, XErrorEvent*) { return 0; });
                return XOpenDisplay (nullptr);
            }();

            return display;
        }
    }

    bool isMappedOnScreen (unsigned long windowId)
    {
        XWindowAttributes attributes {};
        return XGetWindowAttributes (testConnection(), windowId, &attributes) != 0
            && attributes.map_state == IsViewable;
    }

    bool waitUntilMapped (unsigned long windowId, bool mapped)
    {
        return test_support::pumpUntil ([&] { return isMappedOnScreen (windowId) == mapped; }, 5000);
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
