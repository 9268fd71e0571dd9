#include "SkinTestSupport.h"

#include <gtest/gtest.h>

using skin_test::embeddedPicture;
using skin_test::inkBounds;
using skin_test::showsPictureAt;
using skin_test::snapshot;

namespace
{
    struct PlacedSlider
    {
        std::unique_ptr<juce::Slider> slider;
        juce::Rectangle<int> bounds;
    };

    PlacedSlider makeSlider (int index, double value)
    {
        PlacedSlider placed;
        placed.slider = VolumeSkinLookAndFeel::createSlider (index, placed.bounds);
        placed.slider->setBounds (placed.bounds);
        placed.slider->setValue (value, juce::dontSendNotification);
        return placed;
    }

    // The slider row where the thumb picture's top stands, found by where its ink is.
    int thumbTop (juce::Slider& slider, const juce::Image& thumb)
    {
        return inkBounds (snapshot (slider)).getY() - inkBounds (thumb).getY();
    }

    juce::Image drawnMute (bool muted, juce::Button::ButtonState state)
    {
        juce::Rectangle<int> bounds;
        const auto button = VolumeSkinLookAndFeel::createMuteButton (0, bounds);
        button->setBounds (bounds);
        button->setToggleState (muted, juce::dontSendNotification);
        button->setState (state);
        return snapshot (*button);
    }
}

TEST (SkinDrawing, ThumbTopFollowsTheValueOverTheTrack)
{
    skin_test::ScopedDefaultSkin skin;
    const auto thumb = embeddedPicture ("volumeknob_off");

    const struct { double value; int top; } cases[] { { 100, 2 }, { 50, 79 }, { 33, 105 }, { 0, 156 } };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.value);
        auto placed = makeSlider (0, c.value);
        const auto image = snapshot (*placed.slider);

        EXPECT_EQ (thumbTop (*placed.slider, thumb), c.top);
        EXPECT_TRUE (showsPictureAt (image, thumb, { 5, c.top }));
        // nothing but the thumb: no track, no value text
        EXPECT_TRUE ((thumb.getBounds() + juce::Point<int> (5, c.top)).contains (inkBounds (image)));
    }
}

TEST (SkinDrawing, ThumbsAndMuteButtonsLineUpWithTheSlotsAndTicks)
{
    skin_test::ScopedDefaultSkin skin;
    const auto background = embeddedPicture ("background");
    const auto thumb = embeddedPicture ("volumeknob_off");
    const auto thumbRadius = thumb.getHeight() / 2;

    // the thumb's light centre line is its centre row on the track
    const auto centreColumn = thumb.getWidth() / 2;
    int brightestRow = 0;
    for (int y = 0; y < thumb.getHeight(); ++y)
        if (thumb.getPixelAt (centreColumn, y).getBrightness() > thumb.getPixelAt (centreColumn, brightestRow).getBrightness())
            brightestRow = y;
    EXPECT_EQ (brightestRow, thumbRadius);

    for (const auto side : { 0, 1 })
    {
        SCOPED_TRACE (side);
        const auto slotCentre = side == 0 ? 67 : 214;

        // along the slot, ticks left and right of it stand where the thumb's centre stops at 100, 90, ..., 0
        std::vector<int> thumbCentres;
        for (int value = 100; value >= 0; value -= 10)
        {
            auto placed = makeSlider (side, value);
            thumbCentres.push_back (placed.bounds.getY() + thumbTop (*placed.slider, thumb) + thumbRadius);

            const auto ink = inkBounds (snapshot (*placed.slider)) + placed.bounds.getPosition();
            EXPECT_EQ (ink.getX() + (ink.getWidth() - 1) / 2, slotCentre) << "thumb off the slot at " << value;
        }
        EXPECT_EQ (thumbCentres.front(), 97);
        EXPECT_EQ (thumbCentres.back(), 251);

        for (const auto tickColumn : { slotCentre - 12, slotCentre + 12 })
        {
            std::vector<int> tickRows;
            for (int y = 82; y <= 265; ++y)
                if (background.getPixelAt (tickColumn, y).getBrightness() > 0.8f)
                    tickRows.push_back (y);
            EXPECT_EQ (tickRows, thumbCentres);
        }

        juce::Rectangle<int> buttonBounds;
        const auto button = VolumeSkinLookAndFeel::createMuteButton (side, buttonBounds);
        button->setBounds (buttonBounds);
        const auto ink = inkBounds (snapshot (*button)) + buttonBounds.getPosition();
        EXPECT_EQ (ink.getX() + (ink.getWidth() - 1) / 2, slotCentre);
    }
}

