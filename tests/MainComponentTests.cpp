// Each test here builds a main component, whose destructor deletes the device object for good:
// run them one per process (ctest does), never several in one filter.

#include "support/SimTestSupport.h"
#include "app/MainComponent.h"
#include "app/WebEndpoints.h"

namespace
{
    /** Points the web endpoints at a closed local port, so that no test waits for the network. */
    void writeLocalEndpoints()
    {
        writeServerOrigins (juce::File::getSpecialLocation (juce::File::userHomeDirectory),
                            "http://127.0.0.1:9", "http://127.0.0.1:9", "http://127.0.0.1:9");
    }

    const juce::String absent ("<absent>");

    /** What the properties file holds on disk under a key right now. */
    juce::String valueOnDisk (const juce::String& key)
    {
        juce::PropertiesFile disk (toolPropertiesFile(), {});
        return disk.containsKey (key) ? disk.getValue (key) : absent;
    }

}

class MainComponentTest : public SimulatedDeviceFixture
{
protected:
    void TearDown() override
    {
        main = nullptr;
        SimulatedDeviceFixture::TearDown();
    }

    void createMain (bool localEndpoints = true)
    {
        if (localEndpoints)
            writeLocalEndpoints();

        main = std::make_unique<MainComponent>();
    }

    juce::String statusText() const  { return main->statusLabel->getText().trim(); }

    std::unique_ptr<MainComponent> main;
};

//==============================================================================
using MainComponentLayout = MainComponentTest;

TEST_F (MainComponentLayout, ChildrenFollowTheLayoutTableAtThreeSizes)
{
    using R = juce::Rectangle<int>;
    struct Case { int w, h; R status, info, version, tabs, reset, view, presets; int tabWidth; };

    // Both buttons: 4% of the height, held between 18 and 24.
    const Case cases[] = {
        { 800, 600,   { 172, 576, 456, 24 },  { 14, 460, 250, 116 }, { 14, 576, 120, 24 },  { 0, 0, 800, 450 },
                      { 300, 509, 200, 24 },  { 300, 464, 200, 24 }, { 623, 460, 156, 75 },  160 },
        { 654, 490,   { 99, 466, 456, 24 },   { 14, 376, 204, 95 },  { 14, 466, 120, 24 },  { 0, 0, 654, 368 },
                      { 245, 416, 164, 20 },  { 245, 379, 164, 20 }, { 509, 376, 128, 61 },  130 },
        { 1680, 1260, { 612, 1236, 456, 24 }, { 14, 966, 525, 244 }, { 14, 1236, 120, 24 }, { 0, 0, 1680, 945 },
                      { 630, 1069, 420, 24 }, { 630, 974, 420, 24 }, { 1308, 966, 328, 158 }, 336 },
    };

    createMain();

    for (const auto& c : cases)
    {
        SCOPED_TRACE (juce::String (c.w) + " x " + juce::String (c.h));
        main->setSize (c.w, c.h);

        EXPECT_EQ (main->statusLabel->getBounds(), c.status);
        EXPECT_EQ (main->infoLabel->getBounds(), c.info);
        EXPECT_EQ (main->versionLabel->getBounds(), c.version);
        EXPECT_EQ (main->tabs->getBounds(), c.tabs);
        EXPECT_EQ (main->buttonReset->getBounds(), c.reset);
        EXPECT_EQ (main->buttonViewFullSettings->getBounds(), c.view);
        EXPECT_EQ (main->presets->getBounds(), c.presets);

        auto& bar = main->tabs->getTabbedButtonBar();
        ASSERT_EQ (bar.getNumTabs(), 5);

        for (int i = 0; i < bar.getNumTabs(); ++i)
        {
            EXPECT_EQ (bar.getTabButton (i)->getX(), i * c.tabWidth) << "tab " << i;
            EXPECT_EQ (bar.getTabButton (i)->getWidth(), c.tabWidth) << "tab " << i;
        }
    }
}

//==============================================================================
using MainComponentProperties = MainComponentTest;

