#pragma once

#include <optional>
#include <string>
#include <sys/types.h>

namespace test_support
{
    // The first line a shell command prints on stdout; empty when none.
    std::string firstLineOf (const std::string& command);

    // The panel window ("K-DAR7") of the process, once there (visible only,
    // when asked); nothing after 30 seconds. Other tests' windows come and
    // go on a shared display meanwhile.
    std::optional<unsigned long> findPanelWindow (pid_t pid, bool visibleOnly);
}
