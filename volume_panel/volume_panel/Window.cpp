#include "volume_panel/volume_panel/Window.h"

#include "app_lifecycle/HeldKeys.h"
#include "app_lifecycle/MainWindowRecord.h"
#include "volume_panel/volume_panel/MainComponent.h"
#include "volume_panel/volume_panel/VolumeSystemTray.h"
#include "volume_skin/kdar7_volume_skin/LookAndFeel.h"

namespace volume_panel
{
    namespace
    {
        const juce::Colour backgroundColour = juce::Colours::darkgrey.darker (0.4f);

        // Title bar, close button and drop shadow; never resizable,
        // minimisable or maximisable.
        constexpr int hiddenWindowStyleFlags = juce::ComponentPeer::windowHasTitleBar
                                             | juce::ComponentPeer::windowHasCloseButton
                                             | juce::ComponentPeer::windowHasDropShadow;
    }

    VolumePanelWindow::VolumePanelWindow (const juce::String& title, const juce::String& trayName)
        : app_lifecycle::ApplicationWindow (title, backgroundColour, juce::DocumentWindow::closeButton, true)
    {
        // Only once the base has put the window on the desktop has it a peer
        // to record.
        setIsMainWindow (true);

        auto content = std::make_unique<MainComponent>();
        content->setBounds (0, 0, VolumeSkinLookAndFeel::windowWidth, VolumeSkinLookAndFeel::windowHeight);

        setUsingNativeTitleBar (true);
        setDropShadowEnabled (true);

        mainComponent = content.get();
        setContentOwned (content.release(), true);

        systemTray = std::make_unique<VolumeSystemTray> (this, trayName);

        // Gives the peer this window's own style flags.
        juce::Component::addToDesktop (getDesktopWindowStyleFlags(), nullptr);
    }

    VolumePanelWindow::~VolumePanelWindow()
    {
        // The panel, and with it the device object, goes before the state
        // holder and the native window.
        clearContentComponent();
        mainComponent = nullptr;
        systemTray.reset();
    }

    void VolumePanelWindow::setVisibility (bool shouldBeVisible)
    {
        systemTray->setVisibility (shouldBeVisible);
    }

    void VolumePanelWindow::toggleVisibility()
    {
        systemTray->toggleVisibility();
    }

    void VolumePanelWindow::withdrawNativeWindow()
    {
        removeFromDesktop();
        juce::Component::addToDesktop (getDesktopWindowStyleFlags(), nullptr);
        // The record does not follow a window taken off the desktop.
        setIsMainWindow (true);
    }

    // Polling follows the component's own flag, not whether the native
    // window is on screen: a closed window keeps polling.
    void VolumePanelWindow::visibilityChanged()
    {
        if (isVisible())
            mainComponent->startUpdating();
        else
            mainComponent->stopUpdating();
    }

    void VolumePanelWindow::userTriedToCloseWindow()
    {
        closeButtonPressed();
    }

    // Asked of the X server, which also knows a key whose release was only
    // a sent event; the framework learns the keys held only after the focus
    // event being handled here.
    void VolumePanelWindow::focusOfChildComponentChanged (FocusChangeType cause)
    {
        app_lifecycle::ApplicationWindow::focusOfChildComponentChanged (cause);

        if (hasKeyboardFocus (true))
            escapeHeldBeforeFocus = app_lifecycle::HeldKeys::wasEscapeHeldAtFocusChange();
    }

    bool VolumePanelWindow::keyPressed (const juce::KeyPress& key)
    {
        if (key != juce::KeyPress (juce::KeyPress::escapeKey))
            return false;

        if (! escapeHeldBeforeFocus)
            closeButtonPressed();

        return true;
    }

    // A release while Escape repeats may be the repeat's own, which the
    // framework does not always tell apart: the server says which.
    bool VolumePanelWindow::keyStateChanged (bool isKeyDown)
    {
        if (escapeHeldBeforeFocus && ! isKeyDown)
            escapeHeldBeforeFocus = app_lifecycle::HeldKeys::isEscapeHeld();

        return false;
    }

    int VolumePanelWindow::getDesktopWindowStyleFlags() const
    {
        return hiddenWindowStyleFlags | (isVisible() ? juce::ComponentPeer::windowAppearsOnTaskbar : 0);
    }

    // Hides the native window only; the application keeps running.
    void VolumePanelWindow::closeButtonPressed()
    {
        if (auto* peer = getPeer())
            peer->setVisible (false);
    }
}
