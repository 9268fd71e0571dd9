#pragma once

#include <string>

namespace platform
{
    // Lines on stderr that cannot end the program: when stderr is a pipe
    // whose reader has gone (a launcher that has ended), a write there
    // raises SIGPIPE, whose default action kills the process; here the
    // write only fails.
    class ErrorOutput
    {
    public:
        // The line and a newline, as they are (bytes, not necessarily UTF-8).
        static void writeLine (const std::string& line);
    };
}
