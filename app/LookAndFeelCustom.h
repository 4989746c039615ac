#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The application's look: dark windows with white label texts, grey combo boxes,
    flat tabs, square orange toggle boxes, group outlines, and label, toggle and
    group fonts that follow the main window's height.

    The main component owns one instance, makes it the default look and feel and
    sets ownerComponent to itself; through it the tab drawing recognises the
    Settings page's sub-panel tabs and the Mapper page's mapper tabs. A few widgets
    derive from this class to carry their own instance; those leave ownerComponent
    unset and draw every tab bar in the plain style.
*/
class LookAndFeelCustom : public juce::LookAndFeel_V3
{
public:
    LookAndFeelCustom();
    ~LookAndFeelCustom() override;

    //==============================================================================
    int getDefaultScrollbarWidth() override;

    /** The label's own text colour when one is set on it, else white. */
    virtual juce::Colour getLabelTextColour (juce::Component& component);

    juce::Font getPopupMenuFont() override;

    void drawComboBox (juce::Graphics&, int width, int height, bool isButtonDown,
                       int buttonX, int buttonY, int buttonW, int buttonH,
                       juce::ComboBox&) override;
    juce::Font getComboBoxFont (juce::ComboBox&) override;

    juce::Font getLabelFont (juce::Label&) override;

    int getTabButtonBestWidth (juce::TabBarButton&, int tabDepth) override;
    void drawTabButton (juce::TabBarButton&, juce::Graphics&, bool isMouseOver, bool isMouseDown) override;

    void drawToggleButton (juce::Graphics&, juce::ToggleButton&,
                           bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown) override;

    void drawGroupComponentOutline (juce::Graphics&, int width, int height, const juce::String& text,
                                    const juce::Justification&, juce::GroupComponent&) override;

    //==============================================================================
    /** "Arial" when the system has it, else a metric-compatible face, else the default sans-serif. */
    static juce::String getArialTypefaceName();

    /** The scale of the fonts: the height of the component's top-level parent divided by
        the main window's first height. Only meaningful while that height is at least 1. */
    static float getFontScale (const juce::Component& component, float mainHeight);

    /** The main component; set by the main component after it built its tabs. */
    juce::Component::SafePointer<juce::Component> ownerComponent;

protected:
    /** The Settings page (whose sub-panel tabs draw in their own style), or null. */
    virtual juce::Component* getSettingsPage() const;
    /** The Mapper page (whose tabs carry the "input selected" mark), or null. */
    virtual juce::Component* getMapperPage() const;
    /** The mapper slot shown by a tab of the Mapper page's tabs, or -1 when that tab has no mapper page. */
    virtual int getMapperSlotOfTab (juce::TabbedComponent& mapperTabs, int tabIndex) const;

private:
    static bool isTabBarOfPage (const juce::TabbedButtonBar&, const juce::Component* page);
    bool mapperHasInputSelected (juce::TabBarButton&) const;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (LookAndFeelCustom)
};
