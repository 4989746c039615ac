#include "support/SimTestSupport.h"
#include "support/DemoSession.h"

// Every test here builds a main component, which deletes the device object when it goes:
// run them through ctest (one process per test) or one at a time.

namespace
{
    constexpr int jorvekHostId = 38, jorvekDeviceId = 39;

    SimulatedProduct::Config jorvekConfig()
    {
        SimulatedProduct::Config config;
        config.productCode = productJorvek;
        config.hostFirmware = { 4, 5 };
        config.deviceFirmware = { 7, 1 };
        return config;
    }

    int idByteOf (const juce::MemoryBlock& message)
    {
        return message.getSize() > 5 ? (int) static_cast<const juce::uint8*> (message.getData())[5] : -1;
    }
}

using ConnectionRoad = SimulatedAppFixture;

TEST_F (ConnectionRoad, JorvekIsIdentifiedByItsDeviceCoreThenReadThroughItsHostCore)
{
    auto product = addProduct (jorvekConfig());
    product->setReplyDelay (200);   // time to look at what the tick left, before the answer comes

    ASSERT_TRUE (pumpUntil ([this] { return ! ports->getSentRequests (jorvekDeviceId, SYSX_TYPE_INFO, SYSX_CMD_IDENTITY).empty(); }, 2500))
        << "the monitor never asked the product's device core";
    product->setReplyDelay (0);
    EXPECT_EQ (device().productCode, productJorvekDevice);
    EXPECT_TRUE (device().midiInput != nullptr);
    EXPECT_TRUE (device().midiOutput != nullptr);
    EXPECT_EQ (main->lastScanCode, productJorvekDevice);
    EXPECT_EQ (main->connectionState, productJorvekDevice);
    EXPECT_EQ (main->getSettings()->inputPortCombo.getText(), "Jorvek-Pro MIDI 1");
    EXPECT_EQ (main->getSettings()->outputPortCombo.getText(), "Jorvek-Pro MIDI 1");

    // The device core answers; the firmware catalogue can't be had, so the tool turns to the host core.
    ASSERT_TRUE (pumpUntil ([this] { return ! ports->getSentRequests (jorvekHostId, SYSX_TYPE_INFO, SYSX_CMD_IDENTITY).empty(); }, 6000));
    EXPECT_EQ (idByteOf (product->getSentMessages()[0]), jorvekDeviceId);
    EXPECT_TRUE (main->statusWasShown ("Waiting for firmware check..."));

    // The host core is asked 500 ms after the switch (the framework's timers may fire up to 100 ms early).
    const auto switched = std::find_if (main->statusLines.begin(), main->statusLines.end(),
                                        [] (auto& line) { return line.text == "Switching to Pv core..."; });
    ASSERT_NE (switched, main->statusLines.end());
    const auto deviceIdentityTime = ports->getSentRequests (jorvekDeviceId, SYSX_TYPE_INFO, SYSX_CMD_IDENTITY)[0].time;
    const auto hostIdentityTime = ports->getSentRequests (jorvekHostId, SYSX_TYPE_INFO, SYSX_CMD_IDENTITY)[0].time;
    EXPECT_GE ((int) (hostIdentityTime - deviceIdentityTime), 400);
    EXPECT_LT ((int) (hostIdentityTime - switched->time), 1000);

    ASSERT_TRUE (pumpUntilReadEnds (10000)) << main->statusLabel->getText();
    pump (300);
    EXPECT_EQ (ports->getSentRequests (-1, SYSX_TYPE_COMMAND, SYSX_CMD_END_OF_READ).size(), 1u);
    EXPECT_EQ (device().productCode, productJorvek);
    EXPECT_EQ (device().deviceMode, 1);
    EXPECT_EQ (device().getFirstPendingKind(), 0xFF);
    EXPECT_TRUE (main->infoLabel->getText().startsWith ("Jorvek Pro\nDevice Firmware: V7.1\nHost Firmware: "))
        << main->infoLabel->getText();
    EXPECT_TRUE (main->infoLabel->getText().endsWith ("\nSerial: 00A1B2C3445566778899AABB")) << main->infoLabel->getText();
    EXPECT_EQ (main->connectionState, productJorvekDevice) << "the monitor still serves what the scan found";

    // USB devices plugged into the product's host ports arrive as unsolicited records.
    SimulatedProduct::UsbDeviceSpec keys;
    keys.vidPid = 0x0A4D1234;
    keys.name = "Studio Keys";
    const int keysHandle = product->attachUsbDevice (keys);

    SimulatedProduct::UsbDeviceSpec pads;
    pads.vidPid = 0x1C75A0B2;
    pads.name = "Pad Grid";
    pads.inputCables = 2;
    pads.outputCables = 2;
    const int padsHandle = product->attachUsbDevice (pads);

    const int hostPorts = device().getNumUsbHostPorts();
    ASSERT_TRUE (pumpUntil ([&] { return device().usbHostDevices[hostPorts + 2].deviceHandle == padsHandle; }, 3000));

    struct Case { int index; const char* direction; int record; int handle; const char* name; };
    const Case cases[] = {
        { 0, "In",  0,             keysHandle, "Studio Keys-1" },
        { 1, "In",  1,             padsHandle, "Pad Grid-1" },
        { 2, "In",  2,             padsHandle, "Pad Grid-2" },
        { 0, "Out", hostPorts,     keysHandle, "Studio Keys-1" },
        { 2, "Out", hostPorts + 2, padsHandle, "Pad Grid-2" },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (juce::String (c.direction) + " " + juce::String (c.index));
        EXPECT_EQ (device().usbHostDevices[c.record].deviceHandle, c.handle);
        EXPECT_EQ (device().getPortName (c.index, c.direction, nullptr, true, false, true, true, true, true), c.name);
    }

    EXPECT_EQ (device().usbHostDevices[0].vidPid, keys.vidPid);
    EXPECT_EQ (device().getPortName (3, "In", nullptr, true, false, true, true, true, true), "USB-C Host In 4");
}

