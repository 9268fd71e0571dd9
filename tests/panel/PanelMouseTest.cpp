#include "PanelTestSupport.h"

#include <tuple>

using namespace panel_test;

namespace
{
    const juce::Colour tipOutline (0xffff0000);

    juce::Rectangle<int> boundsOf (const juce::Image& image, const std::function<bool (int x, int y)>& isInk)
    {
        juce::Rectangle<int> bounds;
        for (int y = 0; y < image.getHeight(); ++y)
            for (int x = 0; x < image.getWidth(); ++x)
                if (isInk (x, y))
                    bounds = bounds.getUnion ({ x, y, 1, 1 });
        return bounds;
    }

    juce::Rectangle<int> tipBox (const juce::Image& image)
    {
        return boundsOf (image, [&] (int x, int y) { return image.getPixelAt (x, y) == tipOutline; });
    }

    float brightness (juce::Colour colour)
    {
        return (colour.getFloatRed() + colour.getFloatGreen() + colour.getFloatBlue()) / 3.0f;
    }

    class PanelMouseTest : public PanelTest
    {
    protected:
        void SetUp() override
        {
            PanelTest::SetUp();
            // An outline no other pixel has, to find the box by.
            skin->setColour (juce::TooltipWindow::outlineColourId, tipOutline);
        }

        juce::Rectangle<int> shownTipBox() { return tipBox (window->snapshot()); }
    };
}

TEST_F (PanelMouseTest, APressOnADisabledControlShowsItsTipAndOneOnTheFreeAreaDismissesItOrDragsTheWindow)
{
    plugInOnly (AudioScope::output);
    openPanel();
    const auto start = window->windowPosition();
    ASSERT_TRUE (shownTipBox().isEmpty());

    EXPECT_TRUE (window->repaintsPanel ([&] { window->click (sliderCentre (input)); }));
    const auto box = shownTipBox();
    EXPECT_FALSE (box.isEmpty());

    // Dismissing is all that press does: no drag.
    window->drag (freeArea, { 30, 20 });
    EXPECT_TRUE (shownTipBox().isEmpty());
    EXPECT_EQ (window->windowPosition(), start);

    window->click (muteButtonCentre (input));
    EXPECT_EQ (shownTipBox(), box);

    // The tip outlives a poll that makes its side usable, and the overlay
    // of an unplugged device only covers it.
    hardware.resetToDefault();
    window->panel().update();
    EXPECT_EQ (shownTipBox(), box);
    hardware.unplug (volume_test::soundDevice);
    window->panel().update();
    EXPECT_TRUE (shownTipBox().isEmpty());
    hardware.resetToDefault();
    window->panel().update();
    EXPECT_EQ (shownTipBox(), box);

    window->click (sliderCentre (output));
    EXPECT_EQ (shownTipBox(), box) << "a press on an enabled control does not reach the panel";
    EXPECT_TRUE (window->repaintsPanel ([&] { window->click (freeArea); }));
    EXPECT_TRUE (shownTipBox().isEmpty());

    window->drag (freeArea, { 30, 20 });
    EXPECT_EQ (window->windowPosition(), start + juce::Point<int> (30, 20));
    // Unplugged, the control areas reach the panel with empty tips.
    hardware.unplug (volume_test::soundDevice);
    window->panel().update();
    window->drag (sliderCentre (output), { -50, 10 });
    EXPECT_EQ (window->windowPosition(), start + juce::Point<int> (30, 20));
    EXPECT_TRUE (shownTipBox().isEmpty());
    window->drag (inStrip, { -50, 10 });
    EXPECT_EQ (window->windowPosition(), start + juce::Point<int> (-20, 30));
}

TEST_F (PanelMouseTest, TheTipBoxSitsOnTopOfTheSlidersAtThePressedSideAndHoldsItsText)
{
    for (int side : { input, output })
    {
        SCOPED_TRACE (side == input ? "input side" : "output side");
        hardware.resetToDefault();
        plugInOnly (side == input ? AudioScope::output : AudioScope::input);
        openPanel();
        window->click (muteButtonCentre (side));
        const auto image = window->snapshot();
        const auto box = tipBox (image);

        EXPECT_EQ (box.getY(), 76);
        EXPECT_EQ (side == input ? box.getX() : box.getRight(), side == input ? 26 : 255);
        EXPECT_EQ (image.getPixelAt (box.getX() + 1, box.getY() + 1), juce::Colour (0xffeeeebb));

        // Text spilling out of the box would stop at its outline.
        const auto inside = box.reduced (1);
        const auto ink = boundsOf (image.getClippedImage (inside), [&] (int x, int y)
        {
            return image.getPixelAt (inside.getX() + x, inside.getY() + y).getBrightness() < 0.5f;
        }) + inside.getPosition();
        EXPECT_TRUE (box.reduced (3).contains (ink)) << ink.toString() << " in " << box.toString();
        EXPECT_NEAR (ink.getCentreX(), box.getCentreX(), 2);
        EXPECT_NEAR (ink.getCentreY(), box.getCentreY(), 3);
        EXPECT_GT (ink.getHeight(), 70) << "six lines";

        // In 15-pt bold: as wide as its widest line.
        float widest = 0.0f;
        for (const auto& line : juce::StringArray::fromLines (window->muteButton (side).getTooltip()))
            widest = juce::jmax (widest, juce::Font (15.0f, juce::Font::bold).getStringWidthFloat (line));
        EXPECT_NEAR (ink.getWidth(), widest, 3);

        // A press on the side's slider places it alike; the first press
        // only takes the shown tip away.
        window->click (sliderCentre (side));
        window->click (sliderCentre (side));
        EXPECT_EQ (tipBox (window->snapshot()), box);

        window.reset();
    }
}

TEST_F (PanelMouseTest, UnpluggedPanelIsCoveredByAHalfWhiteOverlayWithItsMessageInTheMiddle)
{
    openPanel();
    const auto plugged = window->snapshot();
    hardware.unplug (volume_test::soundDevice);
    window->panel().update();
    const auto unplugged = window->snapshot();
    const auto underneath = [&] (int x, int y) { return plugged.getPixelAt (x, y).interpolatedWith (juce::Colours::white, 0.5f); };

    for (const juce::Point<int> point : { freeArea, inStrip, juce::Point<int> { 5, 350 } })
    {
        const auto expected = underneath (point.x, point.y), shown = unplugged.getPixelAt (point.x, point.y);
        for (const auto channel : { &juce::Colour::getRed, &juce::Colour::getGreen, &juce::Colour::getBlue })
            EXPECT_NEAR ((shown.*channel)(), (expected.*channel)(), 2) << point.toString();
    }

    float greatestLift = 0.0f, brightnessThere = 0.0f;
    const auto text = boundsOf (unplugged, [&] (int x, int y)
    {
        const auto shown = brightness (unplugged.getPixelAt (x, y));
        const auto lift = shown - brightness (underneath (x, y));
        if (lift > greatestLift)
            std::tie (greatestLift, brightnessThere) = std::tuple (lift, shown);
        return lift > 0.15f;
    });

    EXPECT_NEAR (text.getCentreX(), 140, 2);
    EXPECT_NEAR (text.getCentreY(), 180, 3);
    EXPECT_NEAR (text.getWidth(), juce::Font (20.0f).getStringWidthFloat ("Device unplugged."), 5);
    EXPECT_LT (text.getHeight(), 20);
    // Opaque white: where the letters stand out most, they are white.
    EXPECT_GT (brightnessThere, 0.97f);
}
