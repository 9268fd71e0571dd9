#include "SkinTestSupport.h"

#include <gtest/gtest.h>

TEST (SkinLayout, SlidersAreNamedStyledAndPlacedBySide)
{
    const struct { int index; const char* name; juce::Rectangle<int> bounds; } cases[] {
        { 0,  "slider0",  { 26, 76, 82, 196 } },
        { 1,  "slider1",  { 173, 76, 82, 196 } },
        { 7,  "slider7",  { 173, 76, 82, 196 } },
        { -1, "slider-1", { 173, 76, 82, 196 } },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        juce::Rectangle<int> bounds { 1, 2, 3, 4 };
        const auto slider = VolumeSkinLookAndFeel::createSlider (c.index, bounds);

        ASSERT_NE (slider, nullptr);
        EXPECT_EQ (slider->getName(), c.name);
        EXPECT_EQ (bounds, c.bounds);
        EXPECT_EQ (slider->getSliderStyle(), juce::Slider::LinearVertical);
        EXPECT_EQ (slider->getMinimum(), 0.0);
        EXPECT_EQ (slider->getMaximum(), 100.0);
        EXPECT_EQ (slider->getInterval(), 1.0);
        EXPECT_EQ (slider->getTextBoxPosition(), juce::Slider::NoTextBox);
        EXPECT_TRUE (slider->isTextBoxEditable());
        EXPECT_EQ (slider->getTextBoxWidth(), 0);
        EXPECT_EQ (slider->getTextBoxHeight(), 0);
        EXPECT_EQ (slider->getParentComponent(), nullptr);
        EXPECT_TRUE (slider->getBounds().isEmpty());
    }
}

TEST (SkinLayout, MuteButtonsAreNamedTogglingAndPlacedBySide)
{
    const struct { int index; const char* name; juce::Rectangle<int> bounds; } cases[] {
        { 0, "Mute0", { 30, 282, 74, 26 } },
        { 1, "Mute1", { 177, 282, 74, 26 } },
        { 5, "Mute5", { 177, 282, 74, 26 } },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        juce::Rectangle<int> bounds;
        const auto button = VolumeSkinLookAndFeel::createMuteButton (c.index, bounds);

        ASSERT_NE (button, nullptr);
        EXPECT_EQ (button->getName(), c.name);
        EXPECT_EQ (button->getButtonText(), c.name);
        EXPECT_EQ (bounds, c.bounds);
        EXPECT_TRUE (button->getClickingTogglesState());
        EXPECT_FALSE (button->getToggleState());
    }
}

TEST (SkinLayout, AboutStripIncludesItsLeftAndTopEdgesOnly)
{
    EXPECT_TRUE (VolumeSkinLookAndFeel::aboutHitTest (0, 0));
    EXPECT_TRUE (VolumeSkinLookAndFeel::aboutHitTest (279, 42));
    EXPECT_TRUE (VolumeSkinLookAndFeel::aboutHitTest (140, 20));
    EXPECT_FALSE (VolumeSkinLookAndFeel::aboutHitTest (280, 0));
    EXPECT_FALSE (VolumeSkinLookAndFeel::aboutHitTest (0, 43));
    EXPECT_FALSE (VolumeSkinLookAndFeel::aboutHitTest (-1, 10));
    EXPECT_FALSE (VolumeSkinLookAndFeel::aboutHitTest (10, -1));
}

TEST (SkinLayout, VerticalSliderTrackLeavesTheThumbRadiusAndTwoPixels)
{
    skin_test::ScopedDefaultSkin skin;
    juce::Rectangle<int> bounds;
    const auto slider = VolumeSkinLookAndFeel::createSlider (0, bounds);
    slider->setBounds (bounds);

    EXPECT_EQ (skin.skin().getSliderThumbRadius (*slider), 19);
    EXPECT_EQ (skin.skin().getSliderLayout (*slider).sliderBounds, juce::Rectangle<int> (0, 21, 82, 154));
}
