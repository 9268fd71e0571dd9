#pragma once

#include <map>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace test_support
{
    // A program run as a child process of the test, its standard output
    // and error captured; killed if it still runs when this goes.
    class ChildProcess
    {
    public:
        // Starts the program with these arguments and these environment
        // variables put into the test's own environment, through the
        // launcher's words when given (a command that runs the rest, such
        // as "env -u HOME" or "prlimit --nofile=6"). Throws when no process
        // could be made; a program that cannot be found ends at once with
        // status 127 and says so on its error output.
        ChildProcess (const std::vector<std::string>& arguments,
                      const std::map<std::string, std::string>& environment,
                      const std::string& program,
                      const std::vector<std::string>& launcher = {});

        ~ChildProcess();

        ChildProcess (const ChildProcess&) = delete;
        ChildProcess& operator= (const ChildProcess&) = delete;

        // Waits until the program has printed `occurrence` lines starting
        // with the prefix and returns the last of them; nothing when the
        // time ran out or the program ended first.
        std::optional<std::string> waitForLine (const std::string& prefix, int timeoutMilliseconds, int occurrence = 1);

        // Waits for the end; the exit status, or nothing when the time ran
        // out or a signal ended the program.
        std::optional<int> waitForExit (int timeoutMilliseconds);

        bool isRunning();
        void sendSignal (int signalNumber);
        pid_t processId() const noexcept            { return pid; }

        // What it printed so far: its whole lines, all of it, and its errors.
        const std::vector<std::string>& outputLines();
        std::string output();
        std::string errorOutput();
        std::vector<std::string> errorLines();
        int countOf (const std::string& line);

    private:
        void readAvailable (int timeoutMilliseconds);
        std::optional<std::string> findLine (const std::string& prefix, int occurrence) const;

        pid_t pid = -1;
        int outputPipe = -1;
        int errorPipe = -1;
        std::string pendingOutput;
        std::string errorText;
        std::vector<std::string> lines;
        std::optional<int> waitStatus;
    };
}
