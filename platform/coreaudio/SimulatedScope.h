#pragma once

#include "platform/coreaudio/SimulatedElement.h"
#include "platform/coreaudio/SimulatedName.h"

#include <vector>

namespace platform
{
    // One scope (output or input) of a simulated device: its name and its
    // elements, indexed by element number.
    struct SimulatedScope
    {
        SimulatedName name;
        std::vector<SimulatedElement> elements;

        // The element, added with no controls when it is not there yet.
        SimulatedElement& element (UInt32 number);

        // The element's control; an absent one for an element not there.
        SimulatedControl findControl (UInt32 number, ControlKind kind) const;
    };
}
