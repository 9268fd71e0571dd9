#include "support/XWindowState.h"

#include "support/MessagePump.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <functional>
#include <thread>

namespace test_support
{
    namespace
    {
        Display* testConnection()
        {
            static Display* const display = XOpenDisplay (nullptr);

            return display;
        }

        // Asks without dispatching the framework's messages.
        bool waitFor (const std::function<bool()>& holds, int timeoutMilliseconds)
        {
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds (timeoutMilliseconds);

            for (;;)
            {
                if (holds())
                    return true;

                if (std::chrono::steady_clock::now() >= deadline)
                    return false;

                std::this_thread::sleep_for (std::chrono::milliseconds (5));
            }
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

    ServerPoint serverPositionOf (unsigned long windowId)
    {
        ServerPoint topLeft;
        ::Window child = 0;

        if (auto* display = testConnection())
            XTranslateCoordinates (display, windowId, DefaultRootWindow (display), 0, 0, &topLeft.x, &topLeft.y, &child);

        return topLeft;
    }

    bool serverShowsMapped (unsigned long windowId, bool mapped, int timeoutMilliseconds)
    {
        // A window the server does not know is neither.
        return testConnection() != nullptr && waitFor ([&]
        {
            XWindowAttributes attributes {};
            return XGetWindowAttributes (testConnection(), windowId, &attributes) != 0
                && (attributes.map_state == IsViewable) == mapped;
        }, timeoutMilliseconds);
    }

    bool serverShowsPosition (unsigned long windowId, ServerPoint topLeft, int timeoutMilliseconds)
    {
        return testConnection() != nullptr && waitFor ([&]
        {
            const auto position = serverPositionOf (windowId);
            return position.x == topLeft.x && position.y == topLeft.y;
        }, timeoutMilliseconds);
    }

    bool serverShowsPixel (unsigned long windowId, ServerPoint point, unsigned int rgb, int timeoutMilliseconds)
    {
        return testConnection() != nullptr && waitFor ([&]
        {
            auto* image = XGetImage (testConnection(), windowId, point.x, point.y, 1, 1, AllPlanes, ZPixmap);

            if (image == nullptr)
                return false;

            const auto pixel = (unsigned int) XGetPixel (image, 0, 0) & 0xffffffu;
            XDestroyImage (image);
            return pixel == rgb;
        }, timeoutMilliseconds);
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
        auto* display = testConnection();

        if (display == nullptr)
            return;

        XEvent event {};
        event.xclient.type = ClientMessage;
        event.xclient.window = windowId;
        event.xclient.message_type = XInternAtom (display, "_NET_CLOSE_WINDOW", False);
        event.xclient.format = 32;
        event.xclient.data.l[1] = 2; // from a pager: always honoured
        XSendEvent (display, DefaultRootWindow (display), False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
        XFlush (display);
    }

    unsigned long focusWindowOfAnotherClient()
    {
        auto* display = testConnection();

        if (display == nullptr)
            return 0;

        const auto window = XCreateSimpleWindow (display, DefaultRootWindow (display), 700, 100, 60, 60, 0, 0, 0);
        XMapWindow (display, window);

        if (! serverShowsMapped (window, true, 5000))
            return 0;

        XSetInputFocus (display, window, RevertToParent, CurrentTime);
        XSync (display, False);
        return window;
    }

    void destroyWindowOfAnotherClient (unsigned long windowId)
    {
        if (auto* display = testConnection(); display != nullptr && windowId != 0)
        {
            XDestroyWindow (display, windowId);
            XSync (display, False);
        }
    }
}
