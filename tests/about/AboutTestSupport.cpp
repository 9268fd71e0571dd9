#include "AboutTestSupport.h"

#include "support/MessagePump.h"

#include <cstdlib>

namespace about_test
{
    BrowserRecorder::BrowserRecorder()
        : savedPath (juce::SystemStats::getEnvironmentVariable ("PATH", {}))
    {
        folder.getFile().createDirectory();
        const auto script = folder.getFile().getChildFile ("xdg-open");
        const auto record = folder.getFile().getChildFile ("opened");
        script.replaceWithText ("#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" + record.getFullPathName() + "'\n",
                             false, false, "\n");
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
        const auto record = folder.getFile().getChildFile ("opened");
        juce::StringArray lines;
        test_support::pumpUntil ([&]
        {
            lines = juce::StringArray::fromLines (record.loadFileAsString().trimEnd());
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

    ParentInWindow::ParentInWindow()
    {
        parent.setBounds (0, 0, 280, 360);
        window.addAndMakeVisible (parent);
        window.setBounds (300, 200, 280, 360);
        window.addToDesktop (0);
        window.setVisible (true);
        test_support::pumpUntil ([this] { return window.isShowing(); }, 2000);
        test_support::pumpMessages (100);
    }

    ParentInWindow::~ParentInWindow()
    {
        window.removeFromDesktop();
    }

    ShownAboutScreen::ShownAboutScreen()
    {
        screen.show (&host.getParent());
        // The buttons learn where their pictures lie when first painted.
        test_support::pumpMessages (200);
    }

    juce::Point<int> ShownAboutScreen::inWindow (juce::Point<int> screenPoint) const
    {
        return screenPoint + screen.getPosition();
    }

    juce::ImageButton* ShownAboutScreen::button (const juce::String& name) const
    {
        for (auto* child : screen.getChildren())
            if (child->getName() == name)
                return dynamic_cast<juce::ImageButton*> (child);

        return nullptr;
    }
}
