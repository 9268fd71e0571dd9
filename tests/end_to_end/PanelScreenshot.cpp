#include "PanelScreenshot.h"

#include <VolumeSkinPictures.h>

namespace end_to_end
{
    namespace
    {
        // The slot's travel: the track of the 196-pixel slider at row 76
        // starts 21 rows down and is 154 rows long.
        constexpr int trackTop = 76 + 21;
        constexpr int trackLength = 154;

        const juce::Colour tipFill (0xffeeeebb);

        const juce::Image& background()
        {
            static const auto picture = juce::ImageCache::getFromMemory (VolumeSkin::background_png,
                                                                         VolumeSkin::background_pngSize);
            return picture;
        }

        bool near (juce::Colour shown, juce::Colour expected)
        {
            return std::abs (shown.getRed() - expected.getRed()) <= 3
                && std::abs (shown.getGreen() - expected.getGreen()) <= 3
                && std::abs (shown.getBlue() - expected.getBlue()) <= 3;
        }
    }

    juce::Point<int> PanelScreenshot::thumbCentreFor (int side, int percent)
    {
        return { sliderCentre (side).x, juce::roundToInt (trackTop + (100 - percent) * trackLength / 100.0) };
    }

    // The thumb covers the black slot and its ticks along the slot's middle
    // column; its first and last rows may be as dark as the slot.
    std::optional<int> PanelScreenshot::thumbRow (int side) const
    {
        const auto x = sliderCentre (side).x;
        std::optional<int> first, last;

        for (int y = 76; y < 76 + 196; ++y)
        {
            if (! near (image.getPixelAt (x, y), background().getPixelAt (x, y)))
            {
                first = first.value_or (y);
                last = y;
            }
        }

        if (! first)
            return std::nullopt;

        return (*first + *last + 1) / 2;
    }

    bool PanelScreenshot::showsThumbsAt (int inputPercent, int outputPercent) const
    {
        const auto standsAt = [this] (int side, int percent)
        {
            const auto row = thumbRow (side);
            return row && std::abs (*row - thumbCentreFor (side, percent).y) <= 1;
        };

        return standsAt (input, inputPercent) && standsAt (output, outputPercent);
    }

    bool PanelScreenshot::showsPanel() const
    {
        return freeAreaShows (background().getPixelAt (freeArea.x, freeArea.y));
    }

    bool PanelScreenshot::showsUnpluggedOverlay() const
    {
        return freeAreaShows (background().getPixelAt (freeArea.x, freeArea.y).interpolatedWith (juce::Colours::white, 0.5f));
    }

    // Inside the box's corner at the input slider's top left.
    bool PanelScreenshot::showsInputTip() const
    {
        return image.getPixelAt (28, 78) == tipFill;
    }

    bool PanelScreenshot::freeAreaShows (juce::Colour expected) const
    {
        return near (image.getPixelAt (freeArea.x, freeArea.y), expected);
    }
}