TEST (SkinDrawing, MuteButtonShowsThePictureOfItsState)
{
    skin_test::ScopedDefaultSkin skin;
    using State = juce::Button::ButtonState;

    const struct { bool muted; State state; const char* picture; } cases[] {
        { false, State::buttonNormal, "mute_off" },
        { false, State::buttonOver,   "mute_off_hover" },
        { false, State::buttonDown,   "mute_off_pressed" },
        { true,  State::buttonNormal, "mute_on" },
        { true,  State::buttonOver,   "mute_on_hover" },
        { true,  State::buttonDown,   "mute_on_pressed" },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.picture);
        EXPECT_TRUE (skin_test::samePixels (drawnMute (c.muted, c.state), embeddedPicture (c.picture)));
    }
}

TEST (SkinDrawing, MissingMutePicturePassesToTheNextCandidate)
{
    using State = juce::Button::ButtonState;
    {
        skin_test::ScopedDefaultSkin skin (skin_test::picturesWith ({ { "mute_off_pressed", {} }, { "mute_on_hover", {} } }));

        EXPECT_TRUE (skin_test::samePixels (drawnMute (false, State::buttonDown), embeddedPicture ("mute_off_hover")));
        EXPECT_TRUE (skin_test::samePixels (drawnMute (true, State::buttonOver), embeddedPicture ("mute_on")));
        EXPECT_TRUE (skin_test::samePixels (drawnMute (true, State::buttonDown), embeddedPicture ("mute_on_pressed")));

        // held down with the mouse elsewhere: past the missing pressed picture to the plain one
        juce::ToggleButton button;
        button.setSize (74, 26);
        juce::Image image (juce::Image::ARGB, 74, 26, true);
        juce::Graphics g (image);
        skin.skin().drawToggleButton (g, button, false, true);
        EXPECT_TRUE (skin_test::samePixels (image, embeddedPicture ("mute_off")));
    }
    {
        std::map<juce::String, juce::Image> none;
        for (const auto* name : { "mute_off", "mute_off_hover", "mute_off_pressed", "mute_on", "mute_on_hover", "mute_on_pressed" })
            none[name] = {};
        skin_test::ScopedDefaultSkin skin (skin_test::picturesWith (none));

        for (const auto muted : { false, true })
            for (const auto state : { State::buttonNormal, State::buttonOver, State::buttonDown })
                EXPECT_TRUE (inkBounds (drawnMute (muted, state)).isEmpty());
    }
}

TEST (SkinDrawing, OverlayOfAnotherSizeIsReplacedByACopyOfTheAboutSize)
{
    const auto narrowUpdate = embeddedPicture ("about_update").rescaled (132, 300, juce::Graphics::highResamplingQuality);
    const auto shortForum = embeddedPicture ("about_forum").rescaled (264, 299, juce::Graphics::highResamplingQuality);
    const auto qn = embeddedPicture ("about_qn");

    skin_test::ScopedDefaultSkin skin (skin_test::picturesWith ({ { "about_update", narrowUpdate },
                                                                  { "about_forum", shortForum },
                                                                  { "about_qn", qn } }));

    const auto update = VolumeSkinLookAndFeel::getUpdateImage();
    EXPECT_EQ (update.getBounds(), juce::Rectangle<int> (264, 300));
    // scaled back to full width, the tile is in its place again
    EXPECT_EQ (update.getPixelAt (133, 258).getAlpha(), 255);
    EXPECT_EQ (update.getPixelAt (133, 100).getAlpha(), 0);
    EXPECT_EQ (update.getPixelAt (40, 258).getAlpha(), 0);
    EXPECT_EQ (juce::ImageCache::getFromHashCode ((juce::int64) (juce::pointer_sized_int) update.getPixelData()), update);

    EXPECT_EQ (VolumeSkinLookAndFeel::getForumImage().getBounds(), juce::Rectangle<int> (264, 300));

    // one of the right size is kept as it came
    EXPECT_EQ (VolumeSkinLookAndFeel::getQnImage(), qn);
}

TEST (SkinDrawing, WindowBackgroundIsTheBackgroundPictureAtTheOrigin)
{
    skin_test::ScopedDefaultSkin skin;
    juce::Image image (juce::Image::ARGB, 300, 380, true);
    juce::Graphics g (image);

    VolumeSkinLookAndFeel::drawWindowBackground (g);

    EXPECT_TRUE (showsPictureAt (image, embeddedPicture ("background"), { 0, 0 }));
    EXPECT_EQ (inkBounds (image), juce::Rectangle<int> (280, 360));
}
