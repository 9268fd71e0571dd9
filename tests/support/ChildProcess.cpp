#include "support/ChildProcess.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace test_support
{
    namespace
    {
        using Clock = std::chrono::steady_clock;

        int millisecondsUntil (Clock::time_point deadline)
        {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds> (deadline - Clock::now()).count();
            return static_cast<int> (std::clamp<long long> (left, 0, 20));
        }

        std::vector<std::string> splitLines (const std::string& text)
        {
            std::vector<std::string> result;
            std::istringstream stream (text);

            for (std::string line; std::getline (stream, line);)
                result.push_back (line);

            return result;
        }

        // Drains a non-blocking pipe into the text.
        void readAll (int pipe, std::string& text)
        {
            char buffer[4096];

            for (ssize_t count; (count = ::read (pipe, buffer, sizeof (buffer))) > 0;)
                text.append (buffer, static_cast<size_t> (count));
        }
    }

    ChildProcess::ChildProcess (const std::vector<std::string>& arguments,
                                const std::map<std::string, std::string>& environment,
                                const std::string& program,
                                const std::vector<std::string>& launcher)
    {
        int outputEnds[2];
        int errorEnds[2];

        if (::pipe2 (outputEnds, O_CLOEXEC) != 0 || ::pipe2 (errorEnds, O_CLOEXEC) != 0)
            throw std::runtime_error ("no pipe for " + program);

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init (&actions);
        posix_spawn_file_actions_adddup2 (&actions, outputEnds[1], STDOUT_FILENO);
        posix_spawn_file_actions_adddup2 (&actions, errorEnds[1], STDERR_FILENO);

        // The launcher and env replace themselves by the program, which
        // keeps the process id.
        auto command = launcher;
        command.push_back ("env");

        for (const auto& [name, value] : environment)
            command.push_back (name + "=" + value);

        command.push_back (program);
        command.insert (command.end(), arguments.begin(), arguments.end());

        std::vector<char*> argv;

        for (auto& word : command)
            argv.push_back (word.data());

        argv.push_back (nullptr);

        const auto result = ::posix_spawnp (&pid, command.front().c_str(), &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy (&actions);
        ::close (outputEnds[1]);
        ::close (errorEnds[1]);
        outputPipe = outputEnds[0];
        errorPipe = errorEnds[0];

        if (result != 0)
            throw std::runtime_error ("cannot start " + program + ": " + std::strerror (result));

        ::fcntl (outputPipe, F_SETFL, O_NONBLOCK);
        ::fcntl (errorPipe, F_SETFL, O_NONBLOCK);
    }

    ChildProcess::~ChildProcess()
    {
        if (isRunning())
        {
            ::kill (pid, SIGKILL);
            ::waitpid (pid, nullptr, 0);
        }

        ::close (outputPipe);
        ::close (errorPipe);
    }

    std::optional<std::string> ChildProcess::waitForLine (const std::string& prefix, int timeoutMilliseconds, int occurrence)
    {
        const auto deadline = Clock::now() + std::chrono::milliseconds (timeoutMilliseconds);

        for (;;)
        {
            // Reads once more after the end, for what the program printed last.
            const auto ended = Clock::now() >= deadline || ! isRunning();
            readAvailable (ended ? 0 : millisecondsUntil (deadline));

            if (auto line = findLine (prefix, occurrence); line || ended)
                return line;
        }
    }

    std::optional<int> ChildProcess::waitForExit (int timeoutMilliseconds)
    {
        const auto deadline = Clock::now() + std::chrono::milliseconds (timeoutMilliseconds);

        while (isRunning() && Clock::now() < deadline)
            readAvailable (millisecondsUntil (deadline));

        readAvailable (0);

        if (! waitStatus || ! WIFEXITED (*waitStatus))
            return std::nullopt;

        return WEXITSTATUS (*waitStatus);
    }

    bool ChildProcess::isRunning()
    {
        int status = 0;

        if (! waitStatus && ::waitpid (pid, &status, WNOHANG) == pid)
            waitStatus = status;

        return ! waitStatus;
    }

    void ChildProcess::sendSignal (int signalNumber)
    {
        if (isRunning())
            ::kill (pid, signalNumber);
    }

    const std::vector<std::string>& ChildProcess::outputLines()
    {
        readAvailable (0);
        return lines;
    }

    std::string ChildProcess::output()
    {
        std::string text;

        for (const auto& line : outputLines())
            text += line + "\n";

        return text + pendingOutput;
    }

    std::string ChildProcess::errorOutput()
    {
        readAvailable (0);
        return errorText;
    }

    std::vector<std::string> ChildProcess::errorLines()
    {
        return splitLines (errorOutput());
    }

    int ChildProcess::countOf (const std::string& line)
    {
        const auto& all = outputLines();
        return static_cast<int> (std::count (all.begin(), all.end(), line));
    }

    void ChildProcess::readAvailable (int timeoutMilliseconds)
    {
        pollfd descriptors[] { { outputPipe, POLLIN, 0 }, { errorPipe, POLLIN, 0 } };
        ::poll (descriptors, 2, timeoutMilliseconds);

        readAll (outputPipe, pendingOutput);
        readAll (errorPipe, errorText);

        // Only whole lines; the rest waits for its newline.
        const auto end = pendingOutput.rfind ('\n');

        if (end == std::string::npos)
            return;

        for (auto& line : splitLines (pendingOutput.substr (0, end + 1)))
            lines.push_back (std::move (line));

        pendingOutput.erase (0, end + 1);
    }

    std::optional<std::string> ChildProcess::findLine (const std::string& prefix, int occurrence) const
    {
        for (const auto& line : lines)
            if (line.rfind (prefix, 0) == 0 && --occurrence == 0)
                return line;

        return std::nullopt;
    }
}
