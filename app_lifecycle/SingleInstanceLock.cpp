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
        std::string describeError (int errorNumber)
        {
            return std::strerror (errorNumber);
        }

        // Of an absolute path.
        std::string parentOf (const std::string& path)
        {
            const auto slash = path.find_last_of ('/');
            return slash == 0 ? "/" : path.substr (0, slash);
        }

        bool exists (const std::string& path)
        {
            struct stat status {};
            return ::stat (path.c_str(), &status) == 0;
        }

        bool isFolder (const std::string& path)
        {
            struct stat status {};
            return ::stat (path.c_str(), &status) == 0 && S_ISDIR (status.st_mode);
        }

        void removeFolders (const std::vector<std::string>& folders)
        {
            for (auto folder = folders.rbegin(); folder != folders.rend(); ++folder)
                ::rmdir (folder->c_str());
        }

        // Creates the folder and its missing parents, outermost first, and
        // lists those it made; on failure it removes them again and names
        // the system's reason.
        std::string createFolder (const std::string& folder, std::vector<std::string>& created)
        {
            std::vector<std::string> missing;

            for (auto f = folder; ! exists (f) && f != "/"; f = parentOf (f))
                missing.push_back (f);

            for (auto f = missing.rbegin(); f != missing.rend(); ++f)
            {
                if (::mkdir (f->c_str(), 0777) != 0 && errno != EEXIST)
                {
                    const auto reason = describeError (errno);
                    removeFolders (created);
                    created.clear();
                    return reason;
                }

                created.push_back (*f);
            }

            return isFolder (folder) ? std::string() : describeError (ENOTDIR);
        }
    }

    SingleInstanceLock::SingleInstanceLock (std::string lockPath)
        : path (std::move (lockPath))
    {
        // A relative path would put the lock under whatever folder the
        // program was started from.
        if (path.empty() || path.front() != '/')
            failureReason = "not an absolute path";
        // Caught before any folder is made: otherwise every folder along it
        // that the system allows would be made first.
        else if (path.size() >= PATH_MAX)
            failureReason = describeError (ENAMETOOLONG);
        else
            failureReason = open();
    }

    // The folders, then the file; what this made for a lock that cannot be
    // used is taken away again.
    std::string SingleInstanceLock::open()
    {
        std::vector<std::string> createdFolders;

        if (const auto reason = createFolder (parentOf (path), createdFolders); ! reason.empty())
            return reason;

        // Without O_NONBLOCK a FIFO here would block the start for ever;
        // without O_NOFOLLOW a symbolic link here would have its target
        // made, wherever it points.
        descriptor = ::open (path.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC | O_NONBLOCK | O_NOCTTY | O_NOFOLLOW, 0666);
        std::string reason;
        struct stat status {};

        if (descriptor < 0)
            reason = describeError (errno);
        else if (::fstat (descriptor, &status) != 0)
            reason = describeError (errno);
        else if (! S_ISREG (status.st_mode))
            reason = "not a regular file";

        if (! reason.empty())
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
