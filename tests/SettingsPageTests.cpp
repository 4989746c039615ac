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
    // Drawn with the application's look, each caption's text stands out from what lies behind it. The
    // text's pixels are those that change when the text is drawn in a transparent colour; a toggle's
    // tick box or a group's outline does not count.
    LookAndFeelCustom look;
    page.setLookAndFeel (&look);
    page.setBounds (0, 0, 800, 448);

    auto captionContrast = [this] (juce::Component& caption, int textColourId)
    {
        const auto area = page.getLocalArea (&caption, caption.getLocalBounds());
        const bool hadColour = caption.isColourSpecified (textColourId);
        const auto colour = caption.findColour (textColourId);

        const auto shown = page.createComponentSnapshot (area);
        caption.setColour (textColourId, juce::Colours::transparentBlack);
        const auto blank = page.createComponentSnapshot (area);

        if (hadColour)
            caption.setColour (textColourId, colour);
        else
            caption.removeColour (textColourId);

        float contrast = 0.0f;

        for (int y = 0; y < shown.getHeight(); ++y)
            for (int x = 0; x < shown.getWidth(); ++x)
                contrast = juce::jmax (contrast, std::abs (shown.getPixelAt (x, y).getPerceivedBrightness()
                                                             - blank.getPixelAt (x, y).getPerceivedBrightness()));
        return contrast;
    };

    const int label = juce::Label::textColourId, button = juce::ToggleButton::textColourId,
              group = juce::GroupComponent::textColourId;

    struct Caption { const char* name; int tab; juce::Component* component; int textColourId; };

    auto checkCaptions = [&] (const std::vector<Caption>& captions)
    {
        for (const auto& c : captions)
        {
            SCOPED_TRACE (c.name);

            if (c.tab >= 0)
                page.deviceTabs.setCurrentTabIndex (c.tab, false);

            for (auto* shown = c.component; shown != &page; shown = shown->getParentComponent())
                ASSERT_TRUE (shown->isVisible());

            EXPECT_GT (captionContrast (*c.component, c.textColourId), 0.4f);
        }
    };

    // A Norrim shows every panel but the Button one; the page's controls are usable.
    connectProduct (productNorrim, MidiController::firmwareVersionFromDigits (4, 5));
    page.buildDeviceTabs();
    page.resetDeviceSettings();
    device().presetSetting |= 0x20;
    page.updateEnablement (editorIdle);

    auto& presets = *page.getPresetsPanel();
    auto& trs = *page.getTrsPanel();
    auto& sync24 = *page.getSync24Panel();
    auto& power = *page.getPowerDownPanel();
    auto& dump = *page.getDumpPanel();

    checkCaptions ({
        { "MIDI Settings",    -1, &page.midiSettingsGroup, group },
        { "Auto detect",      -1, &page.autoDetectToggle,  button },
        { "Product",          -1, &page.productLabel,      label },
        { "MIDI Input",       -1, &page.midiInputLabel,    label },
        { "MIDI Output",      -1, &page.midiOutputLabel,   label },
        { "USB String name",  -1, &page.usbNameLabel,      label },
        { "Preset Settings",  0,  &presets.group,          group },
        { "Enable changing",  0,  &presets.enableToggle,   button },
        { "Message",          0,  &presets.messageLabel,   label },
        { "Channel",          0,  &presets.channelLabel,   label },
        { "Value",            0,  &presets.valueLabel,     label },
        { "Forward",          0,  &presets.forwardToggle,  button },
        { "TRS Output",       1,  &trs.group,              group },
        { "TRS note",         1,  &trs.noteLabel,          label },
        { "Enable Sync-24",   2,  &sync24.outputToggle,    button },
        { "Power Down",       3,  &power.group,            group },
        { "Wake-Up",          3,  &power.wakeUpToggle,     button },
        { "Time before",      3,  &power.timeLabel,        label },
        { "Dump instructions", 4, &dump.infoLabel,         label },
    });

    // "Type A" and "Type B" are usable once an output is chosen; the Button panel is a Calder's.
    page.deviceTabs.setCurrentTabIndex (1, false);
    trs.outputList.setSelectedItemIndex (0, juce::sendNotificationSync);
    checkCaptions ({ { "Type A", 1, &trs.typeAButton, button },
                     { "Type B", 1, &trs.typeBButton, button } });

    connectProduct (productCalder, MidiController::firmwareVersionFromDigits (4, 5));
    page.buildDeviceTabs();
    page.updateEnablement (editorIdle);
    auto& buttonPanel = *page.getButtonPanel();

    checkCaptions ({
        { "Button Settings",       1, &buttonPanel.group,              group },
        { "Change current preset", 1, &buttonPanel.changePresetButton, button },
        { "Send Panic",            1, &buttonPanel.sendPanicButton,    button },
    });

    page.setLookAndFeel (nullptr);
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
