#pragma once

#include <juce_core/juce_core.h>

namespace platform
{
    // What a device's name query answers for one scope: a name, success
    // with a null reference, or a failure.
    struct SimulatedName
    {
        enum class Answer
        {
            text,
            nullReference,
            failure
        };

        Answer answer = Answer::nullReference;
        juce::String text;

        static SimulatedName of (const juce::String& name);
        static SimulatedName none();
        static SimulatedName failing();
    };
}
