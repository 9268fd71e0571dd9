#include "platform/soundserver/ClientFiles.h"

#include <juce_core/juce_core.h>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using platform::unreadableClientFile;

namespace
{
    // Sets an environment variable, or clears it for an empty value, until
    // it goes.
    class ScopedVariable
    {
    public:
        ScopedVariable (const char* nameToSet, const std::string& value)
            : name (nameToSet), old (juce::SystemStats::getEnvironmentVariable (nameToSet, {}))
        {
            value.empty() ? ::unsetenv (name) : ::setenv (name, value.c_str(), 1);
        }

        ~ScopedVariable()
        {
            old.isEmpty() ? ::unsetenv (name) : ::setenv (name, old.toRawUTF8(), 1);
        }

    private:
        const char* name;
        const juce::String old;
    };

    // Another process, holding a lock on a file until this goes.
    class LockHolder
    {
    public:
        LockHolder (const std::string& path, short type)
        {
            int ready[2] {};
            EXPECT_EQ (::pipe (ready), 0);
            EXPECT_EQ (::pipe (release), 0);
            child = ::fork();

            if (child == 0)
            {
                ::close (release[1]);
                const int file = ::open (path.c_str(), type == F_WRLCK ? O_RDWR : O_RDONLY);
                struct flock lock {};
                lock.l_type = type;
                lock.l_whence = SEEK_SET;
                const char locked = file >= 0 && ::fcntl (file, F_SETLK, &lock) == 0 ? 'y' : 'n';
                [[maybe_unused]] const auto written = ::write (ready[1], &locked, 1);
                char ignored = 0;
                [[maybe_unused]] const auto read = ::read (release[0], &ignored, 1);
                ::_exit (0);
            }

            char locked = 0;
            EXPECT_EQ (::read (ready[0], &locked, 1), 1);
            EXPECT_EQ (locked, 'y') << path;
            ::close (ready[0]);
            ::close (ready[1]);
            ::close (release[0]);
        }

        ~LockHolder()
        {
            ::close (release[1]);
            ::waitpid (child, nullptr, 0);
        }

    private:
        int release[2] {};
        pid_t child = -1;
    };
}

TEST (ClientFiles, AFileThatWouldHoldTheMessageThreadIsRefusedBeforeLibpulseReadsIt)
{
    const juce::TemporaryFile folderName;
    const auto folder = folderName.getFile();
    ASSERT_TRUE (folder.getChildFile ("pulse").createDirectory());
    const auto path = [&] (const char* name) { return folder.getChildFile (name).getFullPathName().toStdString(); };
    const auto wholeCookie = juce::String::repeatedString ("c", 256);
    ASSERT_EQ (::mkfifo (path ("fifo").c_str(), 0600), 0);
    ASSERT_EQ (::mkfifo (path ("pulse/fifo").c_str(), 0600), 0);
    ASSERT_TRUE (folder.getChildFile ("regular").replaceWithText (wholeCookie));
    ASSERT_TRUE (folder.getChildFile ("short").replaceWithText ("cookie"));
    ASSERT_TRUE (folder.getChildFile ("huge").create());
    ASSERT_EQ (::truncate (path ("huge").c_str(), (off_t) 2 << 30), 0);

    // libpulse's own cookies: in its configuration folder, then in the home.
    const ScopedVariable home ("HOME", folder.getFullPathName().toStdString());
    const ScopedVariable configHome ("XDG_CONFIG_HOME", folder.getFullPathName().toStdString());
    const auto defaultCookie = folder.getChildFile ("pulse/cookie");
    const auto homeCookie = folder.getChildFile (".pulse-cookie");

    struct Row
    {
        const char* variable;
        std::string value;
        // The start of the one line that says why, or empty when allowed.
        std::string refusal;
    };

    const Row rows[] {
        { "PULSE_COOKIE", path ("fifo"), "PULSE_COOKIE names" },
        { "PULSE_CLIENTCONFIG", path ("fifo"), "PULSE_CLIENTCONFIG names" },
        { "PULSE_CLIENTCONFIG", folder.getFullPathName().toStdString(), "PULSE_CLIENTCONFIG names" },
        { "PULSE_CLIENTCONFIG", path ("huge"), "PULSE_CLIENTCONFIG names" },
        { "PULSE_COOKIE", "/dev/null", "PULSE_COOKIE names" },
        { "PULSE_COOKIE", "fifo", "PULSE_COOKIE names" },             // libpulse reads a relative cookie from its configuration folder
        { "PULSE_COOKIE", "regular", "" },
        { "PULSE_COOKIE", path ("regular"), "" },
        { "PULSE_CLIENTCONFIG", path ("regular"), "" },
        { "PULSE_CLIENTCONFIG", path ("missing"), "" },
        { "PULSE_COOKIE", "", "" },
    };

    for (const auto& row : rows)
    {
        SCOPED_TRACE (std::string (row.variable) + "=" + row.value);
        const ScopedVariable variable (row.variable, row.value);
        const auto problem = unreadableClientFile();
        EXPECT_EQ (problem.has_value(), ! row.refusal.empty());
        EXPECT_EQ (problem.value_or ("").rfind (row.refusal, 0), 0u) << problem.value_or ("");
    }

    const auto refusal = [] { return unreadableClientFile().value_or (""); };

    ASSERT_EQ (::mkfifo (defaultCookie.getFullPathName().toRawUTF8(), 0600), 0);
    EXPECT_EQ (refusal().rfind ("the cookie \"" + defaultCookie.getFullPathName().toStdString() + "\"", 0), 0u) << refusal();

    {
        // Taken before libpulse would reach its own.
        const ScopedVariable cookie ("PULSE_COOKIE", path ("regular"));
        EXPECT_EQ (refusal(), "");

        // libpulse locks a cookie it may write for writing, which waits for
        // every other lock.
        const LockHolder reading (path ("regular"), F_RDLCK);
        EXPECT_EQ (refusal().rfind ("PULSE_COOKIE names", 0), 0u) << refusal();
    }

    ASSERT_TRUE (defaultCookie.deleteFile());
    ASSERT_TRUE (defaultCookie.replaceWithText (wholeCookie));
    ASSERT_EQ (::mkfifo (homeCookie.getFullPathName().toRawUTF8(), 0600), 0);
    EXPECT_EQ (refusal(), "") << "libpulse stops at the first whole cookie";

    {
        // Its own cookie libpulse locks for reading.
        const LockHolder reading (defaultCookie.getFullPathName().toStdString(), F_RDLCK);
        EXPECT_EQ (refusal(), "");
    }

    {
        const LockHolder writing (defaultCookie.getFullPathName().toStdString(), F_WRLCK);
        EXPECT_NE (refusal().find ("locked by another process"), std::string::npos) << refusal();
    }

    ASSERT_TRUE (defaultCookie.replaceWithText ("short"));
    EXPECT_EQ (refusal().rfind ("the cookie \"" + homeCookie.getFullPathName().toStdString() + "\"", 0), 0u) << refusal();

    folder.deleteRecursively();
}
