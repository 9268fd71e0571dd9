// Draws the skin's fourteen pictures and writes them as PNG files; with
// --application-icon, the program's icon for the desktop at the usual sizes
// of the hicolor theme, drawn from the skin's `icon` picture.
//
// The build embeds the committed files in volume_skin/kdar7_volume_skin/pictures/
// and installs those in volume_panel/desktop/icons/; this program is how they
// are made. To change the artwork, edit this file, then remake the pictures
// and look at them before committing:
//
//     scripts/build build
//     build/tools/kdar7-skin-artwork volume_skin/kdar7_volume_skin/pictures
//     build/tools/kdar7-skin-artwork --application-icon volume_panel/desktop/icons
//
// The output is the same on every run (the brushed texture has a fixed seed),
// given the same fonts (fonts-dejavu-core).
//
// The geometry is the skin's: the window is 280 x 360, the sliders are 82 x 196
// at y 76 centred on x 67 and x 214, their track runs 154 pixels from slider
// y 21, the thumb is 72 x 38, the mute buttons are 74 x 26 at y 282.
// Everything except `about` and the opaque `background` has an alpha channel:
// an ARGB image is written as RGBA and an RGB image as RGB, 8 bits, not
// interlaced, rows unfiltered (see writePng). An RGB picture decodes to a
// smaller image that draws as a copy, not a blend, which the panel's repaint
// of its whole face at every poll feels.

#include <juce_graphics/juce_graphics.h>

#include <png.h>

#include <array>
#include <cstdio>
#include <functional>
#include <iostream>
#include <memory>
#include <utility>
#include <vector>

namespace
{
    using juce::Colour;
    using juce::Graphics;

    constexpr int windowWidth = 280;
    constexpr int windowHeight = 360;
    constexpr int logoBandHeight = 43;
    constexpr std::array<int, 2> slotCentres { 67, 214 };
    constexpr int slotHalfWidth = 4;
    constexpr int slotTop = 82;
    constexpr int slotBottom = 265;
    constexpr int sliderTop = 76;
    constexpr int trackTop = 21;
    constexpr int trackLength = 154;
    constexpr int thumbWidth = 72;
    constexpr int thumbHeight = 38;
    constexpr int muteWidth = 74;
    constexpr int muteHeight = 26;
    constexpr int muteTop = 282;
    constexpr int aboutWidth = 264;
    constexpr int aboutHeight = 300;
    constexpr int tileTop = 216;

    const Colour makerOrange { 0xfff08a24 };
    const Colour panelText { 0xffeeeeee };

    const juce::String fontName { "DejaVu Sans" };

    juce::Font boldFont (float height, float kerning = 0.0f)
    {
        return juce::Font (fontName, height, juce::Font::bold).withExtraKerningFactor (kerning);
    }

    juce::Font plainFont (float height, float kerning = 0.0f)
    {
        return juce::Font (fontName, height, juce::Font::plain).withExtraKerningFactor (kerning);
    }

    // The panel row of the thumb's centre at a slider value, computed as the
    // skin places the thumb, so that the ticks stand where the thumb stops.
    int thumbCentreRow (int value)
    {
        const auto proportion = value / 100.0;
        const auto thumbRadius = thumbHeight / 2;
        const auto thumbTop = (int) (trackTop + (1.0 - proportion) * trackLength - thumbRadius);
        return sliderTop + thumbTop + thumbRadius;
    }

    // Lays the text out with its ink centred on the point and its baseline on
    // a whole pixel row, so that letters stay crisp.
    juce::Path textPath (const juce::String& text, const juce::Font& font, float centreX, float centreY)
    {
        juce::GlyphArrangement glyphs;
        glyphs.addLineOfText (font, text, 0.0f, 0.0f);
        const auto ink = glyphs.getBoundingBox (0, -1, true);
        const auto baseline = std::round (centreY - ink.getCentreY());
        glyphs.moveRangeOfGlyphs (0, -1, centreX - ink.getCentreX(), baseline);
        juce::Path path;
        glyphs.createPath (path);
        return path;
    }

