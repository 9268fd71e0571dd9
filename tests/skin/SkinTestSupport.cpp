#include "SkinTestSupport.h"

#include <VolumeSkinPictures.h>

namespace skin_test
{
    namespace
    {
        juce::MemoryBlock embeddedBytes (const juce::String& pictureName)
        {
            int size = 0;
            const auto* data = VolumeSkin::getNamedResource ((pictureName + "_png").toRawUTF8(), size);
            return data != nullptr ? juce::MemoryBlock (data, (size_t) size) : juce::MemoryBlock();
        }
    }

    juce::Image embeddedPicture (const juce::String& pictureName)
    {
        const auto bytes = embeddedBytes (pictureName);
        return juce::ImageFileFormat::loadFrom (bytes.getData(), bytes.getSize());
    }

    VolumeSkinLookAndFeel::PictureSource picturesWith (std::map<juce::String, juce::Image> replacements)
    {
        return [replacements] (const juce::String& pictureName)
        {
            const auto replacement = replacements.find (pictureName);
            return replacement != replacements.end() ? replacement->second : embeddedPicture (pictureName);
        };
    }

    bool samePixels (const juce::Image& a, const juce::Image& b)
    {
        if (a.getBounds() != b.getBounds())
            return false;

        for (int y = 0; y < a.getHeight(); ++y)
            for (int x = 0; x < a.getWidth(); ++x)
                if (a.getPixelAt (x, y) != b.getPixelAt (x, y))
                    return false;

        return true;
    }

    juce::Rectangle<int> inkBounds (const juce::Image& image)
    {
        juce::Rectangle<int> bounds;

        for (int y = 0; y < image.getHeight(); ++y)
            for (int x = 0; x < image.getWidth(); ++x)
                if (image.getPixelAt (x, y).getAlpha() != 0)
                    bounds = bounds.getUnion ({ x, y, 1, 1 });

        return bounds;
    }

    bool showsPictureAt (const juce::Image& image, const juce::Image& picture, juce::Point<int> topLeft)
    {
        const auto area = picture.getBounds() + topLeft;
        return image.getBounds().contains (area) && samePixels (image.getClippedImage (area), picture);
    }

    juce::Image snapshot (juce::Component& component)
    {
        return component.createComponentSnapshot (component.getLocalBounds());
    }

    ScopedDefaultSkin::ScopedDefaultSkin()
        : lookAndFeel (std::make_unique<VolumeSkinLookAndFeel>())
    {
        juce::LookAndFeel::setDefaultLookAndFeel (lookAndFeel.get());
    }

    ScopedDefaultSkin::ScopedDefaultSkin (const VolumeSkinLookAndFeel::PictureSource& pictures)
        : lookAndFeel (std::make_unique<VolumeSkinLookAndFeel> (pictures))
    {
        juce::LookAndFeel::setDefaultLookAndFeel (lookAndFeel.get());
    }

    ScopedDefaultSkin::~ScopedDefaultSkin()
    {
        juce::LookAndFeel::setDefaultLookAndFeel (nullptr);
        lookAndFeel.reset();
    }
}