TEST_F (MainComponentProperties, PresetKeysOfOneSerialStayApartAndReachTheDisk)
{
    const auto file = toolPropertiesFile();
    ASSERT_FALSE (file.exists());

    createMain (false);
    EXPECT_EQ (main->propertiesFile->getFile(), file);

    const juce::String serial ("0000000A0000000B0000000C");
    ASSERT_TRUE (main->setDeviceProperty (serial, "Preset 1", "/presets/one.pvp"));
    ASSERT_TRUE (main->setDeviceProperty (serial, "Preset 10", "/presets/ten.pvp"));
    EXPECT_FALSE (file.exists()) << "a new value waits for the save delay";

    EXPECT_EQ (main->getDeviceProperty (serial, "Preset 1"), "/presets/one.pvp");
    EXPECT_EQ (main->getDeviceProperty (serial, "Preset 10"), "/presets/ten.pvp");
    EXPECT_EQ (main->getDeviceProperty ("0000000A0000000B0000000D", "Preset 1"), "");

    // Replacing a value saves the removal of the old one at once and the new value after the delay.
    ASSERT_TRUE (main->setDeviceProperty (serial, "Preset 1", "/presets/uno.pvp"));
    EXPECT_EQ (valueOnDisk (serial + "::Preset 1"), absent);
    EXPECT_EQ (valueOnDisk (serial + "::Preset 10"), "/presets/ten.pvp");
    EXPECT_EQ (main->getDeviceProperty (serial, "Preset 1"), "/presets/uno.pvp");
    EXPECT_TRUE (pumpUntil ([&] { return valueOnDisk (serial + "::Preset 1") == "/presets/uno.pvp"; }, 3600));

    ASSERT_TRUE (main->removeDeviceProperty (serial, "Preset 10"));
    EXPECT_EQ (valueOnDisk (serial + "::Preset 10"), absent);
    EXPECT_EQ (valueOnDisk (serial + "::Preset 1"), "/presets/uno.pvp");
    EXPECT_EQ (main->getDeviceProperty (serial, "Preset 10"), "");
    EXPECT_EQ (main->getDeviceProperty (serial, "Preset 1"), "/presets/uno.pvp");
    EXPECT_FALSE (main->removeDeviceProperty (serial, "Preset 10"));
}

TEST_F (MainComponentProperties, CorruptFileReadsAsEmptyAndRefusesDeviceWrites)
{
    const auto file = toolPropertiesFile();
    const juce::String corrupt ("<?xml version=\"1.0\"?>\n<PROPERTIES>\n  <VALUE name=\"S::Preset 1\" val=\"/a.pvp\"/");
    ASSERT_TRUE (file.create().wasOk());
    ASSERT_TRUE (file.replaceWithText (corrupt));
    const auto written = file.loadFileAsString();

    createMain (false);

    EXPECT_FALSE (main->propertiesFile->isValidFile());
    EXPECT_EQ (main->getDeviceProperty ("S", "Preset 1"), "");
    EXPECT_FALSE (main->setDeviceProperty ("S", "Preset 2", "/b.pvp"));
    EXPECT_FALSE (main->removeDeviceProperty ("S", "Preset 1"));
    EXPECT_EQ (main->getDeviceProperty ("S", "Preset 2"), "");

    main = nullptr;
    EXPECT_EQ (file.loadFileAsString(), written);
}

//==============================================================================
using MainComponentStatus = MainComponentTest;

TEST_F (MainComponentStatus, SettingsErrorsShowTheirCodeAndMayOfferOnlyTheFactoryReset)
{
    const juce::String serial ("000000010000000200000003");
    struct Case { int code, deviceMode; juce::String serial, status; bool resetEnabled; };

    const Case cases[] = {
        { 0x00, 1, serial, "-", false },
        { 0x73, 1, serial, "-", false },
        { 0x7E, 1, "",     "Error while reading/writing settings errorCode: 7Eh", false },
        { 0x76, 1, serial, "Error while reading/writing settings errorCode: 76h", true },
        { 0x76, 0, serial, "Error while reading/writing settings errorCode: 76h", false },
    };

    createMain();

    for (const auto& c : cases)
    {
        SCOPED_TRACE (juce::String::toHexString (c.code) + " mode " + juce::String (c.deviceMode) + " serial '" + c.serial + "'");
        main->setEditorsEnabled (false);
        main->setStatusText ("-");
        device().deviceMode = c.deviceMode;
        device().serialText = c.serial;

        main->reportSettingsError (c.code);

        EXPECT_EQ (statusText(), c.status);
        EXPECT_EQ (main->buttonReset->isEnabled(), c.resetEnabled);
        EXPECT_FALSE (main->buttonViewFullSettings->isEnabled());
        EXPECT_FALSE (main->presets->buttonLoadSinglePreset.isEnabled());
        EXPECT_FALSE (main->presets->presetSelector.isEnabled());
    }
}

