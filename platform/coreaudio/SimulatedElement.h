#pragma once

#include "platform/coreaudio/SimulatedControl.h"

namespace platform
{
    enum class ControlKind
    {
        volume,
        mute
    };

    // Element 0 of a scope is its master element, 1..n its channels.
    struct SimulatedElement
    {
        SimulatedControl volume;
        SimulatedControl mute;

        SimulatedControl& control (ControlKind kind)
        {
            return kind == ControlKind::volume ? volume : mute;
        }

        const SimulatedControl& control (ControlKind kind) const
        {
            return kind == ControlKind::volume ? volume : mute;
        }
    };
}
