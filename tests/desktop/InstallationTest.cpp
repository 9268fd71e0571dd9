// cmake --install into a fresh prefix: exactly the program, its desktop
// entry, its D-Bus service file and its icons; the service file starts the
// installed program when its name is called on a private session bus
// (scripts/with-session-bus) and the program is not running; a launcher
// that runs the entry's command (gio launch) shows the running panel, or
// starts the program without the bus.

#include "PanelWindowSupport.h"

#include "support/CacheFolder.h"
#include "support/ChildProcess.h"
#include "support/MessagePump.h"
#include "support/SessionBusClient.h"
#include "support/XWindowState.h"

#include <gtest/gtest.h>
#include <juce_graphics/juce_graphics.h>

#include <csignal>
#include <cstdlib>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <unistd.h>
#include <vector>

namespace
{
    using desktop_tests::panelBusName;

    std::set<std::string> filesUnder (const juce::File& folder)
    {
        std::set<std::string> files;

        for (const auto& entry : juce::RangedDirectoryIterator (folder, true, "*", juce::File::findFiles))
            files.insert (entry.getFile().getRelativePathFrom (folder).toStdString());

        return files;
    }

    // The processes running the program; one that has ended but is not
    // yet reaped runs nothing.
    std::vector<pid_t> processesRunning (const juce::File& program)
    {
        std::vector<pid_t> found;

        for (const auto& entry : juce::RangedDirectoryIterator (juce::File ("/proc"), false, "*", juce::File::findDirectories))
        {
            const auto name = entry.getFile().getFileName();

            if (name.containsOnly ("0123456789") && juce::File ("/proc/" + name + "/exe").getLinkedTarget() == program)
                found.push_back (static_cast<pid_t> (name.getIntValue()));
        }

        return found;
    }

    // The one process running the program, once there is one.
    std::optional<pid_t> startedProcess (const juce::File& program)
    {
        std::vector<pid_t> running;
        test_support::pumpUntil ([&] { return ! (running = processesRunning (program)).empty(); }, 30000);
        return running.size() == 1 ? std::optional<pid_t> (running.front()) : std::nullopt;
    }

    bool hasEnded (const juce::File& program)
    {
        return test_support::pumpUntil ([&] { return processesRunning (program).empty(); }, 10000);
    }

    // What the program runs with, whoever starts it: the test's cache
    // folder, and libX11 kept loaded so that the sanitizer build does not
    // take what the library holds at the end for leaks.
    std::map<std::string, std::string> programEnvironment (const test_support::CacheFolder& cache,
                                                           std::map<std::string, std::string> more = {})
    {
        more.emplace ("XDG_CACHE_HOME", cache.path());
        more.emplace ("LD_PRELOAD", "libX11.so.6");
        more.emplace ("ASAN_OPTIONS", "verify_asan_link_order=0");
        return more;
    }

    // The command of the entry's action, as its Exec line has it.
    std::string actionCommand (const juce::String& entryText, const juce::String& action)
    {
        const auto group = entryText.fromFirstOccurrenceOf ("[Desktop Action " + action + "]\n", false, false);
        return group.fromFirstOccurrenceOf ("\nExec=", false, false).upToFirstOccurrenceOf ("\n", false, false).toStdString();
    }

    class Installation : public testing::Test
    {
    protected:
        void SetUp() override
        {
            // A relative prefix with a space: the files must still name
            // the program by its absolute path.
            prefix = cache.get().getChildFile ("installed here");
            const auto command = "cd \"" + cache.path() + "\" && \"" CMAKE_COMMAND_PATH "\" --install \"" PANEL_BUILD_DIR "\""
                               + " --prefix \"installed here\" >/dev/null";
            ASSERT_EQ (std::system (command.c_str()), 0);
        }

        juce::File installed (const juce::String& path) const
        {
            return prefix.getChildFile (path);
        }

        juce::File program() const
        {
            return installed ("bin/kdar7-volume-panel");
        }

        juce::File entry() const
        {
            return installed ("share/applications/example.quenmar.Kdar7VolumePanel.desktop");
        }

        // gio launch of the installed entry, which runs its command as
        // launchers outside the desktop's menus do; its exit status. What
        // it starts writes to its output, kept open until the next launch.
        std::optional<int> launchEntry (const std::map<std::string, std::string>& environment)
        {
            launcher = std::make_unique<test_support::ChildProcess> (std::vector<std::string> { "launch", entry().getFullPathName().toStdString() },
                                                                        environment, "gio");
            return launcher->waitForExit (30000);
        }

        test_support::CacheFolder cache;
        juce::File prefix;
        std::unique_ptr<test_support::ChildProcess> launcher;
    };
}

