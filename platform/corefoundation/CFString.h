#pragma once

#include <juce_core/juce_core.h>

// The stand-in's immutable, reference-counted string. The audio layer hands
// out references that the receiver gives back with CFRelease; the stand-in
// counts the references still out so a test can prove none was kept.
class CFString
{
public:
    // A new string whose one reference belongs to the caller.
    static const CFString* create (const juce::String& text);

    // References handed out and not released yet, over all strings.
    static int liveReferenceCount();

    // Releases of a null, unknown or already released reference.
    static int invalidReleaseCount();

    static void release (const CFString* string);
    static juce::String toJuceString (const CFString* string);

    explicit CFString (const juce::String& textToHold);

private:
    const juce::String text;
};

using CFStringRef = const CFString*;

void CFRelease (CFStringRef string);

// The text of a string; empty for a null reference.
juce::String cfStringToJuceString (CFStringRef string);
