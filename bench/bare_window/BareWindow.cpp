#include <juce_gui_basics/juce_gui_basics.h>

// One 280 x 360 document window with the panel's native title bar, close
// button and drop shadow. The close box hides it, as the panel's does; "-m"
// starts it hidden.
namespace
{
    class BareWindow : public juce::DocumentWindow
    {
    public:
        BareWindow()
            : juce::DocumentWindow ("Bare Window", juce::Colours::darkgrey, juce::DocumentWindow::closeButton, true)
        {
            setUsingNativeTitleBar (true);
            setDropShadowEnabled (true);
            setResizable (false, false);
            centreWithSize (280, 360);
        }

        void closeButtonPressed() override
        {
            if (auto* peer = getPeer())
                peer->setVisible (false);
        }
    };

    class BareWindowApplication : public juce::JUCEApplication
    {
    public:
        const juce::String getApplicationName() override    { return "Bare Window"; }
        const juce::String getApplicationVersion() override { return "1.0"; }
        bool moreThanOneInstanceAllowed() override          { return true; }

        void initialise (const juce::String& commandLine) override
        {
            window = std::make_unique<BareWindow>();
            window->setVisible (! commandLine.contains ("-m"));
        }

        void shutdown() override { window.reset(); }

    private:
        std::unique_ptr<BareWindow> window;
    };
}

START_JUCE_APPLICATION (BareWindowApplication)
