#include "AboutTestSupport.h"

#include "skin/SkinTestSupport.h"
#include "support/MessagePump.h"

#include <gtest/gtest.h>

using namespace about_test;

namespace
{
    juce::StringArray childNames (const juce::Component& component)
    {
        juce::StringArray names;

        for (auto* child : component.getChildren())
            names.add (child->getName());

        return names;
    }

    juce::Label* versionLabel (const juce::Component& screen)
    {
        for (auto* child : screen.getChildren())
            if (child->getName() == "version")
                return dynamic_cast<juce::Label*> (child);

        return nullptr;
    }

    // The alpha a tile's centre is drawn with, the button painted alone.
    int drawnAlpha (juce::ImageButton& button, juce::Point<int> tile)
    {
        return skin_test::snapshot (button).getPixelAt (tile.x, tile.y).getAlpha();
    }
}

TEST (AboutScreen, FirstShowBuildsAndCentresTheScreenOverTheParent)
{
    skin_test::ScopedDefaultSkin skin;
    TestApplication application;
    ParentInWindow host;
    juce::Component control;
    host.getParent().addAndMakeVisible (control);
    volume_panel::AboutScreen screen ("https://forum.quenmar.example/downloads/k-dar7");

    EXPECT_EQ (screen.getName(), "AboutScreen");
    EXPECT_EQ (screen.getNumChildComponents(), 0);

    screen.show (&host.getParent());

    EXPECT_EQ (screen.getParentComponent(), &host.getParent());
    EXPECT_EQ (screen.getBounds(), juce::Rectangle<int> (8, 30, 264, 300));
    EXPECT_TRUE (screen.isVisible());
    EXPECT_TRUE (screen.isAlwaysOnTop());
    EXPECT_EQ (host.getParent().getChildren().getLast(), &screen);
    EXPECT_TRUE (screen.hasKeyboardFocus (true));
    EXPECT_EQ (childNames (screen), juce::StringArray ({ "forumButton", "qnButton", "updateButton", "version" }));

    for (auto* child : screen.getChildren())
    {
        if (auto* button = dynamic_cast<juce::ImageButton*> (child))
        {
            SCOPED_TRACE (button->getName());
            EXPECT_EQ (button->getBounds(), screen.getLocalBounds());
            EXPECT_TRUE (button->getMouseCursor() == juce::MouseCursor (juce::MouseCursor::PointingHandCursor));
        }
    }

    auto* label = versionLabel (screen);
    ASSERT_NE (label, nullptr);
    EXPECT_EQ (label->getText(), TestApplication::version);
    EXPECT_EQ (label->getBounds(), juce::Rectangle<int> (0, 0, 254, 30));
    EXPECT_EQ (label->getJustificationType(), juce::Justification::centredRight);
    EXPECT_TRUE (label->getFont().isBold());
    EXPECT_EQ (label->findColour (juce::Label::textColourId), juce::Colours::white);

    // Below the version line and above the tiles the picture shows as it is.
    const auto drawn = skin_test::snapshot (screen);
    const auto about = skin_test::embeddedPicture ("about");
    EXPECT_TRUE (skin_test::showsPictureAt (drawn.getClippedImage ({ 0, 30, 264, 186 }),
                                            about.getClippedImage ({ 0, 30, 264, 186 }), {}));
}

TEST (AboutScreen, ShowingAgainOnlyMakesItVisible)
{
    skin_test::ScopedDefaultSkin skin;
    TestApplication application;
    ShownAboutScreen about;
    const auto childrenBefore = about.screen.getChildren();
    juce::Component otherParent;
    otherParent.setBounds (0, 0, 500, 500);

    about.screen.setVisible (false);
    about.host.getParent().setTopLeftPosition (20, 10);
    about.screen.show (&otherParent);

    EXPECT_TRUE (about.screen.isVisible());
    EXPECT_EQ (about.screen.getParentComponent(), &about.host.getParent());
    EXPECT_EQ (about.screen.getBounds(), juce::Rectangle<int> (8, 30, 264, 300));
    EXPECT_EQ (about.screen.getChildren(), childrenBefore);

    about.screen.show (&about.host.getParent());
    EXPECT_TRUE (about.screen.isVisible());
    EXPECT_EQ (about.screen.getBounds(), juce::Rectangle<int> (8, 30, 264, 300));
    EXPECT_EQ (about.screen.getChildren(), childrenBefore);
}

