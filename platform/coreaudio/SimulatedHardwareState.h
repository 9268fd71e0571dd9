#pragma once

#include "platform/coreaudio/PlatformCall.h"
#include "platform/coreaudio/SimulatedDevice.h"

#include <vector>

namespace platform
{
    // Everything the simulated audio hardware knows, in one value, so that
    // it can be kept elsewhere (a file shared between processes) as a whole.
    struct SimulatedHardwareState
    {
        // In the order the device list gives them.
        std::vector<SimulatedDevice> devices;

        // Filler bytes after the ids, so the list's byte size is not a
        // multiple of 4 (0 to 3).
        UInt32 deviceListExtraBytes = 0;

        // Both device list calls fail until the failures are cleared.
        bool deviceListFails = false;

        // Calls still to pass before the one injected failure; none when
        // no failure is pending.
        std::optional<int> callsBeforeInjectedFailure;

        std::vector<PlatformCall> callLog;
    };
}
