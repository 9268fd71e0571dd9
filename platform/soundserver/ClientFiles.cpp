#include "platform/soundserver/ClientFiles.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

namespace platform
{
    namespace
    {
        std::string homeFolder()
        {
            if (const auto* home = std::getenv ("HOME"); home != nullptr && *home != '\0')
                return home;

            const auto* entry = ::getpwuid (::getuid());
            return entry != nullptr && entry->pw_dir != nullptr ? entry->pw_dir : "";
        }

        // libpulse takes a relative cookie path from its configuration
        // folder, and a relative configuration path from the working folder.
        std::string pathAsRead (const std::string& variable, const std::string& value)
        {
            if (value.front() == '/' || variable != "PULSE_COOKIE")
                return value;

            const auto* configHome = std::getenv ("XDG_CONFIG_HOME");
            const auto base = configHome != nullptr && *configHome != '\0' ? std::string (configHome) : homeFolder() + "/.config";
            return base + "/pulse/" + value;
        }
    }

    std::optional<std::string> unreadableClientFile()
    {
        for (const auto* variable : { "PULSE_COOKIE", "PULSE_CLIENTCONFIG" })
        {
            const auto* value = std::getenv (variable);

            if (value == nullptr || *value == '\0')
                continue;

            const auto path = pathAsRead (variable, value);
            struct stat status {};

            if (::stat (path.c_str(), &status) == 0 && ! S_ISREG (status.st_mode))
                return std::string (variable) + " names \"" + path + "\", which is not a regular file";
        }

        return {};
    }
}
