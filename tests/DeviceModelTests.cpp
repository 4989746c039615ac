#include "support/DeviceTestSupport.h"

namespace
{
    juce::String presetNameOf (const MidiController& d, int preset)
    {
        juce::String name;
        for (int i = 0; i < 16; ++i)
        {
            auto c = (char) ((d.presetNames[preset][i / 4] >> (24 - 8 * (i % 4))) & 0xFF);
            if (c == 0)
                break;
            name += juce::String::charToString ((juce::juce_wchar) c);
        }
        return name;
    }

    float version (int major, int minor) { return MidiController::firmwareVersionFromDigits (major, minor); }
}

using DeviceModel = DeviceFixture;

TEST_F (DeviceModel, ProductTablesForEveryCode)
{
    struct Row { int code, hostPorts, virtualPorts, localPorts, presets, mappers, curves, idByte, deviceCoreId;
                 juce::uint32 flashStart, flashEnd, flashSpan; };

    const Row rows[] = {
        { 1,  8, 4,  7,  4, 16, 4, 31, 33, 0x3000, 0x40000, 0x3D000 },
        { 2,  8, 2,  3,  4, 16, 4, 34, 35, 0x3000, 0x40000, 0x3D000 },
        { 3, 12, 4,  8,  4, 16, 4, 36, 37, 0x3000, 0,       0 },
        { 4, 16, 8, 14,  6, 16, 4, 38, 39, 0x3000, 0x78000, 0x75000 },
        { 5, 24, 8, 16,  8, 24, 4, 40, 41, 0x3000, 0,       0 },
        { 6, 24, 8, 20, 12, 24, 4, 42, 43, 0x3000, 0x80000, 0x7D000 },
        { 7,  0, 0,  0,  0,  0, 0, 33, 255, 0x2800, 0x8000,  0x5800 },
        { 8,  0, 0,  0,  0,  0, 0, 35, 255, 0x2800, 0x8000,  0x5800 },
        { 9,  0, 0,  0,  0,  0, 0, 37, 255, 0x2800, 0,       0 },
        { 10, 0, 0,  0,  0,  0, 0, 39, 255, 0x2800, 0x20000, 0x1D800 },
        { 11, 0, 0,  0,  0,  0, 0, 41, 255, 0x2800, 0,       0 },
        { 12, 0, 0,  0,  0,  0, 0, 43, 255, 0x2800, 0x40000, 0x3D800 },
        { 13, 0, 0,  0,  0,  0, 0,  0, 255, 0,      0,       0 },
        { 255, 0, 0, 0,  0,  0, 0,  0, 255, 0,      0,       0 },
    };

    for (const auto& row : rows)
    {
        SCOPED_TRACE ("product code " + std::to_string (row.code));
        device().setProductCode (row.code);
        device().hostFirmwareVersion = version (3, 0);

        EXPECT_EQ (device().getNumUsbHostPorts(), row.hostPorts);
        EXPECT_EQ (device().getNumUsbVirtualPorts(), row.virtualPorts);
        EXPECT_EQ (device().getNumLocalPorts(), row.localPorts);
        EXPECT_EQ (device().getNumPresets(), row.presets);
        EXPECT_EQ (device().getNumMappers(), row.mappers);
        EXPECT_EQ (device().getNumVelocityCurves(), row.curves);
        EXPECT_EQ (device().getProductIdByte(), row.idByte);
        EXPECT_EQ (device().getDeviceCoreId(), row.deviceCoreId);
        EXPECT_EQ (device().flashStart, row.flashStart);
        EXPECT_EQ (device().flashEnd, row.flashEnd);
        EXPECT_EQ (device().flashSpan, row.flashSpan);
        EXPECT_EQ (device().isDeviceCore(), row.code >= 7 && row.code <= 12);
        EXPECT_EQ (device().getNumLfos(), row.code <= 6 ? 4 : 0);
    }
}

TEST_F (DeviceModel, FirmwareVersionsSitBetweenThresholds)
{
    EXPECT_FLOAT_EQ (version (2, 8), 2.805f);
    EXPECT_EQ (MidiController::firmwareTextFromDigits (2, 8), "2.8");
    EXPECT_GT (version (2, 8), 2.75f);
    EXPECT_LT (version (2, 7), 2.75f);

    device().setProductCode (productJorvek);
    device().hostFirmwareVersion = 4.405f;
    EXPECT_EQ (device().getNumMappers(), 16);
    device().hostFirmwareVersion = 4.505f;
    EXPECT_EQ (device().getNumMappers(), 24);
}

TEST_F (DeviceModel, ChannelMessageTables)
{
    EXPECT_EQ (device().statusToMessageIndex (0x90), 0);
    EXPECT_EQ (device().statusToMessageIndex (0xA0), 6);
    EXPECT_EQ (device().statusToMessageIndex (0x91), -1);
    EXPECT_EQ (device().messageIndexToStatus (7), 0x90);
    EXPECT_EQ (device().messageIndexToStatus (8), 255);
    EXPECT_EQ (device().messageIndexToStatus (-1), 255);
    EXPECT_EQ (MidiController::getNumDataBytes (0xC5), 1);
    EXPECT_EQ (MidiController::getNumDataBytes (0xF2), 2);
    EXPECT_EQ (MidiController::getNumDataBytes (0xF8), 0);
    EXPECT_EQ (MidiController::getStatusName (0xD0), "Chann Aftertouch");
    EXPECT_EQ (MidiController::getStatusShortName (0x42), "Undef.");
}

