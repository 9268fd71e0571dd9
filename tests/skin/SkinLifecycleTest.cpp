#include "SkinTestSupport.h"

#include <VolumeSkinPictures.h>

#include <gtest/gtest.h>

namespace
{
    bool drawsNothing (void (*draw) (juce::Graphics&))
    {
        juce::Image image (juce::Image::ARGB, 280, 360, true);
        juce::Graphics g (image);
        draw (g);
        return skin_test::inkBounds (image).isEmpty();
    }

    void expectNoPictures()
    {
        EXPECT_TRUE (VolumeSkinLookAndFeel::getAboutImage().isNull());
        EXPECT_TRUE (VolumeSkinLookAndFeel::getUpdateImage().isNull());
        EXPECT_TRUE (VolumeSkinLookAndFeel::getQnImage().isNull());
        EXPECT_TRUE (VolumeSkinLookAndFeel::getForumImage().isNull());
        EXPECT_TRUE (drawsNothing (VolumeSkinLookAndFeel::drawWindowBackground));
    }
}

// Runs alone in its program: the statics are observed before any skin exists.
TEST (SkinLifecycle, StaticsBeforeDuringAndAfterTheSkin)
{
    EXPECT_EQ (VolumeSkinLookAndFeel::windowWidth, 0);
    EXPECT_EQ (VolumeSkinLookAndFeel::windowHeight, 0);
    EXPECT_EQ (VolumeSkinLookAndFeel::sliderWidth, 82);
    EXPECT_EQ (VolumeSkinLookAndFeel::sliderHeight, 196);
    expectNoPictures();

    // the factories and the hit test need no skin
    juce::Rectangle<int> bounds;
    EXPECT_NE (VolumeSkinLookAndFeel::createSlider (1, bounds), nullptr);
    EXPECT_EQ (bounds, juce::Rectangle<int> (173, 76, 82, 196));
    EXPECT_NE (VolumeSkinLookAndFeel::createMuteButton (0, bounds), nullptr);
    EXPECT_EQ (bounds, juce::Rectangle<int> (30, 282, 74, 26));
    EXPECT_TRUE (VolumeSkinLookAndFeel::aboutHitTest (279, 42));

    {
        VolumeSkinLookAndFeel skin;

        EXPECT_EQ (VolumeSkinLookAndFeel::windowWidth, 280);
        EXPECT_EQ (VolumeSkinLookAndFeel::windowHeight, 360);
        EXPECT_EQ (VolumeSkinLookAndFeel::getAboutImage().getBounds(), juce::Rectangle<int> (264, 300));
        for (const auto& overlay : { VolumeSkinLookAndFeel::getUpdateImage(),
                                     VolumeSkinLookAndFeel::getQnImage(),
                                     VolumeSkinLookAndFeel::getForumImage() })
            EXPECT_EQ (overlay.getBounds(), juce::Rectangle<int> (264, 300));
        EXPECT_EQ (VolumeSkinLookAndFeel::getVersionPlace(), juce::Rectangle<int> (0, 0, 254, 30));
        EXPECT_FALSE (drawsNothing (VolumeSkinLookAndFeel::drawWindowBackground));

        // decoded once, shared through the image cache under the embedded data's address
        EXPECT_EQ (VolumeSkinLookAndFeel::getAboutImage(),
                   juce::ImageCache::getFromMemory (VolumeSkin::about_png, VolumeSkin::about_pngSize));

        // a label without a text colour of its own, such as the about screen's version
        juce::Label version ("version", "1.0.3");
        version.setLookAndFeel (&skin);
        EXPECT_EQ (version.findColour (juce::Label::textColourId), juce::Colours::white);
        version.setLookAndFeel (nullptr);
    }

    // the pictures are given back, the window size stays
    EXPECT_EQ (VolumeSkinLookAndFeel::windowWidth, 280);
    EXPECT_EQ (VolumeSkinLookAndFeel::windowHeight, 360);
    expectNoPictures();
}

// After the test above: the pictures it loaded are out of the image cache.
TEST (SkinLifecycle, PicturesDecodedAheadAreTheEmbeddedOnesUnderTheCacheKeysTheSkinAsksFor)
{
    juce::ImageCache::releaseUnusedImages();
    const auto decoding = VolumeSkinLookAndFeel::decodePicturesAhead();
    VolumeSkinLookAndFeel skin;

    const std::pair<juce::String, juce::Image> loaded[] = {
        { "background", juce::ImageCache::getFromMemory (VolumeSkin::background_png, VolumeSkin::background_pngSize) },
        { "about", VolumeSkinLookAndFeel::getAboutImage() },
        { "about_update", VolumeSkinLookAndFeel::getUpdateImage() },
        { "about_qn", VolumeSkinLookAndFeel::getQnImage() },
        { "about_forum", VolumeSkinLookAndFeel::getForumImage() },
    };

    for (const auto& [name, picture] : loaded)
        EXPECT_TRUE (skin_test::samePixels (picture, skin_test::embeddedPicture (name))) << name;

    // the skin's picture is the one in the cache, not a second decoding
    EXPECT_EQ (VolumeSkinLookAndFeel::getForumImage(),
               juce::ImageCache::getFromMemory (VolumeSkin::about_forum_png, VolumeSkin::about_forum_pngSize));
}
