#include "volume_skin/kdar7_volume_skin/LookAndFeel.h"

#include "volume_skin/kdar7_volume_skin/PicturesDecodedAhead.h"

#include <VolumeSkinPictures.h>

namespace
{
    // The logo band along the top of the background picture.
    const juce::Rectangle<int> aboutHitArea { 0, 0, 280, 43 };

    // The centres of the background's two fader slots.
    constexpr int inputCentreX = 67;
    constexpr int outputCentreX = 214;

    // JUCE keeps a linear slider's track in by the thumb radius; the skin's
    // thumb travel (the background's ticks) needs two pixels more at each end.
    constexpr int trackEndMargin = 2;

    // Never loaded by the skin.
    const juce::String iconResource = "icon_png";

    std::weak_ptr<PicturesDecodedAhead> picturesDecodedAhead;

    // A picture decoded ahead goes into the image cache under the key that
    // getFromMemory uses, which then finds it there.
    void cacheDecodedAhead (PicturesDecodedAhead& pictures, const char* data)
    {
        const auto hashCode = (juce::int64) (juce::pointer_sized_int) data;

        if (const auto picture = pictures.take (data);
            picture.isValid() && juce::ImageCache::getFromHashCode (hashCode).isNull())
            juce::ImageCache::addImageToCache (picture, hashCode);
    }

    // Through the image cache, keyed by the embedded data's address, so each
    // picture is decoded once and shared.
    juce::Image loadEmbeddedPicture (const juce::String& pictureName)
    {
        int size = 0;
        const auto* data = VolumeSkin::getNamedResource ((pictureName + "_png").toRawUTF8(), size);

        if (data == nullptr)
            return {};

        if (const auto pictures = picturesDecodedAhead.lock())
            cacheDecodedAhead (*pictures, data);

        return juce::ImageCache::getFromMemory (data, size);
    }
}

int VolumeSkinLookAndFeel::windowWidth = 0;
int VolumeSkinLookAndFeel::windowHeight = 0;

juce::Image VolumeSkinLookAndFeel::windowBackground;
juce::Image VolumeSkinLookAndFeel::aboutImage;
juce::Image VolumeSkinLookAndFeel::updateImage;
juce::Image VolumeSkinLookAndFeel::qnImage;
juce::Image VolumeSkinLookAndFeel::forumImage;
juce::Image VolumeSkinLookAndFeel::sliderThumbOff;
juce::Image VolumeSkinLookAndFeel::sliderThumbOver;

VolumeSkinLookAndFeel::VolumeSkinLookAndFeel()
    : VolumeSkinLookAndFeel (loadEmbeddedPicture)
{
}

std::shared_ptr<PicturesDecodedAhead> VolumeSkinLookAndFeel::decodePicturesAhead()
{
    std::vector<PicturesDecodedAhead::EmbeddedPicture> pictures;

    for (int i = 0; i < VolumeSkin::namedResourceListSize; ++i)
    {
        if (iconResource == VolumeSkin::namedResourceList[i])
            continue;

        int size = 0;
        const auto* data = VolumeSkin::getNamedResource (VolumeSkin::namedResourceList[i], size);
        pictures.emplace_back (data, size);
    }

    auto decoding = std::make_shared<PicturesDecodedAhead> (std::move (pictures));
    picturesDecodedAhead = decoding;
    return decoding;
}

VolumeSkinLookAndFeel::VolumeSkinLookAndFeel (const PictureSource& pictures)
{
    windowBackground = pictures ("background");
    aboutImage = pictures ("about");

    updateImage = loadOverlay (pictures, "about_update");
    qnImage = loadOverlay (pictures, "about_qn");
    forumImage = loadOverlay (pictures, "about_forum");

    sliderThumbOff = pictures ("volumeknob_off");
    sliderThumbOver = pictures ("volumeknob_hover");

    muteOff = pictures ("mute_off");
    muteOffHover = pictures ("mute_off_hover");
    muteOffPressed = pictures ("mute_off_pressed");
    muteOn = pictures ("mute_on");
    muteOnHover = pictures ("mute_on_hover");
    muteOnPressed = pictures ("mute_on_pressed");

    windowWidth = windowBackground.getWidth();
    windowHeight = windowBackground.getHeight();

    setColour (juce::Label::textColourId, juce::Colours::white);

    // The panel's click tips keep the classic pale tooltip, not the
    // dark one of this look-and-feel's base.
    setColour (juce::TooltipWindow::backgroundColourId, juce::Colour (0xffeeeebb));
    setColour (juce::TooltipWindow::textColourId, juce::Colours::black);
    setColour (juce::TooltipWindow::outlineColourId, juce::Colours::black.withAlpha ((juce::uint8) 0x4c));
}

// Drops the skin's references to its pictures; the image cache frees each one
// a little after nobody else holds it. The window size stays as it was.
VolumeSkinLookAndFeel::~VolumeSkinLookAndFeel()
{
    windowBackground = {};
    muteOff = {};
    muteOffHover = {};
    muteOffPressed = {};
    muteOn = {};
    muteOnHover = {};
    muteOnPressed = {};
    aboutImage = {};
    updateImage = {};
    qnImage = {};
    forumImage = {};
    sliderThumbOff = {};
    sliderThumbOver = {};
}

