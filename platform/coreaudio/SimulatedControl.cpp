#include "platform/coreaudio/SimulatedControl.h"

#include <cstring>

namespace platform
{
    SimulatedControl SimulatedControl::absent()
    {
        return {};
    }

    SimulatedControl SimulatedControl::volume (Float32 level, bool canBeSet)
    {
        return { true, canBeSet, bitsOf (level) };
    }

    SimulatedControl SimulatedControl::mute (UInt32 value, bool canBeSet)
    {
        return { true, canBeSet, value };
    }

    UInt32 SimulatedControl::bitsOf (Float32 level)
    {
        UInt32 bits = 0;
        std::memcpy (&bits, &level, sizeof (bits));
        return bits;
    }

    Float32 SimulatedControl::levelOf (UInt32 bits)
    {
        Float32 level = 0.0f;
        std::memcpy (&level, &bits, sizeof (level));
        return level;
    }
}
