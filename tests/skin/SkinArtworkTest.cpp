#include "SkinTestSupport.h"

#include <VolumeSkinPictures.h>

#include <gtest/gtest.h>

namespace
{
    struct PictureFormat
    {
        const char* name;
        int width;
        int height;
        int colourType; // 2 RGB, 6 RGBA
    };

    const PictureFormat pictureFormats[] {
        { "background", 280, 360, 6 },
        { "about", 264, 300, 2 },
        { "about_update", 264, 300, 6 },
        { "about_qn", 264, 300, 6 },
        { "about_forum", 264, 300, 6 },
        { "volumeknob_off", 72, 38, 6 },
        { "volumeknob_hover", 72, 38, 6 },
        { "mute_off", 74, 26, 6 },
        { "mute_off_hover", 74, 26, 6 },
        { "mute_off_pressed", 74, 26, 6 },
        { "mute_on", 74, 26, 6 },
        { "mute_on_hover", 74, 26, 6 },
        { "mute_on_pressed", 74, 26, 6 },
        { "icon", 16, 16, 6 },
    };

    int readBigEndian (const juce::uint8* bytes)
    {
        return (int) juce::ByteOrder::bigEndianInt (bytes);
    }

    bool isBlack (juce::Colour colour)
    {
        return colour == juce::Colours::black;
    }
}

TEST (SkinArtwork, EveryPictureIsAnEightBitPlainPngOfItsSizeAndColourType)
{
    ASSERT_EQ (VolumeSkin::namedResourceListSize, (int) std::size (pictureFormats));

    for (const auto& format : pictureFormats)
    {
        SCOPED_TRACE (format.name);
        int size = 0;
        const auto* data = (const juce::uint8*) VolumeSkin::getNamedResource ((juce::String (format.name) + "_png").toRawUTF8(), size);
        ASSERT_NE (data, nullptr);
        ASSERT_GT (size, 33);

        // signature, then the IHDR chunk: width, height, bit depth, colour type, compression, filter, interlace
        EXPECT_EQ (juce::MemoryBlock (data, 8), juce::MemoryBlock ("\x89PNG\r\n\x1a\n", 8));
        EXPECT_EQ (juce::String ((const char*) data + 12, 4), "IHDR");
        EXPECT_EQ (readBigEndian (data + 16), format.width);
        EXPECT_EQ (readBigEndian (data + 20), format.height);
        EXPECT_EQ (data[24], 8);
        EXPECT_EQ (data[25], format.colourType);
        EXPECT_EQ (data[28], 0);

        const auto picture = skin_test::embeddedPicture (format.name);
        EXPECT_EQ (picture.getBounds(), juce::Rectangle<int> (format.width, format.height));
    }
}

TEST (SkinArtwork, OverlaysAreOpaqueOnTheirTileAndClearElsewhere)
{
    const struct { const char* name; juce::Rectangle<int> tile; } overlays[] {
        { "about_qn", juce::Rectangle<int>::leftTopRightBottom (0, 216, 89, 300) },
        { "about_update", juce::Rectangle<int>::leftTopRightBottom (90, 216, 177, 300) },
        { "about_forum", juce::Rectangle<int>::leftTopRightBottom (178, 216, 264, 300) },
    };

    for (const auto& overlay : overlays)
    {
        SCOPED_TRACE (overlay.name);
        const auto picture = skin_test::embeddedPicture (overlay.name);
        int misplaced = 0;

        for (int y = 0; y < picture.getHeight(); ++y)
            for (int x = 0; x < picture.getWidth(); ++x)
                if (picture.getPixelAt (x, y).getAlpha() != (overlay.tile.contains (x, y) ? 255 : 0))
                    ++misplaced;

        EXPECT_EQ (misplaced, 0);
    }
}

TEST (SkinArtwork, MutePicturesHaveClearCornersAndAnOpaqueFace)
{
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

    for (int y = 0; y < background.getHeight(); ++y)
        for (int x = 0; x < background.getWidth(); ++x)
            ASSERT_EQ (background.getPixelAt (x, y).getAlpha(), 255) << x << ", " << y;

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
