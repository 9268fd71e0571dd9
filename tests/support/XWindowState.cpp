#include "support/XWindowState.h"

#include "support/MessagePump.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace test_support
{
    namespace
    {
        Display* testConnection()
        {
            static Display* const display = XOpenDisplay (nullptr);

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

    unsigned long activeWindow()
    {
        auto* display = testConnection();

        if (display == nullptr)
            return 0;

        Atom type = None;
        int format = 0;
        unsigned long count = 0, remaining = 0;
        unsigned char* data = nullptr;
        unsigned long window = 0;

        if (XGetWindowProperty (display, DefaultRootWindow (display), XInternAtom (display, "_NET_ACTIVE_WINDOW", False),
                                0, 1, False, XA_WINDOW, &type, &format, &count, &remaining, &data) == Success
            && data != nullptr && count == 1 && format == 32)
            window = *reinterpret_cast<unsigned long*> (data);

        if (data != nullptr)
            XFree (data);

        return window;
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
