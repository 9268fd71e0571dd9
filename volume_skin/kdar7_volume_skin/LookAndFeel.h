#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <memory>

class PicturesDecodedAhead;

// The panel's whole appearance: draws the window background, the level
// sliders' thumbs and the mute buttons from the embedded pictures, sizes the
// main window, and makes the four controls at their fixed places.
//
// One skin object exists while the program runs, installed as the default
// look-and-feel; the picture statics are valid only while it exists.
// Coordinates are the panel's, which are the background picture's.
class VolumeSkinLookAndFeel : public juce::LookAndFeel_V4
{
public:
    // Gives the decoded picture of a name such as "background" or "mute_on",
    // or a null image when it does not decode.
    using PictureSource = std::function<juce::Image (const juce::String& pictureName)>;

    // Loads the pictures embedded in the program through the image cache.
    VolumeSkinLookAndFeel();
    // Decodes the embedded pictures on a thread of their own, for a skin
    // made by the constructor above while the result lives to find them
    // decoded; on the thread that makes the skin. The thread has ended once
    // the result is gone, which must be before the program's statics go.
    [[nodiscard]] static std::shared_ptr<PicturesDecodedAhead> decodePicturesAhead();
    explicit VolumeSkinLookAndFeel (const PictureSource& pictures);
    ~VolumeSkinLookAndFeel() override;

    void drawToggleButton (juce::Graphics&, juce::ToggleButton&,
                           bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown) override;
    void drawLinearSlider (juce::Graphics&, int x, int y, int width, int height,
                           float sliderPos, float minSliderPos, float maxSliderPos,
                           juce::Slider::SliderStyle, juce::Slider&) override;
    int getSliderThumbRadius (juce::Slider&) override;
    juce::Slider::SliderLayout getSliderLayout (juce::Slider&) override;

    static void drawWindowBackground (juce::Graphics&);

    // Null before the skin is made, after it is gone, or for a picture that
    // did not decode. The overlays have the about picture's size.
    static juce::Image getAboutImage();
    static juce::Image getUpdateImage();
    static juce::Image getQnImage();
    static juce::Image getForumImage();

    // Side 0 is the input (left), any other index the output (right). Each
    // writes the new control's bounds into the rectangle; the caller owns
    // the control, gives it a parent and places it.
    static std::unique_ptr<juce::Slider> createSlider (int index, juce::Rectangle<int>& bounds);
    static std::unique_ptr<juce::ToggleButton> createMuteButton (int index, juce::Rectangle<int>& bounds);

    // Whether a panel point lies in the logo band along the top.
    static bool aboutHitTest (int x, int y);
    // The version label's bounds on the about screen; needs the skin made.
    static juce::Rectangle<int> getVersionPlace();

    // The background picture's size once the skin is made, 0 x 0 before.
    static int windowWidth;
    static int windowHeight;
    static constexpr int sliderWidth = 82;
    static constexpr int sliderHeight = 196;

private:
    static juce::Image loadOverlay (const PictureSource& pictures, const juce::String& pictureName);
    juce::Image mutePicture (bool muted, bool mouseOver, bool heldDown) const;

    juce::Image muteOff;
    juce::Image muteOffHover;
    juce::Image muteOffPressed;
    juce::Image muteOn;
    juce::Image muteOnHover;
    juce::Image muteOnPressed;

    static juce::Image windowBackground;
    static juce::Image aboutImage;
    static juce::Image updateImage;
    static juce::Image qnImage;
    static juce::Image forumImage;
    static juce::Image sliderThumbOff;
    static juce::Image sliderThumbOver;

    JUCE_DECLARE_NON_COPYABLE (VolumeSkinLookAndFeel)
};
