#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

// Xlib stays out of this header, as in XWindowState.h.
struct _XDisplay;

namespace test_support
{
    // Watches one window of another process on an X connection of its own:
    // when the X server maps it and what it shows.
    class XWindowWatch
    {
    public:
        using Clock = std::chrono::steady_clock;

        // Starts listening at once: a map that comes after the constructor
        // is seen.
        explicit XWindowWatch (unsigned long windowId);
        ~XWindowWatch();

        XWindowWatch (const XWindowWatch&) = delete;
        XWindowWatch& operator= (const XWindowWatch&) = delete;

        // When the X server reported the next map of the window (its
        // MapNotify read here); nothing when none came in time.
        std::optional<Clock::time_point> waitForMap (int timeoutMilliseconds);

        // The window's pixels as the server has them; empty when unmapped.
        std::vector<std::uint32_t> pixels();

    private:
        _XDisplay* display = nullptr;
        unsigned long window = 0;
    };
}
