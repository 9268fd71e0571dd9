#include "app_lifecycle/ApplicationWindow.h"
#include "app_lifecycle/MainWindowRecord.h"

#include "support/MessagePump.h"

#include <gtest/gtest.h>

using app_lifecycle::ApplicationWindow;
using app_lifecycle::MainWindowRecord;

namespace
{
    std::unique_ptr<ApplicationWindow> makeWindow (const juce::String& name, bool onDesktop = true)
    {
        auto window = std::make_unique<ApplicationWindow> (name, juce::Colours::darkgrey, juce::DocumentWindow::closeButton, onDesktop);
        window->setBounds (100, 100, 240, 160);
        return window;
    }

    juce::uint32 peerIdOf (juce::Component& window)
    {
        return window.getPeer()->getUniqueID();
    }
}

TEST (MainWindowRecord, FollowsEveryReCreatedPeerOfTheMainWindowOnly)
{
    auto other = makeWindow ("other");
    auto main = makeWindow ("main");
    main->setVisible (true);
    main->setIsMainWindow (true);
    ASSERT_NE (main->getPeer(), nullptr);
    EXPECT_EQ (MainWindowRecord::mainPeer(), main->getPeer());

    const auto firstId = peerIdOf (*main);
    main->setUsingNativeTitleBar (true);
    EXPECT_NE (peerIdOf (*main), firstId);
    EXPECT_EQ (MainWindowRecord::mainPeer(), main->getPeer());

    const auto titleBarId = peerIdOf (*main);
    main->setDropShadowEnabled (false);
    EXPECT_NE (peerIdOf (*main), titleBarId);
    EXPECT_EQ (MainWindowRecord::mainPeer(), main->getPeer());
    EXPECT_TRUE (juce::ComponentPeer::isValidPeer (MainWindowRecord::mainPeer()));

    // The same style flags make no new peer.
    auto* current = main->getPeer();
    main->addToDesktop (main->getDesktopWindowStyleFlags(), nullptr);
    EXPECT_EQ (main->getPeer(), current);
    EXPECT_EQ (MainWindowRecord::mainPeer(), current);

    // Another window's re-creation leaves the record alone, also after
    // messages have run.
    other->setUsingNativeTitleBar (true);
    test_support::pumpMessages (50);
    EXPECT_EQ (MainWindowRecord::mainPeer(), current);

    // False on any window clears it.
    MainWindowRecord::setIsMainWindow (*other, false);
    EXPECT_EQ (MainWindowRecord::mainPeer(), nullptr);
    main->setUsingNativeTitleBar (false);
    EXPECT_EQ (MainWindowRecord::mainPeer(), nullptr);
}

TEST (MainWindowRecord, NeedsAPeerAndNeverNamesADeadOne)
{
    auto offDesktop = makeWindow ("off the desktop", false);
    offDesktop->setIsMainWindow (true);
    EXPECT_EQ (MainWindowRecord::mainPeer(), nullptr);
    offDesktop->addToDesktop();
    EXPECT_NE (offDesktop->getPeer(), nullptr);
    EXPECT_EQ (MainWindowRecord::mainPeer(), nullptr);

    // A window inside one on the desktop gets that window's peer.
    auto inner = makeWindow ("inner", false);
    offDesktop->setContentNonOwned (inner.get(), false);
    inner->setIsMainWindow (true);
    EXPECT_EQ (MainWindowRecord::mainPeer(), offDesktop->getPeer());
    offDesktop->clearContentComponent();

    auto main = makeWindow ("main");
    main->setIsMainWindow (true);
    EXPECT_EQ (MainWindowRecord::mainPeer(), main->getPeer());
    main->removeFromDesktop();
    EXPECT_EQ (MainWindowRecord::mainPeer(), nullptr);
    main->addToDesktop();
    EXPECT_EQ (MainWindowRecord::mainPeer(), nullptr);

    main->setIsMainWindow (true);
    ASSERT_NE (MainWindowRecord::mainPeer(), nullptr);
    main.reset();
    EXPECT_EQ (MainWindowRecord::mainPeer(), nullptr);

    // New peers, whatever addresses they get, are not the dead main one.
    std::vector<std::unique_ptr<ApplicationWindow>> newcomers;

    for (int i = 0; i < 5; ++i)
    {
        newcomers.push_back (makeWindow ("newcomer"));
        EXPECT_EQ (MainWindowRecord::mainPeer(), nullptr);
    }
}
