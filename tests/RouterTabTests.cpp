#include "support/ChainTestSupport.h"
#include "routing/RouterMidi.h"
#include "routing/DefaultRouting.h"

// Every test here builds a main component, which deletes the device object when it goes:
// run them through ctest (one process per test) or one at a time.

namespace
{
    constexpr int jorvekHostId = 38;

    SimulatedProduct::Config jorvekConfig()
    {
        SimulatedProduct::Config config;
        config.productCode = productJorvek;
        config.hostFirmware = { 4, 5 };
        config.deviceFirmware = { 7, 1 };
        return config;
    }

    juce::uint32 now() { return juce::Time::getMillisecondCounter(); }
}

/** The application with its router tab, against a simulated Jorvek, clicked as a user clicks. */
class RouterTab : public SimulatedAppFixture
{
protected:
    std::shared_ptr<SimulatedProductRunner> connect (const SimulatedProduct::Config& config,
                                                     const SimulatedProduct::Settings* store = nullptr)
    {
        auto product = addProduct (config, false);

        if (store != nullptr)
            product->getProduct().setSettings (*store);

        product->plugIn();
        EXPECT_TRUE (pumpUntilReadEnds (12000)) << main->statusLabel->getText();
        pump (50);
        grid().rebuildIfScheduled();
        product->clearLogs();
        return product;
    }

    RouterMidi& tab()        { return *main->getRouter(); }
    RouterListMidi& grid()   { return *tab().getRouterList(); }

    /** A click as the button gets it from the mouse: only an enabled button answers. */
    void click (juce::Button& button)
    {
        button.triggerClick();
        pump (20);
    }

    juce::uint32 statusTime (const juce::String& text, juce::uint32 since) const
    {
        for (auto& line : main->statusLines)
            if (line.text == text && line.time >= since)
                return line.time;

        return 0;
    }

    bool waitForIdle (int timeoutMs)
    {
        return pumpUntil ([this] { return device().waitingForReply == 0 && device().getFirstPendingKind() == 0xFF
                                              && main->statusLabel->getText() == "-"; }, timeoutMs);
    }
};

TEST_F (RouterTab, SeveralClicksGiveOneWriteOfTheRowASecondAfterTheLast)
{
    auto product = connect (jorvekConfig());
    const int v0 = 16, v1 = 17;

    EXPECT_TRUE (grid().inputButtons[v0]->isEnabled());
    click (*grid().inputButtons[v0]);
    ASSERT_EQ (grid().getSelectedInput(), v0);

    const auto before = device().routerMasks[0][v0];
    juce::uint32 lastClick = 0;

    for (int output : { 25, 26, 27 })
    {
        click (*grid().outputToggles[output]);
        lastClick = now();
        pump (250);
    }

    EXPECT_TRUE (ports->getSentRequests (jorvekHostId, SYSX_TYPE_WRITE, kindRouter).empty()) << "nothing before the debounce";
    EXPECT_EQ (device().routerMasks[0][v0], before ^ (7u << 25)) << "the model changes at once";
    EXPECT_TRUE (grid().outputToggles[26]->getToggleState() == ((device().routerMasks[0][v0] >> 26) & 1));

    // A click on another input while the change waits leaves the selection as it is.
    click (*grid().inputButtons[v1]);
    EXPECT_EQ (grid().getSelectedInput(), v0);

    ASSERT_TRUE (pumpUntil ([this] { return ! ports->getSentRequests (jorvekHostId, SYSX_TYPE_WRITE, kindRouter).empty(); }, 2500));
    ASSERT_TRUE (waitForIdle (3000));
    pump (300);

    const auto writes = ports->getSentRequests (jorvekHostId, SYSX_TYPE_WRITE, kindRouter);
    ASSERT_EQ (writes.size(), 1u);
    EXPECT_EQ (writes[0].message.getRawDataSize(), 17);
    EXPECT_EQ (writes[0].message.getRawData()[9], v0);
    EXPECT_GE ((int) (writes[0].time - lastClick), 900);
    EXPECT_LE ((int) (writes[0].time - lastClick), 1400);

    const auto shown = statusTime ("Writing router settings...", lastClick);
    EXPECT_NE (shown, 0u);
    EXPECT_GE (shown, writes[0].time - 5) << "the status names the write when it goes out";
    EXPECT_EQ (main->statusLabel->getText(), "-");
    EXPECT_EQ (product->getProduct().getSettings().routerMasks[0][v0], device().routerMasks[0][v0]);
    EXPECT_EQ (ChainTest::requestsReceived (*product), "write 0/16");

    click (*grid().inputButtons[v1]);
    EXPECT_EQ (grid().getSelectedInput(), v1) << "once written, another input can be selected";
}

