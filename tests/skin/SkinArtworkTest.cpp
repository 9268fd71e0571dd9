#include "SkinTestSupport.h"

#include <gtest/gtest.h>

#include <functional>

namespace
{
    bool isBlack (juce::Colour colour)
    {
        return colour == juce::Colours::black;
    }

    int pixelsWithAlphaOtherThan (const juce::Image& picture, const std::function<int (int x, int y)>& expectedAlpha)
    {
        int wrong = 0;

        for (int y = 0; y < picture.getHeight(); ++y)
            for (int x = 0; x < picture.getWidth(); ++x)
                if (picture.getPixelAt (x, y).getAlpha() != expectedAlpha (x, y))
                    ++wrong;

        return wrong;
    }
}

// Overlays are drawn over the whole about screen and take presses only where
// opaque; mute pictures sit on the panel's wells.
TEST (SkinArtwork, PicturesAreClearWhereThePanelShowsThrough)
{
    const struct { const char* name; juce::Rectangle<int> tile; } overlays[] {
        { "about_qn", juce::Rectangle<int>::leftTopRightBottom (0, 216, 89, 300) },
        { "about_update", juce::Rectangle<int>::leftTopRightBottom (90, 216, 177, 300) },
        { "about_forum", juce::Rectangle<int>::leftTopRightBottom (178, 216, 264, 300) },
    };

    for (const auto& overlay : overlays)
    {
        SCOPED_TRACE (overlay.name);
        const auto tile = overlay.tile;
        EXPECT_EQ (pixelsWithAlphaOtherThan (skin_test::embeddedPicture (overlay.name),
                                             [tile] (int x, int y) { return tile.contains (x, y) ? 255 : 0; }), 0);
    }

    for (const auto* name : { "mute_off", "mute_off_hover", "mute_off_pressed", "mute_on", "mute_on_hover", "mute_on_pressed" })
    {
        SCOPED_TRACE (name);
        const auto picture = skin_test::embeddedPicture (name);

        for (const auto corner : { juce::Point<int> (0, 0), { 73, 0 }, { 0, 25 }, { 73, 25 } })
            EXPECT_EQ (picture.getPixelAt (corner.x, corner.y).getAlpha(), 0);

        EXPECT_EQ (picture.getPixelAt (37, 13).getAlpha(), 255);
    }
}

TEST (SkinArtwork, BackgroundHasItsBandAndSlotsWhereTheLayoutNeedsThem)
{
    const auto background = skin_test::embeddedPicture ("background");
    ASSERT_EQ (background.getBounds(), juce::Rectangle<int> (280, 360));
    EXPECT_EQ (pixelsWithAlphaOtherThan (background, [] (int, int) { return 255; }), 0);

    // the logo band's edges are black down to row 42, the plate starts at row 43
    for (int y = 0; y <= 42; ++y)
        for (const auto x : { 0, 5, 274, 279 })
            EXPECT_TRUE (isBlack (background.getPixelAt (x, y))) << x << ", " << y;
    EXPECT_FALSE (isBlack (background.getPixelAt (0, 43)));

    // two black slots nine pixels wide, centred on x 67 and x 214, rows 82 to 265
    for (const auto centre : { 67, 214 })
    {
        for (int y = 82; y <= 265; ++y)
            for (int x = centre - 4; x <= centre + 4; ++x)
                ASSERT_TRUE (isBlack (background.getPixelAt (x, y))) << x << ", " << y;

        EXPECT_FALSE (isBlack (background.getPixelAt (centre - 5, 150)));
        EXPECT_FALSE (isBlack (background.getPixelAt (centre + 5, 150)));
        EXPECT_FALSE (isBlack (background.getPixelAt (centre, 81)));
        EXPECT_FALSE (isBlack (background.getPixelAt (centre, 266)));
    }
}
