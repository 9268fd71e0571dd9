#include "platform/soundserver/ClientFiles.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace platform
{
    namespace
    {
        // A cookie is this long; a client configuration is a few lines, and
        // libpulse takes seconds to read through a gigabyte.
        constexpr off_t cookieSize = 256;
        constexpr off_t largestClientConfiguration = 1 << 20;

        struct Cookie
        {
            std::string path;
            // How the file is named in a complaint.
            std::string named;
            // libpulse makes a missing one, and locks it for writing.
            bool isNamedByVariable;
        };

        const char* variable (const char* name)
        {
            const auto* value = std::getenv (name);
            return value != nullptr && *value != '\0' ? value : nullptr;
        }

        std::string homeFolder()
        {
            if (const auto* home = variable ("HOME"))
                return home;

            const auto* entry = ::getpwuid (::getuid());
            return entry != nullptr && entry->pw_dir != nullptr ? entry->pw_dir : "";
        }

        std::string configurationFolder()
        {
            const auto* configHome = variable ("XDG_CONFIG_HOME");
            return (configHome != nullptr ? std::string (configHome) : homeFolder() + "/.config") + "/pulse";
        }

        // The cookies libpulse tries in turn, until one gives it a cookie; a
        // relative PULSE_COOKIE is taken from its configuration folder.
        std::vector<Cookie> cookiesInTurn()
        {
            std::vector<Cookie> cookies;

            if (const auto* named = variable ("PULSE_COOKIE"))
            {
                const auto path = named[0] == '/' ? std::string (named) : configurationFolder() + "/" + named;
                cookies.push_back ({ path, "PULSE_COOKIE names \"" + path + "\", which", true });
            }

            for (const auto& path : { configurationFolder() + "/cookie", homeFolder() + "/.pulse-cookie" })
                cookies.push_back ({ path, "the cookie \"" + path + "\"", false });

            return cookies;
        }

        // libpulse waits for its lock on a cookie without end: for writing
        // where it may write, else for reading.
        bool isLockedByAnotherProcess (const std::string& path, bool forWriting)
        {
            const int file = ::open (path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);

            if (file < 0)
                return false;

            struct flock lock {};
            lock.l_type = forWriting ? F_WRLCK : F_RDLCK;
            lock.l_whence = SEEK_SET;
            const bool isLocked = ::fcntl (file, F_GETLK, &lock) == 0 && lock.l_type != F_UNLCK;
            ::close (file);
            return isLocked;
        }

        std::optional<std::string> cookieProblem()
        {
            for (const auto& cookie : cookiesInTurn())
            {
                struct stat status {};

                if (::stat (cookie.path.c_str(), &status) != 0)
                {
                    if (cookie.isNamedByVariable)
                        return {};

                    continue;
                }

                if (! S_ISREG (status.st_mode))
                    return cookie.named + " is not a regular file";

                const bool isWritable = cookie.isNamedByVariable && ::access (cookie.path.c_str(), R_OK | W_OK) == 0;

                if (isLockedByAnotherProcess (cookie.path, isWritable))
                    return cookie.named + " is locked by another process";

                if (isWritable || (status.st_size >= cookieSize && ::access (cookie.path.c_str(), R_OK) == 0))
                    return {};
            }

            return {};
        }

        // A relative PULSE_CLIENTCONFIG is taken from the working folder.
        std::optional<std::string> clientConfigurationProblem()
        {
            const auto* path = variable ("PULSE_CLIENTCONFIG");
            struct stat status {};

            if (path == nullptr || ::stat (path, &status) != 0)
                return {};

            const auto named = "PULSE_CLIENTCONFIG names \"" + std::string (path) + "\", which";

            if (! S_ISREG (status.st_mode))
                return named + " is not a regular file";

            if (status.st_size > largestClientConfiguration)
                return named + " is larger than a client configuration can be";

            return {};
        }
    }

    std::optional<std::string> unreadableClientFile()
    {
        if (auto problem = clientConfigurationProblem())
            return problem;

        return cookieProblem();
    }
}
