#include "support/XWindowWatch.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <algorithm>
#include <poll.h>
#include <stdexcept>

namespace test_support
{
    namespace
    {
        int millisecondsUntil (XWindowWatch::Clock::time_point deadline)
        {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds> (deadline - XWindowWatch::Clock::now()).count();
            return static_cast<int> (std::max<long long> (left, 0));
        }
    }

    XWindowWatch::XWindowWatch (unsigned long windowId)
        : display (XOpenDisplay (nullptr)),
          window (windowId)
    {
        if (display == nullptr)
            throw std::runtime_error ("no X display for the window watch");

        XSelectInput (display, window, StructureNotifyMask);
        XSync (display, False);
    }

    XWindowWatch::~XWindowWatch()
    {
        XCloseDisplay (display);
    }

    std::optional<XWindowWatch::Clock::time_point> XWindowWatch::waitForMap (int timeoutMilliseconds)
    {
        const auto deadline = Clock::now() + std::chrono::milliseconds (timeoutMilliseconds);

        for (;;)
        {
            while (XPending (display) > 0)
            {
                XEvent event;
                XNextEvent (display, &event);

                if (event.type == MapNotify && event.xmap.window == window)
                    return Clock::now();
            }

            pollfd connection { ConnectionNumber (display), POLLIN, 0 };

            if (Clock::now() >= deadline || ::poll (&connection, 1, millisecondsUntil (deadline)) <= 0)
                return std::nullopt;
        }
    }

    std::vector<std::uint32_t> XWindowWatch::pixels()
    {
        XWindowAttributes attributes {};

        if (XGetWindowAttributes (display, window, &attributes) == 0 || attributes.map_state != IsViewable)
            return {};

        auto* image = XGetImage (display, window, 0, 0, (unsigned) attributes.width, (unsigned) attributes.height, AllPlanes, ZPixmap);

        if (image == nullptr)
            return {};

        std::vector<std::uint32_t> result;
        result.reserve ((size_t) (attributes.width * attributes.height));

        for (int y = 0; y < attributes.height; ++y)
            for (int x = 0; x < attributes.width; ++x)
                result.push_back ((std::uint32_t) XGetPixel (image, x, y));

        XDestroyImage (image);
        return result;
    }
}
