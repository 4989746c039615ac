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

    // The monitor notices an unplug at its next one-second tick: the edit is made just after a tick,
    // so that the loss is noticed before the edit's debounce ends.
    const auto scans = ports->getScanTimes().size();
    ASSERT_TRUE (pumpUntil ([&] { return ports->getScanTimes().size() > scans; }, 2500));
    pump (100);
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

TEST_F (RouterTab, OpeningTheReservationViewWithinTheSecondKeepsTheEdit)
{
    auto product = connect (jorvekConfig());
    const int v2 = 18;

    click (*grid().inputButtons[v2]);
    click (*grid().outputToggles[20]);
    const auto edited = device().routerMasks[0][v2];

    // Painting shows the routing; it changes nothing.
    const auto ticked = grid().outputToggles[20]->getToggleState();
    grid().createComponentSnapshot (grid().getLocalBounds());
    EXPECT_EQ (grid().outputToggles[20]->getToggleState(), ticked);
    EXPECT_EQ (grid().getSelectedInput(), v2);

    click (*tab().buttonPortReservation);
    ASSERT_TRUE (grid().isReservationViewOpen());
    EXPECT_EQ (grid().getSelectedInput(), -1) << "opening the view clears the selection";
    EXPECT_FALSE (grid().inputButtons[v2]->isEnabled());

    ASSERT_TRUE (pumpUntil ([this] { return ! ports->getSentRequests (jorvekHostId, SYSX_TYPE_WRITE, kindRouter).empty(); }, 2500));
    ASSERT_TRUE (waitForIdle (3000));
    EXPECT_EQ (ChainTest::requestsReceived (*product), "write 0/18");
    EXPECT_EQ (product->getProduct().getSettings().routerMasks[0][v2], edited);

    click (*tab().buttonPortReservation);
    EXPECT_FALSE (grid().isReservationViewOpen());
    EXPECT_TRUE (grid().inputButtons[v2]->isEnabled());
}

TEST_F (RouterTab, DevicesOnHubsAreGroupedUnderTheirHubPorts)
{
    auto product = connect (jorvekConfig());
    grid().rebuildIfScheduled();
    EXPECT_TRUE (grid().noDeviceInLabel->isVisible());
    EXPECT_EQ (grid().noDeviceInLabel->getText(), "No MIDI device connected");
    EXPECT_FALSE (grid().availableInLabel->isVisible());

    // An external hub's device is plugged in first; the built-in hub's devices still come first.
    SimulatedProduct::UsbDeviceSpec synth;
    synth.vidPid = 0x11112222;
    synth.name = "SYNTH";
    synth.hubId = 2;
    synth.hubPort = 3;
    synth.hubPortCount = 4;
    product->attachUsbDevice (synth);

    SimulatedProduct::UsbDeviceSpec keys;
    keys.vidPid = 0x33334444;
    keys.name = "KEYS";
    keys.outputCables = 2;
    keys.inputCables = 2;
    keys.hubId = 1;
    keys.hubPort = 2;
    keys.hubPortCount = 6;
    product->attachUsbDevice (keys);

    ASSERT_TRUE (pumpUntil ([this] { return device().usbHostDevices[2].deviceHandle != -1
                                             && device().usbHostDevices[16 + 2].deviceHandle != -1; }, 3000));
    pump (200);
    grid().rebuildIfScheduled();

    auto shownTexts = [] (std::unique_ptr<juce::Label>* labels, int count)
    {
        juce::StringArray texts;
        for (int i = 0; i < count; ++i)
            if (labels[i]->isVisible())
                texts.add (labels[i]->getText() + " @" + juce::String (labels[i]->getY()));
        return texts.joinIntoString (" | ");
    };

    EXPECT_EQ (shownTexts (grid().hubLabelsIn, 24), "KEYS [In 2/6] @588 | SYNTH [Hub 3/4] @686");
    EXPECT_EQ (shownTexts (grid().hubLabelsOut, 24), "KEYS [Out 2/6] @588 | SYNTH [Hub 3/4] @686");

    // Host inputs: SYNTH took slot 0 when it came, KEYS slots 1 and 2.
    EXPECT_EQ (grid().inputButtons[1]->getButtonText(), "KEYS-1");
    EXPECT_EQ (grid().inputButtons[1]->getY(), 622);
    EXPECT_EQ (grid().inputButtons[2]->getY(), 654);
    EXPECT_EQ (grid().inputButtons[0]->getY(), 720);
    EXPECT_TRUE (grid().hostInPortButtons[0]->isVisible());
    EXPECT_EQ (grid().hostInLockButtons[2]->getBounds(), juce::Rectangle<int> (8, 654 + 12 - 8, 16, 16));
    EXPECT_FALSE (grid().hostInPortButtons[3]->isVisible());
    EXPECT_EQ (grid().outputToggles[2]->getY(), 654);
    EXPECT_FALSE (grid().outputToggles[3]->isVisible());

    EXPECT_FALSE (grid().noDeviceInLabel->isVisible());
    EXPECT_TRUE (grid().availableInLabel->isVisible());
    EXPECT_EQ (grid().availableInLabel->getText(), "Available host In ports: 13");
    EXPECT_EQ (grid().availableOutLabel->getText(), "Available host Out ports: 13");
    EXPECT_EQ (grid().getHeight(), 752 + 24);
    EXPECT_TRUE (grid().hostInputsLabel->isVisible());
    EXPECT_EQ (grid().hostInputsLabel->getText(), "USB-C Host Ins");
}
