#pragma once

#include <juce_core/juce_core.h>

#include <string>

namespace app_lifecycle
{
    // An exclusive advisory lock (flock) on a file, tried once without
    // waiting. The constructor creates the file's folder and the file when
    // they are missing and opens it; the file is never deleted. The lock
    // belongs to this process: the system releases it when the process
    // ends, however it ends, and no child process inherits it.
    //
    // The path is bytes, as the system takes it: a folder's name need not be
    // UTF-8. A path that is not absolute, too long, or names something other
    // than a regular file (a symbolic link included) is unusable: enter
    // fails with the reason, and any folder the constructor made for it is
    // removed again.
    class SingleInstanceLock
    {
    public:
        enum class Attempt
        {
            entered,
            heldElsewhere,
            failed
        };

        explicit SingleInstanceLock (std::string lockPath);
        ~SingleInstanceLock();

        Attempt enter();
        void exit();

        const std::string& getPath() const noexcept          { return path; }

        // Why the last attempt failed, in the system's words.
        const std::string& getFailureReason() const noexcept { return failureReason; }

    private:
        std::string open();

        std::string path;
        int descriptor = -1;
        bool held = false;
        std::string failureReason;

        JUCE_DECLARE_NON_COPYABLE (SingleInstanceLock)
    };
}