TEST_F (MainComponentStatus, EditorsEnableWithThePresetSelectorGatedByFirmwareAndProduct)
{
    struct Case { bool enabled; int product; float hostFirmware; bool selectorEnabled; };

    const Case cases[] = {
        { true,  productJorvek,      1.105f, true },
        { true,  productJorvek,      1.05f,  true },
        { true,  productJorvek,      1.005f, false },
        { true,  productNone,        4.505f, false },
        { true,  productUpgradeMode, 4.505f, false },
        { false, productJorvek,      4.505f, false },
    };

    createMain();

    for (const auto& c : cases)
    {
        SCOPED_TRACE (juce::String ("product ") + juce::String (c.product) + " firmware " + juce::String (c.hostFirmware, 3)
                      + (c.enabled ? " enabled" : " disabled"));
        main->setEditorsEnabled (! c.enabled);
        connectProduct (c.product, c.hostFirmware);

        main->setEditorsEnabled (c.enabled);

        EXPECT_EQ (main->buttonReset->isEnabled(), c.enabled);
        EXPECT_EQ (main->buttonViewFullSettings->isEnabled(), c.enabled);
        EXPECT_EQ (main->presets->buttonLoadSinglePreset.isEnabled(), c.enabled);
        EXPECT_EQ (main->presets->presetSelector.isEnabled(), c.selectorEnabled);

        if (! c.enabled)
            EXPECT_FALSE (main->presets->buttonSaveSinglePreset.isEnabled());
    }
}

//==============================================================================
using MainComponentFullSettings = MainComponentTest;

TEST_F (MainComponentFullSettings, ViewButtonCreatesTheWindowOnceThenHidesAndShowsIt)
{
    createMain();
    auto& button = *main->buttonViewFullSettings;
    button.setEnabled (true);

    button.triggerClick();
    ASSERT_TRUE (pumpUntil ([this] { return main->fullMapWindow != nullptr && main->fullMapWindow->isVisible(); }, 2000));

    auto* window = main->fullMapWindow.get();
    EXPECT_TRUE (main->fullSettingsShown);
    EXPECT_NE (main->getFullMap(), nullptr);
    EXPECT_EQ (window->getName(), "Full settings");

    // 1120 x 620 centred in the primary display's user area, then 100 pixels right and down.
    const auto userArea = juce::Desktop::getInstance().getDisplays().getPrimaryDisplay()->userArea;
    EXPECT_EQ (window->getBounds(), juce::Rectangle<int> (1120, 620).withCentre (userArea.getCentre()).translated (100, 100));

    auto* limits = window->getConstrainer();
    ASSERT_NE (limits, nullptr);
    EXPECT_EQ (juce::Rectangle<int> (limits->getMinimumWidth(), limits->getMinimumHeight(),
                                     limits->getMaximumWidth(), limits->getMaximumHeight()),
               juce::Rectangle<int> (980, 525, 1680, 900));

    button.triggerClick();
    ASSERT_TRUE (pumpUntil ([window] { return ! window->isVisible(); }, 2000));
    EXPECT_EQ (main->fullMapWindow.get(), window);

    button.triggerClick();
    ASSERT_TRUE (pumpUntil ([window] { return window->isVisible(); }, 2000));
    EXPECT_EQ (main->fullMapWindow.get(), window);
    EXPECT_EQ (window->getBounds().getWidth(), 1120);
    EXPECT_EQ (window->getBounds().getHeight(), 620);
}


