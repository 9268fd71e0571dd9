#include "app_lifecycle/MainWindowRecord.h"

namespace app_lifecycle
{
    void MainWindowRecord::setIsMainWindow (juce::TopLevelWindow& window, bool isMain)
    {
        instance().record (isMain ? window.getPeer() : nullptr);
    }

    juce::ComponentPeer* MainWindowRecord::mainPeer()
    {
        return instance().livePeer();
    }

    MainWindowRecord& MainWindowRecord::instance()
    {
        static MainWindowRecord record;
        return record;
    }

    void MainWindowRecord::record (juce::ComponentPeer* peer)
    {
        if (peerComponent != nullptr)
            peerComponent->removeComponentListener (this);

        peerComponent = peer != nullptr ? &peer->getComponent() : nullptr;
        peerId = peer != nullptr ? peer->getUniqueID() : 0;
        movingToNewPeer = false;

        if (peerComponent != nullptr)
            peerComponent->addComponentListener (this);
    }

    juce::ComponentPeer* MainWindowRecord::livePeer() const
    {
        auto* peer = juce::ComponentPeer::getPeerFor (peerComponent.getComponent());
        return peer != nullptr && peer->getUniqueID() == peerId ? peer : nullptr;
    }

    void MainWindowRecord::componentParentHierarchyChanged (juce::Component& component)
    {
        if (movingToNewPeer)
        {
            if (auto* newPeer = component.isOnDesktop() ? component.getPeer() : nullptr)
            {
                peerId = newPeer->getUniqueID();
                movingToNewPeer = false;
            }

            return;
        }

        // Taken off the desktop while its peer still lives: the peer is
        // being replaced, and the record goes over to the new one.
        if (! component.isOnDesktop() && livePeer() != nullptr)
        {
            peerId = 0;
            movingToNewPeer = true;
        }
    }

    void MainWindowRecord::componentBeingDeleted (juce::Component&)
    {
        record (nullptr);
    }
}
