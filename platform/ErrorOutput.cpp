#include "platform/ErrorOutput.h"

#include <cerrno>
#include <csignal>
#include <ctime>
#include <pthread.h>
#include <unistd.h>

namespace platform
{
    namespace
    {
        void writeAll (const std::string& text)
        {
            for (size_t written = 0; written < text.size();)
            {
                const auto count = ::write (STDERR_FILENO, text.data() + written, text.size() - written);

                if (count < 0 && errno == EINTR)
                    continue;

                if (count <= 0)
                    return;

                written += static_cast<size_t> (count);
            }
        }
    }

    // SIGPIPE is held for this thread while it writes; one that the write
    // raised is then taken before it can be delivered.
    void ErrorOutput::writeLine (const std::string& line)
    {
        sigset_t pipeSignal;
        sigemptyset (&pipeSignal);
        sigaddset (&pipeSignal, SIGPIPE);

        sigset_t previousMask;
        ::pthread_sigmask (SIG_BLOCK, &pipeSignal, &previousMask);

        sigset_t pendingBefore;
        ::sigpending (&pendingBefore);

        writeAll (line + "\n");

        if (sigismember (&pendingBefore, SIGPIPE) == 0)
        {
            const timespec noWait {};
            ::sigtimedwait (&pipeSignal, nullptr, &noWait);
        }

        ::pthread_sigmask (SIG_SETMASK, &previousMask, nullptr);
    }
}