    void drawText (Graphics& g, const juce::String& text, const juce::Font& font,
                   float centreX, float centreY, Colour colour)
    {
        g.setColour (colour);
        g.fillPath (textPath (text, font, centreX, centreY));
    }

    // Light text with a dark edge below it, as if engraved into the plate.
    void drawEngravedText (Graphics& g, const juce::String& text, const juce::Font& font,
                           float centreX, float centreY, Colour colour)
    {
        drawText (g, text, font, centreX, centreY + 1.0f, juce::Colours::black.withAlpha (0.45f));
        drawText (g, text, font, centreX, centreY, colour);
    }

    float inkWidth (const juce::String& text, const juce::Font& font)
    {
        juce::GlyphArrangement glyphs;
        glyphs.addLineOfText (font, text, 0.0f, 0.0f);
        return glyphs.getBoundingBox (0, -1, true).getWidth();
    }

    // The maker's mark: a ring around a dot.
    void drawDotLogo (Graphics& g, juce::Point<float> centre, float radius, Colour colour)
    {
        g.setColour (colour);
        juce::Path ring;
        ring.addCentredArc (centre.x, centre.y, radius, radius, 0.0f, 0.0f, juce::MathConstants<float>::twoPi, true);
        ring.addCentredArc (centre.x, centre.y, radius * 0.68f, radius * 0.68f, 0.0f, 0.0f, juce::MathConstants<float>::twoPi, true);
        ring.setUsingNonZeroWinding (false);
        g.fillPath (ring);
        const auto dot = radius * 0.36f;
        g.fillEllipse (centre.x - dot, centre.y - dot, 2.0f * dot, 2.0f * dot);
    }

    //==========================================================================
    // background

    void paintBrushedGround (Graphics& g)
    {
        juce::Random random (7);
        const auto top = Colour (0xff74777c);
        const auto bottom = Colour (0xff55585d);

        for (int y = logoBandHeight; y < windowHeight; ++y)
        {
            const auto along = (float) (y - logoBandHeight) / (float) (windowHeight - logoBandHeight);
            const auto grain = (random.nextFloat() - 0.5f) * 0.035f;
            g.setColour (top.interpolatedWith (bottom, along).withMultipliedBrightness (1.0f + grain));
            g.fillRect (0, y, windowWidth, 1);
        }

        // a bevel where the plate meets the logo band, and along the plate's edges
        g.setColour (Colour (0xff9a9da2));
        g.fillRect (0, logoBandHeight, windowWidth, 1);
        g.setColour (Colour (0xff3c3e42));
        g.fillRect (0, windowHeight - 1, windowWidth, 1);
        g.fillRect (windowWidth - 1, logoBandHeight, 1, windowHeight - logoBandHeight);
        g.setColour (Colour (0xff8a8d92));
        g.fillRect (0, logoBandHeight + 1, 1, windowHeight - logoBandHeight - 2);
    }

    void paintLogoBand (Graphics& g)
    {
        g.setColour (juce::Colours::black);
        g.fillRect (0, 0, windowWidth, logoBandHeight);

        const auto font = boldFont (23.0f, 0.22f);
        const juce::String name ("QUENMAR");
        const auto logoRadius = 10.0f;
        const auto gap = 10.0f;
        const auto nameWidth = inkWidth (name, font);
        const auto groupLeft = (windowWidth - (2.0f * logoRadius + gap + nameWidth)) / 2.0f;
        const auto centreY = 21.5f;

        drawDotLogo (g, { std::round (groupLeft + logoRadius) + 0.5f, centreY }, logoRadius, makerOrange);
        drawText (g, name, font, groupLeft + 2.0f * logoRadius + gap + nameWidth / 2.0f, centreY, juce::Colours::white);
    }

    void paintScrew (Graphics& g, float centreX, float centreY)
    {
        const auto radius = 4.5f;
        g.setColour (Colour (0xff3a3c40));
        g.fillEllipse (centreX - radius - 0.5f, centreY - radius + 0.5f, 2.0f * radius + 1.0f, 2.0f * radius + 1.0f);
        g.setGradientFill (juce::ColourGradient (Colour (0xffc9ccd0), centreX - radius, centreY - radius,
                                                 Colour (0xff6d7075), centreX + radius, centreY + radius, false));
        g.fillEllipse (centreX - radius, centreY - radius, 2.0f * radius, 2.0f * radius);
        g.setColour (Colour (0xff3a3c40));
        g.drawLine (centreX - radius * 0.7f, centreY + radius * 0.7f, centreX + radius * 0.7f, centreY - radius * 0.7f, 1.4f);
    }