TEST_F (Installation, InstallsTheProgramItsDesktopEntryItsServiceAndItsIconsAndNothingElse)
{
    std::set<std::string> expected {
        "bin/kdar7-volume-panel",
        "share/applications/example.quenmar.Kdar7VolumePanel.desktop",
        "share/dbus-1/services/example.quenmar.Kdar7VolumePanel.service",
    };

    for (const auto* size : { "16x16", "22x22", "24x24", "32x32", "48x48", "64x64", "128x128", "256x256" })
        expected.insert (std::string ("share/icons/hicolor/") + size + "/apps/example.quenmar.Kdar7VolumePanel.png");

    EXPECT_EQ (filesUnder (prefix), expected);

    const auto validate = "desktop-file-validate \"" + entry().getFullPathName().toStdString() + "\"";
    EXPECT_EQ (std::system (validate.c_str()), 0);

    const auto entryText = entry().loadFileAsString();
    for (const auto* line : { "Name=K-DAR7 Volume Panel", "DBusActivatable=true", "Actions=quit;", "[Desktop Action quit]",
                              "Icon=example.quenmar.Kdar7VolumePanel" })
        EXPECT_TRUE (entryText.contains (line)) << line;

    const auto programPath = program().getFullPathName();
    EXPECT_EQ (::access (programPath.toRawUTF8(), X_OK), 0);
    const auto serviceText = installed ("share/dbus-1/services/example.quenmar.Kdar7VolumePanel.service").loadFileAsString();
    EXPECT_TRUE (serviceText.contains ("\nExec=\"" + programPath + "\"\n")) << serviceText;

    for (const auto size : { 16, 22, 24, 32, 48, 64, 128, 256 })
    {
        const auto icon = juce::ImageFileFormat::loadFrom (installed ("share/icons/hicolor/" + juce::String (size) + "x" + juce::String (size)
                                                                      + "/apps/example.quenmar.Kdar7VolumePanel.png"));
        EXPECT_EQ (icon.getBounds(), juce::Rectangle<int> (size, size)) << size;
    }
}

TEST_F (Installation, ACallToTheNameStartsTheInstalledProgramWhenItIsNotRunning)
{
    const auto* services = std::getenv ("KDAR7_SESSION_BUS_SERVICES");
    ASSERT_NE (services, nullptr) << "run under scripts/with-session-bus";

    test_support::SessionBusClient bus;
    ASSERT_TRUE (bus.isConnected());
    ASSERT_FALSE (bus.ownerOf (panelBusName).has_value());

    const auto serviceFile = juce::File (services).getChildFile ("example.quenmar.Kdar7VolumePanel.service");
    ASSERT_TRUE (installed ("share/dbus-1/services/example.quenmar.Kdar7VolumePanel.service").copyFileTo (serviceFile));
    const juce::ScopeGuard removeService { [&] { serviceFile.deleteFile(); } };
    ASSERT_TRUE (bus.setActivationVariable ("XDG_CACHE_HOME", cache.path()));

    const auto reply = bus.activate (panelBusName);
    ASSERT_TRUE (reply.succeeded) << reply.errorName << ": " << reply.errorMessage;

    const auto started = bus.ownerOf (panelBusName);
    ASSERT_TRUE (started.has_value());
    const juce::ScopeGuard killLeftover { [&] { ::kill (*started, SIGKILL); } };
    EXPECT_EQ (juce::File ("/proc/" + juce::String (*started) + "/exe").getLinkedTarget(), program());
    EXPECT_TRUE (test_support::findPanelWindow (*started, true).has_value());

    EXPECT_TRUE (bus.activateAction (panelBusName, "quit").succeeded);
    EXPECT_TRUE (hasEnded (program()));
}

// A launcher that runs the entry's command while the panel runs hidden: the
// panel shows its window, and no second program is left; the entry's Quit
// action then ends it.
TEST_F (Installation, LaunchingTheEntryShowsTheRunningPanelAndItsQuitActionEndsIt)
{
    test_support::SessionBusClient bus;
    ASSERT_TRUE (bus.isConnected()) << "run under scripts/with-session-bus";

    test_support::ChildProcess panel ({}, programEnvironment (cache), program().getFullPathName().toStdString());
    ASSERT_TRUE (test_support::pumpUntil ([&] { return bus.ownerOf (panelBusName) == panel.processId(); }, 30000));
    const auto window = test_support::findPanelWindow (panel.processId(), true);
    ASSERT_TRUE (window.has_value());
    test_support::pressCloseBox (*window);
    ASSERT_TRUE (test_support::waitUntilMapped (*window, false));

    EXPECT_EQ (launchEntry (programEnvironment (cache)), 0);
    EXPECT_TRUE (test_support::waitUntilMapped (*window, true));
    EXPECT_EQ (processesRunning (program()), std::vector<pid_t> { panel.processId() });

    const auto quit = actionCommand (entry().loadFileAsString(), "quit");
    EXPECT_EQ (std::system (quit.c_str()), 0) << quit;
    EXPECT_EQ (panel.waitForExit (10000), 0);
    EXPECT_TRUE (panel.errorLines().empty());
}

// Where the bus cannot start it, the entry's command starts the installed
// program itself; on a bus it then serves the next launch.
TEST_F (Installation, WithoutTheSessionBusOrItsServiceFileTheEntryStartsTheProgramItself)
{
    const auto* busAddress = std::getenv ("DBUS_SESSION_BUS_ADDRESS");
    ASSERT_NE (busAddress, nullptr) << "run under scripts/with-session-bus";

    const struct { const char* what; std::string busAddress; } launches[] {
        { "a bus without the service file", busAddress },
        { "no session bus", "unix:path=" + cache.path() + "/no-bus" },
    };

    for (const auto& launch : launches)
    {
        SCOPED_TRACE (launch.what);
        EXPECT_EQ (launchEntry (programEnvironment (cache, { { "DBUS_SESSION_BUS_ADDRESS", launch.busAddress } })), 0);

        const auto started = startedProcess (program());
        ASSERT_TRUE (started.has_value());
        const juce::ScopeGuard killLeftover { [&] { ::kill (*started, SIGKILL); } };
        EXPECT_TRUE (test_support::findPanelWindow (*started, true).has_value());

        if (launch.busAddress == busAddress)
        {
            test_support::SessionBusClient bus;
            EXPECT_TRUE (test_support::pumpUntil ([&] { return bus.ownerOf (panelBusName) == *started; }, 10000));
        }

        ::kill (*started, SIGTERM);
        EXPECT_TRUE (hasEnded (program()));
    }
}
