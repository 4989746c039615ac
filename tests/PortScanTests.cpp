#include "support/DeviceTestSupport.h"
#include "settings/Settings.h"

namespace
{
    juce::Array<juce::MidiDeviceInfo> ports (std::initializer_list<const char*> names, const char* idPrefix)
    {
        juce::Array<juce::MidiDeviceInfo> list;
        int n = 0;
        for (auto* name : names)
            list.add ({ name, juce::String (idPrefix) + juce::String (n++) });
        return list;
    }
}

TEST (PortScan, ProductCodeFromPortName)
{
    struct Case { const char* name; int code; };
    const Case cases[] = {
        { "Calder-Pro",                 8 },
        { "Calder-Pro MIDI 1",          8 },
        { "Calder-Pro OUT2",            255 },
        { "[DR] Port 3",                255 },
        { "[DR] Port 1",                7 },
        { "Pellion Upg OUT2",           13 },
        { "Jorvek-Pro Saffrel Upg",     13 },
        { "Calder-Pro Jorvek-Pro",      8 },    // the first pattern decides
        { "Calder-Pro Jorvek-Pro IN3",  255 },
        { "Gavrel-Pro",                 255 },
        { "Lissar-Pro",                 255 },
        { "[JK] Jorvek",                10 },
        { "Norrim-Pro 2",               12 },   // "2" alone is no marker
        { "[NM]",                       12 },
        { "Jorvek Pro",                 255 },
        { "",                           255 },
    };

    for (const auto& c : cases)
        EXPECT_EQ (Settings::productCodeFromPortName (c.name), c.code) << c.name;
}

TEST (PortScan, FirstPortMarkers)
{
    struct Case { const char* name; bool notFirst; };
    const Case cases[] = {
        { "IN2", true }, { "IN16", true }, { "OUT2", true }, { "Port 16", true }, { "IN20", true },
        { "IN1", false }, { "OUT1", false }, { "Port 1", false }, { "In2", false }, { "Port2", false },
        { "IN17", false }, { "MIDI 2", false },
    };

    for (const auto& c : cases)
        EXPECT_EQ (Settings::isNotFirstPort (c.name), c.notFirst) << c.name;
}

class PortScanFixture : public DeviceFixture
{
protected:
    Settings settings { nullptr };
};

TEST_F (PortScanFixture, UpgradeModeSlotIsServedFirst)
{
    auto ins  = ports ({ "Calder-Pro", "Jorvek-Pro", "Jorvek-Pro Pellion Upg" }, "in");
    auto outs = ports ({ "Calder-Pro", "Jorvek-Pro", "Jorvek-Pro Pellion Upg" }, "out");

    settings.productCombo.addItem ("x", 1);
    settings.productCombo.addItem ("y", 2);
    settings.productCombo.setSelectedItemIndex (1, juce::dontSendNotification);

    EXPECT_EQ (settings.scanPorts (ins, outs), productUpgradeMode);
    EXPECT_EQ (device().inputIdentifier, "in2");
    EXPECT_EQ (device().outputIdentifier, "out2");
    EXPECT_EQ (settings.productCombo.getNumItems(), 3);
    EXPECT_EQ (settings.productCombo.getItemText (2), "#3 Kelmora Pellion Upg");
    EXPECT_EQ (settings.productCombo.getSelectedItemIndex(), 2);
    EXPECT_EQ (settings.inputPortCombo.getSelectedItemIndex(), 2);

    // Without the upgrade port, the position remembered from the list (2) is past the kept slots: nothing is served.
    ins.remove (2);
    outs.remove (2);
    EXPECT_EQ (settings.scanPorts (ins, outs), productNone);
    EXPECT_TRUE (device().inputIdentifier.isEmpty());
}

TEST_F (PortScanFixture, RememberedPositionAndMismatchedPairs)
{
    auto ins  = ports ({ "Calder-Pro", "Jorvek-Pro" }, "in");
    auto outs = ports ({ "[NM]", "Jorvek-Pro" }, "out");

    // Slot 0 pairs a Calder input with a Norrim output: no list entry, yet slot 0 is served.
    EXPECT_EQ (settings.scanPorts (ins, outs), productCalderDevice);
    EXPECT_EQ (settings.productCombo.getNumItems(), 1);
    EXPECT_EQ (settings.productCombo.getItemText (0), "#2 Kelmora Jorvek-Pro");
    EXPECT_EQ (device().inputIdentifier, "in0");
    EXPECT_EQ (device().outputIdentifier, "out0");

    // The user picked position 1 earlier: slot 1 is served.
    settings.productCombo.addItem ("second", 9);
    settings.productCombo.setSelectedItemIndex (1, juce::dontSendNotification);
    EXPECT_EQ (settings.scanPorts (ins, outs), productJorvekDevice);
    EXPECT_EQ (device().inputIdentifier, "in1");
}

TEST_F (PortScanFixture, RecognisedInputWithoutOutputIsNoProduct)
{
    device().inputIdentifier = "stale";
    EXPECT_EQ (settings.scanPorts (ports ({ "Jorvek-Pro" }, "in"), ports ({ "Some Synth" }, "out")), productNone);
    EXPECT_TRUE (device().inputIdentifier.isEmpty());
    EXPECT_TRUE (device().outputIdentifier.isEmpty());
    EXPECT_EQ (settings.inputPortCombo.getNumItems(), 1);
    EXPECT_EQ (settings.outputPortCombo.getNumItems(), 0);
}

TEST_F (PortScanFixture, ManualModeKeepsEightPortsAndNeedsAProduct)
{
    settings.autoDetectToggle.setToggleState (false, juce::dontSendNotification);
    auto ins = ports ({ "A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K", "L" }, "in");
    auto outs = ports ({ "X" }, "out");
    device().inputIdentifier = "previous";

    EXPECT_EQ (settings.scanPorts (ins, outs), productNone);
    EXPECT_EQ (settings.inputPortCombo.getNumItems(), 8);
    EXPECT_EQ (settings.inputPortCombo.getItemId (7), 8);
    EXPECT_EQ (settings.inputSlotIdentifiers[7], "in7");
    EXPECT_EQ (settings.inputSlotCodes[0], 255);
    EXPECT_TRUE (device().inputIdentifier.isEmpty());

    ASSERT_EQ (settings.productCombo.getNumItems(), 3);
    EXPECT_EQ (settings.productCombo.getItemText (0), "Kelmora Calder Pro");
    EXPECT_EQ (settings.productCombo.getItemId (2), productJorvekDevice);

    settings.productCombo.setSelectedId (productDorvinDevice, juce::dontSendNotification);
    device().inputIdentifier = "chosen by hand";
    EXPECT_EQ (settings.scanPorts (ins, outs), productDorvinDevice);
    EXPECT_EQ (device().inputIdentifier, "chosen by hand");
}
