#include "support/DeviceTestSupport.h"
#include "app/MainComponent.h"

namespace
{
    float version (int major, int minor) { return MidiController::firmwareVersionFromDigits (major, minor); }

    juce::MidiMessage identityReply (int idByte, int major, int minor, int processorId,
                                     juce::uint32 s0 = 0x00000001, juce::uint32 s1 = 0x0000ABCD, juce::uint32 s2 = 0xDEADBEEF)
    {
        std::vector<juce::uint8> body { 0, (juce::uint8) minor, (juce::uint8) major,
                                        (juce::uint8) (processorId & 0x0F), (juce::uint8) ((processorId >> 4) & 0x0F) };
        for (auto word : { s0, s1, s2 })
            for (auto b : packed32 (word))
                body.push_back (b);
        return makeReplyFromBytes (idByte, SYSX_TYPE_INFO, SYSX_CMD_IDENTITY, body);
    }

    void pushPair (std::vector<juce::uint8>& bytes, int value)
    {
        bytes.push_back ((juce::uint8) (value & 0x0F));
        bytes.push_back ((juce::uint8) ((value >> 4) & 0x0F));
    }

    struct Record
    {
        int index = 0, handle = 5, hubPort = 2, hubId = 0xFF, hubPortCount = 4;
        int inUsed = 1, outUsed = 2, inCables = 3, outCables = 4, cable = 1, instance = 1;
        int inBuffer = 0x40, outBuffer = 0x20;
        const char* name = "Launch Pad";
        juce::uint32 vidPid = 0x1235ABCD;
    };

    /** A host-port record in the layout the given host firmware sends. */
    juce::MidiMessage hostRecordReply (const Record& r, float firmware, bool goodChecksum = true)
    {
        std::vector<juce::uint8> body { 0, (juce::uint8) r.index };
        for (auto b : packed32 ((juce::uint32) r.handle)) body.push_back (b);

        if (r.handle != -1)
        {
            pushPair (body, r.hubPort);
            pushPair (body, r.hubId);
            pushPair (body, r.hubPortCount);

            if (firmware > 3.15f)
            {
                pushPair (body, r.inUsed);
                pushPair (body, r.outUsed);
                pushPair (body, r.inCables);
                pushPair (body, r.outCables);
                pushPair (body, (r.instance << 4) | r.cable);
            }
            else
            {
                body.push_back ((juce::uint8) (0x70 | r.outUsed));   // upper bits are noise
                body.push_back ((juce::uint8) r.inUsed);
                body.push_back ((juce::uint8) r.outCables);
                body.push_back ((juce::uint8) r.inCables);
                pushPair (body, r.cable);
            }

            pushPair (body, r.inBuffer);
            pushPair (body, r.outBuffer);

            for (int i = 0; i < 16; ++i)
                body.push_back ((juce::uint8) (i < (int) strlen (r.name) ? r.name[i] : 0));

            if (firmware > 2.85f)
                for (auto b : packed32 (r.vidPid)) body.push_back (b);
        }

        return makeReplyFromBytes (38, SYSX_TYPE_INFO, SYSX_INFO_USB_HOST_DEVICE, body, goodChecksum);
    }

    juce::MidiMessage dumpReply (int kind, const std::vector<int>& values)
    {
        std::vector<juce::uint8> body { (juce::uint8) (values.size() * 2), 0 };
        for (auto v : values)
            pushPair (body, v);
        return makeReplyFromBytes (38, SYSX_TYPE_INFO, kind, body);
    }
}

class InfoReplies : public WiredDeviceFixture
{
protected:
    int lastError() const { return ui.settingsErrors.isEmpty() ? 0 : ui.settingsErrors.getLast(); }
};

