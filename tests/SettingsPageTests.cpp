#include "support/DeviceTestSupport.h"
#include "support/MessagePump.h"
#include "settings/Settings.h"

namespace
{
    float version (int major, int minor) { return MidiController::firmwareVersionFromDigits (major, minor); }

    juce::StringArray tabNames (const juce::TabbedComponent& tabs)
    {
        return tabs.getTabNames();
    }
}

/** A Settings page without a main component, over the device object. */
class SettingsPage : public DeviceFixture
{
protected:
    Settings page { nullptr };
};

TEST_F (SettingsPage, SubTabsFollowTheProduct)
{
    struct Case { int product; float hostFirmware; const char* tabs; bool deviceTabEnabled; };
    const Case cases[] = {
        { productNone,        0.0f,           "Presets Device",                            false },
        { productUpgradeMode, version (4, 5), "Presets Device",                            true  },
        { productDorvin,      version (2, 4), "Presets Button Device",                     false },
        { productCalder,      version (2, 5), "Presets Button Device",                     true  },
        { productGavrel,      version (4, 5), "Presets Device",                            true  },
        { productJorvek,      version (4, 5), "Presets TRS Types Power Device",            true  },
        { productLissar,      version (4, 5), "Presets Device",                            true  },
        { productNorrim,      version (4, 5), "Presets TRS Types Sync-24 Power Device",    true  },
        { productNorrimDevice, version (4, 5), "Presets Device",                           true  },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (juce::String::formatted ("product %d, host firmware %.3f", c.product, c.hostFirmware).toStdString());
        connectProduct (c.product, c.hostFirmware);
        page.buildDeviceTabs();

        EXPECT_EQ (tabNames (page.deviceTabs).joinIntoString (" "), c.tabs);
        auto& bar = page.deviceTabs.getTabbedButtonBar();
        EXPECT_EQ (bar.getTabButton (bar.getNumTabs() - 1)->isEnabled(), c.deviceTabEnabled);

        // Each tab shows its own panel; a product without a tab has no panel for it.
        const auto names = tabNames (page.deviceTabs);
        EXPECT_EQ (page.getButtonPanel() != nullptr, names.contains ("Button"));
        EXPECT_EQ (page.getTrsPanel() != nullptr, names.contains ("TRS Types"));
        EXPECT_EQ (page.getSync24Panel() != nullptr, names.contains ("Sync-24"));
        EXPECT_EQ (page.getPowerDownPanel() != nullptr, names.contains ("Power"));
        ASSERT_NE (page.getPresetsPanel(), nullptr);
        ASSERT_NE (page.getDumpPanel(), nullptr);
        EXPECT_EQ (page.deviceTabs.getTabContentComponent (0), page.getPresetsPanel());
        EXPECT_EQ (page.deviceTabs.getTabContentComponent (bar.getNumTabs() - 1), page.getDumpPanel());
    }
}

TEST_F (SettingsPage, TrsOutputsOfTheJorvekAndTheNorrim)
{
    struct Case { int product; juce::StringArray items; juce::Array<int> ids; };
    const Case cases[] = {
        { productJorvek, { "TRS Output 1", "TRS Output 2", "TRS Output 3", "TRS Output 4", "TRS Output 5", "TRS Output 6" },
          { 1, 2, 3, 4, 5, 6 } },
        { productNorrim, { "TRS Output 11", "TRS Output 12", "TRS Output 13" }, { 11, 12, 13 } },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.product);
        connectProduct (c.product, version (4, 5));
        page.buildDeviceTabs();
        auto& list = page.getTrsPanel()->outputList;

        ASSERT_EQ (list.getNumItems(), c.items.size());
        for (int i = 0; i < list.getNumItems(); ++i)
        {
            EXPECT_EQ (list.getItemText (i), c.items[i]);
            EXPECT_EQ (list.getItemId (i), c.ids[i]);
        }
    }

    // The power list holds the seven times.
    auto& times = page.getPowerDownPanel()->timeList;
    ASSERT_EQ (times.getNumItems(), 7);
    EXPECT_EQ (times.getItemText (0), "Disable");
    EXPECT_EQ (times.getItemText (4), "1h30m");
    EXPECT_EQ (times.getItemId (6), 7);
}

