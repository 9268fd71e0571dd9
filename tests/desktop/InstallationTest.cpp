// cmake --install into a fresh prefix: exactly the program, its desktop
// entry, its D-Bus service file and its icons; the service file starts the
// installed program when its name is called on a private session bus
// (scripts/with-session-bus) and the program is not running.

#include "PanelWindowSupport.h"

#include "../lifecycle/CacheFolder.h"
#include "support/SessionBusClient.h"

#include <gtest/gtest.h>
#include <juce_graphics/juce_graphics.h>

#include <csignal>
#include <cstdlib>
#include <set>
#include <unistd.h>

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

    bool hasEnded (pid_t pid, int timeoutMilliseconds)
    {
        for (int waited = 0; waited < timeoutMilliseconds; waited += 20, juce::Thread::sleep (20))
            if (::kill (pid, 0) != 0)
                return true;

        return false;
    }

    class Installation : public testing::Test
    {
    protected:
        void SetUp() override
        {
            // A prefix with a space, as some users' home folders have.
            prefix = cache.get().getChildFile ("installed here");
            const auto command = std::string ("\"" CMAKE_COMMAND_PATH "\" --install \"" PANEL_BUILD_DIR "\" --prefix \"")
                               + prefix.getFullPathName().toStdString() + "\" >/dev/null";
            ASSERT_EQ (std::system (command.c_str()), 0);
        }

        juce::File installed (const juce::String& path) const
        {
            return prefix.getChildFile (path);
        }

        lifecycle_tests::CacheFolder cache;
        juce::File prefix;
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

    const auto entry = installed ("share/applications/example.quenmar.Kdar7VolumePanel.desktop");
    const auto validate = "desktop-file-validate \"" + entry.getFullPathName().toStdString() + "\"";
    EXPECT_EQ (std::system (validate.c_str()), 0);

    const auto entryText = entry.loadFileAsString();
    for (const auto* line : { "Name=K-DAR7 Volume Panel", "DBusActivatable=true", "Actions=quit;", "[Desktop Action quit]",
                              "Icon=example.quenmar.Kdar7VolumePanel" })
        EXPECT_TRUE (entryText.contains (line)) << line;

    const auto program = installed ("bin/kdar7-volume-panel").getFullPathName();
    EXPECT_EQ (::access (program.toRawUTF8(), X_OK), 0);
    EXPECT_TRUE (entryText.contains ("Exec=\"" + program + "\"\n"));
    EXPECT_EQ (installed ("share/dbus-1/services/example.quenmar.Kdar7VolumePanel.service").loadFileAsString(),
               "[D-BUS Service]\nName=example.quenmar.Kdar7VolumePanel\nExec=\"" + program + "\"\n");

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
    EXPECT_EQ (juce::File ("/proc/" + juce::String (*started) + "/exe").getLinkedTarget(), installed ("bin/kdar7-volume-panel"));
    EXPECT_TRUE (desktop_tests::findPanelWindow (*started, true).has_value());

    EXPECT_TRUE (bus.activateAction (panelBusName, "quit").succeeded);
    EXPECT_TRUE (hasEnded (*started, 10000));
}
