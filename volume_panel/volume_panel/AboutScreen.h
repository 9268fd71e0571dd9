#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

namespace volume_panel
{
    // The about picture laid over the middle of the panel: the version on
    // its top line and three picture tiles along the bottom that open the
    // maker's web site, the device's downloads page and the maker's forum.
    // A press elsewhere on it, or a key, hides it.
    class AboutScreen : public juce::Component,
                        public juce::Button::Listener
    {
    public:
        explicit AboutScreen (const juce::String& updatePageAddress);
        ~AboutScreen() override;

        // Builds the screen the first time, then shows it over the parent.
        void show (juce::Component* parent);

        void mouseMove (const juce::MouseEvent& event) override;
        void mouseDown (const juce::MouseEvent& event) override;
        void paint (juce::Graphics& g) override;
        bool keyPressed (const juce::KeyPress& key) override;
        void resized() override;
        void buttonClicked (juce::Button* button) override;

    private:
        static constexpr const wchar_t* forumAddress = L"https://forum.quenmar.example/";
        static constexpr const wchar_t* webSiteAddress = L"https://www.quenmar.example/";

        void buildMissingParts();
        void makeTileButton (const juce::Image& skinOverlay, juce::Image& overlayCopy,
                             std::unique_ptr<juce::ImageButton>& button, const juce::String& buttonName);
        void makeVersionLabel();
        void placeOver (juce::Component& parent);

        juce::Image aboutImageCopy;
        juce::URL forumUrl;
        juce::URL webSiteUrl;
        juce::URL updatePageUrl;
        juce::Image forumImageCopy;
        juce::Image qnImageCopy;
        juce::Image updateImageCopy;
        std::unique_ptr<juce::ImageButton> forumButton;
        std::unique_ptr<juce::ImageButton> qnButton;
        std::unique_ptr<juce::ImageButton> updateButton;
        std::unique_ptr<juce::Label> versionLabel;

        JUCE_DECLARE_NON_COPYABLE (AboutScreen)
    };
}