TEST_F (SettingsPage, NothingConnectedShowsWhatTheSearchLooksFor)
{
    // The lists say what automatic mode looks for before the first search fills them.
    EXPECT_EQ (page.productCombo.getTextWhenNothingSelected(), "Auto");
    EXPECT_EQ (page.inputPortCombo.getTextWhenNothingSelected(), "No MIDI input found");
    EXPECT_EQ (page.outputPortCombo.getTextWhenNothingSelected(), "No MIDI output found");
    EXPECT_EQ (page.productCombo.getTooltip(),
               "In case of multiple devices are connected to the software, you can select here which device to connect to");
    EXPECT_EQ (page.inputPortCombo.getTooltip(), "This list is not selectable in automatic mode, it should not be modified");
    EXPECT_EQ (page.outputPortCombo.getTooltip(), "This list is not selectable in automatic mode, it should not be modified");

    // Each list has its caption.
    EXPECT_EQ (page.productLabel.getText(), "Product");
    EXPECT_EQ (page.midiInputLabel.getText(), "MIDI Input\n");
    EXPECT_EQ (page.midiOutputLabel.getText(), "MIDI Output\n");
    EXPECT_EQ (page.autoDetectToggle.getButtonText(), "Auto detect");
    EXPECT_TRUE (page.autoDetectToggle.getToggleState());

    // Built locked: nothing can be used but the toggle; "Rescan MIDI" is never shown.
    EXPECT_FALSE (page.productCombo.isEnabled());
    EXPECT_FALSE (page.connectButton.isEnabled());
    EXPECT_TRUE (page.autoDetectToggle.isEnabled());
    EXPECT_FALSE (page.rescanButton.isVisible());
    EXPECT_EQ (page.lastEnablementMode, editorBusy);
}

TEST_F (SettingsPage, CaptionsReadOnThePagesBackground)
{
    // Drawn with the application's look, each caption stands out from the page behind it.
    LookAndFeelCustom look;
    page.setLookAndFeel (&look);
    page.setBounds (0, 0, 800, 448);
    const auto snapshot = page.createComponentSnapshot (page.getLocalBounds());
    page.setLookAndFeel (nullptr);

    auto brightness = [] (juce::Colour c) { return c.getPerceivedBrightness(); };
    const auto background = snapshot.getPixelAt (5, 5);

    for (juce::Component* caption : { (juce::Component*) &page.autoDetectToggle, (juce::Component*) &page.productLabel,
                                      (juce::Component*) &page.midiInputLabel, (juce::Component*) &page.midiOutputLabel,
                                      (juce::Component*) &page.usbNameLabel })
    {
        SCOPED_TRACE (caption->getName().toStdString());
        float brightest = 0.0f;
        const auto area = caption->getBounds();

        for (int y = area.getY(); y < area.getBottom(); ++y)
            for (int x = area.getX(); x < area.getRight(); ++x)
                brightest = juce::jmax (brightest, brightness (snapshot.getPixelAt (x, y)));

        EXPECT_GT (brightest - brightness (background), 0.6f);
    }
}

TEST_F (SettingsPage, EnablementFollowsTheConnectionTheModeAndTheFirmware)
{
    struct Case
    {
        const char* name;
        int deviceMode, mode;
        float hostFirmware, deviceFirmware;
        bool automatic;
        bool productList, connect, usbEditor, presets, dump;
    };

    const Case cases[] = {
        { "idle, automatic",          1,   editorIdle, version (4, 5), version (7, 1), true,  true,  false, true,  true,  true  },
        { "idle, by hand",            1,   editorIdle, version (4, 5), version (7, 1), false, true,  true,  true,  true,  true  },
        { "busy",                     1,   editorBusy, version (4, 5), version (7, 1), false, true,  true,  false, false, false },
        { "bootloader, by hand",      0,   editorIdle, version (4, 5), version (7, 1), false, false, false, false, false, false },
        { "no product",               255, editorBusy, 0.0f,           0.0f,           true,  false, false, false, false, false },
        { "host 2.4: no dump",        1,   editorIdle, version (2, 4), version (7, 1), true,  true,  false, true,  true,  false },
        { "host 1.0: no preset change", 1, editorIdle, version (1, 0), version (7, 1), true,  true,  false, true,  false, false },
        { "device core 6.9: no name", 1,   editorIdle, version (4, 5), version (6, 9), true,  true,  false, false, true,  true  },
    };

    page.inputPortCombo.addItem ("Jorvek-Pro MIDI 1", 1);
    page.outputPortCombo.addItem ("Jorvek-Pro MIDI 1", 1);
    page.inputPortCombo.setSelectedItemIndex (0, juce::dontSendNotification);
    page.outputPortCombo.setSelectedItemIndex (0, juce::dontSendNotification);

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        connectProduct (productCalder, c.hostFirmware, c.deviceFirmware);
        device().deviceMode = c.deviceMode;
        page.autoDetectToggle.setToggleState (c.automatic, juce::dontSendNotification);

        page.updateEnablement (c.mode);

        EXPECT_EQ (page.productCombo.isEnabled(), c.productList);
        EXPECT_EQ (page.connectButton.isEnabled(), c.connect);
        EXPECT_TRUE (page.autoDetectToggle.isEnabled());
        EXPECT_EQ (page.usbNameEditor.isEnabled(), c.usbEditor);
        EXPECT_FLOAT_EQ (page.usbNameEditor.getAlpha(), c.usbEditor ? 1.0f : 0.4f);
        EXPECT_EQ (page.getPresetsPanel()->enableToggle.isEnabled(), c.presets);
        EXPECT_EQ (page.getDumpPanel()->startDumpButton.isEnabled(), c.dump);
    }
}

