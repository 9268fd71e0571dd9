#include "XServerView.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <functional>
#include <thread>

namespace idle_test
{
    namespace
    {
        Display* connection()
        {
            static Display* const display = XOpenDisplay (nullptr);

            return display;
        }

        bool waitFor (const std::function<bool (Display*)>& holds, int timeoutMilliseconds)
        {
            if (connection() == nullptr)
                return false;

            const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds (timeoutMilliseconds);

            for (;;)
            {
                if (holds (connection()))
                    return true;

                if (std::chrono::steady_clock::now() >= deadline)
                    return false;

                std::this_thread::sleep_for (std::chrono::milliseconds (5));
            }
        }
    }

    bool serverShowsMapped (unsigned long windowId, bool mapped, int timeoutMilliseconds)
    {
        return waitFor ([&] (Display* display)
        {
            XWindowAttributes attributes {};
            return XGetWindowAttributes (display, windowId, &attributes) != 0
                && (attributes.map_state == IsViewable) == mapped;
        }, timeoutMilliseconds);
    }

    ServerPoint serverPositionOf (unsigned long windowId)
    {
        ServerPoint topLeft;
        ::Window child = 0;

        if (connection() != nullptr)
            XTranslateCoordinates (connection(), windowId, DefaultRootWindow (connection()), 0, 0,
                                   &topLeft.x, &topLeft.y, &child);

        return topLeft;
    }

    bool serverShowsPosition (unsigned long windowId, ServerPoint topLeft, int timeoutMilliseconds)
    {
        return waitFor ([&] (Display*)
        {
            const auto position = serverPositionOf (windowId);
            return position.x == topLeft.x && position.y == topLeft.y;
        }, timeoutMilliseconds);
    }

    bool serverShowsPixel (unsigned long windowId, ServerPoint point, unsigned int rgb, int timeoutMilliseconds)
    {
        return waitFor ([&] (Display* display)
        {
            auto* image = XGetImage (display, windowId, point.x, point.y, 1, 1, AllPlanes, ZPixmap);
            if (image == nullptr)
                return false;

            const auto pixel = (unsigned int) XGetPixel (image, 0, 0) & 0xffffffu;
            XDestroyImage (image);
            return pixel == rgb;
        }, timeoutMilliseconds);
    }

    unsigned long focusWindowOfAnotherClient()
    {
        auto* display = connection();

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
        if (auto* display = connection(); display != nullptr && windowId != 0)
        {
            XDestroyWindow (display, windowId);
            XSync (display, False);
        }
    }
}