    void paintSlot (Graphics& g, int centreX)
    {
        const auto left = centreX - slotHalfWidth;
        const auto width = 2 * slotHalfWidth + 1;
        const auto height = slotBottom - slotTop + 1;

        // shadow above and left, light edge below and right: the slot is cut into the plate
        g.setColour (Colour (0xff404246));
        g.fillRect (left - 1, slotTop - 1, width + 1, 1);
        g.fillRect (left - 1, slotTop - 1, 1, height + 1);
        g.setColour (Colour (0xffa2a5aa));
        g.fillRect (left, slotBottom + 1, width + 1, 1);
        g.fillRect (left + width, slotTop, 1, height + 1);

        g.setColour (juce::Colours::black);
        g.fillRect (left, slotTop, width, height);
    }

    void paintTicks (Graphics& g, int centreX)
    {
        for (int value = 100; value >= 0; value -= 10)
        {
            const auto row = thumbCentreRow (value);
            const auto major = value % 50 == 0;
            const auto length = major ? 17 : 12;
            const auto inner = 8;

            for (const auto x : { centreX - inner - length + 1, centreX + inner })
            {
                g.setColour (Colour (0xff45474b));
                g.fillRect (x, row + 1, length, 1);
                g.setColour (Colour (0xffe4e4e4));
                g.fillRect (x, row, length, 1);
            }
        }
    }

    void paintScaleNumbers (Graphics& g)
    {
        const auto centreX = (slotCentres[0] + slotCentres[1]) / 2.0f + 0.5f;
        const auto font = boldFont (11.0f);

        for (int value = 100; value >= 0; value -= 10)
            drawEngravedText (g, juce::String (value / 10), font, centreX, (float) thumbCentreRow (value) + 0.5f,
                              Colour (0xffd8d8d8));
    }

    void paintMuteWell (Graphics& g, int centreX)
    {
        const auto well = juce::Rectangle<float> ((float) (centreX - muteWidth / 2 - 1), (float) (muteTop - 2),
                                                  (float) (muteWidth + 3), (float) (muteHeight + 4));
        g.setColour (Colour (0xffa2a5aa));
        g.fillRoundedRectangle (well.translated (0.0f, 1.0f), 7.0f);
        g.setColour (Colour (0xff36383c));
        g.fillRoundedRectangle (well, 7.0f);
    }

    void paintModelName (Graphics& g)
    {
        const auto font = boldFont (24.0f, 0.2f);
        const juce::String model ("K-DAR7");
        const auto centreY = 336.5f;
        const auto nameWidth = inkWidth (model, font);
        drawEngravedText (g, model, font, windowWidth / 2.0f, centreY, panelText);

        const auto lineEnd = (int) std::round ((windowWidth - nameWidth) / 2.0f) - 12;
        for (const auto x : { 26, windowWidth - lineEnd })
        {
            g.setColour (Colour (0xffd0d0d0));
            g.fillRect (x, (int) centreY, lineEnd - 26, 1);
            g.setColour (Colour (0xff45474b));
            g.fillRect (x, (int) centreY + 1, lineEnd - 26, 1);
        }
    }

    void paintBackground (Graphics& g)
    {
        paintBrushedGround (g);
        paintLogoBand (g);

        for (const auto screw : { juce::Point<float> (13.5f, 57.5f), { 266.5f, 57.5f },
                                  { 13.5f, 336.5f }, { 266.5f, 336.5f } })
            paintScrew (g, screw.x, screw.y);

        const auto captionFont = boldFont (12.5f, 0.14f);
        drawEngravedText (g, "INPUT", captionFont, slotCentres[0] + 0.5f, 60.5f, panelText);
        drawEngravedText (g, "OUTPUT", captionFont, slotCentres[1] + 0.5f, 60.5f, panelText);

        for (const auto centre : slotCentres)
        {
            paintTicks (g, centre);
            paintSlot (g, centre);
            paintMuteWell (g, centre);
        }

        paintScaleNumbers (g);
        paintModelName (g);
    }