TEST_F (SettingsPage, ConnectReadsOnlyThePortSlotsItHas)
{
    struct Case { int position, slotValue, slot; };
    const Case cases[] = {
        { 0, 0, 0 }, { 7, 7, 7 }, { 3, 255, -1 }, { 2, 8, -1 }, { 1, -1, -1 }, { 8, 0, -1 }, { -1, 0, -1 }, { 200, 0, -1 },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (juce::String::formatted ("position %d holding %d", c.position, c.slotValue).toStdString());
        int indices[Settings::numPortSlots] = { 0, 1, 2, 3, 4, 5, 6, 7 };

        if (juce::isPositiveAndBelow (c.position, Settings::numPortSlots))
            indices[c.position] = c.slotValue;

        EXPECT_EQ (Settings::findSlotOfListPosition (indices, c.position), c.slot);
    }

    // A list item whose slot entry is spoilt is not taken: the identifiers stay as they were.
    page.autoDetectToggle.setToggleState (false, juce::dontSendNotification);
    page.productCombo.addItem ("Kelmora Jorvek Pro", productJorvekDevice);
    page.productCombo.setSelectedId (productJorvekDevice, juce::dontSendNotification);
    page.inputPortCombo.addItem ("Jorvek-Pro MIDI 1", 1);
    page.outputPortCombo.addItem ("Jorvek-Pro MIDI 1", 1);
    page.inputSlotIndices[0] = 200;
    page.outputSlotIndices[0] = -3;
    device().inputIdentifier = "kept input";
    device().outputIdentifier = "kept output";

    page.inputPortCombo.setSelectedItemIndex (0, juce::sendNotificationSync);
    page.outputPortCombo.setSelectedItemIndex (0, juce::sendNotificationSync);
    page.connect();

    EXPECT_EQ (device().inputIdentifier, "kept input");
    EXPECT_EQ (device().outputIdentifier, "kept output");
    EXPECT_EQ (device().productCode, productJorvekDevice);
}

TEST_F (SettingsPage, ResetPutsBackOnlyTheWordsOfThePanelsTheProductHas)
{
    struct Case { int product; bool trsReset, powerReset, syncReset; };
    const Case cases[] = {
        { productCalder, false, false, false },
        { productJorvek, true,  true,  false },
        { productNorrim, true,  true,  true  },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.product);
        connectProduct (c.product, version (4, 5));
        page.buildDeviceTabs();

        for (int preset = 0; preset < MidiController::numPresetRows; ++preset)
        {
            device().trsType[preset] = 5;
            device().powerDown[preset] = 0x16A;
            device().sync24[preset] = 0x80000020;
        }

        device().presetSetting = 0x01234567;
        device().currentPreset = 7;
        page.getDumpPanel()->appendText ("dump");
        page.getDumpPanel()->setCopyEnabled (true);

        page.resetDeviceSettings();

        EXPECT_EQ (device().presetSetting, 0x4300u);
        EXPECT_EQ (device().currentPreset, 0);
        EXPECT_EQ (device().trsType[15], c.trsReset ? -1 : 5);
        EXPECT_EQ (device().powerDown[15], c.powerReset ? 0 : 0x16A);
        EXPECT_EQ (device().sync24[15], c.syncReset ? 0 : (juce::int32) 0x80000020);
        EXPECT_TRUE (page.getDumpPanel()->getDumpText().isEmpty());
        EXPECT_FALSE (page.getDumpPanel()->isCopyEnabled());
    }
}
