#include "platform/coreaudio/SimulatedScope.h"

namespace platform
{
    SimulatedElement& SimulatedScope::element (UInt32 number)
    {
        if (number >= elements.size())
            elements.resize ((size_t) number + 1);

        return elements[number];
    }

    SimulatedControl SimulatedScope::findControl (UInt32 number, ControlKind kind) const
    {
        return number < elements.size() ? elements[number].control (kind) : SimulatedControl::absent();
    }
}
