#include "app_lifecycle/MainWindowRecord.h"

namespace app_lifecycle
{
    void MainWindowRecord::setIsMainWindow (juce::TopLevelWindow& window, bool isMain)
    {
        instance().record (isMain ? window.getPeer() : nullptr);
    }

    juce::ComponentPeer* MainWindowRecord::mainPeer()
    {
        const auto& record = instance();
        return record.holdsLivePeer() ? record.peer : nullptr;
    }

    MainWindowRecord& MainWindowRecord::instance()
    {
        static MainWindowRecord record;
        return record;
    }

    void MainWindowRecord::record (juce::ComponentPeer* newPeer)
    {
        forget();

        if (newPeer == nullptr)
            return;

        peer = newPeer;
        peerId = newPeer->getUniqueID();
        peerComponent = &newPeer->getComponent();
        peerComponent->addComponentListener (this);
    }

    void MainWindowRecord::forget()
    {
        if (peerComponent != nullptr)
            peerComponent->removeComponentListener (this);

        peer = nullptr;
        peerId = 0;
        peerComponent = nullptr;
        movingToNewPeer = false;
    }

    bool MainWindowRecord::holdsLivePeer() const
    {
        // A dead peer's address may be taken by a new one: the id tells them apart.
        return peer != nullptr
            && juce::ComponentPeer::isValidPeer (peer)
            && peer->getUniqueID() == peerId;
    }

    void MainWindowRecord::componentParentHierarchyChanged (juce::Component& component)
    {
        if (movingToNewPeer)
        {
            if (auto* newPeer = component.isOnDesktop() ? component.getPeer() : nullptr)
            {
                peer = newPeer;
                peerId = newPeer->getUniqueID();
                movingToNewPeer = false;
            }

            return;
        }

        // Taken off the desktop while its peer still lives: the peer is
        // being replaced, and the record goes over to the new one.
        if (! component.isOnDesktop() && holdsLivePeer() && &peer->getComponent() == &component)
        {
            peer = nullptr;
            peerId = 0;
            movingToNewPeer = true;
        }
    }

    void MainWindowRecord::componentBeingDeleted (juce::Component&)
    {
        forget();
    }
}
