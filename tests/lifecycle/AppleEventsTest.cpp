#include "platform/apple_events/AppleEvents.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
    struct Delivery
    {
        int handler;
        AEEventClass eventClass;
        AEEventID eventID;
        long refcon;
    };

    std::vector<Delivery> deliveries;

    template <int handlerNumber, OSErr result>
    OSErr recordingHandler (const AppleEvent* event, AppleEvent* reply, long refcon)
    {
        EXPECT_NE (reply, nullptr);
        deliveries.push_back ({ handlerNumber, event->eventClass, event->eventID, refcon });
        return result;
    }
}

TEST (AppleEvents, OneEntryPerEventReplacedByEachInstallation)
{
    constexpr auto otherClass = fourCharCode ("othr");

    deliveries.clear();
    EXPECT_EQ (AEProcessAppleEvent (otherClass, kAEReopenApplication), errAEEventNotHandled);

    AEInstallEventHandler (otherClass, kAEReopenApplication, NewAEEventHandlerUPP (&recordingHandler<1, noErr>), 11, false);
    AEInstallEventHandler (otherClass, kAEOpenDocuments, NewAEEventHandlerUPP (&recordingHandler<2, -1>), 22, false);
    AEInstallEventHandler (otherClass, kAEReopenApplication, NewAEEventHandlerUPP (&recordingHandler<3, eventNotHandledErr>), 33, false);

    EXPECT_EQ (AEProcessAppleEvent (otherClass, kAEReopenApplication), eventNotHandledErr);
    EXPECT_EQ (AEProcessAppleEvent (otherClass, kAEOpenDocuments), -1);
    EXPECT_EQ (AEProcessAppleEvent (otherClass, kAEQuitApplication), errAEEventNotHandled);
    EXPECT_EQ (AEProcessAppleEvent (kCoreEventClass, kAEOpenDocuments), errAEEventNotHandled);

    ASSERT_EQ (deliveries.size(), 2u);
    EXPECT_EQ (deliveries[0].handler, 3);
    EXPECT_EQ (deliveries[0].eventClass, otherClass);
    EXPECT_EQ (deliveries[0].eventID, kAEReopenApplication);
    EXPECT_EQ (deliveries[0].refcon, 33);
    EXPECT_EQ (deliveries[1].handler, 2);
    EXPECT_EQ (deliveries[1].refcon, 22);
}
