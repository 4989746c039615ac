#include "app/LookAndFeelCustom.h"
#include "app/MainComponent.h"
#include "device/MidiController.h"
#include "editors/MapperObject.h"

namespace
{
    const juce::Colour orange          (0xffeb663e);
    const juce::Colour orangeHover     (0xb0eb663e);
    const juce::Colour darkGrey        (0xff505050);
    const juce::Colour lightGrey       (0xffc0c0c0);
    const juce::Colour disabledGrey    (0xb0a0a0a0);
    const juce::Colour mapperMarkGreen (0xff00fe00);

    constexpr float maxFontHeight = 14.5f;
    constexpr float minLabelFontHeight = 11.0f;
    constexpr float minToggleFontHeight = 12.0f;

    float getMainContentHeight()
    {
        if (auto* device = MidiController::getInstance())
            return device->baseContentHeight;

        return 0.0f;
    }

    /** How many lines of the given font fit into a height; at least one. */
    int getNumLines (float height, const juce::Font& font)
    {
        // juce::Font keeps its height above zero.
        return juce::jmax (1, (int) (height / font.getHeight()));
    }

    juce::Font makePlainFont (const juce::String& typefaceName, float height)
    {
        return juce::Font (typefaceName, height, juce::Font::plain);
    }
}

//==============================================================================
LookAndFeelCustom::LookAndFeelCustom()
{
    setColour (juce::TooltipWindow::backgroundColourId, juce::Colour (0xfefefefe));
    setColour (juce::TooltipWindow::outlineColourId, juce::Colour (0xffeb663e));
    setColour (juce::TooltipWindow::textColourId, juce::Colour (0xff303030));
}

LookAndFeelCustom::~LookAndFeelCustom() = default;

//==============================================================================
juce::String LookAndFeelCustom::getArialTypefaceName()
{
    static const juce::String name = []
    {
        const auto available = juce::Font::findAllTypefaceNames();

        for (auto* candidate : { "Arial", "Liberation Sans" })
            if (available.contains (candidate))
                return juce::String (candidate);

        return juce::Font::getDefaultSansSerifFontName();
    }();

    return name;
}

float LookAndFeelCustom::getFontScale (const juce::Component& component, float mainHeight)
{
    if (mainHeight < 1.0f)
        return 1.0f;

    return (float) component.getTopLevelComponent()->getHeight() / mainHeight;
}

//==============================================================================
int LookAndFeelCustom::getDefaultScrollbarWidth()
{
    return 5;
}

juce::Colour LookAndFeelCustom::getLabelTextColour (juce::Component& component)
{
    if (component.isColourSpecified (juce::Label::textColourId))
        return component.findColour (juce::Label::textColourId);

    return juce::Colours::white;
}

juce::Font LookAndFeelCustom::getPopupMenuFont()
{
    return juce::Font (15.0f, juce::Font::plain);
}

//==============================================================================
void LookAndFeelCustom::drawComboBox (juce::Graphics& g, int width, int height, bool isButtonDown,
                                      int buttonX, int buttonY, int buttonW, int buttonH,
                                      juce::ComboBox& box)
{
    // isEnabled() is false as well when the parent is disabled.
    const auto enabled = box.isEnabled();
    const juce::Rectangle<float> area (0.0f, 0.0f, (float) width, (float) height);

    g.setColour (enabled ? lightGrey : disabledGrey);
    g.fillRoundedRectangle (area, 0.0f);

    g.setColour (darkGrey);
    g.drawRoundedRectangle (area, 0.0f, 2.0f);
    g.drawLine ((float) buttonX, (float) buttonY, (float) buttonX, (float) (buttonY + buttonH));

    const auto tx = buttonW / 5;
    const auto ty = buttonH / 4;

    juce::Path arrow;
    arrow.addTriangle ((float) (buttonX + tx),           (float) ty,
                       (float) (buttonX + buttonW / 2),  (float) (buttonH - ty),
                       (float) (buttonX + buttonW - tx), (float) ty);

    if (isButtonDown)
        g.setColour (orange);
    else if (enabled && box.isMouseOver (false))
        g.setColour (orangeHover);
    else
        g.setColour (darkGrey);

    g.fillPath (arrow);
}

juce::Font LookAndFeelCustom::getComboBoxFont (juce::ComboBox& box)
{
    return juce::Font (juce::jmin (14.0f, (float) box.getHeight()), juce::Font::plain)
               .withHorizontalScale (0.9f);
}

//==============================================================================
juce::Font LookAndFeelCustom::getLabelFont (juce::Label& label)
{
    // Labels that bring no text colour of their own draw white text.
    label.setColour (juce::Label::textColourId, getLabelTextColour (label));

    const auto mainHeight = getMainContentHeight();
    const auto ownFont = label.getFont();

    if (mainHeight < 1.0f)
        return ownFont;

    const auto height = juce::jlimit (minLabelFontHeight, maxFontHeight,
                                      getFontScale (label, mainHeight) * ownFont.getHeight());
    return juce::Font (height, juce::Font::plain);
}

