#include "SkinTestSupport.h"
#include "support/MessagePump.h"

#include <gtest/gtest.h>

using skin_test::embeddedPicture;
using skin_test::inkBounds;
using skin_test::showsPictureAt;
using skin_test::snapshot;

namespace
{
    // The input slider in a panel-sized window on the display, driven by mouse
    // events handed to the window's peer, so that JUCE's own hit testing and
    // dragging decide what happens.
    class SliderInWindow
    {
    public:
        SliderInWindow()
        {
            juce::Rectangle<int> bounds;
            slider = VolumeSkinLookAndFeel::createSlider (0, bounds);
            slider->setBounds (bounds);
            slider->setValue (50, juce::dontSendNotification);
            host.addAndMakeVisible (*slider);
            host.setBounds (700, 560, 280, 360);
            host.addToDesktop (0);
            host.setVisible (true);
            test_support::pumpUntil ([this] { return host.isShowing(); }, 2000);
            test_support::pumpMessages (200);
        }

        ~SliderInWindow()
        {
            host.removeFromDesktop();
        }

        void move (juce::Point<float> panelPoint)      { send (panelPoint, {}); }
        void press (juce::Point<float> panelPoint)     { send (panelPoint, juce::ModifierKeys::leftButtonModifier); }
        void release (juce::Point<float> panelPoint)   { send (panelPoint, {}); }

        void drag (juce::Point<float> from, juce::Point<float> to)
        {
            press (from);
            for (int step = 1; step <= 4; ++step)
                press (from + (to - from) * (float) step / 4.0f);
        }

        // The panel row of the thumb's centre as drawn.
        int thumbCentreRow()
        {
            const auto thumb = embeddedPicture ("volumeknob_off");
            const auto top = inkBounds (snapshot (*slider)).getY() - inkBounds (thumb).getY();
            return slider->getY() + top + thumb.getHeight() / 2;
        }

        std::unique_ptr<juce::Slider> slider;

    private:
        void send (juce::Point<float> panelPoint, juce::ModifierKeys buttons)
        {
            time += 20;
            host.getPeer()->handleMouseEvent (juce::MouseInputSource::InputSourceType::mouse, panelPoint, buttons,
                                              juce::MouseInputSource::defaultPressure,
                                              juce::MouseInputSource::defaultOrientation, time);
            test_support::pumpMessages (5);
        }

        juce::Component host;
        juce::int64 time = juce::Time::currentTimeMillis();
    };

    const juce::Point<float> offThePanelControls { 200.0f, 20.0f };
}

TEST (SkinMouse, ThumbLightsUpUnderTheMouseOnlyWhileEnabled)
{
    skin_test::ScopedDefaultSkin skin;
    SliderInWindow window;
    const auto off = embeddedPicture ("volumeknob_off");
    const auto lit = embeddedPicture ("volumeknob_hover");
    const juce::Point<int> thumbAtFifty { 5, 79 };

    EXPECT_TRUE (showsPictureAt (snapshot (*window.slider), off, thumbAtFifty));

    window.move ({ 67.0f, 174.0f });
    ASSERT_TRUE (window.slider->isMouseOverOrDragging());
    EXPECT_TRUE (showsPictureAt (snapshot (*window.slider), lit, thumbAtFifty));
    EXPECT_EQ (skin.skin().getSliderThumbRadius (*window.slider), 19);

    window.slider->setEnabled (false);
    ASSERT_TRUE (window.slider->isMouseOverOrDragging());
    EXPECT_TRUE (showsPictureAt (snapshot (*window.slider), off, thumbAtFifty));
    EXPECT_EQ (skin.skin().getSliderThumbRadius (*window.slider), 19);

    window.slider->setEnabled (true);
    window.move (offThePanelControls);
    EXPECT_FALSE (window.slider->isMouseOverOrDragging());
    EXPECT_TRUE (showsPictureAt (snapshot (*window.slider), off, thumbAtFifty));
}

TEST (SkinMouse, DraggedThumbLandsUnderTheMouseOnTheValueItShows)
{
    skin_test::ScopedDefaultSkin skin;
    SliderInWindow window;

    // panel rows: the thumb's centre runs from 97 (value 100) to 251 (value 0)
    const struct { float row; double value; } cases[] {
        { 97.0f, 100 }, { 128.0f, 80 }, { 174.0f, 50 }, { 200.0f, 33 }, { 251.0f, 0 }, { 20.0f, 100 }, { 300.0f, 0 },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.row);
        const juce::Point<float> thumbCentre { 67.0f, (float) window.thumbCentreRow() };
        const juce::Point<float> target { 67.0f, c.row };

        window.drag (thumbCentre, target);
        EXPECT_TRUE (showsPictureAt (snapshot (*window.slider), embeddedPicture ("volumeknob_hover"),
                                     { 5, window.thumbCentreRow() - 19 - window.slider->getY() }));
        window.release (target);

        EXPECT_EQ (window.slider->getValue(), c.value);
        EXPECT_NEAR (window.thumbCentreRow(), juce::jlimit (97.0f, 251.0f, c.row), 1.0f);
    }
}
