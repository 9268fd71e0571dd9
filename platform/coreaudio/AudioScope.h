#pragma once

#include "platform/coreaudio/CoreAudioTypes.h"

namespace platform
{
    // The two scopes of a device; the audio layer passes them as isInput.
    enum class AudioScope
    {
        output,
        input
    };

    inline AudioScope scopeOf (Boolean isInput)
    {
        return isInput != 0 ? AudioScope::input : AudioScope::output;
    }
}
