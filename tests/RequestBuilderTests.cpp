#include "support/DeviceTestSupport.h"

namespace
{
    float version (int major, int minor) { return MidiController::firmwareVersionFromDigits (major, minor); }

    juce::uint32 nameWord (const char* text, int word)
    {
        juce::uint32 value = 0;
        for (int i = 0; i < 4; ++i)
        {
            const int index = word * 4 + i;
            if (index < (int) strlen (text))
                value |= (juce::uint32) (juce::uint8) text[index] << (24 - 8 * i);
        }
        return value;
    }
}

class RequestBuilder : public DeviceFixture
{
protected:
    void SetUp() override
    {
        DeviceFixture::SetUp();
        connectProduct (productJorvek, version (4, 5), version (7, 1));
        auto& d = device();
        d.currentPreset = 2;
        d.routerMasks[2][3] = 0x12345678;
        d.filterChannels[2][5] = 0xA5C3;
        d.filterStatus[2][40] = 0x0003FFFF;
        d.mapperRecords[2][1] = { 0x11, 0x22, 0x33, 0x5A000000, 0x55, 0x66 };
        d.presetSetting = 0x4302;
        d.trsType[2] = 0x38000;
        d.sync24[2] = (juce::int32) 0x80000005;
        for (int w = 0; w < 4; ++w) d.presetNames[4][w] = nameWord ("Live", w);
        d.usbDevicePortMasks[3] = { 0x0123ABCD, 0xFFFF00FF };
        d.portReservations[7] = { 0x0499ABCD, 0x0102 };
        d.powerDown[2] = 0x7A;
        for (int w = 0; w < 6; ++w) d.usbProductName[w] = nameWord ("MyHub", w);
    }
};

TEST (SysexPacking, ValuesAndRunningChecksum)
{
    struct Case { juce::uint32 value; const char* packed; };
    const Case cases32[] = { { 0xFFFFFFFFu, "0F 7F 7F 7F 7F" }, { 300, "0C 12 00 00 00" }, { 0, "00 00 00 00 00" },
                             { 0x12345678, "08 67 0A 0D 09" } };

    for (const auto& c : cases32)
    {
        juce::uint8 bytes[5];
        packValue32 (c.value, bytes);
        EXPECT_EQ (hexBytes (bytes, 5), c.packed);

        juce::uint8 sum = 0x10;
        EXPECT_EQ (unpackValue32 (bytes, sum), c.value);
        EXPECT_EQ (sum, (0x10 + bytes[0] + bytes[1] + bytes[2] + bytes[3] + bytes[4]) & 0x7F);
    }

    juce::uint8 bytes16[3];
    packValue16 (0xFFFF, bytes16);
    EXPECT_EQ (hexBytes (bytes16, 3), "03 7F 7F");
    juce::uint8 sum = 0;
    EXPECT_EQ (unpackValue16 (bytes16, sum), 0xFFFF);
    EXPECT_EQ (sum, (3 + 0x7F + 0x7F) & 0x7F);

    // Bits beyond a byte's share are ignored by the decoder and by its running sum.
    const juce::uint8 noisy[5] = { 0x7F, 0x7F, 0x7F, 0x7F, 0x7F };
    sum = 0;
    EXPECT_EQ (unpackValue32 (noisy, sum), 0xFFFFFFFFu);
    EXPECT_EQ (sum, (0x0F + 4 * 0x7F) & 0x7F);
}