//==============================================================================
int LookAndFeelCustom::getTabButtonBestWidth (juce::TabBarButton& button, int tabDepth)
{
    auto& bar = button.getTabbedButtonBar();
    const auto numTabs = bar.getNumTabs();

    if (numTabs <= 0)
        return LookAndFeel_V3::getTabButtonBestWidth (button, tabDepth);

    return bar.getWidth() / numTabs;
}

void LookAndFeelCustom::drawTabButton (juce::TabBarButton& button, juce::Graphics& g,
                                       bool /*isMouseOver*/, bool /*isMouseDown*/)
{
    const auto w = button.getWidth();
    const auto h = button.getHeight();
    auto& bar = button.getTabbedButtonBar();

    const auto onSettingsBar = isTabBarOfPage (bar, getSettingsPage());

    const auto font = makePlainFont (getArialTypefaceName(), juce::jmin (maxFontHeight, (float) h * 0.85f));
    const auto numLines = getNumLines ((float) h, font);
    const juce::Rectangle<float> background (1.0f, 0.0f, (float) (w - 1), (float) (h - 1));

    juce::Colour textColour;

    if (button.getToggleState())
    {
        if (onSettingsBar)
        {
            textColour = orange;
        }
        else
        {
            g.setColour (darkGrey);
            g.fillRect (background);
            textColour = juce::Colours::white;
        }
    }
    else
    {
        if (onSettingsBar)
        {
            textColour = juce::Colours::white;
        }
        else
        {
            g.setColour (lightGrey);
            g.fillRect (background);
            textColour = juce::Colour (0xff000000);
        }
    }

    g.setColour (textColour);
    g.setFont (font);
    g.drawFittedText (button.getButtonText(), 0, 0, w, h, juce::Justification::centred, numLines, 1.0f);

    if (isTabBarOfPage (bar, getMapperPage()) && mapperHasInputSelected (button))
    {
        const auto markSize = (float) h * 0.1481481493f;
        g.setColour (mapperMarkGreen);
        g.drawRoundedRectangle ((float) w - (float) w * 0.2448979616f, (float) h * 0.2222222239f,
                                markSize, markSize, markSize, markSize);
    }
}

juce::Component* LookAndFeelCustom::getSettingsPage() const
{
    if (auto* main = dynamic_cast<MainComponent*> (ownerComponent.getComponent()))
        return main->getSettings();

    return nullptr;
}

juce::Component* LookAndFeelCustom::getMapperPage() const
{
    if (auto* main = dynamic_cast<MainComponent*> (ownerComponent.getComponent()))
        return main->getMapper();

    return nullptr;
}

bool LookAndFeelCustom::isTabBarOfPage (const juce::TabbedButtonBar& bar, const juce::Component* page)
{
    if (page == nullptr)
        return false;

    // The page's own tabbed component sits directly on the page and holds the bar.
    auto* tabs = dynamic_cast<juce::TabbedComponent*> (bar.getParentComponent());
    return tabs != nullptr && tabs->getParentComponent() == page;
}

int LookAndFeelCustom::getMapperSlotOfTab (juce::TabbedComponent& mapperTabs, int tabIndex) const
{
    if (auto* page = dynamic_cast<MapperObject*> (mapperTabs.getTabContentComponent (tabIndex)))
        return page->mapperIndex;

    return -1;
}

bool LookAndFeelCustom::mapperHasInputSelected (juce::TabBarButton& button) const
{
    auto& bar = button.getTabbedButtonBar();
    auto* tabs = dynamic_cast<juce::TabbedComponent*> (bar.getParentComponent());
    auto* device = MidiController::getInstance();

    if (tabs == nullptr || device == nullptr)
        return false;

    int index = bar.getNumTabs() - 1;

    while (index >= 0 && bar.getTabButton (index) != &button)
        --index;

    if (index < 0)
        return false;

    // The current preset comes from five bits of the preset setting word; read only inside the table.
    const auto preset = (int) device->currentPreset;
    const auto slot = getMapperSlotOfTab (*tabs, index);

    if (! juce::isPositiveAndBelow (preset, MidiController::numPresetRows)
        || ! juce::isPositiveAndBelow (slot, MidiController::numMapperSlots))
        return false;

    const auto& record = device->mapperRecords[preset][slot];
    return record.cfg3 != 0 || record.cfg4 != 0;
}

