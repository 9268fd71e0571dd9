#include "volume_panel/volume_panel/Globals.h"

namespace volume_panel
{
    const juce::String deviceName (L"Quenmar K-DAR7 Sound Device");
    const juce::String soundCardName (L"K-DAR7");
    const juce::String updateUrl (L"https://forum.quenmar.example/downloads/k-dar7");

    bool initialVisibility = true;
}
