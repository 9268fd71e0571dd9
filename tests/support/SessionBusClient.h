#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

struct sd_bus;

namespace test_support
{
    // What came back for a call, and when.
    struct BusReply
    {
        bool succeeded = false;
        std::string errorName;
        std::string errorMessage;
        std::chrono::steady_clock::time_point arrived;
    };

    // A caller of org.freedesktop.Application on the session bus (or the
    // bus at the address given), through sd-bus. Each call waits for its
    // reply, at most ten seconds.
    class SessionBusClient
    {
    public:
        explicit SessionBusClient (const std::string& address = {});
        ~SessionBusClient();

        SessionBusClient (const SessionBusClient&) = delete;
        SessionBusClient& operator= (const SessionBusClient&) = delete;

        bool isConnected() const noexcept           { return bus != nullptr; }

        BusReply activate (const std::string& name);
        BusReply open (const std::string& name, const std::vector<std::string>& uris);
        // With a string parameter when one is given.
        BusReply activateAction (const std::string& name, const std::string& action,
                                 const std::optional<std::string>& parameter = std::nullopt);
        // A call of the method with one string as its only argument, a
        // signature none of the interface's methods takes.
        BusReply callWithOneString (const std::string& name, const std::string& method, const std::string& text);

        // The process that owns the name; nothing while no one does. Never
        // starts a service.
        std::optional<pid_t> ownerOf (const std::string& name);

        // Puts a variable into the environment of programs that the bus
        // starts.
        bool setActivationVariable (const std::string& variable, const std::string& value);

    private:
        sd_bus* bus = nullptr;
    };

    // The object path under which a name serves the interface.
    std::string objectPathOf (const std::string& name);
}