    //==========================================================================
    // fader thumb: the body spans rows 1 to 37, so that row 19, the thumb's
    // centre on the track, is its middle row and carries the centre line; and
    // columns 1 to 71, so that its middle column 36 stands on the slot's centre

    void paintThumb (Graphics& g, bool lighter)
    {
        const auto body = juce::Rectangle<float> (1.0f, 1.0f, (float) thumbWidth - 1.0f, (float) thumbHeight - 1.0f);
        const auto top = lighter ? Colour (0xff6c7075) : Colour (0xff4a4c51);
        const auto bottom = lighter ? Colour (0xff3c3f43) : Colour (0xff1d1e21);

        g.setGradientFill (juce::ColourGradient (top, 0.0f, body.getY(), bottom, 0.0f, body.getBottom(), false));
        g.fillRoundedRectangle (body, 4.0f);

        // grip ridges above and below the centre line
        for (const auto offset : { -14, -10, -6, 6, 10, 14 })
        {
            const auto row = 19 + offset;
            g.setColour (juce::Colours::black.withAlpha (0.55f));
            g.fillRect (6, row, thumbWidth - 11, 1);
            g.setColour (juce::Colours::white.withAlpha (lighter ? 0.22f : 0.14f));
            g.fillRect (6, row + 1, thumbWidth - 11, 1);
        }

        g.setColour (juce::Colours::white.withAlpha (0.35f));
        g.fillRect (5, 2, thumbWidth - 9, 1);

        g.setColour (Colour (0xfff4f4f4));
        g.fillRect (4, 19, thumbWidth - 7, 1);

        g.setColour (juce::Colours::black.withAlpha (0.8f));
        g.drawRoundedRectangle (body.reduced (0.5f), 4.0f, 1.0f);
    }

    //==========================================================================
    // mute buttons

    enum class MuteLook { plain, hover, pressed };

    // The face's gradient, top and bottom: orange when muted, grey otherwise;
    // a muted button lights up under the mouse, and any button darkens when held.
    std::pair<Colour, Colour> muteFace (bool muted, MuteLook look)
    {
        if (muted)
            switch (look)
            {
                case MuteLook::plain:   return { Colour (0xfff9a048), Colour (0xffe2730f) };
                case MuteLook::hover:   return { Colour (0xffffb764), Colour (0xfff58a22) };
                case MuteLook::pressed: return { Colour (0xffd8690e), Colour (0xffa84f06) };
            }

        if (look == MuteLook::pressed)
            return { Colour (0xff8e9196), Colour (0xff6e7176) };

        return { Colour (0xffb0b3b8), Colour (0xff85888d) };
    }

    // The body leaves column 0 clear, so that its middle column stands on the
    // slot's centre above it.
    void paintMute (Graphics& g, bool muted, MuteLook look)
    {
        const auto body = juce::Rectangle<float> (1.0f, 0.0f, (float) muteWidth - 1.0f, (float) muteHeight);
        const auto corner = 6.0f;

        const auto [top, bottom] = muteFace (muted, look);
        g.setGradientFill (juce::ColourGradient (top, 0.0f, 0.0f, bottom, 0.0f, body.getBottom(), false));
        g.fillRoundedRectangle (body, corner);

        const auto rimIsOrange = ! muted && look != MuteLook::plain;
        if (rimIsOrange)
        {
            g.setColour (makerOrange);
            g.drawRoundedRectangle (body.reduced (1.5f), corner - 1.0f, 2.0f);
        }
        else if (look != MuteLook::pressed)
        {
            g.setColour (juce::Colours::white.withAlpha (0.35f));
            g.fillRect (6, 1, muteWidth - 11, 1);
        }

        g.setColour (juce::Colours::black.withAlpha (0.75f));
        g.drawRoundedRectangle (body.reduced (0.5f), corner, 1.0f);

        const auto pressDown = look == MuteLook::pressed ? 1.0f : 0.0f;
        const auto captionColour = muted ? Colour (0xff2a1602) : Colour (0xff1f2023);
        drawText (g, muted ? "MUTE ON" : "MUTE OFF", boldFont (11.5f, 0.06f),
                  body.getCentreX(), muteHeight / 2.0f + pressDown, captionColour);
    }

