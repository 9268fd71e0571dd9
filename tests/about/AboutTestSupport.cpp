#include "AboutTestSupport.h"

#include "skin/SkinTestSupport.h"
#include "support/XWindowState.h"

#include <cstdlib>

namespace about_test
{
    BrowserRecorder::BrowserRecorder()
        : savedPath (juce::SystemStats::getEnvironmentVariable ("PATH", {}))
    {
        folder.getFile().createDirectory();
        const auto record = folder.getFile().getChildFile ("opened").getFullPathName();
        const auto script = folder.getFile().getChildFile ("xdg-open");
        script.replaceWithText ("#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" + record + "'\n", false, false, "\n");
        script.setExecutePermission (true);
        ::setenv ("PATH", (folder.getFile().getFullPathName() + ":" + savedPath).toRawUTF8(), 1);
    }

    BrowserRecorder::~BrowserRecorder()
    {
        ::setenv ("PATH", savedPath.toRawUTF8(), 1);
        folder.getFile().deleteRecursively();
    }

    juce::StringArray BrowserRecorder::waitForAddresses (int count)
    {
        juce::StringArray lines;
        test_support::pumpUntil ([&]
        {
            lines = juce::StringArray::fromLines (folder.getFile().getChildFile ("opened").loadFileAsString().trimEnd());
            lines.removeEmptyStrings();
            return lines.size() >= count;
        }, 5000);
        return lines;
    }

    void AboutTest::useSkinWith (std::map<juce::String, juce::Image> replacements)
    {
        window.reset();
        juce::LookAndFeel::setDefaultLookAndFeel (nullptr);
        // The skin's pictures are statics that its destructor clears.
        skin.reset();
        skin = std::make_unique<VolumeSkinLookAndFeel> (skin_test::picturesWith (replacements));
        juce::LookAndFeel::setDefaultLookAndFeel (skin.get());
    }

    bool AboutTest::openFocusedPanel()
    {
        openPanel();
        auto* peer = window->panel().getPeer();
        const auto windowId = (unsigned long) (juce::pointer_sized_int) peer->getNativeHandle();

        // On a busy machine the window manager maps and activates a new
        // window late, and the focus the window asked for before that may go
        // elsewhere: wait until the manager, too, calls it active.
        const auto focused = test_support::pumpUntil ([&]
        {
            if (! peer->isFocused())
                peer->grabFocus();

            return peer->isFocused() && test_support::activeWindow() == windowId;
        }, 20000);

        // The focus query that saw the focus read the window's focus event
        // too; handled only after the about screen took the focus, it would
        // hand the focus back to the window.
        test_support::dispatchQueuedEvents();
        return focused;
    }

    volume_panel::AboutScreen* AboutTest::aboutScreen()
    {
        for (auto* child : window->panel().getChildren())
            if (auto* screen = dynamic_cast<volume_panel::AboutScreen*> (child))
                return screen;

        return nullptr;
    }

    juce::Component* AboutTest::part (const juce::String& name)
    {
        for (auto* child : aboutScreen()->getChildren())
            if (child->getName() == name)
                return child;

        return nullptr;
    }
}