// An overlay lies over the whole about picture, so one of another size is
// replaced by a copy scaled to it, kept in the image cache like the rest.
juce::Image VolumeSkinLookAndFeel::loadOverlay (const PictureSource& pictures, const juce::String& pictureName)
{
    auto overlay = pictures (pictureName);

    if (overlay.isNull() || aboutImage.isNull() || overlay.getBounds() == aboutImage.getBounds())
        return overlay;

    const auto copy = overlay.rescaled (aboutImage.getWidth(), aboutImage.getHeight(),
                                        juce::Graphics::mediumResamplingQuality);
    // keyed by the copy's own pixel data, which no other picture shares
    const auto hashCode = (juce::int64) (juce::pointer_sized_int) copy.getPixelData();
    juce::ImageCache::addImageToCache (copy, hashCode);
    return juce::ImageCache::getFromHashCode (hashCode);
}

void VolumeSkinLookAndFeel::drawWindowBackground (juce::Graphics& g)
{
    if (windowBackground.isValid())
        g.drawImageAt (windowBackground, 0, 0, false);
}

// Held down wins over hover, hover over plain; a missing picture passes on to
// the next. The button's text is never drawn.
juce::Image VolumeSkinLookAndFeel::mutePicture (bool muted, bool mouseOver, bool heldDown) const
{
    const auto& pressed = muted ? muteOnPressed : muteOffPressed;
    const auto& hover = muted ? muteOnHover : muteOffHover;
    const auto& plain = muted ? muteOn : muteOff;

    if (heldDown && pressed.isValid())
        return pressed;

    if (mouseOver && hover.isValid())
        return hover;

    return plain;
}

void VolumeSkinLookAndFeel::drawToggleButton (juce::Graphics& g, juce::ToggleButton& button,
                                              bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown)
{
    const auto picture = mutePicture (button.getToggleState(), shouldDrawButtonAsHighlighted, shouldDrawButtonAsDown);

    if (picture.isValid())
        g.drawImageAt (picture, 0, 0, false);
}

int VolumeSkinLookAndFeel::getSliderThumbRadius (juce::Slider& slider)
{
    const auto& thumb = slider.isMouseOverOrDragging() ? sliderThumbOver : sliderThumbOff;
    return thumb.getHeight() / 2;
}

juce::Slider::SliderLayout VolumeSkinLookAndFeel::getSliderLayout (juce::Slider& slider)
{
    auto layout = LookAndFeel_V4::getSliderLayout (slider);

    if (! slider.isBar())
    {
        if (slider.isHorizontal())
            layout.sliderBounds.reduce (trackEndMargin, 0);
        else if (slider.isVertical())
            layout.sliderBounds.reduce (0, trackEndMargin);
    }

    return layout;
}

// Only the thumb is drawn, unscaled: the slot and the ticks are part of the
// background picture. The thumb's centre stands on the track at the value.
void VolumeSkinLookAndFeel::drawLinearSlider (juce::Graphics& g, int x, int y, int width, int height,
                                              float, float, float, juce::Slider::SliderStyle, juce::Slider& slider)
{
    const auto proportion = slider.valueToProportionOfLength (slider.getValue());
    const auto& thumb = slider.isEnabled() && slider.isMouseOverOrDragging() ? sliderThumbOver : sliderThumbOff;
    const auto radius = thumb.getHeight() / 2;
    const auto top = (int) (y + (1.0 - proportion) * height - radius);
    const auto dx = juce::jmax (0, (width - thumb.getWidth()) / 2);
    const auto dy = juce::jmax (0, (2 * radius - thumb.getHeight()) / 2);

    g.drawImage (thumb, x + dx, top + dy, thumb.getWidth(), thumb.getHeight(),
                 0, 0, thumb.getWidth(), thumb.getHeight(), false);
}

juce::Image VolumeSkinLookAndFeel::getAboutImage()  { return aboutImage; }
juce::Image VolumeSkinLookAndFeel::getUpdateImage() { return updateImage; }
juce::Image VolumeSkinLookAndFeel::getQnImage()     { return qnImage; }
juce::Image VolumeSkinLookAndFeel::getForumImage()  { return forumImage; }

std::unique_ptr<juce::Slider> VolumeSkinLookAndFeel::createSlider (int index, juce::Rectangle<int>& bounds)
{
    constexpr int sliderY = 76;

    auto slider = std::make_unique<juce::Slider> ("slider" + juce::String (index));
    slider->setSliderStyle (juce::Slider::LinearVertical);
    slider->setRange (0.0, 100.0, 1.0);
    slider->setTextBoxStyle (juce::Slider::NoTextBox, false, 0, 0);

    const auto centreX = index == 0 ? inputCentreX : outputCentreX;
    bounds = { centreX - sliderWidth / 2, sliderY, sliderWidth, sliderHeight };
    return slider;
}

std::unique_ptr<juce::ToggleButton> VolumeSkinLookAndFeel::createMuteButton (int index, juce::Rectangle<int>& bounds)
{
    auto button = std::make_unique<juce::ToggleButton> ("Mute" + juce::String (index));
    bounds = { index == 0 ? 30 : 177, 282, 74, 26 };
    return button;
}

bool VolumeSkinLookAndFeel::aboutHitTest (int x, int y)
{
    return aboutHitArea.contains (x, y);
}

juce::Rectangle<int> VolumeSkinLookAndFeel::getVersionPlace()
{
    return { 0, 0, aboutImage.getWidth() - 10, 30 };
}