TEST_F (InfoReplies, IdentityOfEachCore)
{
    struct Case
    {
        const char* name; int startCode; int idByte; int major, minor; int processorId;
        int expectedCode; int expectedMode; const char* expectedName; const char* expectedInfo; const char* expectedStatus;
    };

    const Case cases[] = {
        { "device core", 255, 35, 7, 1, 35, 8, 1, "Calder-Pro",
          "Calder-Pro\nDevice Firmware: V7.1\nSerial: 000000010000ABCDDEADBEEF", "Waiting for firmware check..." },
        { "bootloader, no processor id", 4, 0, 1, 2, 0xFF, 4, 0, "Kelmora Jorvek-Pro Bootloader",
          "Kelmora Jorvek-Pro Bootloader\nDevice Firmware: V\nSerial: 000000010000ABCDDEADBEEF", "Bootloader connected" },
        { "device-core bootloader", 255, 0, 1, 0, 39, 10, 0, "Kelmora Jorvek-Pro-DEV Bootloader",
          "Kelmora Jorvek-Pro-DEV Bootloader\nDevice Firmware: V1.0\nSerial: 000000010000ABCDDEADBEEF", "Bootloader connected" },
        { "bootloader of an unknown product", 255, 0, 1, 0, 0x55, 0x55, 0, "Unknown product ! Please select one in Settings panel",
          nullptr, "Bootloader connected" },
        { "firmware too old", 255, 38, 0, 5, 38, 4, 1, "Jorvek Pro",
          "Jorvek Pro\nDevice Firmware: V\nHost Firmware: V0.5\nSerial: 000000010000ABCDDEADBEEF", "Firmware must be updated" },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        resetDeviceForTest (device());
        device().userInterface = &ui;
        device().midiOutput = std::make_unique<RecordingOutput> (sent);
        device().setAcceptedInput (inputId);
        device().setProductCode (c.startCode);
        ui = RecordingUserInterface();
        sent->clear();

        deliver (identityReply (c.idByte, c.major, c.minor, c.processorId));
        pump (10);

        EXPECT_EQ (lastError(), 0);
        EXPECT_EQ (device().productCode, c.expectedCode);
        EXPECT_EQ (device().deviceMode, c.expectedMode);
        EXPECT_EQ (device().productName, c.expectedName);
        EXPECT_EQ (device().serialText, "000000010000ABCDDEADBEEF");
        if (c.expectedInfo != nullptr)
            EXPECT_EQ (ui.lastInfo(), c.expectedInfo);
        EXPECT_EQ (ui.lastStatus(), c.expectedStatus);
        EXPECT_EQ (ui.downloads.size(), 1);          // the firmware catalogue is fetched on every road
        EXPECT_TRUE (sent->isEmpty());                 // nothing is read yet
        device().stopTimer();
    }

    // The firmware-too-old case also tells the user why.
    ASSERT_FALSE (ui.alerts.empty());
    EXPECT_EQ (ui.alerts.back().text, "This software version is not compatible with the connected product firmware\n\nFirmware must be updated");
}

TEST_F (InfoReplies, HostCoreIdentityStartsTheFullRead)
{
    device().setProductCode (productJorvekDevice);
    deliver (identityReply (39, 7, 1, 39));
    ASSERT_EQ (device().deviceFirmwareText, "7.1");
    device().switchToHostCore();
    EXPECT_EQ (device().productCode, productJorvek);

    deliver (identityReply (38, 4, 5, 38));
    pump (10);
    EXPECT_EQ (ui.lastInfo(), "Jorvek Pro\nDevice Firmware: V7.1\nHost Firmware: V4.5\nSerial: 000000010000ABCDDEADBEEF");
    EXPECT_FLOAT_EQ (device().hostFirmwareVersion, 4.505f);
    EXPECT_FLOAT_EQ (device().deviceFirmwareVersion, 7.105f);
    EXPECT_EQ (lastSentHex(), "F0 00 4B 1D 0F 26 02 04 01 00 07 F7");   // the first read: the preset setting
    EXPECT_EQ (device().waitingForReply, 1);                             // and its timeout is armed

    device().deviceFirmwareBeta = 1;
    device().hostFirmwareBeta = 1;
    device().postDeviceInfo();
    pump (10);
    EXPECT_EQ (ui.lastInfo(), "Jorvek Pro\nDevice Firmware: V7.1 (beta)\nHost Firmware: 4.5 (beta)\nSerial: 000000010000ABCDDEADBEEF");
}

TEST_F (InfoReplies, DorvinAsksForItsModuleFirst)
{
    deliver (identityReply (31, 4, 5, 31));
    EXPECT_EQ (lastSentHex(), "F0 00 4B 1D 0F 1F 01 01 02 F7");

    deliver (makeReply (31, SYSX_TYPE_INFO, SYSX_CMD_MODULE_INFO, { 0, 1, 0 }));
    EXPECT_EQ (device().wirelessModule, 1);
    EXPECT_EQ (lastSentHex(), "F0 00 4B 1D 0F 1F 02 04 01 00 07 F7");
    EXPECT_EQ (device().pendingRequests.firstItem (kindRouter), 0);
}

TEST_F (InfoReplies, BootloaderContinuesARequestedUpgrade)
{
    device().setProductCode (productJorvek);
    device().firmwareImageSize = 256;
    ui.upgradeRequested = true;
    deliver (identityReply (0, 1, 2, 38));

    EXPECT_EQ (ui.firmwareUpgradeStarts, 1);
    EXPECT_FALSE (ui.upgradeRequested);
    EXPECT_TRUE (ui.downloads.isEmpty());
}

