// kdar7-bus-ping NAME SECONDS
//
// Calls org.freedesktop.DBus.Peer.Ping on the session bus name every 10 ms
// for the given seconds, each call waiting for its answer, and then the
// same on the bus itself, and prints "longest_ms <name's> <bus's> pings
// <count> failed <count>". A program that answers on its message thread
// answers late by as long as that thread went without handling an event;
// the bus's own answers tell how late the bus and this caller were.
#include <systemd/sd-bus.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace
{
    using Clock = std::chrono::steady_clock;
    using Milliseconds = std::chrono::duration<double, std::milli>;

    constexpr auto interval = std::chrono::milliseconds (10);
    constexpr uint64_t callTimeoutMicroseconds = 5000000;
    constexpr const char* busName = "org.freedesktop.DBus";

    // How long the answer took, in ms; negative when the call failed.
    double ping (sd_bus* bus, const char* name)
    {
        sd_bus_error error = SD_BUS_ERROR_NULL;
        sd_bus_message* reply = nullptr;
        const auto sent = Clock::now();
        const auto result = sd_bus_call_method (bus, name, "/", "org.freedesktop.DBus.Peer", "Ping", &error, &reply, "");
        const auto took = Milliseconds (Clock::now() - sent).count();
        sd_bus_message_unref (reply);
        sd_bus_error_free (&error);
        return result >= 0 ? took : -took;
    }
}

int main (int argc, char** argv)
{
    if (argc != 3)
    {
        std::fprintf (stderr, "usage: kdar7-bus-ping NAME SECONDS\n");
        return 2;
    }

    sd_bus* bus = nullptr;
    if (sd_bus_open_user (&bus) < 0)
    {
        std::fprintf (stderr, "kdar7-bus-ping: no session bus\n");
        return 1;
    }

    sd_bus_set_method_call_timeout (bus, callTimeoutMicroseconds);
    const auto end = Clock::now() + std::chrono::duration_cast<Clock::duration> (std::chrono::duration<double> (std::atof (argv[2])));
    double longestOfName = 0.0, longestOfBus = 0.0;
    int pings = 0, failed = 0;

    for (auto next = Clock::now(); next < end; next = std::max (next + interval, Clock::now()))
    {
        std::this_thread::sleep_until (next);
        const auto ofName = ping (bus, argv[1]);
        const auto ofBus = ping (bus, busName);
        longestOfName = std::max (longestOfName, std::abs (ofName));
        longestOfBus = std::max (longestOfBus, std::abs (ofBus));
        ++pings;
        failed += (ofName < 0 ? 1 : 0) + (ofBus < 0 ? 1 : 0);
    }

    sd_bus_flush_close_unref (bus);
    std::printf ("longest_ms %.1f %.1f pings %d failed %d\n", longestOfName, longestOfBus, pings, failed);
    return failed == 0 ? 0 : 1;
}
