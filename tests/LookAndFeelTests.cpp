#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include "app/LookAndFeelCustom.h"
#include "device/MidiController.h"

namespace
{
    /** Sets the device object's main-window height for one test and restores it. */
    struct ScopedMainHeight
    {
        explicit ScopedMainHeight (float height)
        {
            auto* device = MidiController::getInstance();
            saved = device->baseContentHeight;
            device->baseContentHeight = height;
        }

        ~ScopedMainHeight() { MidiController::getInstance()->baseContentHeight = saved; }

        float saved = 0.0f;
    };

    juce::Image render (juce::Component& component)
    {
        juce::Image image (juce::Image::ARGB, component.getWidth(), component.getHeight(), true);
        juce::Graphics g (image);
        component.paintEntireComponent (g, true);
        return image;
    }

    ::testing::AssertionResult coloursMatch (juce::Colour actual, juce::Colour expected, int tolerance = 2)
    {
        const auto near = [tolerance] (int a, int b) { return std::abs (a - b) <= tolerance; };

        if (near (actual.getAlpha(), expected.getAlpha()) && near (actual.getRed(), expected.getRed())
            && near (actual.getGreen(), expected.getGreen()) && near (actual.getBlue(), expected.getBlue()))
            return ::testing::AssertionSuccess();

        return ::testing::AssertionFailure() << "got " << actual.toDisplayString (true)
                                             << ", expected " << expected.toDisplayString (true);
    }

    /** Stands in for the main component: hands out a Settings page and a Mapper page. */
    class PagesLookAndFeel : public LookAndFeelCustom
    {
    public:
        juce::Component* settingsPage = nullptr;
        juce::Component* mapperPage = nullptr;

    protected:
        juce::Component* getSettingsPage() const override { return settingsPage; }
        juce::Component* getMapperPage() const override   { return mapperPage; }

        // Tab i shows mapper slot i.
        int getMapperSlotOfTab (juce::TabbedComponent&, int tabIndex) const override { return tabIndex; }
    };

    /** A page holding a tabbed component of two tabs, the first one in front. */
    struct TabbedPage : public juce::Component
    {
        TabbedPage()
        {
            setSize (200, 60);
            tabs.setBounds (getLocalBounds());
            addAndMakeVisible (tabs);
        }

        void addTab (const juce::String& name, juce::Component* content)
        {
            tabs.addTab (name, juce::Colours::transparentBlack, content, true);
        }

        juce::TabbedComponent tabs { juce::TabbedButtonBar::TabsAtTop };
    };
}

//==============================================================================
class LookAndFeelToggle : public ::testing::Test
{
protected:
    void SetUp() override
    {
        parent.setSize (200, 30);
        parent.addAndMakeVisible (toggle);
        toggle.setBounds (0, 0, 200, 30);
        toggle.setButtonText ("Toggle");
        parent.setLookAndFeel (&lookAndFeel);
    }

    void TearDown() override { parent.setLookAndFeel (nullptr); }

    // The inner tick square is (2, 4, d - 4, d - 4) with d = 24 here.
    juce::Colour tickColour() { return render (parent).getPixelAt (12, 14); }
    juce::Colour frameColour() { return render (parent).getPixelAt (0, 14); }

    ScopedMainHeight mainHeight { 600.0f };
    LookAndFeelCustom lookAndFeel;
    juce::Component parent;
    juce::ToggleButton toggle;
};

TEST_F (LookAndFeelToggle, TickFillsOrangeWhenOnAndGreyWhenOff)
{
    EXPECT_TRUE (coloursMatch (tickColour(), juce::Colour (0xffc0c0c0)));

    toggle.setToggleState (true, juce::dontSendNotification);
    EXPECT_TRUE (coloursMatch (tickColour(), juce::Colour (0xffeb663e)));
    EXPECT_TRUE (coloursMatch (frameColour(), juce::Colours::white));
}

