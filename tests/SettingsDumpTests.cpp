#include "support/SimTestSupport.h"
#include "support/MessagePump.h"
#include "settings/Settings.h"

namespace
{
    float version (int major, int minor) { return MidiController::firmwareVersionFromDigits (major, minor); }

    const juce::String dumpCommand ("F0 00 4B 1D 0F 26 00 08 08 F7");
}

/** The "Device" panel of a Settings page (without a main component) for a connected Jorvek. */
class SettingsDump : public WiredDeviceFixture
{
protected:
    void show (float hostFirmware)
    {
        connectProduct (productJorvek, hostFirmware, version (7, 1));
        device().productName = "Jorvek Pro";
        page.buildDeviceTabs();
        page.resetDeviceSettings();
        page.updateEnablement (editorIdle);
    }

    SettingsDumpDevDesc& dump() { return *page.getDumpPanel(); }

    Settings page { nullptr };
};

TEST_F (SettingsDump, StartWritesTheHeaderThenAsksTheProduct)
{
    show (3.805f);
    EXPECT_TRUE (dump().getDumpText().isEmpty());
    EXPECT_FALSE (dump().isCopyEnabled()) << "nothing to copy before a dump's device descriptor";
    EXPECT_TRUE (dump().startDumpButton.isEnabled());

    dump().startDumpButton.triggerClick();
    pump (20);

    EXPECT_EQ (dump().getDumpText(), "Software: " PELLION_APP_VERSION "\n\n"
                                     "Product: Jorvek Pro\n\n"
                                     "Firmware (Device): V7.1\n"
                                     "Firmware (Host): V3.8\n\n"
                                     "Waiting data from device...\n");
    EXPECT_EQ (sentHex(), juce::StringArray (dumpCommand));
    EXPECT_EQ (device().descriptorDumpActive, 1);

    // Starting again empties the text first; an empty piece changes nothing.
    device().awaitedReply = {};
    dump().appendText ("\n\nDevice descriptor:\n\n");
    dump().startDeviceDump();
    dump().appendText ({});
    EXPECT_TRUE (dump().getDumpText().startsWith ("Software: "));
    EXPECT_EQ (sent->size(), 2);
}

TEST_F (SettingsDump, TheCommandWaitsForTheAnswerThatIsAwaited)
{
    show (version (4, 5));

    // A read is out: the command may not take its place.
    device().waitingForReply = 1;
    device().awaitedReply = { SYSX_TYPE_READ, kindRouter, 3, 0, false };
    dump().startDeviceDump();
    pump (200);
    EXPECT_TRUE (sent->isEmpty());
    EXPECT_TRUE (dump().isCommandWaiting());

    // Once the answer is in, the command goes out.
    device().awaitedReply.answered = true;
    ASSERT_TRUE (pumpUntil ([this] { return ! sent->isEmpty(); }, 500));
    EXPECT_EQ (sentHex(), juce::StringArray (dumpCommand));

    // A dump that ended meanwhile (the product was lost) sends nothing.
    sent->clear();
    device().awaitedReply = { SYSX_TYPE_READ, kindRouter, 4, 0, false };
    dump().startDeviceDump();
    device().descriptorDumpActive = 0;
    device().awaitedReply.answered = true;
    pump (200);
    EXPECT_TRUE (sent->isEmpty());
    EXPECT_FALSE (dump().isCommandWaiting());
}

TEST_F (SettingsDump, BelowHostFirmware245TheDeviceTabIsOff)
{
    show (version (2, 4));
    auto& bar = page.deviceTabs.getTabbedButtonBar();
    EXPECT_FALSE (bar.getTabButton (bar.getNumTabs() - 1)->isEnabled());
    EXPECT_FALSE (dump().startDumpButton.isEnabled());
    EXPECT_FALSE (dump().dumpText.isEnabled());
}

//==============================================================================
// The whole road against the simulated product; the main component deletes the device object when
// it goes, so run this through ctest (one process per test) or on its own.
class SettingsDumpRoad : public SimulatedAppFixture {};

TEST_F (SettingsDumpRoad, TheCopiedTextIsTheDumpAndTheNoticeSaysWhereToSendIt)
{
    SimulatedProduct::Config config;
    config.productCode = productJorvek;
    config.hostFirmware = { 4, 5 };
    addProduct (config);
    ASSERT_TRUE (pumpUntilReadEnds (12000)) << main->statusLabel->getText();

    std::vector<juce::MessageBoxOptions> shown;
    main->showAsyncBox = [&shown] (const juce::MessageBoxOptions& options, std::function<void (int)> answer)
    {
        shown.push_back (options);
        if (answer)
            answer (0);
    };

    auto& dump = *main->getSettings()->getDumpPanel();
    ASSERT_TRUE (dump.startDumpButton.isEnabled());
    dump.startDumpButton.triggerClick();

    // The product reports the device plugged into it; the dump can be copied once its descriptor is in.
    ASSERT_TRUE (pumpUntil ([&dump] { return dump.getDumpText().contains ("\nInfo: Enumeration OK\n"); }, 3000))
        << dump.getDumpText();
    EXPECT_TRUE (dump.isCopyEnabled());
    EXPECT_TRUE (dump.getDumpText().startsWith ("Software: 8.6\n\nProduct: Jorvek Pro\n\nFirmware (Device): V7.1\n"
                                                "Firmware (Host): V4.5\n\nWaiting data from device...\n"));
    EXPECT_TRUE (dump.getDumpText().contains ("\n\nDevice descriptor:\n\n0x12, "));
    EXPECT_EQ (ports->getSentRequests (38, SYSX_TYPE_COMMAND, SYSX_CMD_DESCRIPTOR_DUMP).size(), 1u);

    // What the user typed into the dump is copied too.
    dump.dumpText.moveCaretToEnd();
    dump.dumpText.insertTextAtCaret ("Keys bought in 2019\n");
    juce::SystemClipboard::copyTextToClipboard ("something else");
    dump.copyButton.triggerClick();
    pump (50);

    EXPECT_EQ (juce::SystemClipboard::getTextFromClipboard(), dump.getDumpText());
    EXPECT_TRUE (dump.getDumpText().endsWith ("Keys bought in 2019\n"));
    ASSERT_EQ (shown.size(), 1u);
    EXPECT_EQ (shown[0].getTitle(), "Info copied to clipboard");
    EXPECT_EQ (shown[0].getIconType(), juce::MessageBoxIconType::InfoIcon);
    EXPECT_EQ (shown[0].getMessage(), "Please paste clipboard into an email and send it to support@pellion.invalid\n\n"
                                      "We will check if we can find a way to make your device recognized");
}
