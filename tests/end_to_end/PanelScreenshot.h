#pragma once

#include <juce_graphics/juce_graphics.h>

#include <optional>

namespace end_to_end
{
    constexpr int input = 0;
    constexpr int output = 1;

    // Panel points: a free one below the logo strip, and the centres of the
    // controls.
    const juce::Point<int> freeArea { 140, 60 };
    inline juce::Point<int> sliderCentre (int side)     { return { side == input ? 67 : 214, 174 }; }
    inline juce::Point<int> muteButtonCentre (int side) { return { side == input ? 67 : 214, 295 }; }

    // What a screenshot of the panel's window shows, told apart from the
    // skin's background picture.
    class PanelScreenshot
    {
    public:
        explicit PanelScreenshot (const juce::Image& screenshot) : image (screenshot) {}

        // Where a thumb's centre stands for a level in percent.
        static juce::Point<int> thumbCentreFor (int side, int percent);
        // The row of the centre of the thumb drawn on a side's slot; none
        // when nothing is drawn there.
        std::optional<int> thumbRow (int side) const;
        bool showsThumbsAt (int inputPercent, int outputPercent) const;

        // The panel is drawn, without the unplugged overlay.
        bool showsPanel() const;
        bool showsUnpluggedOverlay() const;
        bool showsInputTip() const;

    private:
        bool freeAreaShows (juce::Colour expected) const;

        juce::Image image;
    };
}
