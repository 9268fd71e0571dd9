#include "AboutTestSupport.h"

#include "skin/SkinTestSupport.h"

#include <gtest/gtest.h>

using namespace about_test;

TEST_F (AboutTest, FirstShowLaysTheScreenOverThePanelAndShowingAgainKeepsIt)
{
    TestApplication application;
    ASSERT_TRUE (openFocusedPanel());
    openAbout();
    auto* screen = aboutScreen();
    ASSERT_NE (screen, nullptr);

    EXPECT_EQ (screen->getBounds(), aboutPlace());
    EXPECT_TRUE (screen->isVisible());
    EXPECT_TRUE (screen->isAlwaysOnTop());
    // The focus comes through the X server: when the window manager has the
    // window's focus in flux at the show, the framework hands it on when the
    // window has it again.
    EXPECT_TRUE (test_support::pumpUntil ([screen] { return screen->hasKeyboardFocus (true); }, 5000));
    EXPECT_EQ (screen->getNumChildComponents(), 4);

    for (auto* name : { "forumButton", "qnButton", "updateButton" })
        EXPECT_TRUE (part (name) != nullptr && part (name)->getMouseCursor() == juce::MouseCursor (juce::MouseCursor::PointingHandCursor)) << name;

    auto* label = dynamic_cast<juce::Label*> (part ("version"));
    ASSERT_NE (label, nullptr);
    EXPECT_EQ (label->getText(), TestApplication::version);
    EXPECT_EQ (label->getBounds(), juce::Rectangle<int> (0, 0, 254, 30));
    EXPECT_EQ (label->getJustificationType(), juce::Justification::centredRight);
    EXPECT_TRUE (label->getFont().isBold());
    EXPECT_EQ (label->findColour (juce::Label::textColourId), juce::Colours::white);

    // Between the version line and the tiles the picture shows as it is.
    const juce::Rectangle<int> middle { 0, 30, 264, 186 };
    EXPECT_TRUE (skin_test::samePixels (skin_test::snapshot (*screen).getClippedImage (middle),
                                        skin_test::embeddedPicture ("about").getClippedImage (middle)));

    // Hidden, then shown again, even for another parent: at the same place.
    juce::Component otherParent;
    screen->setVisible (false);
    screen->show (&otherParent);
    EXPECT_TRUE (screen->isVisible());
    EXPECT_EQ (screen->getBounds(), aboutPlace());
}

TEST_F (AboutTest, EachTileLightsUpWhenPointedAtOrPressedAndOpensItsAddressLeavingTheScreenOpen)
{
    BrowserRecorder browser;
    ASSERT_TRUE (openFocusedPanel());
    openAbout();

    const struct { const char* button; juce::Point<int> tile; const char* address; } tiles[] {
        { "qnButton",     leftTile,   "https://www.quenmar.example/" },
        { "updateButton", centreTile, "https://forum.quenmar.example/downloads/k-dar7" },
        { "forumButton",  rightTile,  "https://forum.quenmar.example/" },
    };

    for (int i = 0; i < 3; ++i)
    {
        const auto& t = tiles[i];
        SCOPED_TRACE (t.button);
        auto* button = dynamic_cast<juce::ImageButton*> (part (t.button));
        ASSERT_NE (button, nullptr);
        const auto opaque = button->getNormalImage().getPixelAt (t.tile.x, t.tile.y).getAlpha();
        ASSERT_GT (opaque, 127);

        for (auto [state, opacity] : { std::pair { juce::Button::buttonNormal, 0.8 },
                                       std::pair { juce::Button::buttonOver, 1.0 },
                                       std::pair { juce::Button::buttonDown, 0.95 } })
        {
            button->setState (state);
            EXPECT_NEAR (skin_test::snapshot (*button).getPixelAt (t.tile.x, t.tile.y).getAlpha(), opaque * opacity, 2.0);
        }

        button->setState (juce::Button::buttonNormal);
        clickOnScreen (t.tile);
        const auto opened = browser.waitForAddresses (i + 1);
        ASSERT_EQ (opened.size(), i + 1);
        EXPECT_EQ (opened[i], t.address);
        EXPECT_TRUE (aboutScreen()->isVisible());
    }
}

TEST_F (AboutTest, PressesOffTheTilesAndKeysHideTheScreenButNotPressesOnTheVersionLine)
{
    BrowserRecorder browser;
    ASSERT_TRUE (openFocusedPanel());
    openAbout();

    for (auto point : { gapLeftOfCentre, gapRightOfCentre, juce::Point<int> { 133, 150 } })
    {
        clickOnScreen (point);
        EXPECT_FALSE (aboutScreen()->isVisible()) << point.toString();
        openAbout();
        ASSERT_TRUE (aboutScreen()->isVisible());
    }

    clickOnScreen (versionLine);
    EXPECT_TRUE (aboutScreen()->isVisible());

    // Also after a tile was clicked, Return hides the screen rather than
    // clicking the tile again, and goes no further.
    clickOnScreen (leftTile);
    ASSERT_EQ (browser.waitForAddresses (1).size(), 1);
    EXPECT_TRUE (window->panel().getPeer()->handleKeyPress (juce::KeyPress (juce::KeyPress::returnKey)));
    EXPECT_FALSE (aboutScreen()->isVisible());
}

