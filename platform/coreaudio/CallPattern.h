#pragma once

#include "platform/coreaudio/PlatformCall.h"

namespace platform
{
    // Which calls to make fail: every call that agrees with each field
    // given; a field left empty agrees with anything.
    struct CallPattern
    {
        std::optional<PlatformOperation> operation {};
        std::optional<AudioDeviceID> device {};
        std::optional<UInt32> element {};
        std::optional<AudioScope> scope {};
        std::optional<UInt32> property {};

        bool matches (const PlatformCall& call) const;
    };
}
