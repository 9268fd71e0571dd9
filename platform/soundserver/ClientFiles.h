#pragma once

#include <optional>
#include <string>

namespace platform
{
    // libpulse reads the cookie that PULSE_COOKIE names and the client
    // configuration that PULSE_CLIENTCONFIG names with blocking reads on the
    // calling thread, before it connects: a FIFO there would hold the
    // message thread for ever. Says why, in one line, when either exists and
    // is no regular file; none when both may be read.
    std::optional<std::string> unreadableClientFile();
}
