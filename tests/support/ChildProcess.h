#pragma once

#include <map>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace lifecycle_tests
{
    // The test program on the lifecycle layer (or another program), run as
    // a child process with its standard output and error captured line by
    // line.
    class ProbeProcess
    {
    public:
        // Starts the program (the probe unless given) with these arguments
        // and these environment variables put into the test's own
        // environment, through the launcher's words when given (a command
        // that runs the rest, such as "env -u HOME" or "prlimit --nofile=6").
        ProbeProcess (const std::vector<std::string>& arguments,
                      const std::map<std::string, std::string>& environment,
                      const std::string& program = LIFECYCLE_PROBE_PATH,
                      const std::vector<std::string>& launcher = {});

        // Kills the probe if it still runs.
        ~ProbeProcess();

        ProbeProcess (const ProbeProcess&) = delete;
        ProbeProcess& operator= (const ProbeProcess&) = delete;

        // Waits until the probe has printed `occurrence` lines starting with
        // the prefix and returns the last of them; nothing when the time ran
        // out or the probe ended first.
        std::optional<std::string> waitForLine (const std::string& prefix, int timeoutMilliseconds, int occurrence = 1);

        // Waits for the end; the exit status, or nothing when the time ran
        // out or a signal ended the probe.
        std::optional<int> waitForExit (int timeoutMilliseconds);

        bool isRunning();
        void sendSignal (int signalNumber);
        pid_t processId() const noexcept            { return pid; }

        const std::vector<std::string>& outputLines();
        std::vector<std::string> errorLines();
        int countOf (const std::string& line);

    private:
        void readAvailable (int timeoutMilliseconds);
        std::optional<std::string> findLine (const std::string& prefix, int occurrence) const;

        pid_t pid = -1;
        int outputPipe = -1;
        int errorPipe = -1;
        std::string pendingOutput;
        std::string errorOutput;
        std::vector<std::string> lines;
        std::optional<int> waitStatus;
    };
}
