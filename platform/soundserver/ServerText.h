#pragma once

#include <juce_core/juce_core.h>

namespace platform
{
    // A text of the server's, which should be UTF-8 but is not trusted to be:
    // libpulse's filter turns each byte that does not start a well-formed
    // sequence into '_', so a broken name never equals a good one that has
    // none. Null gives an empty text.
    juce::String textFromServer (const char* text);
}
