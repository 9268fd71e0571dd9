#pragma once

#include <juce_core/juce_core.h>

namespace end_to_end
{
    // Runs a helper program (pactl, xdotool, import, a script) to its end,
    // for ten seconds at most; fails the test when it fails. Its output.
    juce::String runCommand (const juce::StringArray& arguments);
}