TEST_F (ConnectionRoad, RestartIntoTheBootloaderComesBackInUpgradeMode)
{
    auto product = addProduct (jorvekConfig());
    ASSERT_TRUE (pumpUntilReadEnds (12000)) << main->statusLabel->getText();

    ASSERT_EQ (device().buildCommand (SYSX_TYPE_COMMAND, SYSX_CMD_RESTART_BOOTLOADER), SYSX_OK);
    device().sendCommand (0.0f);

    ASSERT_TRUE (pumpUntil ([&] { return product->isPluggedIn() && product->getProduct().isBootloaderRunning(); }, 3000));
    EXPECT_EQ (product->getInputInfo().name, "Jorvek-Pro Pellion Upg");

    ASSERT_TRUE (pumpUntil ([this] { return main->connectionState == productUpgradeMode; }, 4000));
    EXPECT_TRUE (main->statusWasShown ("Kelmora Saffrel Bootloader found"));
    EXPECT_EQ (main->lastScanCode, productUpgradeMode);
    EXPECT_EQ (device().inputIdentifier, product->getInputInfo().identifier);
    EXPECT_TRUE (device().midiInput != nullptr);
    EXPECT_TRUE (device().midiOutput != nullptr);

    ASSERT_TRUE (pumpUntil ([this] { return device().deviceMode == 0; }, 3000));
    const auto replies = product->getSentMessages();
    ASSERT_FALSE (replies.isEmpty());
    EXPECT_EQ (idByteOf (replies.getLast()), 0) << "the bootloader answers with id byte 0";
    EXPECT_TRUE (main->statusWasShown ("Bootloader connected"));
    EXPECT_EQ (device().productName, "Kelmora Jorvek-Pro Bootloader");
    EXPECT_EQ (main->getFilter()->lastEnablementMode, editorLocked);
    EXPECT_EQ (main->getSettings()->lastEnablementMode, editorBusy);

    // The bootloader stays served while its port is there.
    pump (1200);
    EXPECT_EQ (main->connectionState, productUpgradeMode);
}

