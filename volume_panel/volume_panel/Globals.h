#pragma once

#include <juce_core/juce_core.h>

// The program's compiled-in names and settings.
namespace volume_panel
{
    // The device's full name among the system's audio devices.
    extern const juce::String deviceName;
    // The model name: the window title, the head of the application name,
    // and what the unavailable-control tips name.
    extern const juce::String soundCardName;
    // The device's downloads page on the maker's forum.
    extern const juce::String updateUrl;

    // Whether the window starts shown; only the option scan changes it.
    extern bool initialVisibility;

    constexpr int numInputChannels = 2;
    constexpr int numOutputChannels = 2;
}
