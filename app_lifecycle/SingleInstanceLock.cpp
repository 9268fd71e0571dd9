#include "app_lifecycle/SingleInstanceLock.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace app_lifecycle
{
    namespace
    {
        juce::String describeError (int errorNumber)
        {
            return juce::String::fromUTF8 (std::strerror (errorNumber));
        }

        void removeFolders (const std::vector<juce::File>& folders)
        {
            for (auto folder = folders.rbegin(); folder != folders.rend(); ++folder)
                ::rmdir (folder->getFullPathName().toRawUTF8());
        }

        // Creates the folder and its missing parents, outermost first, and
        // lists those it made; on failure it removes them again and names
        // the system's reason.
        juce::String createFolder (const juce::File& folder, std::vector<juce::File>& created)
        {
            std::vector<juce::File> missing;

            for (auto f = folder; ! f.exists() && f.getParentDirectory() != f; f = f.getParentDirectory())
                missing.push_back (f);

            for (auto f = missing.rbegin(); f != missing.rend(); ++f)
            {
                if (::mkdir (f->getFullPathName().toRawUTF8(), 0777) != 0 && errno != EEXIST)
                {
                    const auto reason = describeError (errno);
                    removeFolders (created);
                    created.clear();
                    return reason;
                }

                created.push_back (*f);
            }

            return folder.isDirectory() ? juce::String() : describeError (ENOTDIR);
        }
    }

    SingleInstanceLock::SingleInstanceLock (const juce::String& lockPath)
        : path (lockPath)
    {
        // A relative path would put the lock under whatever folder the
        // program was started from.
        if (! path.startsWithChar ('/'))
            failureReason = "not an absolute path";
        // Caught before any folder is made: otherwise every folder along it
        // that the system allows would be made first.
        else if (path.getNumBytesAsUTF8() >= PATH_MAX)
            failureReason = describeError (ENAMETOOLONG);
        else
            failureReason = open();
    }

    // The folders, then the file; what this made for a lock that cannot be
    // used is taken away again.
    juce::String SingleInstanceLock::open()
    {
        const juce::File file (path);
        std::vector<juce::File> createdFolders;

        if (const auto reason = createFolder (file.getParentDirectory(), createdFolders); reason.isNotEmpty())
            return reason;

        // Without O_NONBLOCK a FIFO here would block the start for ever.
        descriptor = ::open (path.toRawUTF8(), O_RDONLY | O_CREAT | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, 0666);
        juce::String reason;
        struct stat status {};

        if (descriptor < 0)
            reason = describeError (errno);
        else if (::fstat (descriptor, &status) != 0)
            reason = describeError (errno);
        else if (! S_ISREG (status.st_mode))
            reason = "not a regular file";

        if (reason.isNotEmpty())
        {
            if (descriptor >= 0)
                ::close (descriptor);

            descriptor = -1;
            removeFolders (createdFolders);
        }

        return reason;
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