TEST_F (LookAndFeelToggle, DisabledParentDrawsTickAt40PercentAndKeepsFrame)
{
    parent.setEnabled (false);

    const auto tick = tickColour();
    EXPECT_NEAR (tick.getFloatAlpha(), 0.4f, 0.02f);
    EXPECT_TRUE (coloursMatch (tick.withAlpha (1.0f), juce::Colour (0xffc0c0c0)));
    EXPECT_TRUE (coloursMatch (frameColour(), juce::Colours::white));
}

//==============================================================================
TEST (LookAndFeelComboBox, BackgroundAndArrowFollowStateAndPress)
{
    struct Case { bool parentEnabled, down; juce::uint32 background, arrow; };

    for (auto c : { Case { true,  false, 0xffc0c0c0, 0xff505050 },
                    Case { true,  true,  0xffc0c0c0, 0xffeb663e },
                    Case { false, false, 0xb0a0a0a0, 0xff505050 } })
    {
        LookAndFeelCustom lookAndFeel;
        juce::Component parent;
        juce::ComboBox box;
        parent.addAndMakeVisible (box);
        box.setBounds (0, 0, 100, 24);
        parent.setEnabled (c.parentEnabled);

        juce::Image image (juce::Image::ARGB, 100, 24, true);
        {
            juce::Graphics g (image);
            lookAndFeel.drawComboBox (g, 100, 24, c.down, 76, 0, 24, 24, box);
        }

        EXPECT_TRUE (coloursMatch (image.getPixelAt (40, 12), juce::Colour (c.background))) << c.down;
        EXPECT_TRUE (coloursMatch (image.getPixelAt (88, 10).withAlpha ((juce::uint8) 255), juce::Colour (c.arrow))) << c.down;
    }
}

//==============================================================================
TEST (LookAndFeelTabs, PlainBarFillsFrontDarkAndOthersLight)
{
    LookAndFeelCustom lookAndFeel;
    TabbedPage page;
    page.setLookAndFeel (&lookAndFeel);
    page.addTab ("One", new juce::Component());
    page.addTab ("Two", new juce::Component());
    page.tabs.setCurrentTabIndex (0);

    auto& bar = page.tabs.getTabbedButtonBar();
    EXPECT_EQ (lookAndFeel.getTabButtonBestWidth (*bar.getTabButton (0), bar.getHeight()), bar.getWidth() / 2);

    const auto image = render (page);
    auto* front = bar.getTabButton (0);
    auto* back = bar.getTabButton (1);
    EXPECT_TRUE (coloursMatch (image.getPixelAt (front->getX() + 3, 2), juce::Colour (0xff505050)));
    EXPECT_TRUE (coloursMatch (image.getPixelAt (back->getX() + 3, 2), juce::Colour (0xffc0c0c0)));

    page.setLookAndFeel (nullptr);
}

TEST (LookAndFeelTabs, SettingsSubPanelBarDrawsNoBackground)
{
    PagesLookAndFeel lookAndFeel;
    TabbedPage page;
    lookAndFeel.settingsPage = &page;
    page.setLookAndFeel (&lookAndFeel);
    page.addTab ("One", new juce::Component());
    page.addTab ("Two", new juce::Component());
    page.tabs.setCurrentTabIndex (0);

    const auto image = render (page);
    auto& bar = page.tabs.getTabbedButtonBar();
    EXPECT_EQ (image.getPixelAt (bar.getTabButton (0)->getX() + 3, 2).getAlpha(), 0);
    EXPECT_EQ (image.getPixelAt (bar.getTabButton (1)->getX() + 3, 2).getAlpha(), 0);

    page.setLookAndFeel (nullptr);
}

