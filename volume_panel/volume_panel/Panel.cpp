#include "volume_panel/volume_panel/Panel.h"

#include "app_lifecycle/MainWindowRecord.h"
#include "volume/Traverser.h"
#include "volume_panel/volume_panel/AboutScreen.h"
#include "volume_panel/volume_panel/Globals.h"
#include "volume_skin/kdar7_volume_skin/LookAndFeel.h"

namespace volume_panel
{
    namespace
    {
        // Shown on the controls of a side the device does not let us set;
        // "%s" becomes the model name.
        const juce::String inputUnavailableTooltip ("Unable to control Input Level.\n"
                                                    "Please use the Mac OSX controls.\n"
                                                    "In [Audio MIDI Setup],\n"
                                                    "select %s\n"
                                                    "in [Properties For:] and see\n"
                                                    "the [Audio Input] section.");

        const juce::String outputUnavailableTooltip ("Unable to control Output Level.\n"
                                                     "Please use the Mac OSX controls.\n"
                                                     "In [Audio MIDI Setup],\n"
                                                     "select %s\n"
                                                     "in [Properties For:] and see\n"
                                                     "the [Audio Output] section.");

        constexpr size_t inputSide = 0;
        constexpr size_t outputSide = 1;

        juce::String unavailableTip (const juce::String& text)
        {
            return juce::LocalisedStrings::translateWithCurrentMappings (text).replace ("%s", soundCardName);
        }

        juce::TextLayout layOutTip (const juce::String& tip, juce::Colour colour)
        {
            juce::AttributedString text;
            text.setJustification (juce::Justification::left);
            text.append (tip, juce::Font (15.0f, juce::Font::bold), colour);

            juce::TextLayout layout;
            layout.createLayoutWithBalancedLineLengths (text, 400.0f);
            return layout;
        }
    }

    VolumePanel::VolumePanel()
        : traverser (std::make_unique<volume::Traverser> (deviceName, numInputChannels, numOutputChannels))
    {
        // The skin's background picture has no transparency and gives the
        // window its size, so nothing under the panel needs painting.
        setOpaque (true);
        aboutScreen = std::make_unique<AboutScreen> (updateUrl);

        for (size_t side = 0; side < 2; ++side)
        {
            sliders[side] = VolumeSkinLookAndFeel::createSlider ((int) side, sliderBounds[side]);
            addAndMakeVisible (*sliders[side]);
            sliders[side]->addListener (this);

            muteButtons[side] = VolumeSkinLookAndFeel::createMuteButton ((int) side, muteButtonBounds[side]);
            // The skin draws no focus, so no key may reach a button: Return
            // would toggle a mute the user cannot see chosen.
            muteButtons[side]->setWantsKeyboardFocus (false);
            addAndMakeVisible (*muteButtons[side]);
            muteButtons[side]->addListener (this);
        }

        traverser->addChangeListener (this);
        update();
    }

    VolumePanel::~VolumePanel()
    {
        stopTimer();
        // Out of the children before the controls go, and deleted after the device.
        removeChildComponent (aboutScreen.get());
        deleteControls();
        traverser.reset();
        aboutScreen.reset();
    }

    // Frontmost first, as the framework deletes a component's children.
    void VolumePanel::deleteControls()
    {
        muteButtons[outputSide].reset();
        sliders[outputSide].reset();
        muteButtons[inputSide].reset();
        sliders[inputSide].reset();
    }

    void VolumePanel::update()
    {
        bool inputConnected = false;
        bool outputConnected = false;
        deviceConnected = traverser->isDeviceConnected (inputConnected, outputConnected);

        // A read that fails leaves these alone, which turns the button off.
        bool inputMuted = false;
        bool outputMuted = false;

        showUnavailableTips (inputConnected, outputConnected);

        enableControl (*sliders[inputSide], inputConnected);
        enableControl (*sliders[outputSide], outputConnected);
        enableControl (*muteButtons[inputSide], inputConnected);
        enableControl (*muteButtons[outputSide], outputConnected);

        if (inputConnected)
        {
            const auto level = traverser->getInputVolume (inputMuted);
            showSideState (inputSide, level, inputMuted);
        }

        if (outputConnected)
        {
            const auto level = traverser->getOutputVolume (outputMuted);
            showSideState (outputSide, level, outputMuted);
        }

        repaint();
    }

