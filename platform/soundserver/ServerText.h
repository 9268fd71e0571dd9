#pragma once

#include <juce_core/juce_core.h>

namespace platform
{
    // A text of the server's, which should be UTF-8 but is not trusted to be:
    // each byte that does not start a well-formed sequence becomes U+FFFD, so
    // a broken name never equals a good one. Null gives an empty text.
    juce::String textFromServer (const char* text);
}