TEST_F (ConnectionRoad, CalderDeviceCoreIsConnectedAtTheNextTick)
{
    SimulatedProduct::Config config;
    config.productCode = productCalder;
    config.hostFirmware = { 4, 5 };
    auto product = addProduct (config, false);
    product->setReplyDelay (300);   // time to look at the state the tick left, before the answer

    pump (100);
    product->plugIn();
    const auto pluggedIn = juce::Time::getMillisecondCounter();

    ASSERT_TRUE (pumpUntil ([this] { return ! ports->getSentRequests (-1, SYSX_TYPE_INFO, SYSX_CMD_IDENTITY).empty(); }, 1500));
    const auto identity = ports->getSentRequests (-1, SYSX_TYPE_INFO, SYSX_CMD_IDENTITY)[0];
    EXPECT_LE ((int) (identity.time - pluggedIn), 1200) << "not the next tick";
    EXPECT_EQ ((int) identity.message.getRawData()[5], 35) << "the Calder's device core";
    EXPECT_EQ (device().productCode, productCalderDevice);
    EXPECT_EQ (main->connectionState, productCalderDevice);
    EXPECT_TRUE (device().midiInput != nullptr);
    EXPECT_TRUE (device().midiOutput != nullptr);

    product->setReplyDelay (0);
    ASSERT_TRUE (pumpUntilReadEnds (12000)) << main->statusLabel->getText();
    EXPECT_EQ (device().productCode, productCalder);
    EXPECT_TRUE (main->infoLabel->getText().startsWith ("Calder Pro\n")) << main->infoLabel->getText();
}

TEST_F (ConnectionRoad, UpgradeModePortIsOpenedWithoutSettingTheProductCode)
{
    SimulatedProduct::Config config = jorvekConfig();
    config.startInBootloader = true;
    config.bootloaderPortName = "Jorvek-Pro Pellion Upg";
    auto product = addProduct (config);
    product->setReplyDelay (300);

    device().setProductCode (productGavrel);   // whatever was known before stays

    ASSERT_TRUE (pumpUntil ([this] { return ! ports->getSentRequests (-1, SYSX_TYPE_INFO, SYSX_CMD_IDENTITY).empty(); }, 2500));
    EXPECT_TRUE (main->statusWasShown ("Kelmora Saffrel Bootloader found"));
    EXPECT_EQ (main->connectionState, productUpgradeMode);
    EXPECT_EQ (device().productCode, productGavrel);
    EXPECT_EQ (device().upgradeInProgress, 0);
    EXPECT_TRUE (device().midiInput != nullptr);
    EXPECT_TRUE (device().midiOutput != nullptr);
}

TEST_F (ConnectionRoad, PortThatFailsToOpenIsTriedAgainOnTheNextTick)
{
    auto product = addProduct (jorvekConfig());
    ports->setInputOpenFails ("Jorvek-Pro MIDI 1", true);

    ASSERT_TRUE (pumpUntil ([this] { return main->statusWasShown ("Error: cannot open the MIDI ports of the device"); }, 2500));
    const auto firstFailure = ports->getScanTimes().size();
    EXPECT_EQ (main->connectionState, 0);
    EXPECT_TRUE (device().midiInput == nullptr);
    EXPECT_TRUE (device().midiOutput == nullptr);
    EXPECT_TRUE (ports->getSent().empty());

    // Still failing on the next tick: tried again, and the error stays.
    ASSERT_TRUE (pumpUntil ([&] { return ports->getScanTimes().size() > firstFailure; }, 1500));
    pump (20);
    EXPECT_EQ (main->statusLabel->getText(), "Error: cannot open the MIDI ports of the device");
    EXPECT_TRUE (ports->getSent().empty());

    ports->setInputOpenFails ("Jorvek-Pro MIDI 1", false);
    ASSERT_TRUE (pumpUntilReadEnds (12000)) << main->statusLabel->getText();
    EXPECT_EQ (device().productCode, productJorvek);
}

//==============================================================================
// The demo build, as a person sees it: its window on a virtual display of its own, read by OCR.
TEST (ConnectionRoadDemo, WindowShowsTheReadJorvek)
{
    if (auto missing = DemoSession::findMissingTool(); missing.isNotEmpty())
        GTEST_SKIP() << missing << " is not installed (scripts/setup installs it)";

    DemoSession demo;
    ASSERT_TRUE (demo.start()) << "Xvfb or the demo did not start";

    const bool connected = demo.waitUntilConnected();
    demo.keepFiles = ! connected;

    EXPECT_TRUE (demo.isRunning()) << "the demo quit by itself";
    const auto info = demo.readText (DemoSession::infoLine(), false);
    const auto status = demo.readText (DemoSession::statusLine(), true);
    EXPECT_TRUE (info.contains ("Jorvek Pro")) << "information line read: " << info;
    EXPECT_TRUE (info.contains ("Serial")) << "information line read: " << info;
    EXPECT_EQ (status, "-") << "status line read: " << status << " (screenshot kept in " << demo.folder.getFullPathName() << ")";
}
