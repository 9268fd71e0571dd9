#pragma once

#include "platform/coreaudio/CoreAudioTypes.h"

namespace platform
{
    // A volume or mute control of one device element: there or not,
    // settable or not, holding four bytes of any bit pattern (a Float32
    // level or a UInt32 mute state).
    struct SimulatedControl
    {
        bool exists = false;
        bool settable = false;
        UInt32 bits = 0;

        static SimulatedControl absent();
        static SimulatedControl volume (Float32 level, bool canBeSet = true);
        static SimulatedControl mute (UInt32 value, bool canBeSet = true);

        static UInt32 bitsOf (Float32 level);
        static Float32 levelOf (UInt32 bits);
    };
}
