#include "ProbeProcess.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace lifecycle_tests
{
    namespace
    {
        using Clock = std::chrono::steady_clock;

        Clock::time_point deadlineAfter (int milliseconds)
        {
            return Clock::now() + std::chrono::milliseconds (milliseconds);
        }

        int millisecondsUntil (Clock::time_point deadline)
        {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds> (deadline - Clock::now()).count();
            return static_cast<int> (std::max<long long> (0, left));
        }

        std::vector<std::string> environmentWith (const std::map<std::string, std::string>& overrides)
        {
            std::vector<std::string> result;

            for (auto** entry = environ; *entry != nullptr; ++entry)
            {
                const std::string variable (*entry);
                const auto name = variable.substr (0, variable.find ('='));

                if (overrides.count (name) == 0)
                    result.push_back (variable);
            }

            for (const auto& [name, value] : overrides)
                result.push_back (name + "=" + value);

            return result;
        }

        std::vector<char*> pointersTo (std::vector<std::string>& strings)
        {
            std::vector<char*> pointers;

            for (auto& s : strings)
                pointers.push_back (s.data());

            pointers.push_back (nullptr);
            return pointers;
        }

        std::vector<std::string> splitLines (const std::string& text)
        {
            std::vector<std::string> result;
            std::string::size_type start = 0;

            for (auto end = text.find ('\n'); end != std::string::npos; end = text.find ('\n', start))
            {
                result.push_back (text.substr (start, end - start));
                start = end + 1;
            }

            return result;
        }
    }

    ProbeProcess::ProbeProcess (const std::vector<std::string>& arguments,
                                const std::map<std::string, std::string>& environment)
    {
        int outputEnds[2];
        int errorEnds[2];

        if (::pipe2 (outputEnds, O_CLOEXEC) != 0 || ::pipe2 (errorEnds, O_CLOEXEC) != 0)
            throw std::runtime_error ("no pipe for the probe");

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init (&actions);
        posix_spawn_file_actions_adddup2 (&actions, outputEnds[1], STDOUT_FILENO);
        posix_spawn_file_actions_adddup2 (&actions, errorEnds[1], STDERR_FILENO);

        std::vector<std::string> argumentStrings { LIFECYCLE_PROBE_PATH };
        argumentStrings.insert (argumentStrings.end(), arguments.begin(), arguments.end());
        auto environmentStrings = environmentWith (environment);
        auto argv = pointersTo (argumentStrings);
        auto envp = pointersTo (environmentStrings);

        const auto result = ::posix_spawn (&pid, LIFECYCLE_PROBE_PATH, &actions, nullptr, argv.data(), envp.data());
        posix_spawn_file_actions_destroy (&actions);
        ::close (outputEnds[1]);
        ::close (errorEnds[1]);
        outputPipe = outputEnds[0];
        errorPipe = errorEnds[0];

        if (result != 0)
            throw std::runtime_error (std::string ("cannot start the probe: ") + std::strerror (result));

        ::fcntl (outputPipe, F_SETFL, O_NONBLOCK);
        ::fcntl (errorPipe, F_SETFL, O_NONBLOCK);
    }

    ProbeProcess::~ProbeProcess()
    {
        if (isRunning())
        {
            ::kill (pid, SIGKILL);
            reap (true);
        }

        ::close (outputPipe);
        ::close (errorPipe);
    }

    bool ProbeProcess::waitForLine (const std::string& line, int timeoutMilliseconds)
    {
        const auto deadline = deadlineAfter (timeoutMilliseconds);

        for (;;)
        {
            readAvailable (0);

            if (std::find (lines.begin(), lines.end(), line) != lines.end())
                return true;

            if (Clock::now() >= deadline || ! isRunning())
            {
                readAvailable (0);
                return std::find (lines.begin(), lines.end(), line) != lines.end();
            }

            readAvailable (std::min (20, millisecondsUntil (deadline)));
        }
    }

    std::optional<std::string> ProbeProcess::waitForLineStartingWith (const std::string& prefix, int timeoutMilliseconds)
    {
        const auto deadline = deadlineAfter (timeoutMilliseconds);

        for (;;)
        {
            readAvailable (0);

            for (const auto& line : lines)
                if (line.rfind (prefix, 0) == 0)
                    return line;

            if (Clock::now() >= deadline || ! isRunning())
                return std::nullopt;

            readAvailable (std::min (20, millisecondsUntil (deadline)));
        }
    }

    std::optional<int> ProbeProcess::waitForExit (int timeoutMilliseconds)
    {
        const auto deadline = deadlineAfter (timeoutMilliseconds);

        while (isRunning() && Clock::now() < deadline)
            readAvailable (std::min (10, millisecondsUntil (deadline)));

        readAvailable (0);

        if (! waitStatus || ! WIFEXITED (*waitStatus))
            return std::nullopt;

        return WEXITSTATUS (*waitStatus);
    }

    bool ProbeProcess::isRunning()
    {
        return ! waitStatus && ! reap (false);
    }

    void ProbeProcess::sendSignal (int signalNumber)
    {
        if (isRunning())
            ::kill (pid, signalNumber);
    }

    const std::vector<std::string>& ProbeProcess::outputLines()
    {
        readAvailable (0);
        return lines;
    }

    std::vector<std::string> ProbeProcess::errorLines()
    {
        readAvailable (0);
        return splitLines (errorOutput);
    }

    int ProbeProcess::countOf (const std::string& line)
    {
        const auto& all = outputLines();
        return static_cast<int> (std::count (all.begin(), all.end(), line));
    }

    void ProbeProcess::readAvailable (int timeoutMilliseconds)
    {
        pollfd descriptors[] { { outputPipe, POLLIN, 0 }, { errorPipe, POLLIN, 0 } };
        ::poll (descriptors, 2, timeoutMilliseconds);

        char buffer[4096];
        ssize_t count;

        while ((count = ::read (outputPipe, buffer, sizeof (buffer))) > 0)
            pendingOutput.append (buffer, static_cast<size_t> (count));

        while ((count = ::read (errorPipe, buffer, sizeof (buffer))) > 0)
            errorOutput.append (buffer, static_cast<size_t> (count));

        const auto complete = pendingOutput.rfind ('\n');

        if (complete == std::string::npos)
            return;

        for (auto& line : splitLines (pendingOutput.substr (0, complete + 1)))
            lines.push_back (std::move (line));

        pendingOutput.erase (0, complete + 1);
    }

    bool ProbeProcess::reap (bool wait)
    {
        int status = 0;

        if (::waitpid (pid, &status, wait ? 0 : WNOHANG) != pid)
            return false;

        waitStatus = status;
        return true;
    }
}