    //==========================================================================
    // about picture and its link tiles

    enum class Tile { webSite, update, forum };

    juce::Rectangle<int> tileArea (Tile tile)
    {
        switch (tile)
        {
            case Tile::webSite: return { 0, tileTop, 89, aboutHeight - tileTop };
            case Tile::update:  return { 90, tileTop, 87, aboutHeight - tileTop };
            case Tile::forum:   return { 178, tileTop, 86, aboutHeight - tileTop };
        }
        return {};
    }

    juce::String tileCaption (Tile tile)
    {
        switch (tile)
        {
            case Tile::webSite: return "WEB SITE";
            case Tile::update:  return "DOWNLOADS";
            case Tile::forum:   return "FORUM";
        }
        return {};
    }

    // A flat hand, index finger up, like the link cursor; its top-left corner
    // at the point. The dark edge parts it from the logo it points at.
    void drawPointingHand (Graphics& g, juce::Point<float> topLeft, Colour fill, Colour edge)
    {
        juce::Path hand;
        hand.addRoundedRectangle (5.0f, 0.0f, 6.0f, 17.0f, 3.0f);    // index finger
        hand.addRoundedRectangle (11.0f, 8.0f, 5.0f, 10.0f, 2.5f);   // middle finger
        hand.addRoundedRectangle (16.0f, 9.0f, 5.0f, 9.0f, 2.5f);    // ring finger
        hand.addRoundedRectangle (21.0f, 11.0f, 4.0f, 8.0f, 2.0f);   // little finger
        hand.addRoundedRectangle (5.0f, 13.0f, 20.0f, 13.0f, 4.0f);  // palm
        hand.addRoundedRectangle (0.0f, 12.0f, 5.0f, 11.0f, 2.5f);   // thumb
        hand.addRectangle (3.0f, 16.0f, 4.0f, 7.0f);
        hand.applyTransform (juce::AffineTransform::translation (topLeft));

        g.setColour (edge);
        g.strokePath (hand, juce::PathStrokeType (3.0f, juce::PathStrokeType::curved));
        g.setColour (fill);
        g.fillPath (hand);

        // the clefts between the folded fingers
        g.setColour (edge);
        for (const auto x : { 16.0f, 21.0f })
            g.fillRect (topLeft.x + x - 0.5f, topLeft.y + 11.0f, 1.0f, 5.0f);
    }

    void paintWebSiteIcon (Graphics& g, juce::Point<float> centre, Colour accent, Colour ink, Colour ground)
    {
        drawDotLogo (g, centre.translated (-9.0f, -4.0f), 17.0f, accent);
        drawPointingHand (g, centre.translated (1.0f, -1.0f), ink, ground);
    }

    void paintUpdateIcon (Graphics& g, juce::Point<float> centre, Colour accent, Colour ink)
    {
        drawDotLogo (g, centre.translated (0.0f, -19.0f), 7.0f, accent);

        juce::Path arrow;
        arrow.addRectangle (centre.x - 3.0f, centre.y - 9.0f, 6.0f, 12.0f);
        arrow.addTriangle (centre.x - 9.0f, centre.y + 2.0f, centre.x + 9.0f, centre.y + 2.0f, centre.x, centre.y + 12.0f);
        g.setColour (ink);
        g.fillPath (arrow);

        juce::Path tray;
        tray.startNewSubPath (centre.x - 17.0f, centre.y + 6.0f);
        tray.lineTo (centre.x - 17.0f, centre.y + 17.0f);
        tray.lineTo (centre.x + 17.0f, centre.y + 17.0f);
        tray.lineTo (centre.x + 17.0f, centre.y + 6.0f);
        g.strokePath (tray, juce::PathStrokeType (3.0f, juce::PathStrokeType::mitered, juce::PathStrokeType::square));
    }

