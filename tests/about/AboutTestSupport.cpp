#include "AboutTestSupport.h"

#include "support/MessagePump.h"

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

    void PeerInput::send (juce::Point<int> point, juce::ModifierKeys buttons)
    {
        time += 300;
        window.getPeer()->handleMouseEvent (juce::MouseInputSource::InputSourceType::mouse, point.toFloat(), buttons,
                                            juce::MouseInputSource::defaultPressure,
                                            juce::MouseInputSource::defaultOrientation, time);
        test_support::pumpMessages (20);
    }

    bool PeerInput::key (const juce::KeyPress& key)
    {
        const auto used = window.getPeer()->handleKeyPress (key);
        test_support::pumpMessages (20);
        return used;
    }

    AboutOnDesktop::AboutOnDesktop()
    {
        parent.setBounds (0, 0, 280, 360);
        window.addAndMakeVisible (parent);
        window.setBounds (300, 200, 280, 360);
        window.addToDesktop (0);
        window.setVisible (true);
        // Focused, as after the user's click in the strip.
        test_support::pumpUntil ([this]
        {
            if (window.isShowing())
                window.getPeer()->grabFocus();

            return window.isShowing() && window.getPeer()->isFocused();
        }, 2000);
    }

    AboutOnDesktop::~AboutOnDesktop()
    {
        window.removeFromDesktop();
    }

    void AboutOnDesktop::show()
    {
        screen.show (&parent);
        // The buttons learn where their pictures lie when first painted.
        test_support::pumpMessages (200);
    }

    juce::Component* AboutOnDesktop::child (const juce::String& name) const
    {
        for (auto* component : screen.getChildren())
            if (component->getName() == name)
                return component;

        return nullptr;
    }
}
