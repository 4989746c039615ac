#include "support/DeviceTestSupport.h"
#include "support/MessagePump.h"
#include "settings/Settings.h"

namespace
{
    float version (int major, int minor) { return MidiController::firmwareVersionFromDigits (major, minor); }

    /** A user's click on a toggle or radio button: it changes and tells its listeners at once. */
    void click (juce::Button& button)
    {
        button.setToggleState (! button.getToggleState() || button.getRadioGroupId() != 0, juce::sendNotificationSync);
    }

    void choose (juce::ComboBox& list, int itemIndex)
    {
        list.setSelectedItemIndex (itemIndex, juce::sendNotificationSync);
    }
}

/** A Settings page (without a main component) for an identified product whose writes are recorded. */
class SettingsPanels : public WiredDeviceFixture
{
protected:
    void showProduct (int product, float hostFirmware = version (4, 5))
    {
        connectProduct (product, hostFirmware);
        device().currentPreset = 0;
        page.buildDeviceTabs();
        page.resetDeviceSettings();
        page.updateEnablement (editorIdle);
        answerAll();
    }

    /** As if the product had answered every request that is out. */
    void answerAll()
    {
        device().stopTimer();
        device().waitingForReply = 0;
        device().awaitedReply = {};
        device().pendingRequests.clearAll();
        sent->clear();
    }

    /** The settings writes sent, as "kind K: 0x..." (item 0, one 32-bit value). */
    juce::StringArray writes() const
    {
        juce::StringArray result;

        for (auto& m : *sent)
        {
            const auto* b = m.getRawData();

            if (m.getRawDataSize() < 16 || (b[6] & 0x0F) != SYSX_TYPE_WRITE)
                continue;

            juce::uint32 value = (juce::uint32) (b[10] & 0x0F) | ((juce::uint32) b[11] << 4) | ((juce::uint32) b[12] << 11)
                               | ((juce::uint32) b[13] << 18) | ((juce::uint32) b[14] << 25);
            result.add ("kind " + juce::String (b[7]) + ": 0x" + juce::String::toHexString (value).toUpperCase());
        }

        return result;
    }

    Settings page { nullptr };
};

TEST_F (SettingsPanels, EachChoiceWritesItsWordOnce)
{
    struct Case
    {
        const char* name;
        int product;
        std::function<void (Settings&)> act;
        const char* written;
    };

    const Case cases[] = {
        { "changing presets from MIDI", productCalder,
          [] (Settings& s) { click (s.getPresetsPanel()->enableToggle); },                 "kind 4: 0x4320" },
        { "the button sends Panic", productCalder,
          [] (Settings& s) { click (s.getButtonPanel()->sendPanicButton); },              "kind 4: 0x1004300" },
        { "Jorvek TRS output 3 Type B", productJorvek,
          [] (Settings& s) { choose (s.getTrsPanel()->outputList, 2); click (s.getTrsPanel()->typeBButton); }, "kind 5: 0xFFFBFFFF" },
        { "Norrim TRS output 12 Type B", productNorrim,
          [] (Settings& s) { choose (s.getTrsPanel()->outputList, 1); click (s.getTrsPanel()->typeBButton); }, "kind 5: 0xF7FFFFFF" },
        { "Sync-24 output on, first input", productNorrim,
          [] (Settings& s) { click (s.getSync24Panel()->outputToggle); },                 "kind 6: 0x80000000" },
        { "Sync-24 from the first MIDI input", productNorrim,
          [] (Settings& s) { choose (s.getSync24Panel()->inputList, 32); },               "kind 6: 0x20" },
        { "wake-up from USB", productJorvek,
          [] (Settings& s) { click (s.getPowerDownPanel()->wakeUpToggle); },              "kind 10: 0x2" },
        { "power down after 1h30m", productJorvek,
          [] (Settings& s) { choose (s.getPowerDownPanel()->timeList, 4); },              "kind 10: 0x168" },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        showProduct (c.product);
        c.act (page);
        EXPECT_EQ (writes().joinIntoString (", "), c.written);
    }

    // Choices build on each other: "Any", then channel 5; then 1h30m with the wake-up.
    showProduct (productJorvek);
    auto& presets = *page.getPresetsPanel();
    click (presets.enableToggle);
    answerAll();
    page.updateEnablement (editorIdle);
    ASSERT_TRUE (presets.channelList.isEnabled());
    EXPECT_EQ (presets.channelList.getText(), "Any");
    choose (presets.channelList, 4);
    EXPECT_EQ (writes().joinIntoString (", "), "kind 4: 0x1320");

    auto& power = *page.getPowerDownPanel();
    click (power.wakeUpToggle);
    answerAll();
    choose (power.timeList, 4);
    EXPECT_EQ (writes().joinIntoString (", "), "kind 10: 0x16A");
}

TEST_F (SettingsPanels, ControlsCanBeUsedOnlyWhenTheirChoiceMeansSomething)
{
    // The message, channel and value lists follow "Enable changing preset from MIDI messages".
    showProduct (productCalder);
    auto& presets = *page.getPresetsPanel();
    EXPECT_TRUE (presets.enableToggle.isEnabled());
    EXPECT_FALSE (presets.messageList.isEnabled());
    EXPECT_EQ (presets.messageList.getText(), "Prog Change");
    EXPECT_EQ (presets.valueList.getText(), "0 to 3");
    EXPECT_EQ (presets.valueLabel.getText(), "Prog number");
    EXPECT_TRUE (page.getButtonPanel()->changePresetButton.getToggleState());

    click (presets.enableToggle);
    answerAll();
    page.updateEnablement (editorIdle);
    EXPECT_TRUE (presets.messageList.isEnabled());
    EXPECT_TRUE (presets.forwardToggle.isEnabled());

    // "Type A" and "Type B" wait for a TRS output.
    showProduct (productNorrim);
    auto& trs = *page.getTrsPanel();
    EXPECT_TRUE (trs.outputList.isEnabled());
    EXPECT_FALSE (trs.typeAButton.isEnabled());
    choose (trs.outputList, 2);
    EXPECT_TRUE (trs.typeAButton.isEnabled());
    EXPECT_TRUE (trs.typeAButton.getToggleState()) << "the reset makes every output Type A";
    EXPECT_TRUE (writes().isEmpty()) << "choosing an output writes nothing";

    // The Sync-24 input list waits for the output, even when no input could be stored yet.
    auto& sync24 = *page.getSync24Panel();
    EXPECT_FALSE (sync24.inputList.isEnabled());
    device().sync24[0] = 63;   // an input the Norrim does not have
    sync24.refresh();
    EXPECT_EQ (sync24.inputList.getSelectedItemIndex(), -1);
    click (sync24.outputToggle);
    EXPECT_TRUE (writes().isEmpty());
    EXPECT_TRUE (sync24.inputList.isEnabled());
    choose (sync24.inputList, 0);
    EXPECT_EQ (writes().joinIntoString (", "), "kind 6: 0x80000000");

    // Power down needs host firmware 3.75.
    showProduct (productJorvek, version (3, 7));
    auto& power = *page.getPowerDownPanel();
    EXPECT_FALSE (power.timeList.isEnabled());
    EXPECT_EQ (power.wakeUpToggle.getTooltip(), "Please update the firmware to the latest version to enable this feature");
    EXPECT_EQ (power.timeList.getTooltip(), "Please update the firmware to the latest version to enable this feature");
}