    juce::Path speechBubble (juce::Rectangle<float> box, bool tailLeft)
    {
        juce::Path bubble;
        bubble.addRoundedRectangle (box, 5.0f);
        const auto tailX = tailLeft ? box.getX() + 7.0f : box.getRight() - 7.0f;
        const auto tipX = tailLeft ? box.getX() + 2.0f : box.getRight() - 2.0f;
        bubble.addTriangle (tailX - 4.0f, box.getBottom() - 1.0f, tailX + 4.0f, box.getBottom() - 1.0f, tipX, box.getBottom() + 7.0f);
        return bubble;
    }

    void paintForumIcon (Graphics& g, juce::Point<float> centre, Colour accent, Colour ink, Colour ground)
    {
        const auto back = speechBubble ({ centre.x - 22.0f, centre.y - 19.0f, 30.0f, 21.0f }, true);
        g.setColour (accent);
        g.fillPath (back);

        const auto front = speechBubble ({ centre.x - 6.0f, centre.y - 7.0f, 30.0f, 21.0f }, false);
        g.setColour (ground);
        g.strokePath (front, juce::PathStrokeType (3.0f));
        g.setColour (ink);
        g.fillPath (front);

        g.setColour (ground);
        for (const auto row : { 0.0f, 5.0f, 10.0f })
            g.fillRect (centre.x, centre.y - 2.0f + row, row == 10.0f ? 11.0f : 18.0f, 2.0f);
    }

    // The tile as the about picture shows it (dim) or as its overlay shows it (lit).
    void paintTile (Graphics& g, Tile tile, bool lit)
    {
        const auto area = tileArea (tile);
        const auto ground = lit ? Colour (0xff393c41) : Colour (0xff2a2c30);
        const auto accent = lit ? makerOrange : Colour (0xff9a6a3c);
        const auto ink = lit ? juce::Colours::white : Colour (0xffa9acb1);

        g.setColour (ground);
        g.fillRect (area);
        g.setColour (lit ? makerOrange : Colour (0xff46494e));
        g.fillRect (area.getX(), area.getY(), area.getWidth(), lit ? 2 : 1);

        const auto iconCentre = juce::Point<float> ((float) area.getCentreX(), (float) area.getY() + 35.0f);
        switch (tile)
        {
            case Tile::webSite: paintWebSiteIcon (g, iconCentre, accent, ink, ground); break;
            case Tile::update:  paintUpdateIcon (g, iconCentre, accent, ink); break;
            case Tile::forum:   paintForumIcon (g, iconCentre, accent, ink, ground); break;
        }

        drawText (g, tileCaption (tile), boldFont (10.5f, 0.08f), (float) area.getCentreX(), (float) area.getBottom() - 12.5f,
                  lit ? juce::Colours::white : Colour (0xffb4b7bc));
    }

    void paintAbout (Graphics& g)
    {
        g.setGradientFill (juce::ColourGradient (Colour (0xff26282c), 0.0f, 30.0f, Colour (0xff17181b), 0.0f, (float) tileTop, false));
        g.fillAll();

        // the top line carries the version, drawn by the about screen on the right
        g.setColour (Colour (0xff0d0e10));
        g.fillRect (0, 0, aboutWidth, 30);
        g.setColour (makerOrange);
        g.fillRect (0, 30, aboutWidth, 2);
        drawDotLogo (g, { 17.5f, 15.5f }, 7.0f, makerOrange);
        const auto makerFont = boldFont (13.0f, 0.2f);
        drawText (g, "QUENMAR", makerFont, 31.0f + inkWidth ("QUENMAR", makerFont) / 2.0f, 15.5f, juce::Colours::white);

        drawText (g, "K-DAR7", boldFont (38.0f, 0.08f), aboutWidth / 2.0f, 76.5f, juce::Colours::white);
        drawText (g, "Volume Panel", plainFont (17.0f, 0.04f), aboutWidth / 2.0f, 108.5f, Colour (0xffcfd1d4));

        g.setColour (makerOrange);
        g.fillRect (aboutWidth / 2 - 30, 126, 60, 1);

        drawText (g, "Made by Quenmar", boldFont (13.0f), aboutWidth / 2.0f, 146.5f, Colour (0xffe2e2e2));
        drawText (g, "Input and output level and mute", plainFont (11.5f), aboutWidth / 2.0f, 168.5f, Colour (0xffa7aaaf));
        drawText (g, "for the K-DAR7 sound device", plainFont (11.5f), aboutWidth / 2.0f, 183.5f, Colour (0xffa7aaaf));
        drawText (g, "Built with the JUCE framework", plainFont (10.5f), aboutWidth / 2.0f, 203.5f, Colour (0xff7c7f84));

        g.setColour (Colour (0xff0d0e10));
        g.fillRect (0, tileTop, aboutWidth, aboutHeight - tileTop);

        for (const auto tile : { Tile::webSite, Tile::update, Tile::forum })
            paintTile (g, tile, false);
    }

