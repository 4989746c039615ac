#include "support/DeviceTestSupport.h"
#include "settings/PresetChangeSetting.h"
#include "settings/TrsTypeSetting.h"
#include "settings/Sync24Setting.h"
#include "settings/PowerDownSetting.h"

namespace
{
    float version (int major, int minor) { return MidiController::firmwareVersionFromDigits (major, minor); }

    juce::String hex (juce::uint32 value) { return "0x" + juce::String::toHexString (value).toUpperCase(); }

    using Choice = PresetChangeSetting::Choice;

    /** The choice as "on, message 3, value 0, channel 16, forward off" for readable failures. */
    juce::String describe (const Choice& c)
    {
        return juce::String (c.changeFromMidi ? "on" : "off") + ", message " + juce::String (c.messageIndex)
             + ", value " + juce::String (c.valueIndex) + ", channel " + juce::String (c.channelIndex)
             + ", forward " + (c.forward ? "on" : "off");
    }

    Choice choice (bool on, int message, int value, int channel, bool forward) { return { on, message, value, channel, forward }; }
}

using DeviceSettingWords = DeviceFixture;

TEST_F (DeviceSettingWords, PresetChangeAndButtonStoresAndWhatThePanelsShow)
{
    struct Case
    {
        const char* name;
        int product;
        juce::uint32 before;
        std::optional<Choice> store;   // what the Presets panel's controls chose
        int panic;                     // the Button panel's choice (-1: untouched)
        juce::uint32 after;
        Choice shown;
        const char* valueLabel;
    };

    const Case cases[] = {
        { "the default word", productCalder, 0x4300, {}, -1,
          0x4300, choice (false, 3, 0, 16, false), "Prog number" },
        { "Any keeps the channel chosen last", productCalder, 0x02C0 | (2 << 10), choice (false, 2, 0, 16, false), -1,
          0x42C0 | (2 << 10), choice (false, 2, 0, 16, false), "Ctrl number" },
        { "channel 5 after Any", productCalder, 0x4300 | (2 << 10), choice (false, 3, 0, 4, false), -1,
          0x0300 | (4 << 10), choice (false, 3, 0, 4, false), "Prog number" },
        { "values 10 to 13 on four presets", productCalder, 0x4300, choice (false, 3, 10, 16, false), -1,
          0x000A4300, choice (false, 3, 10, 16, false), "Prog number" },
        { "pitch bend is not offered", productCalder, 0x4380, {}, -1,
          0x4380, choice (false, -1, 0, 16, false), "Pitch bend MSB" },
        { "no message stores status 0", productCalder, 0x4380, choice (false, -1, 0, 16, false), -1,
          0x4000, choice (false, -1, 0, 16, false), "Value" },
        { "enable and forward", productJorvek, 0x4300, choice (true, 0, 0, 16, true), -1,
          0xC260, choice (true, 0, 0, 16, true), "Note number" },
        { "no value chosen keeps the base value", productCalder, 0x00254300, choice (false, 3, -1, 16, false), -1,
          0x00254300, choice (false, 3, 0x25, 16, false), "Prog number" },
        { "no channel chosen keeps the channel bits", productCalder, 0x0300 | (6 << 10), choice (false, 3, 0, -1, false), -1,
          0x0300 | (6 << 10), choice (false, 3, 0, 6, false), "Prog number" },
        { "stores keep the preset, the button and bits 25-31", productCalder, 0xFF004305, choice (true, 1, 3, 9, false), -1,
          0xFF032625, choice (true, 1, 3, 9, false), "Note number" },
        { "a base value beyond the list shows none", productNorrim, 0x00754300, {}, -1,
          0x00754300, choice (false, 3, -1, 16, false), "Prog number" },
        { "the last value item of a Norrim", productNorrim, 0x00744300, {}, -1,
          0x00744300, choice (false, 3, 116, 16, false), "Prog number" },
        { "Panic changes bit 24 only", productDorvin, 0x7EFFFFE3, {}, 1,
          0x7FFFFFE3, choice (true, -1, -1, 16, true), "Value" },
        { "changing the preset again", productDorvin, 0x01004300, {}, 0,
          0x00004300, choice (false, 3, 0, 16, false), "Prog number" },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        device().setProductCode (c.product);

        auto word = c.before;

        if (c.store)
            word = PresetChangeSetting::withChoice (word, *c.store, device());

        if (c.panic >= 0)
            word = PresetChangeSetting::withButtonAction (word, c.panic == 1);

        EXPECT_EQ (hex (word), hex (c.after));
        EXPECT_EQ (describe (PresetChangeSetting::getChoice (word, device())), describe (c.shown));
        EXPECT_EQ (PresetChangeSetting::getValueLabel (word), c.valueLabel);
        EXPECT_EQ (PresetChangeSetting::sendsPanic (word), (c.after & 0x01000000) != 0);
    }
}