    void VolumePanel::showUnavailableTips (bool inputConnected, bool outputConnected)
    {
        if (deviceConnected && ! inputConnected)
        {
            const auto tip = unavailableTip (inputUnavailableTooltip);
            sliders[inputSide]->setTooltip (tip);
            muteButtons[inputSide]->setTooltip (tip);
        }
        else if (deviceConnected && ! outputConnected)
        {
            const auto tip = unavailableTip (outputUnavailableTooltip);
            sliders[outputSide]->setTooltip (tip);
            muteButtons[outputSide]->setTooltip (tip);
        }
        else
        {
            sliders[inputSide]->setTooltip ({});
            sliders[outputSide]->setTooltip ({});
            muteButtons[inputSide]->setTooltip ({});
            muteButtons[outputSide]->setTooltip ({});
        }
    }

    // Controls of a side that cannot be set let presses through to the
    // panel, which shows their tip.
    void VolumePanel::enableControl (juce::Component& control, bool connected)
    {
        control.setEnabled (connected);
        control.setInterceptsMouseClicks (connected, connected);
    }

    void VolumePanel::showSideState (size_t side, float level, bool muted)
    {
        sliders[side]->setValue ((double) (level * 100.0f), juce::dontSendNotification);
        muteButtons[side]->setToggleState (muted, juce::dontSendNotification);
        levelsRead[side] = level;
    }

    // The level read while the user has not moved the slider since: the
    // slider shows it to the whole percent only, and one above its top as
    // the top, and a mute click must not change it.
    float VolumePanel::levelToSend (size_t side) const
    {
        return levelsRead[side].value_or ((float) sliders[side]->getValue() / 100.0f);
    }

    void VolumePanel::startUpdating()
    {
        constexpr int updateTimer = 2000;

        update();
        startTimer (updateTimer);
    }

    void VolumePanel::stopUpdating()
    {
        stopTimer();
    }

    void VolumePanel::timerCallback()
    {
        update();
    }

    void VolumePanel::changeListenerCallback (juce::ChangeBroadcaster*)
    {
        update();
    }

    void VolumePanel::sliderValueChanged (juce::Slider* slider)
    {
        for (size_t side = 0; side < 2; ++side)
        {
            if (slider == sliders[side].get())
            {
                levelsRead[side].reset();
                setVolumeFromSlider ((int) side, slider->getValue(), muteButtons[side]->getToggleState());
            }
        }
    }

    void VolumePanel::buttonClicked (juce::Button* button)
    {
        for (size_t side = 0; side < 2; ++side)
        {
            if (button == muteButtons[side].get())
            {
                // The toggle has already flipped: this is the new mute.
                const bool muted = button->getToggleState();
                sliders[side]->setEnabled (! muted);
                side == inputSide ? traverser->setInputVolume (levelToSend (side), muted)
                                  : traverser->setOutputVolume (levelToSend (side), muted);
            }
        }
    }

    void VolumePanel::setVolumeFromSlider (int side, double sliderValue, bool muted)
    {
        const float level = (float) sliderValue / 100.0f;

        if (side == (int) inputSide)
            traverser->setInputVolume (level, muted);
        else if (side == (int) outputSide)
            traverser->setOutputVolume (level, muted);
    }

    void VolumePanel::resized()
    {
        sliders[inputSide]->setBounds (sliderBounds[inputSide]);
        sliders[outputSide]->setBounds (sliderBounds[outputSide]);
        muteButtons[inputSide]->setBounds (muteButtonBounds[inputSide]);
        muteButtons[outputSide]->setBounds (muteButtonBounds[outputSide]);
    }

    void VolumePanel::paint (juce::Graphics& g)
    {
        VolumeSkinLookAndFeel::drawWindowBackground (g);
    }

