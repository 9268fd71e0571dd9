#include "platform/coreaudio/SimulatedName.h"

namespace platform
{
    SimulatedName SimulatedName::of (const juce::String& name)
    {
        return { Answer::text, name };
    }

    SimulatedName SimulatedName::none()
    {
        return { Answer::nullReference, {} };
    }

    SimulatedName SimulatedName::failing()
    {
        return { Answer::failure, {} };
    }
}
