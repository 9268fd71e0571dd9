#include "platform/corefoundation/CFString.h"

#include <mutex>
#include <unordered_map>

namespace
{
    // Every live string, owned here so that a bad release is noticed
    // instead of freeing memory twice.
    struct LiveStrings
    {
        std::mutex lock;
        std::unordered_map<const CFString*, std::unique_ptr<CFString>> strings;
        int invalidReleases = 0;
    };

    LiveStrings& liveStrings()
    {
        static LiveStrings instance;
        return instance;
    }
}

CFString::CFString (const juce::String& textToHold)
    : text (textToHold)
{
}

const CFString* CFString::create (const juce::String& text)
{
    auto string = std::make_unique<CFString> (text);
    const auto* reference = string.get();

    auto& live = liveStrings();
    const std::scoped_lock guard (live.lock);
    live.strings.emplace (reference, std::move (string));
    return reference;
}

int CFString::liveReferenceCount()
{
    auto& live = liveStrings();
    const std::scoped_lock guard (live.lock);
    return (int) live.strings.size();
}

int CFString::invalidReleaseCount()
{
    auto& live = liveStrings();
    const std::scoped_lock guard (live.lock);
    return live.invalidReleases;
}

void CFString::release (const CFString* string)
{
    auto& live = liveStrings();
    const std::scoped_lock guard (live.lock);

    if (live.strings.erase (string) == 0)
    {
        ++live.invalidReleases;
        jassertfalse;
    }
}

juce::String CFString::toJuceString (const CFString* string)
{
    return string != nullptr ? string->text : juce::String();
}

void CFRelease (CFStringRef string)
{
    CFString::release (string);
}

juce::String cfStringToJuceString (CFStringRef string)
{
    return CFString::toJuceString (string);
}