TEST_F (RequestBuilder, WholeRequestsByteForByte)
{
    struct Case { const char* name; int type; int kind; int mark; const char* bytes; };

    const Case cases[] = {
        { "identity",        1, 0,  -1, "F0 00 4B 1D 0F 26 01 00 01 F7" },
        { "module query",    1, 1,  -1, "F0 00 4B 1D 0F 26 01 01 02 F7" },
        { "restart",         0, 1,  -1, "F0 00 4B 1D 0F 26 00 01 01 F7" },
        { "factory reset",   0, 2,  -1, "F0 00 4B 1D 0F 26 00 02 02 F7" },
        { "end of read",     0, 6,  -1, "F0 00 4B 1D 0F 26 00 06 06 F7" },
        { "close",           0, 7,  -1, "F0 00 4B 1D 0F 26 00 07 07 F7" },
        { "dump",            0, 8,  -1, "F0 00 4B 1D 0F 26 00 08 08 F7" },
        { "router row 3",    3, 0,   3, "F0 00 4B 1D 0F 26 03 00 01 03 08 67 0A 0D 09 16 F7" },
        { "read router 3",   2, 0,   3, "F0 00 4B 1D 0F 26 02 00 01 03 06 F7" },
        { "channel filter",  3, 1,   5, "F0 00 4B 1D 0F 26 03 01 01 05 03 70 52 4F F7" },
        { "message filter",  3, 2,  40, "F0 00 4B 1D 0F 26 03 02 01 28 0F 7F 7F 00 00 3B F7" },
        { "mapper 1",        3, 3,   1, "F0 00 4B 1D 0F 26 03 03 06 01 01 01 00 00 00 02 02 00 00 00 03 03 00 00 00 00 00 00 00 2D 05 05 00 00 00 06 06 00 00 00 5C F7" },
        { "preset setting",  3, 4,  -1, "F0 00 4B 1D 0F 26 03 04 01 00 02 30 08 00 00 42 F7" },
        { "read preset",     2, 4,  -1, "F0 00 4B 1D 0F 26 02 04 01 00 07 F7" },
        { "trs",             3, 5,  -1, "F0 00 4B 1D 0F 26 03 05 01 00 00 00 70 00 00 79 F7" },
        { "sync24",          3, 6,  -1, "F0 00 4B 1D 0F 26 03 06 01 00 05 00 00 00 40 4F F7" },
        { "preset name 4",   3, 7,   4, "F0 00 4B 1D 0F 26 03 07 04 04 05 66 2E 1A 26 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 6B F7" },
        { "usb port mask 3", 3, 8,   3, "F0 00 4B 1D 0F 26 03 08 02 03 0D 3C 75 48 00 0F 0F 60 7F 7F 12 F7" },
        { "reservation 7",   3, 9,   7, "F0 00 4B 1D 0F 26 03 09 02 07 0D 3C 35 26 02 02 40 00 7D F7" },
        { "power down",      3, 10, -1, "F0 00 4B 1D 0F 26 03 0A 01 00 0A 07 00 00 00 1F F7" },
        { "read curve 1",    2, 11,  1, "F0 00 4B 1D 0F 26 02 0B 20 01 2E F7" },
        { "icsp start",      4, 0,  -1, "F0 00 4B 1D 0F 26 04 00 04 F7" },
        { "icsp erase",      4, 1,  -1, "F0 00 4B 1D 0F 26 04 01 05 F7" },
        { "icsp finish",     4, 6,  -1, "F0 00 4B 1D 0F 26 04 06 0A F7" },
        { "icsp finish err", 4, 7,  -1, "F0 00 4B 1D 0F 26 04 07 0B F7" },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        if (c.mark >= 0)
        {
            if (c.type == SYSX_TYPE_WRITE) device().markForWrite (c.kind, c.mark);
            else                           device().markForRead (c.kind, c.mark);
        }

        ASSERT_EQ (device().buildCommand (c.type, (juce::uint8) c.kind), SYSX_OK);
        EXPECT_EQ (hexBytes (device().preparedRequest), c.bytes);
        device().pendingRequests.clearAll();
    }
}

TEST_F (RequestBuilder, VersionAndProductDependentForms)
{
    // Kind 9 carries its cable as 16 bits above host firmware 3.35, as one byte below.
    device().markForWrite (kindPortReservation, 7);
    device().hostFirmwareVersion = version (3, 3);
    ASSERT_EQ (device().buildCommand (SYSX_TYPE_WRITE, kindPortReservation), SYSX_OK);
    EXPECT_EQ (hexBytes (device().preparedRequest), "F0 00 4B 1D 0F 26 03 09 02 07 0D 3C 35 26 02 02 3D F7");

    // The USB product name goes to the device core, whatever core the product code names.
    connectProduct (productDorvin, version (4, 5), version (7, 1));
    device().markForWrite (kindUsbProductName, 0);
    ASSERT_EQ (device().buildCommand (SYSX_TYPE_WRITE, kindUsbProductName), SYSX_OK);
    EXPECT_EQ (hexBytes (device().preparedRequest),
               "F0 00 4B 1D 0F 21 03 0D 06 00 05 07 29 5E 26 00 00 00 00 31 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 F7");
    EXPECT_EQ (device().productCode, productDorvin);
}

