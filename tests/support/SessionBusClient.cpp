#include "support/SessionBusClient.h"

#include <algorithm>
#include <systemd/sd-bus.h>

namespace test_support
{
    namespace
    {
        constexpr auto interfaceName = "org.freedesktop.Application";
        constexpr std::uint64_t callTimeoutMicroseconds = 10'000'000;

        // An empty a{sv}, the platform data every method of the interface ends with.
        int appendNoPlatformData (sd_bus_message* message)
        {
            return sd_bus_message_append (message, "a{sv}", 0);
        }

        template <typename AppendArguments>
        BusReply call (sd_bus* bus, const std::string& name, const std::string& method, AppendArguments&& appendArguments)
        {
            BusReply result;

            if (bus == nullptr)
            {
                result.errorMessage = "not connected";
                return result;
            }

            sd_bus_message* message = nullptr;
            sd_bus_message* reply = nullptr;
            sd_bus_error error = SD_BUS_ERROR_NULL;

            auto r = sd_bus_message_new_method_call (bus, &message, name.c_str(), objectPathOf (name).c_str(),
                                                     interfaceName, method.c_str());
            if (r >= 0)
                r = appendArguments (message);
            if (r >= 0)
                r = sd_bus_call (bus, message, callTimeoutMicroseconds, &error, &reply);

            result.arrived = std::chrono::steady_clock::now();
            result.succeeded = r >= 0;
            result.errorName = error.name != nullptr ? error.name : "";
            result.errorMessage = error.message != nullptr ? error.message : "";

            sd_bus_error_free (&error);
            sd_bus_message_unref (reply);
            sd_bus_message_unref (message);
            return result;
        }
    }

    std::string objectPathOf (const std::string& name)
    {
        auto path = "/" + name;
        std::replace (path.begin(), path.end(), '.', '/');
        return path;
    }

    SessionBusClient::SessionBusClient (const std::string& address)
    {
        sd_bus* opened = nullptr;

        if (address.empty())
        {
            if (sd_bus_open_user (&opened) < 0)
                return;
        }
        else if (sd_bus_new (&opened) < 0
                 || sd_bus_set_address (opened, address.c_str()) < 0
                 || sd_bus_set_bus_client (opened, 1) < 0
                 || sd_bus_start (opened) < 0)
        {
            sd_bus_unref (opened);
            return;
        }

        bus = opened;
    }

    SessionBusClient::~SessionBusClient()
    {
        sd_bus_flush_close_unref (bus);
    }

    BusReply SessionBusClient::activate (const std::string& name)
    {
        return call (bus, name, "Activate", appendNoPlatformData);
    }

    BusReply SessionBusClient::open (const std::string& name, const std::vector<std::string>& uris)
    {
        return call (bus, name, "Open", [&] (sd_bus_message* message)
        {
            auto r = sd_bus_message_open_container (message, 'a', "s");

            for (const auto& uri : uris)
                if (r >= 0)
                    r = sd_bus_message_append (message, "s", uri.c_str());

            if (r >= 0)
                r = sd_bus_message_close_container (message);

            return r >= 0 ? appendNoPlatformData (message) : r;
        });
    }

    BusReply SessionBusClient::activateAction (const std::string& name, const std::string& action,
                                               const std::optional<std::string>& parameter)
    {
        return call (bus, name, "ActivateAction", [&] (sd_bus_message* message)
        {
            auto r = parameter ? sd_bus_message_append (message, "sav", action.c_str(), 1, "s", parameter->c_str())
                               : sd_bus_message_append (message, "sav", action.c_str(), 0);
            return r >= 0 ? appendNoPlatformData (message) : r;
        });
    }

    BusReply SessionBusClient::callWithOneString (const std::string& name, const std::string& method, const std::string& text)
    {
        return call (bus, name, method, [&] (sd_bus_message* message)
        {
            return sd_bus_message_append (message, "s", text.c_str());
        });
    }

    std::optional<pid_t> SessionBusClient::ownerOf (const std::string& name)
    {
        sd_bus_creds* credentials = nullptr;

        if (bus == nullptr || sd_bus_get_name_creds (bus, name.c_str(), SD_BUS_CREDS_PID, &credentials) < 0)
            return std::nullopt;

        pid_t pid = 0;
        const auto known = sd_bus_creds_get_pid (credentials, &pid) >= 0;
        sd_bus_creds_unref (credentials);
        return known ? std::optional<pid_t> (pid) : std::nullopt;
    }

    bool SessionBusClient::setActivationVariable (const std::string& variable, const std::string& value)
    {
        if (bus == nullptr)
            return false;

        sd_bus_error error = SD_BUS_ERROR_NULL;
        const auto r = sd_bus_call_method (bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                                           "UpdateActivationEnvironment", &error, nullptr, "a{ss}", 1,
                                           variable.c_str(), value.c_str());
        sd_bus_error_free (&error);
        return r >= 0;
    }
}