TEST_F (InfoReplies, HostRecordLayoutsFollowTheFirmware)
{
    struct Case { int major, minor; int length; bool vidPidCarried; bool instanceTaken; };
    const Case cases[] = { { 2, 8, 49, false, false }, { 2, 9, 54, true, false }, { 3, 1, 54, true, false },
                           { 3, 2, 58, true, false }, { 3, 4, 58, true, true } };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (juce::String (c.major) + "." + juce::String (c.minor));
        connectProduct (productJorvek, version (c.major, c.minor));
        device().usbHostDevices[3].clear();
        device().usbHostDevices[3].vidPid = 0x77;
        ui.settingsErrors.clear();

        Record r;
        r.index = 3;
        auto reply = hostRecordReply (r, device().hostFirmwareVersion);
        EXPECT_EQ (reply.getRawDataSize(), c.length);
        deliver (reply);
        EXPECT_EQ (lastError(), 0);

        const auto& stored = device().usbHostDevices[3];
        EXPECT_EQ (stored.deviceHandle, 5);
        EXPECT_EQ (stored.getName(), "Launch Pad");
        EXPECT_EQ (stored.inputCablesUsed, 1);
        EXPECT_EQ (stored.outputCablesUsed, 2);
        EXPECT_EQ (stored.inputCables, 3);
        EXPECT_EQ (stored.outputCables, 4);
        EXPECT_EQ (stored.cableIndex, 1);
        EXPECT_EQ (stored.deviceInstance, c.instanceTaken ? 1 : 0xFF);
        EXPECT_EQ (stored.inputBufferSize, 0x40);
        EXPECT_EQ (stored.outputBufferSize, 0x20);
        EXPECT_EQ (stored.vidPid, c.vidPidCarried ? 0x1235ABCD : 0x77);
    }
}

TEST_F (InfoReplies, BrokenHostRecordsChangeNothing)
{
    connectProduct (productJorvek, version (3, 4));
    Record r;
    r.index = 32;   // 2A
    deliver (hostRecordReply (r, device().hostFirmwareVersion));
    EXPECT_EQ (lastError(), SYSX_OUT_OF_RANGE);

    r.index = 4;
    deliver (hostRecordReply (r, device().hostFirmwareVersion, false));
    EXPECT_EQ (lastError(), SYSX_CHECKSUM_ERROR);
    EXPECT_EQ (device().usbHostDevices[4].deviceHandle, -1);
    EXPECT_EQ (device().usbHostDevices[4].name[0], 0);

    deliver (hostRecordReply (r, version (2, 8)));   // a 49-byte record where 58 are due
    EXPECT_EQ (lastError(), SYSX_END_MISSING);
    EXPECT_EQ (device().usbHostDevices[4].deviceHandle, -1);
}

TEST_F (InfoReplies, EmptyRecordClearsTheSlot)
{
    connectProduct (productJorvek, version (3, 4));
    Record r;
    r.index = 3;
    deliver (hostRecordReply (r, device().hostFirmwareVersion));
    ASSERT_EQ (device().usbHostDevices[3].deviceHandle, 5);

    r.handle = -1;
    auto reply = hostRecordReply (r, device().hostFirmwareVersion);
    EXPECT_EQ (reply.getRawDataSize(), 17);
    deliver (reply);
    EXPECT_EQ (device().usbHostDevices[3].deviceHandle, -1);
    EXPECT_EQ (device().usbHostDevices[3].vidPid, -1);
}

