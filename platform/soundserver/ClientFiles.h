#pragma once

#include <optional>
#include <string>

namespace platform
{
    // libpulse reads its client configuration and its cookie with blocking
    // calls on the calling thread: a FIFO there, a cookie that another
    // process holds locked, or a configuration of gigabytes would hold the
    // message thread for ever or for seconds. Says why, in one line, when
    // one of them would; none when libpulse may read them.
    std::optional<std::string> unreadableClientFile();
}
