#pragma once

#include "volume_skin/kdar7_volume_skin/LookAndFeel.h"

#include <map>
#include <memory>

namespace skin_test
{
    // The embedded picture of a name, decoded afresh (not through the cache).
    juce::Image embeddedPicture (const juce::String& pictureName);

    // The skin's own loading with some pictures left out or replaced: the
    // replacement maps a picture name to the image to give instead.
    VolumeSkinLookAndFeel::PictureSource picturesWith (std::map<juce::String, juce::Image> replacements);

    bool samePixels (const juce::Image& a, const juce::Image& b);

    // The smallest rectangle holding every pixel that is not fully transparent.
    juce::Rectangle<int> inkBounds (const juce::Image& image);

    // Whether the image, cut at the rectangle, equals the picture.
    bool showsPictureAt (const juce::Image& image, const juce::Image& picture, juce::Point<int> topLeft);

    // Paints the component alone into a new image of its size.
    juce::Image snapshot (juce::Component& component);

    // A skin installed as the default look-and-feel for the scope's length,
    // as the program installs it.
    class ScopedDefaultSkin
    {
    public:
        ScopedDefaultSkin();
        explicit ScopedDefaultSkin (const VolumeSkinLookAndFeel::PictureSource& pictures);
        ~ScopedDefaultSkin();

        VolumeSkinLookAndFeel& skin() { return *lookAndFeel; }

    private:
        std::unique_ptr<VolumeSkinLookAndFeel> lookAndFeel;
    };
}
