#include "app_lifecycle/SingleInstanceLock.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace app_lifecycle
{
    namespace
    {
        juce::String describeError (int errorNumber)
        {
            return juce::String::fromUTF8 (std::strerror (errorNumber));
        }

        // Creates the folder and its missing parents; an error names the
        // system's reason.
        int createFolder (const juce::File& folder)
        {
            if (folder.isDirectory())
                return 0;

            const auto parent = folder.getParentDirectory();

            if (parent != folder)
                if (const auto error = createFolder (parent))
                    return error;

            if (::mkdir (folder.getFullPathName().toRawUTF8(), 0777) != 0 && errno != EEXIST)
                return errno;

            return folder.isDirectory() ? 0 : ENOTDIR;
        }
    }

    SingleInstanceLock::SingleInstanceLock (const juce::File& lockFile)
        : file (lockFile)
    {
        if (const auto error = createFolder (file.getParentDirectory()))
        {
            failureReason = describeError (error);
            return;
        }

        descriptor = ::open (file.getFullPathName().toRawUTF8(), O_RDONLY | O_CREAT | O_CLOEXEC, 0666);

        if (descriptor < 0)
            failureReason = describeError (errno);
    }

    SingleInstanceLock::~SingleInstanceLock()
    {
        exit();

        if (descriptor >= 0)
            ::close (descriptor);
    }

    SingleInstanceLock::Attempt SingleInstanceLock::enter()
    {
        if (descriptor < 0)
            return Attempt::failed;

        if (::flock (descriptor, LOCK_EX | LOCK_NB) == 0)
        {
            held = true;
            return Attempt::entered;
        }

        if (errno == EWOULDBLOCK)
            return Attempt::heldElsewhere;

        failureReason = describeError (errno);
        return Attempt::failed;
    }

    void SingleInstanceLock::exit()
    {
        if (held)
            ::flock (descriptor, LOCK_UN);

        held = false;
    }
}