    //==========================================================================
    // icon: an orange loudspeaker on grey, drawn on 16 x 16 units

    constexpr int iconUnits = 16;

    void paintIcon (Graphics& g)
    {
        g.setColour (Colour (0xff6f7277));
        g.fillRoundedRectangle (0.0f, 0.0f, 16.0f, 16.0f, 3.0f);

        juce::Path speaker;
        speaker.addRectangle (2.0f, 6.0f, 3.0f, 4.0f);
        speaker.startNewSubPath (5.0f, 6.0f);
        speaker.lineTo (9.0f, 2.5f);
        speaker.lineTo (9.0f, 13.5f);
        speaker.lineTo (5.0f, 10.0f);
        speaker.closeSubPath();
        g.setColour (makerOrange);
        g.fillPath (speaker);

        juce::Path waves;
        waves.addCentredArc (9.0f, 8.0f, 3.0f, 3.0f, 0.0f, 0.75f, 2.39f, true);
        waves.addCentredArc (9.0f, 8.0f, 5.5f, 5.5f, 0.0f, 0.75f, 2.39f, true);
        g.strokePath (waves, juce::PathStrokeType (1.6f));
    }

    // The application icon: the skin's icon drawn to the size.
    void paintApplicationIcon (Graphics& g, int size)
    {
        g.addTransform (juce::AffineTransform::scale ((float) size / (float) iconUnits));
        paintIcon (g);
    }

    //==========================================================================

    using Painter = std::function<void (Graphics&)>;

    juce::Image draw (juce::Image::PixelFormat format, int width, int height, const Painter& painter)
    {
        juce::Image image (format, width, height, true);
        Graphics g (image);
        painter (g);
        return image;
    }

    juce::Image drawOverlay (Tile tile)
    {
        return draw (juce::Image::ARGB, aboutWidth, aboutHeight, [tile] (Graphics& g) { paintTile (g, tile, true); });
    }

    // The rows of an image as 8-bit RGB, or RGBA with straight alpha.
    std::vector<std::vector<png_byte>> pngRows (const juce::Image& image)
    {
        const auto alpha = image.hasAlphaChannel();
        const juce::Image::BitmapData pixels (image, juce::Image::BitmapData::readOnly);
        std::vector<std::vector<png_byte>> rows ((size_t) image.getHeight());

        for (int y = 0; y < image.getHeight(); ++y)
        {
            auto& row = rows[(size_t) y];
            for (int x = 0; x < image.getWidth(); ++x)
            {
                const auto colour = pixels.getPixelColour (x, y);
                row.insert (row.end(), { colour.getRed(), colour.getGreen(), colour.getBlue() });
                if (alpha)
                    row.push_back (colour.getAlpha());
            }
        }
        return rows;
    }