TEST_F (RequestBuilder, ProgrammingRequests)
{
    device().programAddress = 0;
    ASSERT_EQ (device().buildCommand (SYSX_TYPE_ICSP, SYSX_CMD_ICSP_ERASE), SYSX_OK);
    EXPECT_EQ (device().programAddress, device().flashStart);

    const juce::uint32 address[] = { 0x3000 };
    ASSERT_EQ (device().buildCommand (SYSX_TYPE_ICSP, SYSX_CMD_ICSP_SET_ADDRESS, address, 1), SYSX_OK);
    EXPECT_EQ (hexBytes (device().preparedRequest), "F0 00 4B 1D 0F 26 04 03 00 00 06 00 00 0D F7");

    juce::uint32 words[64];
    for (int i = 0; i < 64; ++i)
        words[i] = 0x01010101u * (juce::uint32) i + 0x80000000u;

    ASSERT_EQ (device().buildCommand (SYSX_TYPE_ICSP, SYSX_CMD_ICSP_WRITE, words, 64), SYSX_OK);
    const auto& request = device().preparedRequest;
    ASSERT_EQ (request.getRawDataSize(), 331);

    const auto* bytes = request.getRawData();
    EXPECT_EQ (hexBytes (bytes, 9), "F0 00 4B 1D 0F 26 04 04 40");
    juce::uint8 sum = 0;
    for (int i = 0; i < 64; ++i)
        EXPECT_EQ (unpackValue32 (bytes + 9 + 5 * i, sum), words[i]) << i;
    EXPECT_EQ (bytes[329], sysexChecksum (bytes, 6, 329));
    EXPECT_EQ (bytes[330], 0xF7);
}

TEST_F (RequestBuilder, RefusalsLeaveEverythingAsItWas)
{
    RecordingUserInterface quiet;
    device().userInterface = &quiet;

    struct Case { const char* name; std::function<void (MidiController&)> setup; int type; int kind; int expected; };

    const Case cases[] = {
        { "command kind 4",           {}, 0, 4, SYSX_UNKNOWN_KIND },
        { "information kind 2",       {}, 1, 2, SYSX_UNKNOWN_KIND },
        { "type 5",                   {}, 5, 0, SYSX_UNKNOWN_KIND },
        { "lfo read",                 [] (MidiController& d) { d.markForRead (kindLfo, 0); }, 2, 12, SYSX_UNKNOWN_KIND },
        { "kind 14 write",            {}, 3, 14, SYSX_UNKNOWN_KIND },
        { "preset name at 2.7",       [] (MidiController& d) { d.hostFirmwareVersion = version (2, 7); d.markForRead (kindPresetName, 0); }, 2, 7, SYSX_NOTHING_TO_SEND },
        { "empty router list",        {}, 2, 0, SYSX_NOTHING_TO_SEND },
        { "upgrade step 1",           [] (MidiController& d) { d.upgradeStep = 1; d.markForWrite (kindRouter, 0); }, 3, 0, SYSX_NOTHING_TO_SEND },
        { "upgrade step 1, filters",  [] (MidiController& d) { d.upgradeStep = 1; d.markForWrite (kindMessageFilter, 0); }, 3, 2, SYSX_NOTHING_TO_SEND },
        { "upgrade step 1, mapper",   [] (MidiController& d) { d.upgradeStep = 1; d.markForWrite (kindMapper, 0); }, 3, 3, SYSX_NOTHING_TO_SEND },
        { "bootloader mode",          [] (MidiController& d) { d.deviceMode = 0; d.markForRead (kindUsbDevicePorts, 0); }, 2, 8, SYSX_NOTHING_TO_SEND },
        { "curves below 3.85",        [] (MidiController& d) { d.hostFirmwareVersion = version (3, 8); d.markForRead (kindVelocityCurve, 0); }, 2, 11, SYSX_NOTHING_TO_SEND },
        { "usb name below 6.95",      [] (MidiController& d) { d.deviceFirmwareVersion = version (6, 9); d.markForRead (kindUsbProductName, 0); }, 2, 13, SYSX_NOTHING_TO_SEND },
        { "factory reset, no product",[] (MidiController& d) { d.setProductCode (productNone); }, 0, 2, SYSX_NOTHING_TO_SEND },
        { "end of read, bootloader",  [] (MidiController& d) { d.setProductCode (productUpgradeMode); }, 0, 6, SYSX_NOTHING_TO_SEND },
        { "dump while programming",   [] (MidiController& d) { d.upgradeStep = 2; }, 0, 8, SYSX_NOTHING_TO_SEND },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        connectProduct (productJorvek, version (4, 5), version (7, 1));
        device().upgradeStep = 0;
        device().pendingRequests.clearAll();
        ASSERT_EQ (device().buildCommand (SYSX_TYPE_INFO, SYSX_CMD_IDENTITY), SYSX_OK);
        const auto before = hexBytes (device().preparedRequest);

        if (c.setup)
            c.setup (device());

        const auto marksBefore = device().getFirstPendingKind();
        quiet.editorsEnabled.clear();

        EXPECT_EQ (device().buildCommand (c.type, (juce::uint8) c.kind), c.expected);
        EXPECT_EQ (hexBytes (device().preparedRequest), before);
        EXPECT_EQ (device().getFirstPendingKind(), marksBefore);
        EXPECT_TRUE (quiet.editorsEnabled.isEmpty());
    }

    // Still built: reads and writes of the single-item kinds, programming during an upgrade,
    // the identity request with no product, a preset name from 2.8 on.
    connectProduct (productJorvek, version (4, 5), version (7, 1));
    device().pendingRequests.clearAll();
    EXPECT_EQ (device().buildCommand (SYSX_TYPE_READ, kindPresetSetting), SYSX_OK);
    device().upgradeStep = 1;
    EXPECT_EQ (device().buildCommand (SYSX_TYPE_ICSP, SYSX_CMD_ICSP_START), SYSX_OK);
    device().upgradeStep = 0;
    device().hostFirmwareVersion = version (2, 8);
    device().markForRead (kindPresetName, 2);
    EXPECT_EQ (device().buildCommand (SYSX_TYPE_READ, kindPresetName), SYSX_OK);
    EXPECT_EQ (device().preparedRequest.getRawData()[9], 2);
    device().setProductCode (productNone);
    EXPECT_EQ (device().buildCommand (SYSX_TYPE_INFO, SYSX_CMD_IDENTITY), SYSX_OK);
    EXPECT_EQ (hexBytes (device().preparedRequest), "F0 00 4B 1D 0F 00 01 00 01 F7");
}

