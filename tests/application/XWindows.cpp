#include "XWindows.h"

#include "support/MessagePump.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace application_tests
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

        pid_t processOf (Window window)
        {
            const auto property = XInternAtom (testConnection(), "_NET_WM_PID", False);
            Atom type = None;
            int format = 0;
            unsigned long count = 0, remaining = 0;
            unsigned char* data = nullptr;
            pid_t process = -1;

            if (XGetWindowProperty (testConnection(), window, property, 0, 1, False, XA_CARDINAL,
                                    &type, &format, &count, &remaining, &data) == Success
                && data != nullptr && count == 1 && format == 32)
                process = static_cast<pid_t> (*reinterpret_cast<unsigned long*> (data));

            if (data != nullptr)
                XFree (data);

            return process;
        }

        // The window manager reparents clients into frames: looks one level
        // below each child of the root as well.
        unsigned long findMappedWindowOf (pid_t process, Window parent, int depth)
        {
            Window root = None, parentOfParent = None, * children = nullptr;
            unsigned int count = 0;

            if (XQueryTree (testConnection(), parent, &root, &parentOfParent, &children, &count) == 0)
                return 0;

            unsigned long found = 0;

            for (unsigned int i = 0; i < count && found == 0; ++i)
            {
                if (processOf (children[i]) == process && isMappedOnScreen (children[i]))
                    found = children[i];
                else if (depth > 0)
                    found = findMappedWindowOf (process, children[i], depth - 1);
            }

            if (children != nullptr)
                XFree (children);

            return found;
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

    unsigned long waitForWindowOf (pid_t process, int timeoutMilliseconds)
    {
        unsigned long window = 0;

        test_support::pumpUntil ([&]
        {
            window = testConnection() != nullptr
                         ? findMappedWindowOf (process, DefaultRootWindow (testConnection()), 1)
                         : 0;
            return window != 0;
        }, timeoutMilliseconds);

        return window;
    }

    void pressCloseBox (unsigned long windowId)
    {
        auto* display = testConnection();
        XEvent event {};
        event.xclient.type = ClientMessage;
        event.xclient.window = windowId;
        event.xclient.message_type = XInternAtom (display, "_NET_CLOSE_WINDOW", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] = CurrentTime;
        event.xclient.data.l[1] = 2; // from a pager or taskbar: always honoured

        XSendEvent (display, DefaultRootWindow (display), False,
                    SubstructureRedirectMask | SubstructureNotifyMask, &event);
        XFlush (display);
    }
}