TEST (AboutScreen, EachTileLightsUpUnderTheMouseAndOpensItsAddressLeavingTheScreenOpen)
{
    skin_test::ScopedDefaultSkin skin;
    TestApplication application;
    ShownAboutScreen about;

    const struct { const char* button; juce::Point<int> tile; const char* address; } tiles[] {
        { "qnButton",     leftTile,   "https://www.quenmar.example/" },
        { "updateButton", centreTile, "https://forum.quenmar.example/downloads/k-dar7" },
        { "forumButton",  rightTile,  "https://forum.quenmar.example/" },
    };

    for (int i = 0; i < 3; ++i)
    {
        const auto& t = tiles[i];
        SCOPED_TRACE (t.button);
        auto* button = about.button (t.button);
        ASSERT_NE (button, nullptr);
        const auto opaque = button->getNormalImage().getPixelAt (t.tile.x, t.tile.y).getAlpha();
        ASSERT_GT (opaque, 127);

        EXPECT_NEAR (drawnAlpha (*button, t.tile), opaque * 0.8, 2.0);

        about.input.move (about.inWindow (t.tile));
        EXPECT_TRUE (button->isOver());
        EXPECT_NEAR (drawnAlpha (*button, t.tile), opaque * 1.0, 2.0);

        about.input.press (about.inWindow (t.tile));
        EXPECT_TRUE (button->isDown());
        EXPECT_NEAR (drawnAlpha (*button, t.tile), opaque * 0.95, 2.0);

        about.input.release (about.inWindow (t.tile));
        const auto opened = about.browser.waitForAddresses (i + 1);
        ASSERT_EQ (opened.size(), i + 1);
        EXPECT_EQ (opened[i], t.address);
        EXPECT_TRUE (about.screen.isVisible());
    }
}

TEST (AboutScreen, PressesOffTheTilesHideTheScreenExceptOnTheVersionLine)
{
    skin_test::ScopedDefaultSkin skin;
    TestApplication application;
    ShownAboutScreen about;

    for (auto gap : { gapLeftOfCentre, gapRightOfCentre, juce::Point<int> { 133, 150 } })
    {
        SCOPED_TRACE (gap.toString());
        about.input.move (about.inWindow (gap));

        for (auto* child : about.screen.getChildren())
        {
            if (auto* button = dynamic_cast<juce::Button*> (child))
            {
                EXPECT_FALSE (button->isOver()) << button->getName();
            }
        }

        about.input.click (about.inWindow (gap));
        EXPECT_FALSE (about.screen.isVisible());
        EXPECT_EQ (about.screen.getParentComponent(), &about.host.getParent());
        about.screen.show (&about.host.getParent());
        test_support::pumpMessages (50);
    }

    about.input.click (about.inWindow ({ 240, 15 }));
    about.input.click (about.inWindow ({ 10, 15 }));
    EXPECT_TRUE (about.screen.isVisible());
}

TEST (AboutScreen, AKeyHidesTheScreenAndGoesNoFurther)
{
    skin_test::ScopedDefaultSkin skin;
    TestApplication application;
    ShownAboutScreen about;
    ASSERT_TRUE (about.screen.hasKeyboardFocus (true));

    EXPECT_TRUE (about.input.key (juce::KeyPress ('a')));
    EXPECT_FALSE (about.screen.isVisible());
    EXPECT_EQ (about.host.keysReachingParent(), 0);
}

TEST (AboutScreen, OddSkinsAndNoApplication)
{
    {
        SCOPED_TRACE ("no forum overlay");
        skin_test::ScopedDefaultSkin skin (skin_test::picturesWith ({ { "about_forum", juce::Image() } }));
        TestApplication application;
        ShownAboutScreen about;

        EXPECT_EQ (childNames (about.screen), juce::StringArray ({ "qnButton", "updateButton", "version" }));
        about.input.click (about.inWindow (rightTile));
        EXPECT_FALSE (about.screen.isVisible());
    }
    {
        SCOPED_TRACE ("no about picture");
        skin_test::ScopedDefaultSkin skin (skin_test::picturesWith ({ { "about", juce::Image() } }));
        ParentInWindow host;
        volume_panel::AboutScreen screen ("https://forum.quenmar.example/downloads/k-dar7");

        screen.show (&host.getParent());
        EXPECT_EQ (screen.getParentComponent(), nullptr);
        EXPECT_EQ (screen.getNumChildComponents(), 0);
    }
    {
        SCOPED_TRACE ("no running application");
        skin_test::ScopedDefaultSkin skin;
        ShownAboutScreen about;

        auto* label = versionLabel (about.screen);
        ASSERT_NE (label, nullptr);
        EXPECT_TRUE (label->getText().isEmpty());
        about.input.click (about.inWindow ({ 240, 15 }));
        EXPECT_TRUE (about.screen.isVisible());
    }
}