TEST_F (RequestBuilder, RequestsFollowTheDirectionOfTheirMarks)
{
    device().markForRead (kindRouter, 1);
    device().markForWrite (kindRouter, 4);
    device().markForRead (kindRouter, 4);     // a pending edit stays a write
    EXPECT_TRUE (device().pendingRequests.isWrite (kindRouter, 4));
    EXPECT_EQ (device().pendingRequests.firstDirection (kindRouter), SYSX_TYPE_READ);

    ASSERT_EQ (device().buildCommand (SYSX_TYPE_WRITE, kindRouter), SYSX_OK);
    EXPECT_EQ (device().preparedRequest.getRawData()[9], 4);
    ASSERT_EQ (device().buildCommand (SYSX_TYPE_READ, kindRouter), SYSX_OK);
    EXPECT_EQ (device().preparedRequest.getRawData()[9], 1);

    device().pendingRequests.clear (kindRouter, 4);
    EXPECT_EQ (device().buildCommand (SYSX_TYPE_WRITE, kindRouter), SYSX_NOTHING_TO_SEND);
}

TEST_F (RequestBuilder, LargestProductsNeverReachBeyondTheTables)
{
    for (int code : { (int) productLissar, (int) productNorrim })
    {
        SCOPED_TRACE (code);
        connectProduct (code, version (4, 5), version (7, 1));
        const int ports = device().getNumUsbHostPorts() + device().getNumLocalPorts();

        for (int type : { (int) SYSX_TYPE_READ, (int) SYSX_TYPE_WRITE })
        {
            for (int kind : { (int) kindRouter, (int) kindChannelFilter, (int) kindMessageFilter, (int) kindPortReservation })
            {
                const int items = kind == kindRouter ? ports
                                : kind == kindPortReservation ? 2 * device().getNumUsbHostPorts() : 2 * ports;

                // Marks beyond a table can only come from a careless caller; the builder drops them.
                for (int i = 0; i < items; ++i)
                    (type == SYSX_TYPE_WRITE) ? device().markForWrite (kind, i) : device().markForRead (kind, i);

                int built = 0;
                while (device().buildCommand (type, (juce::uint8) kind) == SYSX_OK)
                {
                    const int item = device().preparedRequest.getRawData()[9];
                    EXPECT_LT (item, MidiController::getTableItemLimit (kind));
                    device().pendingRequests.clear (kind, item);
                    ++built;
                }

                EXPECT_EQ (built, juce::jmin (items, MidiController::getTableItemLimit (kind)));
                EXPECT_FALSE (device().pendingRequests.hasAny (kind));
            }
        }

        // The full read marks only what the tables hold.
        device().readAllSettings();
        EXPECT_FALSE (device().pendingRequests.isPending (kindRouter, 36));
        EXPECT_FALSE (device().pendingRequests.isPending (kindChannelFilter, 72));
        device().stopTimer();
        device().pendingRequests.clearAll();
    }
}
