#include "app_lifecycle/ApplicationWindow.h"

#include "app_lifecycle/MainWindowRecord.h"
#include "app_lifecycle/ReopenApplicationHandler.h"

namespace app_lifecycle
{
    ApplicationWindow::ApplicationWindow (const juce::String& name,
                                          juce::Colour backgroundColour,
                                          int buttonsWanted,
                                          bool shouldAddToDesktop)
        : juce::DocumentWindow (name, backgroundColour, buttonsWanted, shouldAddToDesktop)
    {
        // The base constructor made the first peer before this class's
        // override could hear of it.
        installReopenHandlerForNewPeer();
    }

    void ApplicationWindow::setIsMainWindow (bool isMain)
    {
        MainWindowRecord::setIsMainWindow (*this, isMain);
    }

    // Called again when the framework has put a re-created peer in place.
    void ApplicationWindow::parentHierarchyChanged()
    {
        juce::DocumentWindow::parentHierarchyChanged();
        installReopenHandlerForNewPeer();
    }

    void ApplicationWindow::installReopenHandlerForNewPeer()
    {
        if (! isOnDesktop())
            return;

        if (auto* peer = getPeer(); peer != nullptr && peer->getUniqueID() != peerWithReopenHandler)
        {
            peerWithReopenHandler = peer->getUniqueID();
            ReopenApplicationHandler::installFor (*peer);
        }
    }
}