    // Written through libpng, not JUCE, to choose how the file is coded: the
    // panel decodes every picture at start-up, and unfiltered rows at a low
    // compression level decode in about half the instructions of JUCE's
    // adaptively filtered, strongly compressed ones, in files no larger.
    // (Stored or strongly compressed unfiltered rows decode no faster.)
    bool writePng (const juce::Image& image, std::FILE* out)
    {
        // Made before libpng's error jump is set, which must not skip a destructor.
        auto rows = pngRows (image);
        std::vector<png_bytep> rowPointers;
        for (auto& row : rows)
            rowPointers.push_back (row.data());

        auto* png = png_create_write_struct (PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
        auto* info = png != nullptr ? png_create_info_struct (png) : nullptr;
        if (info == nullptr || setjmp (png_jmpbuf (png)))
        {
            png_destroy_write_struct (&png, &info);
            return false;
        }

        png_init_io (png, out);
        png_set_IHDR (png, info, (png_uint_32) image.getWidth(), (png_uint_32) image.getHeight(), 8,
                      image.hasAlphaChannel() ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB,
                      PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_set_filter (png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
        png_set_compression_level (png, 1);
        png_set_rows (png, info, rowPointers.data());
        png_write_png (png, info, PNG_TRANSFORM_IDENTITY, nullptr);
        png_destroy_write_struct (&png, &info);
        return true;
    }

    bool write (const juce::Image& image, const juce::File& folder, const juce::String& name)
    {
        const auto file = folder.getChildFile (name + ".png");
        std::unique_ptr<std::FILE, int (*) (std::FILE*)> out (std::fopen (file.getFullPathName().toRawUTF8(), "wb"), std::fclose);
        if (out == nullptr || ! writePng (image, out.get()) || std::fflush (out.get()) != 0)
        {
            std::cerr << "cannot write " << file.getFullPathName() << "\n";
            return false;
        }
        return true;
    }

    // One file per size, named by it: 16x16.png and so on.
    std::vector<std::pair<juce::String, juce::Image>> applicationIcons()
    {
        std::vector<std::pair<juce::String, juce::Image>> icons;

        for (const auto size : { 16, 22, 24, 32, 48, 64, 128, 256 })
            icons.emplace_back (juce::String (size) + "x" + juce::String (size),
                                draw (juce::Image::ARGB, size, size, [size] (Graphics& g) { paintApplicationIcon (g, size); }));

        return icons;
    }

    std::vector<std::pair<juce::String, juce::Image>> skinPictures()
    {
        using juce::Image;
        const auto mute = [] (bool muted, MuteLook look)
        {
            return draw (Image::ARGB, muteWidth, muteHeight, [=] (Graphics& g) { paintMute (g, muted, look); });
        };

        return {
            { "background",       draw (Image::RGB, windowWidth, windowHeight, paintBackground) },
            { "about",            draw (Image::RGB, aboutWidth, aboutHeight, paintAbout) },
            { "about_update",     drawOverlay (Tile::update) },
            { "about_qn",         drawOverlay (Tile::webSite) },
            { "about_forum",      drawOverlay (Tile::forum) },
            { "volumeknob_off",   draw (Image::ARGB, thumbWidth, thumbHeight, [] (Graphics& g) { paintThumb (g, false); }) },
            { "volumeknob_hover", draw (Image::ARGB, thumbWidth, thumbHeight, [] (Graphics& g) { paintThumb (g, true); }) },
            { "mute_off",         mute (false, MuteLook::plain) },
            { "mute_off_hover",   mute (false, MuteLook::hover) },
            { "mute_off_pressed", mute (false, MuteLook::pressed) },
            { "mute_on",          mute (true, MuteLook::plain) },
            { "mute_on_hover",    mute (true, MuteLook::hover) },
            { "mute_on_pressed",  mute (true, MuteLook::pressed) },
            { "icon",             draw (Image::ARGB, iconUnits, iconUnits, paintIcon) },
        };
    }
}

int main (int argc, char** argv)
{
    const auto iconsWanted = argc == 3 && juce::String (argv[1]) == "--application-icon";

    if (argc != 2 && ! iconsWanted)
    {
        std::cerr << "usage: kdar7-skin-artwork [--application-icon] OUTPUT-FOLDER\n";
        return 2;
    }

    const auto folder = juce::File::getCurrentWorkingDirectory().getChildFile (argv[argc - 1]);
    if (! folder.createDirectory())
    {
        std::cerr << "cannot make " << folder.getFullPathName() << "\n";
        return 1;
    }

    const auto pictures = iconsWanted ? applicationIcons() : skinPictures();
    auto allWritten = true;
    for (const auto& [name, image] : pictures)
        allWritten = write (image, folder, name) && allWritten;

    return allWritten ? 0 : 1;
}