TEST_F (RouterTab, ClearRouterWritesEveryRowOfTheProductInOrder)
{
    auto product = connect (jorvekConfig());
    device().routerMasks[0][35] = 0x1234u;     // beyond the Jorvek's 30 ports

    click (*tab().buttonClear);
    ASSERT_TRUE (waitForIdle (5000));

    juce::StringArray expected;
    for (int row = 0; row < 30; ++row)
        expected.add ("write 0/" + juce::String (row));

    EXPECT_EQ (ChainTest::requestsReceived (*product), expected.joinIntoString ("\n"));
    EXPECT_TRUE (main->statusWasShown ("Writing router settings..."));

    const auto store = product->getProduct().getSettings();

    for (int row = 0; row < MidiController::numRouterRows; ++row)
        EXPECT_EQ (device().routerMasks[0][row], 0u) << row;

    for (int row = 0; row < 30; ++row)
        EXPECT_EQ (store.routerMasks[0][row], 0u) << row;
}

TEST_F (RouterTab, ResetRouterWritesTheDefaultsKeepsTheCableMasksThenWritesTheChangedReservations)
{
    auto store = SimulatedProduct (jorvekConfig()).getDefaultSettings();
    store.usbDevicePortMasks[0] = { 0x05821234, 0xFFFFFFFEu };
    store.portReservations[3] = { 0x05821234, 0x0002 };
    store.portReservations[16 + 5] = { 0x0A4D1234, 0x0100 };
    store.routerMasks[0][2] = 0xFFu;
    store.routerMasks[1][2] = 0xABu;

    auto product = connect (jorvekConfig(), &store);
    ASSERT_EQ (device().portReservations[3].vidPid, 0x05821234);

    product->setReplyDelay (20);
    click (*tab().buttonReset);
    EXPECT_EQ (tab().buttonPortReservation->getButtonText(), "Apply ports reservation");
    product->setReplyDelay (0);
    ASSERT_TRUE (waitForIdle (5000));
    pump (200);

    juce::StringArray expected;
    for (int row = 0; row < 30; ++row)
        expected.add ("write 0/" + juce::String (row));
    expected.add ("write 9/3");
    expected.add ("write 9/21");
    EXPECT_EQ (ChainTest::requestsReceived (*product), expected.joinIntoString ("\n"));

    juce::uint32 defaults[MidiController::numRouterRows] = {};
    DefaultRouting::fillPreset (defaults, productJorvek, device().hostFirmwareVersion);
    const auto after = product->getProduct().getSettings();

    for (int row = 0; row < 30; ++row)
        EXPECT_EQ (after.routerMasks[0][row], defaults[row]) << row;

    EXPECT_EQ (after.routerMasks[1][2], 0xABu) << "another preset keeps its routing";
    EXPECT_EQ (after.usbDevicePortMasks[0].mask, 0xFFFFFFFEu);
    EXPECT_EQ (device().usbDevicePortMasks[0].vidPid, 0x05821234) << "the cable masks stay";
    EXPECT_EQ (device().usbDevicePortMasks[0].mask, 0xFFFFFFFEu);
    EXPECT_EQ (after.portReservations[3].vidPid, -1);
    EXPECT_EQ (after.portReservations[3].cable, 0x007F);
    EXPECT_EQ (after.portReservations[21].vidPid, -1);
    EXPECT_EQ (tab().buttonPortReservation->getButtonText(), "USB-C Host Ports reservation")
        << "the acknowledged reservation write restores the caption";
}

TEST_F (RouterTab, TheTabFollowsTheModeAndTheUnplug)
{
    auto product = connect (jorvekConfig());

    EXPECT_TRUE (tab().buttonReset->isEnabled());
    EXPECT_TRUE (tab().buttonClear->isEnabled());
    EXPECT_TRUE (tab().buttonPortReservation->isEnabled());
    EXPECT_EQ (tab().buttonPortReservation->getTooltip(), "Define USB devices ports reservation");

    tab().setEditorMode (editorBusy);
    EXPECT_FALSE (tab().buttonReset->isEnabled());
    EXPECT_FALSE (tab().buttonClear->isEnabled());
    EXPECT_TRUE (tab().buttonPortReservation->isEnabled());
    EXPECT_TRUE (grid().inputButtons[16]->isEnabled());
    EXPECT_FALSE (grid().outputToggles[16]->isEnabled());

    tab().setEditorMode (editorIdle);
    click (*grid().inputButtons[16]);
    click (*grid().outputToggles[20]);
    ASSERT_TRUE (grid().isTimerRunning());

    // Unplugged within the debounce: nothing is written to the lost product, nor kept for the next one.
    product->unplug();
    ASSERT_TRUE (pumpUntil ([this] { return main->infoLabel->getText() == "Information: No device connected"; }, 3000));
    pump (1500);

    EXPECT_TRUE (ports->getSentRequests (jorvekHostId, SYSX_TYPE_WRITE, kindRouter).empty());
    EXPECT_TRUE (ChainTest::pendingTableIsEmpty (device()));
    EXPECT_FALSE (tab().buttonReset->isEnabled());
    EXPECT_FALSE (tab().buttonPortReservation->isEnabled());
    EXPECT_EQ (grid().getSelectedInput(), -1);

    grid().rebuildIfScheduled();
    for (int i = 24; i < 36; ++i)
    {
        EXPECT_TRUE (grid().inputButtons[i]->isVisible()) << i;
        EXPECT_FALSE (grid().inputButtons[i]->isEnabled()) << i;
    }

    for (auto& entry : device().usbDevicePortMasks)
        EXPECT_EQ (entry.vidPid, -1);
}