TEST_F (DeviceSettingWords, PresetChangeLists)
{
    struct Case { int product, items; const char* first; const char* last; };
    const Case cases[] = { { productCalder, 125, "0 to 3", "124 to 127" }, { productJorvek, 123, "0 to 5", "122 to 127" },
                           { productLissar, 121, "0 to 7", "120 to 127" }, { productNorrim, 117, "0 to 11", "116 to 127" },
                           { productNone, 113, "0 to 15", "112 to 127" } };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.product);
        const auto items = PresetChangeSetting::getValueItems (c.product);
        EXPECT_EQ (items.size(), c.items);
        EXPECT_EQ (items[0], c.first);
        EXPECT_EQ (items[items.size() - 1], c.last);
    }

    EXPECT_EQ (PresetChangeSetting::getMessageItems (device()).joinIntoString ("|"), "Note On|Note Off|Ctrl Change|Prog Change");
    EXPECT_EQ (PresetChangeSetting::getChannelItems().size(), 17);
    EXPECT_EQ (PresetChangeSetting::getChannelItems()[PresetChangeSetting::anyChannelIndex], "Any");
}

TEST_F (DeviceSettingWords, PresetChangePanelsNeedHostFirmware105AndAnIdleProduct)
{
    struct Case { const char* name; int product; float host; int mode, deviceMode; bool available, editable, shows; };
    const Case cases[] = {
        { "firmware 1.1, idle",  productCalder, version (1, 1), editorIdle, 1, true,  true,  true },
        { "firmware 1.0",        productCalder, version (1, 0), editorIdle, 1, false, false, true },
        { "busy",                productCalder, version (1, 1), editorBusy, 1, true,  false, true },
        { "bootloader",          productCalder, version (1, 1), editorIdle, 0, true,  false, false },
        { "no product",          productNone,   version (1, 1), editorIdle, 1, false, false, true },
        { "upgrade mode",        productUpgradeMode, version (1, 1), editorIdle, 1, false, false, true },
        { "firmware 0.0",        productCalder, version (0, 0), editorIdle, 1, false, false, false },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        device().setProductCode (c.product);
        device().hostFirmwareVersion = c.host;
        device().deviceMode = c.deviceMode;
        EXPECT_EQ (PresetChangeSetting::isAvailable (device()), c.available);
        EXPECT_EQ (PresetChangeSetting::isEditable (device(), c.mode), c.editable);
        EXPECT_EQ (PresetChangeSetting::canShow (device()), c.shows);
    }
}

