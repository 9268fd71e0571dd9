#include "platform/soundserver/ServerText.h"

#include <pulse/utf8.h>
#include <pulse/xmalloc.h>

#include <memory>

namespace platform
{
    juce::String textFromServer (const char* text)
    {
        if (text == nullptr)
            return {};

        if (pa_utf8_valid (text) != nullptr)
            return juce::String::fromUTF8 (text);

        const std::unique_ptr<char, decltype (&pa_xfree)> filtered (pa_utf8_filter (text), &pa_xfree);
        return juce::String::fromUTF8 (filtered.get());
    }
}
