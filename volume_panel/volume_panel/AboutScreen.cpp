#include "volume_panel/volume_panel/AboutScreen.h"

#include "volume_skin/kdar7_volume_skin/LookAndFeel.h"

namespace volume_panel
{
    AboutScreen::AboutScreen (const juce::String& updatePageAddress)
        : juce::Component ("AboutScreen"),
          forumUrl (forumAddress),
          webSiteUrl (webSiteAddress),
          updatePageUrl (updatePageAddress)
    {
        // The screen itself takes the focus that showing it asks for, so
        // that every key reaches it.
        setWantsKeyboardFocus (true);
    }

    // Children first, in the order the framework deletes them (front to
    // back), then the picture copies.
    AboutScreen::~AboutScreen()
    {
        versionLabel.reset();
        updateButton.reset();
        qnButton.reset();
        forumButton.reset();

        aboutImageCopy = {};
        forumImageCopy = {};
        qnImageCopy = {};
        updateImageCopy = {};
    }

    void AboutScreen::show (juce::Component* parent)
    {
        if (getParentComponent() != nullptr)
        {
            setVisible (true);
            return;
        }

        if (parent == nullptr)
            return;

        if (aboutImageCopy.isNull())
            aboutImageCopy = VolumeSkinLookAndFeel::getAboutImage().createCopy();

        // Without its picture the screen has neither size nor face.
        if (aboutImageCopy.isNull())
            return;

        buildMissingParts();
        placeOver (*parent);
    }

    // From back to front: forum, maker logo, update, version.
    void AboutScreen::buildMissingParts()
    {
        if (forumImageCopy.isNull())
            makeTileButton (VolumeSkinLookAndFeel::getForumImage(), forumImageCopy, forumButton, "forumButton");

        if (qnImageCopy.isNull())
            makeTileButton (VolumeSkinLookAndFeel::getQnImage(), qnImageCopy, qnButton, "qnButton");

        if (updateImageCopy.isNull())
            makeTileButton (VolumeSkinLookAndFeel::getUpdateImage(), updateImageCopy, updateButton, "updateButton");

        if (versionLabel == nullptr)
            makeVersionLabel();
    }

    // A skin without the overlay gets no button. The button takes presses
    // only where its picture is opaque, so the three can lie over each other.
    void AboutScreen::makeTileButton (const juce::Image& skinOverlay, juce::Image& overlayCopy,
                                      std::unique_ptr<juce::ImageButton>& button, const juce::String& buttonName)
    {
        if (skinOverlay.isValid())
            overlayCopy = skinOverlay.createCopy();

        if (overlayCopy.isNull())
            return;

        button = std::make_unique<juce::ImageButton> (buttonName);
        addAndMakeVisible (*button);
        button->addListener (this);
        button->setImages (false, false, true,
                           overlayCopy.createCopy(), 0.8f, juce::Colours::transparentBlack,
                           overlayCopy.createCopy(), 1.0f, juce::Colours::transparentBlack,
                           overlayCopy.createCopy(), 0.95f, juce::Colours::transparentBlack,
                           0.5f);
        button->setMouseCursor (juce::MouseCursor::PointingHandCursor);
        // A focused button would take Return as a click instead of letting
        // the key hide the screen.
        button->setWantsKeyboardFocus (false);
    }

    void AboutScreen::makeVersionLabel()
    {
        // Outside a running application there is no version to show; the
        // line is still there to take its presses.
        juce::String version;

        if (auto* application = juce::JUCEApplication::getInstance())
            version = application->getApplicationVersion();

        versionLabel = std::make_unique<juce::Label> ("version", version);
        addAndMakeVisible (*versionLabel);
        versionLabel->setJustificationType (juce::Justification::centredRight);

        auto font = versionLabel->getFont();
        font.setBold (true);
        versionLabel->setFont (font);
    }

    void AboutScreen::placeOver (juce::Component& parent)
    {
        const auto centreX = (float) parent.getX() + (float) parent.getWidth() * 0.5f;
        const auto centreY = (float) parent.getY() + (float) parent.getHeight() * 0.5f;

        setBounds (0, 0, aboutImageCopy.getWidth(), aboutImageCopy.getHeight());
        setCentrePosition ((int) centreX, (int) centreY);
        parent.addAndMakeVisible (this);
        toFront (true);
        setAlwaysOnTop (true);
    }

    void AboutScreen::resized()
    {
        for (auto* button : { forumButton.get(), qnButton.get(), updateButton.get() })
            if (button != nullptr)
                button->setBounds (getLocalBounds());

        if (versionLabel != nullptr)
            versionLabel->setBounds (VolumeSkinLookAndFeel::getVersionPlace());
    }

    void AboutScreen::paint (juce::Graphics& g)
    {
        g.setOpacity (1.0f);
        g.drawImage (aboutImageCopy, 0, 0, getWidth(), getHeight(),
                     0, 0, aboutImageCopy.getWidth(), aboutImageCopy.getHeight(), false);
    }

    void AboutScreen::buttonClicked (juce::Button* button)
    {
        // Pointed at, not copied: JUCE's copy of a URL's empty post data
        // hands memcpy a null pointer.
        const juce::URL* address = nullptr;

        if (button == forumButton.get())
            address = &forumUrl;
        else if (button == qnButton.get())
            address = &webSiteUrl;
        else if (button == updateButton.get())
            address = &updatePageUrl;

        if (address != nullptr && address->isWellFormed())
            address->launchInDefaultBrowser();
    }

    void AboutScreen::mouseDown (const juce::MouseEvent&)
    {
        setVisible (false);
    }

    bool AboutScreen::keyPressed (const juce::KeyPress&)
    {
        setVisible (false);
        return true;
    }

    void AboutScreen::mouseMove (const juce::MouseEvent&)
    {
    }
}
