#pragma once

#include <map>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace lifecycle_tests
{
    // The test program on the lifecycle layer, run as a child process with
    // its standard output and error captured line by line.
    class ProbeProcess
    {
    public:
        // Starts the probe with these arguments; the environment is the
        // test's own with the given variables put in.
        ProbeProcess (const std::vector<std::string>& arguments,
                      const std::map<std::string, std::string>& environment);

        // Kills the probe if it still runs.
        ~ProbeProcess();

        ProbeProcess (const ProbeProcess&) = delete;
        ProbeProcess& operator= (const ProbeProcess&) = delete;

        // Waits until the probe has printed this line; false when the time
        // ran out or the probe ended first.
        bool waitForLine (const std::string& line, int timeoutMilliseconds);

        // Waits for the first line that starts with the prefix and returns it.
        std::optional<std::string> waitForLineStartingWith (const std::string& prefix, int timeoutMilliseconds);

        // Waits for the end; the exit status, or nothing when the time ran
        // out or a signal ended the probe.
        std::optional<int> waitForExit (int timeoutMilliseconds);

        bool isRunning();
        void sendSignal (int signalNumber);

        const std::vector<std::string>& outputLines();
        std::vector<std::string> errorLines();
        int countOf (const std::string& line);

    private:
        void readAvailable (int timeoutMilliseconds);
        bool reap (bool wait);

        pid_t pid = -1;
        int outputPipe = -1;
        int errorPipe = -1;
        std::string pendingOutput;
        std::string errorOutput;
        std::vector<std::string> lines;
        std::optional<int> waitStatus;
    };
}