TEST (LookAndFeelTabs, MapperTabShowsGreenMarkOnlyWithAnInputSelected)
{
    auto* device = MidiController::getInstance();
    const auto savedPreset = device->currentPreset;
    const auto savedRecord = device->mapperRecords[0][1];

    PagesLookAndFeel lookAndFeel;
    TabbedPage page;
    lookAndFeel.mapperPage = &page;
    page.setLookAndFeel (&lookAndFeel);
    page.addTab ("1", new juce::Component());
    page.addTab ("2", new juce::Component());
    page.tabs.setCurrentTabIndex (0);

    auto* tab = page.tabs.getTabbedButtonBar().getTabButton (1);
    const auto markX = tab->getX() + juce::roundToInt (tab->getWidth() - tab->getWidth() * 0.2448979616f
                                                       + tab->getHeight() * 0.074f);
    const auto markY = tab->getY() + juce::roundToInt (tab->getHeight() * (0.2222222239f + 0.074f));
    const juce::Colour green (0xff00fe00);

    device->currentPreset = 0;
    device->mapperRecords[0][1].cfg3 = 0;
    device->mapperRecords[0][1].cfg4 = 0;
    EXPECT_FALSE (coloursMatch (render (page).getPixelAt (markX, markY), green));

    device->mapperRecords[0][1].cfg4 = 1;
    EXPECT_TRUE (coloursMatch (render (page).getPixelAt (markX, markY), green));

    // A preset number beyond the table reads nothing and draws no mark.
    device->currentPreset = 31;
    EXPECT_FALSE (coloursMatch (render (page).getPixelAt (markX, markY), green));

    device->currentPreset = savedPreset;
    device->mapperRecords[0][1] = savedRecord;
    page.setLookAndFeel (nullptr);
}

//==============================================================================
TEST (LookAndFeelFonts, LabelFontFollowsWindowHeightWithinLimits)
{
    ScopedMainHeight mainHeight { 600.0f };
    LookAndFeelCustom lookAndFeel;
    juce::Component window;
    juce::Label label;
    window.addAndMakeVisible (label);
    label.setFont (juce::Font (15.0f));

    struct Case { int windowHeight; float expected; };

    for (auto c : { Case { 600, 14.5f }, Case { 490, 12.25f }, Case { 300, 11.0f }, Case { 1200, 14.5f } })
    {
        window.setSize (800, c.windowHeight);
        EXPECT_NEAR (lookAndFeel.getLabelFont (label).getHeight(), c.expected, 0.01f) << c.windowHeight;
    }
}

TEST (LookAndFeelFonts, LabelKeepsOwnFontWithoutMainHeight)
{
    ScopedMainHeight mainHeight { 0.0f };
    LookAndFeelCustom lookAndFeel;
    juce::Label label;
    label.setFont (juce::Font (17.0f));
    label.setSize (100, 20);

    EXPECT_FLOAT_EQ (lookAndFeel.getLabelFont (label).getHeight(), 17.0f);
}

TEST (LookAndFeelFonts, LabelsWithoutOwnColourDrawWhite)
{
    LookAndFeelCustom lookAndFeel;
    juce::Label plain, coloured;
    coloured.setColour (juce::Label::textColourId, juce::Colour (0xffff7f50));

    lookAndFeel.getLabelFont (plain);
    lookAndFeel.getLabelFont (coloured);

    EXPECT_EQ (plain.findColour (juce::Label::textColourId), juce::Colours::white);
    EXPECT_EQ (coloured.findColour (juce::Label::textColourId), juce::Colour (0xffff7f50));
}

TEST (LookAndFeelFonts, NamedFaceFallsBackToMetricCompatibleThenDefault)
{
    const auto installed = juce::Font::findAllTypefaceNames();
    const auto expected = installed.contains ("Arial")           ? juce::String ("Arial")
                        : installed.contains ("Liberation Sans") ? juce::String ("Liberation Sans")
                                                                 : juce::Font::getDefaultSansSerifFontName();

    EXPECT_EQ (LookAndFeelCustom::getArialTypefaceName(), expected);
}
