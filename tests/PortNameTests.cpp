#include "support/DeviceTestSupport.h"

namespace
{
    float version (int major, int minor) { return MidiController::firmwareVersionFromDigits (major, minor); }

    void putDevice (UsbHostDevice& record, const char* name, int handle, juce::int32 vidPid, int cable, int instance)
    {
        record.clear();
        record.deviceHandle = handle;
        strncpy (record.name, name, 16);
        record.vidPid = vidPid;
        record.cableIndex = (juce::uint8) cable;
        record.deviceInstance = (juce::uint8) instance;
        record.hubId = 0xFF;
        record.inputCables = 2;
        record.outputCables = 3;
        record.inputBufferSize = 64;
        record.outputBufferSize = 32;
    }
}

using PortNames = DeviceFixture;

TEST_F (PortNames, NamesByPortIndex)
{
    struct Case { int code; int wireless; int index; const char* direction; bool includeAbsent; bool shortNames; const char* expected; };
    const Case cases[] = {
        { 1, 0, 12, "In",  true,  false, "BrisaCore BLE In (Not installed)" },
        { 1, 0, 12, "In",  true,  true,  "BC BLE In (NA)" },
        { 1, 0, 13, "In",  true,  false, "MIDI In 1" },
        { 1, 0, 12, "In",  false, false, "MIDI In 1" },
        { 1, 1, 12, "Out", false, false, "BrisaCore BLE Out" },
        { 2, 0,  8, "In",  true,  false, "USB-C Virtual In 1" },
        { 2, 0,  9, "Out", true,  true,  "USB-C Dev Out 2" },
        { 2, 0, 10, "In",  true,  false, "MIDI In 1" },
        { 2, 0,  0, "In",  true,  false, "USB-A Host In 1" },
        { 4, 0,  2, "Out", true,  false, "USB-C Host Out 3" },
        { 4, 0, 26, "Out", true,  false, "MIDI Out 3" },
        { 6, 0, 40, "In",  true,  false, "MIDI In 9" },   // named as A = 24, D = 8
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (juce::String (c.code) + " " + juce::String (c.index) + " " + c.direction);
        device().setProductCode (c.code);
        device().wirelessModule = c.wireless;
        EXPECT_EQ (device().getPortName (c.index, c.direction, nullptr, c.includeAbsent, c.shortNames, true, true, true, true),
                   c.expected);
    }
}

TEST_F (PortNames, Tooltips)
{
    connectProduct (productJorvek, version (4, 5));
    juce::String tooltip;

    device().getPortName (2, "Out", &tooltip, true, false, true, true, true, true);
    EXPECT_EQ (tooltip, "No USB MIDI device connected to Pellion USB-C Host Out 3");

    device().getPortName (17, "In", &tooltip, true, false, true, true, true, true);
    EXPECT_EQ (tooltip, "USB-C Virtual MIDI In 2 (From computer USB Out)");

    device().getPortName (16, "Out", &tooltip, true, false, true, true, true, true);
    EXPECT_EQ (tooltip, "USB-C Virtual MIDI Out 1 (To computer USB In)");

    device().getPortName (24, "In", &tooltip, true, false, true, true, true, true);
    EXPECT_EQ (tooltip, "MIDI In 1");

    putDevice (device().usbHostDevices[1], "KeyStation", 4, 0x0944A0B1, 1, 0);
    device().usbHostDevices[1].hubId = 2;
    device().usbHostDevices[1].hubPort = 3;
    device().usbHostDevices[1].hubPortCount = 4;
    EXPECT_EQ (device().getPortName (1, "In", &tooltip, true, false, true, true, true, true), "KeyStation-2");
    EXPECT_EQ (tooltip, "Connected MIDI device to Jorvek USB-C Host In Port 2/16\n\nDevice: KeyStation"
                        "\nVendor Id: 944\nProduct Id: A0B1\nDevice Output: 2/3\nBuffer size: 32b"
                        "\n\nUSB Hub Id: 2\nHub Port: 3/4");

    putDevice (device().usbHostDevices[16], "KeyStation", 4, -1, 0, 0);
    EXPECT_EQ (device().getPortName (0, "Out", &tooltip, true, false, true, true, true, true), "KeyStation-1");
    EXPECT_EQ (tooltip, "Connected MIDI device to Jorvek USB-C Host Out Port 1/16\n\nDevice: KeyStation"
                        "\nDevice Input: 1/2\nBuffer size: 64b\n\nUSB Hub: No hub");

    device().setProductCode (productDorvin);
    device().wirelessModule = 0;
    device().getPortName (12, "In", &tooltip, true, false, true, true, true, true);
    EXPECT_EQ (tooltip, "Optionnal Brisa Core Bluetooth In\n\nBrisa Core Not installed");
    device().getPortName (0, "In", &tooltip, true, false, true, true, true, true);
    EXPECT_EQ (tooltip, "No USB MIDI device connected to Pellion USB-A Host In 1");
}

TEST_F (PortNames, HostSlotNamesWithInstancesAndCables)
{
    connectProduct (productJorvek, version (3, 4));
    putDevice (device().usbHostDevices[0], "Pad", 1, 0x11112222, 0, 0);
    putDevice (device().usbHostDevices[1], "Pad", 2, 0x11112222, 0, 1);
    putDevice (device().usbHostDevices[2], "", 3, 0x33334444, 0, 0);

    EXPECT_EQ (device().getPortName (0, "In", nullptr, true, false, true, true, true, true), "Pad-1");
    EXPECT_EQ (device().getPortName (1, "In", nullptr, true, false, true, true, true, true), "Pad(2)-1");
    EXPECT_EQ (device().getPortName (1, "In", nullptr, true, false, true, false, false, true), "Pad");
    EXPECT_EQ (device().getPortName (2, "In", nullptr, true, false, true, true, true, true), "USB-C Host In 3");

    device().hostFirmwareVersion = version (3, 3);   // instances are not reported before 3.4
    EXPECT_EQ (device().getPortName (1, "In", nullptr, true, false, true, true, true, true), "Pad-1");
}

TEST_F (PortNames, CustomNameReplacesTheNameButNotTheTooltip)
{
    connectProduct (productJorvek, version (4, 5));
    ui.properties[device().serialText + "::MIDI In 1"] = "Synth rack";

    juce::String tooltip;
    EXPECT_EQ (device().getPortName (24, "In", &tooltip, true, false, true, true, true, true), "Synth rack");
    EXPECT_EQ (tooltip, "MIDI In 1");
    EXPECT_EQ (device().getPortName (24, "\nIn", nullptr, true, false, true, true, true, true), "Synth rack");
    EXPECT_EQ (device().getPortName (24, "In", nullptr, true, false, true, true, true, false), "MIDI In 1");

    device().serialText.clear();
    EXPECT_EQ (device().getPortName (24, "In", nullptr, true, false, true, true, true, true), "MIDI In 1");
}
