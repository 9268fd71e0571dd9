#include "volume_panel/volume_panel/VolumeSystemTray.h"

#include "app_lifecycle/Application.h"
#include "app_lifecycle/MainWindowRecord.h"
#include "volume_panel/volume_panel/Globals.h"

namespace volume_panel
{
    namespace
    {
        constexpr int quitItemId = 2;
    }

    VolumeSystemTray::VolumeSystemTray (juce::ResizableWindow* windowToDrive, const juce::String&)
        : visible (initialVisibility),
          window (windowToDrive)
    {
    }

    VolumeSystemTray::~VolumeSystemTray() = default;

    // The native window first, then the component, whose flag starts or
    // stops the polling; raised only when shown.
    void VolumeSystemTray::setVisibility (bool shouldBeVisible)
    {
        auto* mainPeer = app_lifecycle::MainWindowRecord::mainPeer();

        if (mainPeer != nullptr)
            mainPeer->setVisible (shouldBeVisible);

        window->setVisible (shouldBeVisible);

        // Showing the component may have re-created the native window.
        mainPeer = app_lifecycle::MainWindowRecord::mainPeer();

        if (shouldBeVisible && mainPeer != nullptr)
            mainPeer->toFront (true);

        visible = shouldBeVisible;
    }

    void VolumeSystemTray::toggleVisibility()
    {
        setVisibility (! visible);
    }

    void VolumeSystemTray::populateMenu()
    {
        menu.clear();
        menu.addItem (quitItemId, "Quit");
    }

    void VolumeSystemTray::mouseUp (const juce::MouseEvent& event)
    {
        if (! event.mods.isRightButtonDown())
        {
            setVisibility (true);
            return;
        }

        populateMenu();
        menu.showMenuAsync (juce::PopupMenu::Options(), [] (int result)
        {
            if (result != quitItemId)
                return;

            if (auto* application = app_lifecycle::Application::getInstance())
                application->systemRequestedQuit (false);
        });
    }
}
