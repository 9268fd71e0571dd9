#include "platform/apple_events/AppleEvents.h"

#include <juce_events/juce_events.h>

#include <map>
#include <utility>

namespace
{
    struct HandlerEntry
    {
        AEEventHandlerUPP handler = nullptr;
        long refcon = 0;
        Boolean isSysHandler = 0;
    };

    using HandlerTable = std::map<std::pair<AEEventClass, AEEventID>, HandlerEntry>;

    HandlerTable& applicationHandlerTable()
    {
        static HandlerTable table;
        return table;
    }
}

AEEventHandlerUPP NewAEEventHandlerUPP (AEEventHandlerProcPtr handler)
{
    return handler;
}

OSErr AEInstallEventHandler (AEEventClass eventClass,
                             AEEventID eventID,
                             AEEventHandlerUPP handler,
                             long handlerRefcon,
                             Boolean isSysHandler)
{
    JUCE_ASSERT_MESSAGE_THREAD
    applicationHandlerTable()[{ eventClass, eventID }] = { handler, handlerRefcon, isSysHandler };
    return noErr;
}

OSErr AEProcessAppleEvent (AEEventClass eventClass, AEEventID eventID)
{
    JUCE_ASSERT_MESSAGE_THREAD
    const auto& table = applicationHandlerTable();
    const auto entry = table.find ({ eventClass, eventID });

    if (entry == table.end() || entry->second.handler == nullptr)
        return errAEEventNotHandled;

    // The handler may install handlers itself: call it with a copy.
    const auto installed = entry->second;
    const AppleEvent event { typeAppleEvent, eventClass, eventID };
    AppleEvent reply;
    return installed.handler (&event, &reply, installed.refcon);
}