    void VolumePanel::paintOverChildren (juce::Graphics& g)
    {
        if (! deviceConnected)
            paintUnpluggedOverlay (g);
        else if (currentTip.isNotEmpty())
            paintClickTip (g);
    }

    void VolumePanel::paintUnpluggedOverlay (juce::Graphics& g)
    {
        g.fillAll (juce::Colours::white.withAlpha (0.5f));
        g.setColour (juce::Colours::white);
        g.setFont (juce::Font (20.0f, juce::Font::plain));
        g.drawText (juce::LocalisedStrings::translateWithCurrentMappings ("Device unplugged."),
                    0, 0, getWidth(), getHeight(), juce::Justification::centred, false);
    }

    // A tooltip-like box along the top of the sliders, at the side of the
    // control that was pressed.
    void VolumePanel::paintClickTip (juce::Graphics& g)
    {
        const auto layout = layOutTip (currentTip, findColour (juce::TooltipWindow::textColourId));

        // The framework's tooltip padding around the text. Its own sizing
        // (getTooltipBounds) measures a smaller font than this one and would
        // leave the text spilling out of the box.
        const int w = (int) (layout.getWidth() + 14.0f);
        const int h = (int) (layout.getHeight() + 6.0f);

        const int x = isOutputControl (controlAt ({ mouseDownX, mouseDownY }))
                          ? sliders[outputSide]->getRight() - w
                          : sliders[inputSide]->getX();
        const juce::Rectangle<int> box { x, sliders[inputSide]->getY(), w, h };

        g.setColour (findColour (juce::TooltipWindow::backgroundColourId));
        g.fillRect (box);
        g.setColour (findColour (juce::TooltipWindow::outlineColourId));
        g.drawRect (box, 1);

        const auto textArea = juce::Justification (juce::Justification::centred)
                                  .appliedToRectangle (juce::Rectangle<float> (layout.getWidth(), layout.getHeight()),
                                                       box.toFloat());
        layout.draw (g, textArea);
    }

    void VolumePanel::mouseDown (const juce::MouseEvent& event)
    {
        mouseDownX = event.x;
        mouseDownY = event.y;

        // A press while a tip shows only takes the tip away.
        if (currentTip.isNotEmpty())
        {
            currentTip.clear();
            repaint();
            return;
        }

        if (auto* control = controlAt ({ mouseDownX, mouseDownY }))
        {
            currentTip = control->getTooltip();
            repaint();
            return;
        }

        currentTip.clear();

        // Without a main window there is nothing to move.
        if (auto* window = mainWindow())
        {
            dragger.startDraggingComponent (window, event);
            isDragging = true;
        }

        repaint();
    }

    void VolumePanel::mouseDrag (const juce::MouseEvent& event)
    {
        if (! isDragging)
            return;

        if (auto* window = mainWindow())
            dragger.dragComponent (window, event, &constrainer);
    }

    void VolumePanel::mouseUp (const juce::MouseEvent&)
    {
        isDragging = false;

        // The point stored at the press, not the event's: the framework gives
        // the press point relative to where the dragged window is now.
        if (VolumeSkinLookAndFeel::aboutHitTest (mouseDownX, mouseDownY))
            aboutScreen->show (this);
    }

    juce::SettableTooltipClient* VolumePanel::controlAt (juce::Point<int> point) const
    {
        for (size_t side = 0; side < 2; ++side)
        {
            if (sliders[side]->getBounds().contains (point))
                return sliders[side].get();

            if (muteButtons[side]->getBounds().contains (point))
                return muteButtons[side].get();
        }

        return nullptr;
    }

    bool VolumePanel::isOutputControl (const juce::SettableTooltipClient* control) const
    {
        return control != nullptr
            && (control == sliders[outputSide].get() || control == muteButtons[outputSide].get());
    }

    juce::Component* VolumePanel::mainWindow() const
    {
        auto* peer = app_lifecycle::MainWindowRecord::mainPeer();
        return peer != nullptr ? &peer->getComponent() : nullptr;
    }
}
