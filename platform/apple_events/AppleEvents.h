#pragma once

#include <cstdint>

// The Apple Event Manager stand-in: the application's table of event
// handlers, one entry per event class and id, and the dispatch of an event
// to its entry. Everything here runs on the message thread.

using UInt32 = std::uint32_t;
using SInt16 = std::int16_t;
using Boolean = unsigned char;
using OSErr = SInt16;
using FourCharCode = UInt32;
using DescType = FourCharCode;
using AEEventClass = FourCharCode;
using AEEventID = FourCharCode;

constexpr FourCharCode fourCharCode (const char (&code)[5])
{
    return (FourCharCode (static_cast<unsigned char> (code[0])) << 24)
         | (FourCharCode (static_cast<unsigned char> (code[1])) << 16)
         | (FourCharCode (static_cast<unsigned char> (code[2])) << 8)
         |  FourCharCode (static_cast<unsigned char> (code[3]));
}

constexpr DescType typeAppleEvent = fourCharCode ("aevt");
constexpr DescType typeNull = fourCharCode ("null");

constexpr AEEventClass kCoreEventClass = fourCharCode ("aevt");
constexpr AEEventID kAEQuitApplication = fourCharCode ("quit");
constexpr AEEventID kAEReopenApplication = fourCharCode ("rapp");
constexpr AEEventID kAEOpenDocuments = fourCharCode ("odoc");

constexpr OSErr noErr = 0;
constexpr OSErr errAEEventNotHandled = -1708;
constexpr OSErr eventNotHandledErr = -9874;

// An event, or a reply: what it is and which event it names.
struct AEDesc
{
    DescType descriptorType = typeNull;
    AEEventClass eventClass = 0;
    AEEventID eventID = 0;
};

using AppleEvent = AEDesc;

using AEEventHandlerProcPtr = OSErr (*) (const AppleEvent* theAppleEvent, AppleEvent* reply, long handlerRefcon);
using AEEventHandlerUPP = AEEventHandlerProcPtr;

AEEventHandlerUPP NewAEEventHandlerUPP (AEEventHandlerProcPtr handler);

// Puts the handler into the table for the event class and id, replacing
// whatever was installed for them before.
OSErr AEInstallEventHandler (AEEventClass eventClass,
                             AEEventID eventID,
                             AEEventHandlerUPP handler,
                             long handlerRefcon,
                             Boolean isSysHandler);

// Delivers one event to the handler installed for it, with that
// installation's reference value, and returns the handler's result;
// errAEEventNotHandled when nothing is installed for the event.
OSErr AEProcessAppleEvent (AEEventClass eventClass, AEEventID eventID);
