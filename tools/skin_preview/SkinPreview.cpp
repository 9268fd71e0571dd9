// Shows the panel face as the skin draws it: the background picture and the
// two sliders and two mute buttons made by the skin's factories, in a window.
// For looking at the artwork after remaking it:
//
//     scripts/build build
//     build/tools/kdar7-skin-preview [INPUT OUTPUT [INPUT-MUTE OUTPUT-MUTE]]
//
// INPUT and OUTPUT are slider values from 0 to 100 (default 100 and 33), the
// mutes "on" or "off" (default off and on). Under scripts/with-display, take
// a screenshot with `import -window root FILE.png`; the program prints where
// the panel's top-left corner is on the screen.

#include "volume_skin/kdar7_volume_skin/LookAndFeel.h"

#include <iostream>

namespace
{
    class PreviewFace : public juce::Component
    {
    public:
        PreviewFace (const juce::StringArray& arguments)
        {
            const double values[] { argumentOr (arguments, 0, "100").getDoubleValue(),
                                    argumentOr (arguments, 1, "33").getDoubleValue() };
            const bool muted[] { argumentOr (arguments, 2, "off") == "on",
                                 argumentOr (arguments, 3, "on") == "on" };

            for (int side = 0; side < 2; ++side)
            {
                juce::Rectangle<int> bounds;
                sliders[side] = VolumeSkinLookAndFeel::createSlider (side, bounds);
                sliders[side]->setBounds (bounds);
                sliders[side]->setValue (values[side], juce::dontSendNotification);
                addAndMakeVisible (*sliders[side]);

                muteButtons[side] = VolumeSkinLookAndFeel::createMuteButton (side, bounds);
                muteButtons[side]->setBounds (bounds);
                muteButtons[side]->setToggleState (muted[side], juce::dontSendNotification);
                addAndMakeVisible (*muteButtons[side]);
            }

            setSize (VolumeSkinLookAndFeel::windowWidth, VolumeSkinLookAndFeel::windowHeight);
        }

        void paint (juce::Graphics& g) override
        {
            VolumeSkinLookAndFeel::drawWindowBackground (g);
        }

    private:
        static juce::String argumentOr (const juce::StringArray& arguments, int index, const juce::String& fallback)
        {
            return index < arguments.size() ? arguments[index] : fallback;
        }

        std::unique_ptr<juce::Slider> sliders[2];
        std::unique_ptr<juce::ToggleButton> muteButtons[2];
    };

    class PreviewWindow : public juce::DocumentWindow
    {
    public:
        PreviewWindow (const juce::StringArray& arguments)
            : DocumentWindow ("K-DAR7 skin preview", juce::Colours::black, closeButton),
              face (arguments)
        {
            setUsingNativeTitleBar (true);
            setContentNonOwned (&face, true);
            setTopLeftPosition (100, 100);
            setVisible (true);
        }

        void closeButtonPressed() override
        {
            juce::JUCEApplication::quit();
        }

        PreviewFace face;
    };

    class PreviewApplication : public juce::JUCEApplication
    {
    public:
        const juce::String getApplicationName() override { return "K-DAR7 skin preview"; }
        const juce::String getApplicationVersion() override { return "1.0"; }

        void initialise (const juce::String& commandLine) override
        {
            skin = std::make_unique<VolumeSkinLookAndFeel>();
            juce::LookAndFeel::setDefaultLookAndFeel (skin.get());
            window = std::make_unique<PreviewWindow> (juce::StringArray::fromTokens (commandLine, true));
            juce::Timer::callAfterDelay (500, [this]
            {
                const auto origin = window->face.getScreenPosition();
                std::cout << "panel at " << origin.x << " " << origin.y << std::endl;
            });
        }

        void shutdown() override
        {
            window.reset();
            juce::LookAndFeel::setDefaultLookAndFeel (nullptr);
            skin.reset();
        }

    private:
        std::unique_ptr<VolumeSkinLookAndFeel> skin;
        std::unique_ptr<PreviewWindow> window;
    };
}

START_JUCE_APPLICATION (PreviewApplication)