TEST_F (DeviceSettingWords, TrsSync24AndPowerDownStoresAndWhatThePanelsShow)
{
    using Store = std::function<juce::int32 (juce::int32)>;
    using Show = std::function<juce::String (juce::int32)>;

    auto trsTypes = [] (int product)
    {
        return [product] (juce::int32 word)
        {
            juce::String shown;
            for (int i = 0; i < TrsTypeSetting::getOutputNumbers (product).size(); ++i)
                shown << (TrsTypeSetting::isTypeA (word, product, i) ? "A" : "B");
            return shown;
        };
    };

    const Show sync24 = [] (juce::int32 word)
    {
        return "input " + juce::String (Sync24Setting::getInputIndex (word)) + (Sync24Setting::isOutputOn (word) ? ", on" : ", off");
    };

    const Show powerDown = [] (juce::int32 word)
    {
        return juce::String (PowerDownSetting::powerDownTimes[PowerDownSetting::getTimeIndex (word)])
             + (PowerDownSetting::wakesUpOnUsb (word) ? ", wake-up" : "");
    };

    struct Case { const char* name; juce::int32 before; Store store; juce::int32 after; Show show; const char* shown; };

    const Case cases[] = {
        { "Jorvek: every output Type A after a reset", TrsTypeSetting::resetWord, nullptr,
          -1, trsTypes (productJorvek), "AAAAAA" },
        { "Jorvek: TRS Output 3 made Type B clears bit 18", -1,
          [] (juce::int32 w) { return TrsTypeSetting::withType (w, productJorvek, 2, false); },
          (juce::int32) 0xFFFBFFFF, trsTypes (productJorvek), "AABAAA" },
        { "Jorvek: TRS Output 6 made Type A sets bit 21 only", 0x00000001,
          [] (juce::int32 w) { return TrsTypeSetting::withType (w, productJorvek, 5, true); },
          0x00200001, trsTypes (productJorvek), "BBBBBA" },
        { "Norrim: TRS Output 12 is bit 27", 1 << 27, nullptr,
          1 << 27, trsTypes (productNorrim), "BAB" },
        { "no output chosen changes nothing", 0x1234,
          [] (juce::int32 w) { return TrsTypeSetting::withType (w, productNorrim, -1, true); },
          0x1234, trsTypes (productNorrim), "BBB" },
        { "Sync-24: the first MIDI input of a Norrim with the output on", 0x12345600,
          [] (juce::int32 w) { return Sync24Setting::withChoice (w, 32, true); },
          (juce::int32) 0x92345620, sync24, "input 32, on" },
        { "Sync-24: output off clears bit 31 only", (juce::int32) 0x80000005,
          [] (juce::int32 w) { return Sync24Setting::withChoice (w, 5, false); },
          0x00000005, sync24, "input 5, off" },
        { "Power: 1h30m with wake-up", 0,
          [] (juce::int32) { return PowerDownSetting::makeWord (true, 4); },
          0x16A, powerDown, "1h30m, wake-up" },
        { "Power: 45 minutes shows Disable", 45 << 2, nullptr,
          45 << 2, powerDown, "Disable" },
        { "Power: storing what 45 minutes shows writes 0 minutes", 45 << 2,
          [] (juce::int32 w) { return PowerDownSetting::makeWord (PowerDownSetting::wakesUpOnUsb (w), PowerDownSetting::getTimeIndex (w)); },
          0, powerDown, "Disable" },
        { "Power: a store clears every bit outside 1-9", (juce::int32) 0xFFFF0401,
          [] (juce::int32) { return PowerDownSetting::makeWord (false, 6); },
          180 << 2, powerDown, "3h" },
        { "Power: no time chosen stores 0 minutes", 0x1F0,
          [] (juce::int32) { return PowerDownSetting::makeWord (true, -1); },
          0x2, powerDown, "Disable, wake-up" },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        const auto word = c.store != nullptr ? c.store (c.before) : c.before;
        EXPECT_EQ (hex ((juce::uint32) word), hex ((juce::uint32) c.after));
        EXPECT_EQ (c.show (word), c.shown);
    }
}

TEST_F (DeviceSettingWords, NorrimSync24InputListSeparatesTheHostPorts)
{
    connectProduct (productNorrim, version (4, 5));
    const auto list = Sync24Setting::getInputList (device());

    ASSERT_EQ (list.rows.size(), 45u);
    EXPECT_EQ (list.getNumItems(), 44);
    EXPECT_TRUE (list.rows[24].isSeparator);
    EXPECT_EQ (list.rows[23].name, "USB-A Host In 24");
    EXPECT_EQ (list.rows[25].name, "USB-C Virtual In 1");

    // The first MIDI input comes after the 24 host ports and 8 virtual ports.
    EXPECT_EQ (list.getInputIndex (32), 32);
    EXPECT_EQ (list.rows[33].name, "MIDI In 1");
    EXPECT_EQ (list.rows[33].itemId, 34);
    EXPECT_EQ (list.getItemIndex (32), 32);
    EXPECT_EQ (list.getInputIndex (44), -1);
    EXPECT_EQ (list.getInputIndex (-1), -1);
}

TEST_F (DeviceSettingWords, PowerPanelNeedsHostFirmware375)
{
    const juce::String notice ("Please update the firmware to the latest version to enable this feature");

    struct Case { const char* name; int product; float host; int mode; bool enabled; bool notice; };
    const Case cases[] = {
        { "Jorvek 3.7",       productJorvek, version (3, 7), editorIdle, false, true },
        { "Jorvek 3.8",       productJorvek, version (3, 8), editorIdle, true,  false },
        { "Jorvek 3.8, busy", productJorvek, version (3, 8), editorBusy, false, false },
        { "Norrim 4.5",       productNorrim, version (4, 5), editorIdle, true,  false },
        { "no product",       productNone,   version (4, 5), editorIdle, false, true },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        device().setProductCode (c.product);
        device().hostFirmwareVersion = c.host;
        device().deviceMode = 1;

        const auto state = PowerDownSetting::getPanelState (device(), c.mode);
        EXPECT_EQ (state.enabled, c.enabled);
        EXPECT_EQ (state.toggleTooltip == notice, c.notice);
        EXPECT_EQ (state.listTooltip == notice, c.notice);
    }
}