TEST_F (DeviceModel, SwitchToHostCore)
{
    device().setProductCode (productJorvek);
    device().switchToHostCore();
    EXPECT_EQ (device().productCode, productJorvek);

    device().setProductCode (productJorvekDevice);
    device().switchToHostCore();
    EXPECT_EQ (device().productCode, productJorvek);
    EXPECT_EQ (device().flashEnd, 0x78000u);
    pump (20);
    EXPECT_EQ (ui.lastStatus(), "Switching to Pv core...");
}

TEST_F (DeviceModel, ResetDeviceStateRestoresDefaultPresetNames)
{
    for (int p = 0; p < 16; ++p)
        for (auto& w : device().presetNames[p])
            w = 0x41414141;

    device().setProductCode (productNorrim);
    device().resetDeviceState();

    for (int p = 0; p < 12; ++p)
        EXPECT_EQ (presetNameOf (device(), p), "Preset " + juce::String (p + 1));

    EXPECT_EQ (presetNameOf (device(), 12), "AAAAAAAAAAAAAAAA");
    EXPECT_EQ (device().productCode, productNone);
    EXPECT_EQ (device().deviceMode, 255);

    for (int p = 0; p < 16; ++p)
        for (auto& w : device().presetNames[p])
            w = 0x41414141;

    device().setProductCode (productCalder);
    device().resetDeviceState();
    EXPECT_EQ (presetNameOf (device(), 3), "Preset 4");
    EXPECT_EQ (presetNameOf (device(), 4), "AAAAAAAAAAAAAAAA");

    for (int code : { (int) productNone, (int) productUpgradeMode })
    {
        device().setProductCode (code);
        device().resetDeviceState();
        EXPECT_EQ (presetNameOf (device(), 0), "Preset 1") << code;   // untouched since the Calder's reset
        EXPECT_EQ (presetNameOf (device(), 5), "AAAAAAAAAAAAAAAA") << code;
    }
}

TEST_F (DeviceModel, ResetDeviceStateForgetsTheConnection)
{
    connectProduct (productJorvek, 4.505f);
    device().presetSetting = 0x4305;
    device().currentPreset = 5;
    device().markForWrite (kindRouter, 3);
    device().usbHostDevices[5].deviceHandle = 7;
    device().reportedDevices.add (0x12345678);
    device().upgradeStep = 2;
    device().routerMasks[0][0] = 0xABCD;

    device().resetDeviceState();

    EXPECT_EQ (device().presetSetting, 0x4300u);
    EXPECT_EQ (device().currentPreset, 0);
    EXPECT_FALSE (device().pendingRequests.hasAny (kindRouter));
    EXPECT_EQ (device().usbHostDevices[5].deviceHandle, -1);
    EXPECT_EQ (device().usbHostDevices[5].vidPid, -1);
    EXPECT_TRUE (device().reportedDevices.isEmpty());
    EXPECT_TRUE (device().serialText.isEmpty());
    EXPECT_EQ (device().hostFirmwareVersion, 0.0f);
    EXPECT_EQ (device().upgradeStep, 2);            // not part of the connection
    EXPECT_EQ (device().routerMasks[0][0], 0xABCDu); // settings tables stay
}

TEST_F (DeviceModel, SetUsbDevicePortMask)
{
    EXPECT_TRUE (device().setUsbDevicePortMask (0x11112222, 0xFFFF0000, true));
    EXPECT_FALSE (device().setUsbDevicePortMask (0x11112222, 0xFFFF0000, true));  // same mask
    EXPECT_TRUE (device().setUsbDevicePortMask (0x11112222, 0x0000FFFF, false));  // existing entry
    EXPECT_EQ (device().usbDevicePortMasks[0].mask, 0x0000FFFFu);
    EXPECT_FALSE (device().setUsbDevicePortMask (0x33334444, 1, false));          // new, not allowed

    for (int i = 1; i < 16; ++i)
        EXPECT_TRUE (device().setUsbDevicePortMask (0x50000000 + i, 1, true));

    EXPECT_FALSE (device().setUsbDevicePortMask (0x33334444, 1, true));           // all 16 taken
}

TEST_F (DeviceModel, CountDeviceInstances)
{
    connectProduct (productJorvek, version (3, 3));
    EXPECT_EQ (device().countDeviceInstances (0x0499ABCD), -1);

    device().hostFirmwareVersion = version (3, 4);
    device().usbHostDevices[0].vidPid = 0x0499ABCD;
    device().usbHostDevices[0].deviceHandle = 1;
    device().usbHostDevices[1].vidPid = 0x0499ABCD;
    device().usbHostDevices[1].deviceHandle = 1;   // same device, second cable
    EXPECT_EQ (device().countDeviceInstances (0x0499ABCD), 1);

    device().usbHostDevices[2].vidPid = 0x0499ABCD;
    device().usbHostDevices[2].deviceHandle = 2;
    device().usbHostDevices[16].vidPid = 0x0499ABCD;   // an output record is not counted
    device().usbHostDevices[16].deviceHandle = 3;
    EXPECT_EQ (device().countDeviceInstances (0x0499ABCD), 2);

    device().setProductCode (productUpgradeMode);
    EXPECT_EQ (device().countDeviceInstances (0x0499ABCD), 0);
}

TEST (DeviceModelLifetime, GetInstanceIsNullAfterDeletion)
{
    GTEST_FLAG_SET (death_test_style, "threadsafe");
    EXPECT_EXIT (
        {
            auto* first = MidiController::getInstance();
            const bool same = (first != nullptr && first == MidiController::getInstance());
            MidiController::deleteInstance();
            std::_Exit (same && MidiController::getInstance() == nullptr ? 0 : 1);
        },
        ::testing::ExitedWithCode (0), "");
}
