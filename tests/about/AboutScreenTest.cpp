#include "AboutTestSupport.h"

#include "skin/SkinTestSupport.h"

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

    // The alpha a tile's centre is drawn with, the button painted alone.
    int drawnAlpha (juce::Component& button, juce::Point<int> tile)
    {
        return skin_test::snapshot (button).getPixelAt (tile.x, tile.y).getAlpha();
    }
}

TEST (AboutScreen, FirstShowBuildsTheScreenOverTheParentAndShowingAgainOnlyMakesItVisible)
{
    skin_test::ScopedDefaultSkin skin;
    TestApplication application;
    AboutOnDesktop about;
    juce::Component control;
    about.parent.addAndMakeVisible (control);

    EXPECT_EQ (about.screen.getName(), "AboutScreen");
    EXPECT_EQ (about.screen.getNumChildComponents(), 0);

    about.show();

    EXPECT_EQ (about.parent.getChildren(), juce::Array<juce::Component*> ({ &control, &about.screen }));
    EXPECT_EQ (about.screen.getBounds(), juce::Rectangle<int> (8, 30, 264, 300));
    EXPECT_TRUE (about.screen.isVisible());
    EXPECT_TRUE (about.screen.isAlwaysOnTop());
    EXPECT_TRUE (about.screen.hasKeyboardFocus (true));
    EXPECT_EQ (childNames (about.screen), juce::StringArray ({ "forumButton", "qnButton", "updateButton", "version" }));

    for (auto* name : { "forumButton", "qnButton", "updateButton" })
    {
        SCOPED_TRACE (name);
        EXPECT_EQ (about.child (name)->getBounds(), about.screen.getLocalBounds());
        EXPECT_TRUE (about.child (name)->getMouseCursor() == juce::MouseCursor (juce::MouseCursor::PointingHandCursor));
    }

    auto* label = dynamic_cast<juce::Label*> (about.child ("version"));
    ASSERT_NE (label, nullptr);
    EXPECT_EQ (label->getText(), TestApplication::version);
    EXPECT_EQ (label->getBounds(), juce::Rectangle<int> (0, 0, 254, 30));
    EXPECT_EQ (label->getJustificationType(), juce::Justification::centredRight);
    EXPECT_TRUE (label->getFont().isBold());
    EXPECT_EQ (label->findColour (juce::Label::textColourId), juce::Colours::white);

    // Between the version line and the tiles the picture shows as it is.
    const juce::Rectangle<int> middle { 0, 30, 264, 186 };
    EXPECT_TRUE (skin_test::samePixels (skin_test::snapshot (about.screen).getClippedImage (middle),
                                        skin_test::embeddedPicture ("about").getClippedImage (middle)));

    // Hidden, then shown again, even for another parent after its own moved:
    // the same parts at the same place.
    const auto parts = about.screen.getChildren();
    juce::Component otherParent;
    otherParent.setBounds (0, 0, 500, 500);
    about.screen.setVisible (false);
    about.parent.setTopLeftPosition (20, 10);

    for (auto* parent : { &otherParent, static_cast<juce::Component*> (&about.parent) })
    {
        about.screen.show (parent);
        EXPECT_TRUE (about.screen.isVisible());
        EXPECT_EQ (about.screen.getParentComponent(), &about.parent);
        EXPECT_EQ (about.screen.getBounds(), juce::Rectangle<int> (8, 30, 264, 300));
        EXPECT_EQ (about.screen.getChildren(), parts);
    }
}

TEST (AboutScreen, EachTileLightsUpUnderTheMouseAndOpensItsAddressLeavingTheScreenOpen)
{
    skin_test::ScopedDefaultSkin skin;
    TestApplication application;
    AboutOnDesktop about;
    about.show();

    const struct { const char* button; juce::Point<int> tile; const char* address; } tiles[] {
        { "qnButton",     leftTile,   "https://www.quenmar.example/" },
        { "updateButton", centreTile, "https://forum.quenmar.example/downloads/k-dar7" },
        { "forumButton",  rightTile,  "https://forum.quenmar.example/" },
    };

    for (int i = 0; i < 3; ++i)
    {
        const auto& t = tiles[i];
        SCOPED_TRACE (t.button);
        auto* button = dynamic_cast<juce::ImageButton*> (about.child (t.button));
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

TEST (AboutScreen, PressesOffTheTilesAndKeysHideTheScreenButNotPressesOnTheVersionLine)
{
    skin_test::ScopedDefaultSkin skin;
    TestApplication application;
    AboutOnDesktop about;
    about.show();

    for (auto point : { gapLeftOfCentre, gapRightOfCentre, juce::Point<int> { 133, 150 } })
    {
        SCOPED_TRACE (point.toString());
        about.input.move (about.inWindow (point));

        for (auto* name : { "forumButton", "qnButton", "updateButton" })
            EXPECT_FALSE (about.child (name)->isMouseOver()) << name;

        about.input.click (about.inWindow (point));
        EXPECT_FALSE (about.screen.isVisible());
        EXPECT_EQ (about.screen.getParentComponent(), &about.parent);
        about.show();
    }

    about.input.click (about.inWindow (versionLine));
    EXPECT_TRUE (about.screen.isVisible());

    // Also after a tile was clicked, Return hides the screen rather than
    // clicking the tile again.
    about.input.click (about.inWindow (leftTile));
    ASSERT_EQ (about.browser.waitForAddresses (1).size(), 1);
    EXPECT_TRUE (about.input.key (juce::KeyPress (juce::KeyPress::returnKey)));
    EXPECT_FALSE (about.screen.isVisible());
    EXPECT_EQ (about.parent.keys, 0);
}

TEST (AboutScreen, WorksWithoutAnOverlayAndBuildsNothingWithoutItsPictureOrApplication)
{
    {
        SCOPED_TRACE ("no forum overlay");
        skin_test::ScopedDefaultSkin skin (skin_test::picturesWith ({ { "about_forum", juce::Image() } }));
        TestApplication application;
        AboutOnDesktop about;
        about.show();

        EXPECT_EQ (childNames (about.screen), juce::StringArray ({ "qnButton", "updateButton", "version" }));
        about.input.click (about.inWindow (rightTile));
        EXPECT_FALSE (about.screen.isVisible());
    }
    {
        SCOPED_TRACE ("no about picture");
        skin_test::ScopedDefaultSkin skin (skin_test::picturesWith ({ { "about", juce::Image() } }));
        AboutOnDesktop about;
        about.show();

        EXPECT_EQ (about.screen.getParentComponent(), nullptr);
        EXPECT_EQ (about.screen.getNumChildComponents(), 0);
    }
    {
        SCOPED_TRACE ("no running application");
        skin_test::ScopedDefaultSkin skin;
        AboutOnDesktop about;
        about.show();

        auto* label = dynamic_cast<juce::Label*> (about.child ("version"));
        ASSERT_NE (label, nullptr);
        EXPECT_TRUE (label->getText().isEmpty());
        about.input.click (about.inWindow (versionLine));
        EXPECT_TRUE (about.screen.isVisible());
    }
}