TEST_F (AboutTest, NoKeyReachesAControlThatShowsNoFocusNorTheScreenShownAgain)
{
    ASSERT_TRUE (openFocusedPanel());
    auto* peer = window->panel().getPeer();
    const auto pressReturnTabReturn = [peer]
    {
        for (auto key : { juce::KeyPress::returnKey, juce::KeyPress::tabKey, juce::KeyPress::returnKey })
            peer->handleKeyPress (juce::KeyPress (key));
    };
    hardware.clearCallLog();

    window->click (panel_test::freeArea);
    pressReturnTabReturn();
    EXPECT_EQ (deviceWrites(), 0);

    // The first show focuses the screen, and a key hides it. Shown again it
    // is not focused: keys leave it open.
    openAbout();
    peer->handleKeyPress (juce::KeyPress (juce::KeyPress::returnKey));
    EXPECT_FALSE (aboutScreen()->isVisible());
    pressReturnTabReturn();
    openAbout();
    pressReturnTabReturn();
    EXPECT_TRUE (aboutScreen()->isVisible());
    EXPECT_EQ (deviceWrites(), 0);
}

TEST_F (AboutTest, WorksWithoutAnOverlayOrARunningApplicationButNotWithoutItsPicture)
{
    volume_panel::AboutScreen unparented { "https://forum.quenmar.example/downloads/k-dar7" };
    unparented.show (nullptr);
    EXPECT_EQ (unparented.getNumChildComponents(), 0);

    useSkinWith ({ { "about", juce::Image() } });
    ASSERT_TRUE (openFocusedPanel());
    openAbout();
    EXPECT_EQ (aboutScreen(), nullptr);

    useSkinWith ({ { "about_forum", juce::Image() } });
    ASSERT_TRUE (openFocusedPanel());
    openAbout();
    ASSERT_NE (aboutScreen(), nullptr);
    EXPECT_EQ (aboutScreen()->getNumChildComponents(), 3);
    EXPECT_EQ (part ("forumButton"), nullptr);
    EXPECT_TRUE (dynamic_cast<juce::Label&> (*part ("version")).getText().isEmpty());
    clickOnScreen (rightTile);
    EXPECT_FALSE (aboutScreen()->isVisible());
}

TEST_F (AboutTest, AReleaseAfterAPressInTheTopStripOpensTheScreenAlsoAfterAWindowDrag)
{
    openPanel();
    window->click (panel_test::freeArea);
    EXPECT_EQ (aboutScreen(), nullptr);

    const auto windowPlace = window->windowPosition();
    window->drag (panel_test::inStrip, { 60, 40 });

    EXPECT_EQ (window->windowPosition(), windowPlace + juce::Point<int> (60, 40));
    ASSERT_NE (aboutScreen(), nullptr);
    EXPECT_TRUE (aboutScreen()->isVisible());
    EXPECT_EQ (aboutScreen()->getBounds(), aboutPlace());
}

TEST_F (AboutTest, ThePressPointDecidesAndTheUnpluggedOverlayCoversAnOpenScreen)
{
    openPanel();
    hardware.unplug (volume_test::soundDevice);
    window->panel().update();

    // Unplugged, a press on a control starts no drag, so the release can
    // come in the strip.
    const auto windowPlace = window->windowPosition();
    const auto onSlider = panel_test::sliderCentre (panel_test::input);
    window->drag (onSlider, panel_test::inStrip - onSlider);
    EXPECT_EQ (window->windowPosition(), windowPlace);
    EXPECT_EQ (aboutScreen(), nullptr);

    openAbout();
    ASSERT_NE (aboutScreen(), nullptr);

    // A point of the about picture clear of the overlay's text.
    const juce::Point<int> onScreen { 20, 100 };
    const auto picture = skin_test::embeddedPicture ("about").getPixelAt (onScreen.x, onScreen.y);
    ASSERT_LT (picture.getBrightness(), 0.8f);
    const auto panelPoint = onScreen + aboutScreen()->getPosition();
    const auto covered = window->snapshot().getPixelAt (panelPoint.x, panelPoint.y);
    const auto expected = picture.interpolatedWith (juce::Colours::white, 0.5f);
    EXPECT_NEAR (covered.getRed(), expected.getRed(), 2);
    EXPECT_NEAR (covered.getGreen(), expected.getGreen(), 2);
    EXPECT_NEAR (covered.getBlue(), expected.getBlue(), 2);
}
