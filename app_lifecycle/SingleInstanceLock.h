#pragma once

#include <juce_core/juce_core.h>

namespace app_lifecycle
{
    // An exclusive advisory lock (flock) on a file, tried once without
    // waiting. The constructor creates the file's folder and the file when
    // they are missing and opens it; the file is never deleted. The lock
    // belongs to this process: the system releases it when the process
    // ends, however it ends, and no child process inherits it.
    class SingleInstanceLock
    {
    public:
        enum class Attempt
        {
            entered,
            heldElsewhere,
            failed
        };

        explicit SingleInstanceLock (const juce::File& lockFile);
        ~SingleInstanceLock();

        Attempt enter();
        void exit();

        const juce::File& getFile() const noexcept           { return file; }

        // Why the last attempt failed, in the system's words.
        const juce::String& getFailureReason() const noexcept { return failureReason; }

    private:
        juce::File file;
        int descriptor = -1;
        bool held = false;
        juce::String failureReason;

        JUCE_DECLARE_NON_COPYABLE (SingleInstanceLock)
    };
}