//==============================================================================
void LookAndFeelCustom::drawToggleButton (juce::Graphics& g, juce::ToggleButton& button,
                                          bool /*shouldDrawButtonAsHighlighted*/, bool /*shouldDrawButtonAsDown*/)
{
    const auto w = button.getWidth();
    const auto h = button.getHeight();

    // isEnabled() is false as well when the parent is disabled.
    const auto alpha = button.isEnabled() ? 1.0f : 0.4f;
    const auto tickSize = juce::jmax (8, h - 6);

    const auto textColour = button.isColourSpecified (juce::ToggleButton::textColourId)
                                ? button.findColour (juce::ToggleButton::textColourId)
                                : juce::Colours::white;

    const auto mainHeight = getMainContentHeight();
    auto fontHeight = maxFontHeight;

    if (mainHeight >= 1.0f)
    {
        fontHeight = juce::jmax (minToggleFontHeight, getFontScale (button, mainHeight) * (float) tickSize * 0.8f);

        if (fontHeight > maxFontHeight)
            fontHeight = maxFontHeight;
    }

    const auto font = makePlainFont (getArialTypefaceName(), fontHeight);

    g.setColour (textColour.withMultipliedAlpha (alpha));
    g.setFont (font);
    g.drawFittedText (button.getButtonText(),
                      tickSize + 4, 0, juce::jmax (0, w - tickSize - 4), h,
                      juce::Justification::centredLeft, getNumLines ((float) h, font), 1.0f);

    g.setColour (juce::Colours::white);
    g.drawRect (juce::Rectangle<float> (0.0f, 2.0f, (float) tickSize, (float) tickSize), 1.0f);

    const juce::Rectangle<float> tick (2.0f, 4.0f, (float) (tickSize - 4), (float) (tickSize - 4));
    g.setColour (lightGrey.withMultipliedAlpha (alpha));
    g.fillRect (tick);

    if (button.getToggleState())
    {
        g.setColour (orange.withMultipliedAlpha (alpha));
        g.fillRect (tick);
    }
}

//==============================================================================
void LookAndFeelCustom::drawGroupComponentOutline (juce::Graphics& g, int width, int height,
                                                   const juce::String& text, const juce::Justification& position,
                                                   juce::GroupComponent& group)
{
    const auto textH = 13.0f;
    const auto indent = 3.0f;
    const auto textEdgeGap = 4.0f;
    auto cs = 5.0f;

    const auto mainHeight = getMainContentHeight();
    const auto fontHeight = mainHeight < 1.0f ? maxFontHeight
                                              : juce::jlimit (minLabelFontHeight, maxFontHeight,
                                                              getFontScale (group, mainHeight) * 13.0f);
    const juce::Font f (fontHeight, juce::Font::plain);

    const auto x = indent;
    const auto y = f.getAscent() - 3.0f;
    const auto w = juce::jmax (0.0f, (float) width - x * 2.0f);
    const auto h = juce::jmax (0.0f, (float) height - y - indent);
    cs = juce::jmin (cs, w * 0.5f, h * 0.5f);
    const auto cs2 = 2.0f * cs;

    const auto textW = text.isEmpty() ? 0.0f
                                      : juce::jlimit (0.0f,
                                                      juce::jmax (0.0f, w - cs2 - textEdgeGap * 2.0f),
                                                      (float) f.getStringWidth (text) + textEdgeGap * 2.0f);
    auto textX = cs + textEdgeGap;

    if (position.testFlags (juce::Justification::horizontallyCentred))
        textX = cs + (w - cs2 - textW) * 0.5f;
    else if (position.testFlags (juce::Justification::right))
        textX = w - cs - textW - textEdgeGap;

    juce::Path p;
    p.startNewSubPath (x + textX + textW, y);
    p.lineTo (x + w - cs, y);

    p.addArc (x + w - cs2, y, cs2, cs2, 0.0f, juce::MathConstants<float>::halfPi);
    p.lineTo (x + w, y + h - cs);

    p.addArc (x + w - cs2, y + h - cs2, cs2, cs2, juce::MathConstants<float>::halfPi, juce::MathConstants<float>::pi);
    p.lineTo (x + cs, y + h);

    p.addArc (x, y + h - cs2, cs2, cs2, juce::MathConstants<float>::pi, juce::MathConstants<float>::pi * 1.5f);
    p.lineTo (x, y + cs);

    p.addArc (x, y, cs2, cs2, juce::MathConstants<float>::pi * 1.5f, juce::MathConstants<float>::twoPi);
    p.lineTo (x + textX, y);

    // isEnabled() is false as well when the parent is disabled.
    const auto alpha = group.isEnabled() ? 1.0f : 0.5f;

    g.setColour (group.findColour (juce::GroupComponent::outlineColourId).withMultipliedAlpha (alpha));
    g.strokePath (p, juce::PathStrokeType (2.0f));

    g.setColour (group.findColour (juce::GroupComponent::textColourId).withMultipliedAlpha (alpha));
    g.setFont (f);
    g.drawText (text,
                juce::roundToInt (x + textX), 0,
                juce::roundToInt (textW), juce::roundToInt (textH),
                juce::Justification::centred, true);
}