TEST_F (InfoReplies, DescriptorDumpAndNotices)
{
    MainComponent main;
    device().userInterface = &ui;   // keep the recorder; the main component provides the dump panel
    connectProduct (productJorvek, version (4, 5));
    auto* dump = main.getSettings()->getDumpPanel();
    dump->clearDump();

    deliver (dumpReply (SYSX_INFO_DEVICE_DESCRIPTOR, { 0x12, 1, 0, 2, 0xEF, 2, 1, 0x40, 0xAB, 0xCD }));
    EXPECT_EQ (dump->getDumpText(), "\n\nDevice descriptor:\n\n0x12, 0x01, 0x00, 0x02, 0xEF, 0x02, 0x01, 0x40, 0xAB, 0xCD, "
                                    "\n\nConfiguration descriptor:\n\n");
    EXPECT_TRUE (dump->isCopyEnabled());

    dump->clearDump();
    deliver (dumpReply (SYSX_INFO_CONFIG_DESCRIPTOR, { 9, 2, 0x65, 0, 2, 1, 0, 0x80, 0x32, 9 }));
    EXPECT_EQ (dump->getDumpText(), "0x09, 0x02, 0x65, 0x00, 0x02, 0x01, 0x00, 0x80, 0x32, 0x09, \n");

    dump->clearDump();
    deliver (dumpReply (SYSX_INFO_CONFIG_DESCRIPTOR, { 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11 }));
    EXPECT_EQ (dump->getDumpText(), "0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, \n0x0B, ");

    dump->clearDump();
    deliver (dumpReply (SYSX_INFO_PRODUCT_STRING, { 'P', 'a', 'd' }));
    deliver (dumpReply (SYSX_INFO_VENDOR_STRING, { 'A', 'c' }));
    deliver (dumpReply (SYSX_INFO_TEXT, { 'o', 'k' }));
    EXPECT_EQ (dump->getDumpText(), "\n\nProduct String: Pad\n\nVendor String: Ac\n\nInfo: ok\n");

    // A byte count whose sum would wrap in eight bits is checked as a whole number.
    std::vector<juce::uint8> body { 250, 0 };
    body.resize (2 + 250, 0);
    ui.settingsErrors.clear();
    deliver (makeReplyFromBytes (38, SYSX_TYPE_INFO, SYSX_INFO_TEXT, body));
    EXPECT_EQ (lastError(), 0);

    struct ErrorCase { int code; const char* text; };
    const ErrorCase errors[] = {
        { 0,  "The connected device cannot be recognized\n\nYou can try to connect it through a USB hub to see if this helps" },
        { 2,  "A memory alloction occured while connecting a new device\n\nPlease report this information to Kelmora support" },
        { 8,  "An error occured while getting configuration descriptor of the connected device\n\nPlease report this information to Kelmora support" },
        { 4,  "An error occured while setting configuration descriptor of the connected device\n\nPlease report this information to Kelmora support" },
        { 10, "An error occured while parsing configuration descriptor of the connected device\n\nPlease report this information to Kelmora support" },
        { 11, nullptr },
    };

    for (const auto& e : errors)
    {
        ui.alerts.clear();
        deliver (makeReply (38, SYSX_TYPE_INFO, SYSX_INFO_USB_ERROR, { e.code }));
        pump (5);

        if (e.text == nullptr)
        {
            EXPECT_TRUE (ui.alerts.empty());
        }
        else
        {
            ASSERT_EQ (ui.alerts.size(), 1u);
            EXPECT_EQ (ui.alerts[0].text, e.text);
        }
    }
}

TEST_F (InfoReplies, ReorderWarningAndUnusedCables)
{
    connectProduct (productJorvek, version (3, 1));
    auto& d = device();

    auto put = [&d] (int index, int handle, int hubId, int hubPort)
    {
        d.usbHostDevices[index].clear();
        d.usbHostDevices[index].deviceHandle = handle;
        d.usbHostDevices[index].hubId = (juce::uint8) hubId;
        d.usbHostDevices[index].hubPort = (juce::uint8) hubPort;
        d.usbHostDevices[index].vidPid = 0x1000 + handle;
    };

    EXPECT_FALSE (d.mayReorderOnBoot());
    put (0, 1, 2, 3);
    put (1, 2, 2, 1);
    EXPECT_TRUE (d.mayReorderOnBoot());

    d.portReservations[5].vidPid = 0x1234;
    EXPECT_FALSE (d.mayReorderOnBoot());
    d.portReservations[5].vidPid = -1;

    put (1, 2, 2, 3);   // equal ports are in order
    EXPECT_FALSE (d.mayReorderOnBoot());

    // Nine hubs: the ninth is not considered, and nothing is written past the eight kept.
    for (int i = 0; i < 9; ++i)
        put (i, i + 1, 10 + i, 1);
    put (9, 20, 18, 0);
    EXPECT_FALSE (d.mayReorderOnBoot());
    put (9, 20, 17, 0);
    EXPECT_TRUE (d.mayReorderOnBoot());

    // Unused cables: a device behind a hub uses fewer cables than it has, and an input slot is free.
    for (int i = 0; i < 16; ++i)
        d.usbHostDevices[i].clear();
    put (0, 1, 2, 1);
    d.usbHostDevices[0].inputCables = 2;
    d.usbHostDevices[0].inputCablesUsed = 1;
    d.usbHostDevices[0].outputCables = 1;
    d.usbHostDevices[0].outputCablesUsed = 1;
    EXPECT_TRUE (d.hasUnusedVirtualCables());

    // A disabled input cable counts as in use.
    d.setUsbDevicePortMask (0x1001, 0xFFFEFFFFu, true);
    EXPECT_FALSE (d.hasUnusedVirtualCables());
}

TEST_F (InfoReplies, FilledRecordsStartOneReportAfterFiveSeconds)
{
    connectProduct (productJorvek, version (3, 4));
    Record r;
    r.index = 0;
    deliver (hostRecordReply (r, device().hostFirmwareVersion));
    r.index = 16;
    deliver (hostRecordReply (r, device().hostFirmwareVersion));
    EXPECT_EQ (device().reportScheduled, 1);

    pump (4800);
    EXPECT_EQ (ui.deviceReportStarts, 0);
    EXPECT_TRUE (pumpUntil ([this] { return ui.deviceReportStarts == 1; }, 500));
    EXPECT_EQ (device().reportScheduled, 0);
    pump (100);
    EXPECT_EQ (ui.deviceReportStarts, 1);
}