TEST_F (DeviceSettingWords, TrsAndSync24ListsFollowTheProductAndTheMode)
{
    connectProduct (productNorrim, version (4, 5));
    EXPECT_EQ (TrsTypeSetting::getOutputNumbers (productNorrim), juce::Array<int> ({ 11, 12, 13 }));
    EXPECT_EQ (TrsTypeSetting::getOutputItemText (12), "TRS Output 12");
    EXPECT_TRUE (TrsTypeSetting::isOutputListEnabled (device(), editorIdle));
    EXPECT_FALSE (TrsTypeSetting::areTypeButtonsEnabled (device(), editorIdle, -1));
    EXPECT_TRUE (TrsTypeSetting::areTypeButtonsEnabled (device(), editorIdle, 2));
    EXPECT_FALSE (TrsTypeSetting::areTypeButtonsEnabled (device(), editorBusy, 2));

    EXPECT_TRUE (Sync24Setting::isInputListEnabled (device(), editorIdle, true));
    EXPECT_FALSE (Sync24Setting::isInputListEnabled (device(), editorIdle, false));
    EXPECT_FALSE (Sync24Setting::isToggleEnabled (device(), editorLocked));

    device().setProductCode (productCalder);
    EXPECT_FALSE (TrsTypeSetting::isOutputListEnabled (device(), editorIdle));
    EXPECT_FALSE (Sync24Setting::isToggleEnabled (device(), editorIdle));
}

//==============================================================================
class DeviceSettingWrites : public WiredDeviceFixture
{
protected:
    /** The request that went out last, and lets the next one go. */
    juce::String takeLastRequest()
    {
        auto request = lastSentHex();
        device().awaitedReply = {};
        device().waitingForReply = 0;
        device().pendingRequests.clearAll();
        return request;
    }

    static juce::String writeOf (int idByte, int kind, juce::uint32 value)
    {
        std::vector<juce::uint8> body { 0xF0, 0x00, 0x4B, 0x1D, 0x0F, (juce::uint8) idByte, 0x03, (juce::uint8) kind, 1, 0 };
        const auto packed = packed32 (value);
        body.insert (body.end(), packed.begin(), packed.end());
        body.push_back (sysexChecksum (body.data(), 6, (int) body.size()));
        body.push_back (0xF7);
        return hexBytes (body.data(), (int) body.size());
    }
};

TEST_F (DeviceSettingWrites, EachStoreWritesTheCurrentPresetsWord)
{
    connectProduct (productNorrim, version (4, 5));
    device().currentPreset = 2;
    device().presetSetting = 0x4302;
    device().trsType[2] = -1;
    const int id = device().getProductIdByte();

    EXPECT_TRUE (TrsTypeSetting::store (device(), 0, false));
    EXPECT_EQ (takeLastRequest(), writeOf (id, kindTrsType, 0xFBFFFFFF));

    EXPECT_TRUE (Sync24Setting::store (device(), 32, true));
    EXPECT_EQ (takeLastRequest(), writeOf (id, kindSync24, 0x80000020));

    PowerDownSetting::store (device(), true, 4);
    EXPECT_EQ (takeLastRequest(), writeOf (id, kindPowerDown, 0x16A));

    PresetChangeSetting::store (device(), choice (true, 3, 2, 16, false));
    EXPECT_EQ (takeLastRequest(), writeOf (id, kindPresetSetting, 0x00024322));

    PresetChangeSetting::storeButtonAction (device(), true);
    EXPECT_EQ (takeLastRequest(), writeOf (id, kindPresetSetting, 0x01024322));

    EXPECT_EQ (device().trsType[2], (juce::int32) 0xFBFFFFFF);
    EXPECT_EQ (device().sync24[2], (juce::int32) 0x80000020);
    EXPECT_EQ (device().powerDown[2], 0x16A);
    EXPECT_EQ (device().trsType[0], 0);

    // Without a chosen output or input nothing is stored or sent.
    const auto sentBefore = sent->size();
    EXPECT_FALSE (TrsTypeSetting::store (device(), -1, true));
    EXPECT_FALSE (Sync24Setting::store (device(), -1, true));
    EXPECT_EQ (sent->size(), sentBefore);
    EXPECT_EQ (device().sync24[2], (juce::int32) 0x80000020);
}
