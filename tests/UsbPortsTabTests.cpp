#include "support/ChainTestSupport.h"
#include "routing/RouterMidi.h"
#include "routing/UsbPortsReservation.h"
#include "routing/SettingsUsbDevPortObject.h"
#include "routing/MidiInOutRenameObject.h"
#include "routing/ReservationTable.h"

// The USB port editors of the router tab against a simulated Jorvek: the reservation view, the
// cable panel and the rename window. Every test builds a main component, which deletes the device
// object when it goes: run them through ctest (one process per test) or one at a time.

namespace
{
    constexpr int jorvekHostId = 38;
    constexpr juce::int32 keysVidPid = 0x05821234;

    SimulatedProduct::Config jorvekAt (int major, int minor)
    {
        SimulatedProduct::Config config;
        config.productCode = productJorvek;
        config.hostFirmware = { major, minor };
        config.deviceFirmware = { 7, 1 };
        return config;
    }

    juce::uint32 now() { return juce::Time::getMillisecondCounter(); }

    /** The panel of a call-out box the grid opened, if one is shown. */
    template <typename Panel>
    Panel* findOpenPanel()
    {
        auto& desktop = juce::Desktop::getInstance();

        for (int i = 0; i < desktop.getNumComponents(); ++i)
            if (auto* box = dynamic_cast<juce::CallOutBox*> (desktop.getComponent (i)))
                for (auto* child : box->getChildren())
                    if (auto* panel = dynamic_cast<Panel*> (child))
                        return panel;

        return nullptr;
    }

    /** True when a call-out box shows a panel of this kind. */
    template <typename Panel>
    bool isPanelOpen() { return findOpenPanel<Panel>() != nullptr; }
}

class UsbPortsTab : public SimulatedAppFixture
{
protected:
    /** Connects a Jorvek with a keyboard on its first host ports (2 output and 1 input cables). */
    std::shared_ptr<SimulatedProductRunner> connectWithKeys (const SimulatedProduct::Config& config)
    {
        auto product = addProduct (config, false);
        product->plugIn();
        EXPECT_TRUE (pumpUntilReadEnds (12000)) << main->statusLabel->getText();

        SimulatedProduct::UsbDeviceSpec keys;
        keys.vidPid = keysVidPid;
        keys.name = "KEYS";
        keys.outputCables = 2;
        keys.inputCables = 1;
        product->attachUsbDevice (keys);

        EXPECT_TRUE (pumpUntil ([this] { return device().usbHostDevices[1].deviceHandle != -1
                                                && device().usbHostDevices[16].deviceHandle != -1; }, 3000));
        pump (300);
        grid().rebuildIfScheduled();
        product->clearLogs();
        return product;
    }

    RouterMidi& tab()                 { return *main->getRouter(); }
    RouterListMidi& grid()            { return *tab().getRouterList(); }
    UsbPortsReservation& view()       { return *grid().getUsbPortsReservation(); }

    void click (juce::Button& button)
    {
        button.triggerClick();
        pump (20);
    }

    void choose (juce::ComboBox& combo, int itemId)
    {
        combo.setSelectedId (itemId, juce::sendNotificationSync);
        pump (20);
    }

    bool waitForIdle (int timeoutMs)
    {
        return pumpUntil ([this] { return device().waitingForReply == 0 && device().getFirstPendingKind() == 0xFF
                                              && main->statusLabel->getText() == "-"; }, timeoutMs);
    }

    std::vector<ObservedPortSystem::Sent> writesOf (int kind) const
    {
        return ports->getSentRequests (jorvekHostId, SYSX_TYPE_WRITE, kind);
    }

    /** Clicks a button of the grid and checks that it opens a call-out box with a panel of this
        kind; the box is then closed without applying anything. A box of a process that is not in
        front closes itself (and applies its edit), and test processes share one display: the
        edits are made on panels the tests own, as the grid's box would hold them. */
    template <typename Panel>
    bool opensCallOut (juce::Button& button)
    {
        click (button);
        const bool opened = isPanelOpen<Panel>();
        grid().dismissCallOuts (false);
        pumpUntil ([] { return ! isPanelOpen<Panel>(); }, 1000);
        return opened;
    }
};

//==============================================================================
class ReservationApply : public UsbPortsTab,
                         public ::testing::WithParamInterface<std::pair<int, int>>
{
};

TEST_P (ReservationApply, ClosingWithPassingChecksWritesTheReservationASecondLater)
{
    const auto [minor, requestSize] = GetParam();
    auto product = connectWithKeys (jorvekAt (minor == 5 ? 4 : 3, minor));
    const auto defaultCaption = tab().buttonPortReservation->getButtonText();
    EXPECT_EQ (defaultCaption, "USB-C Host Ports reservation");

    click (*tab().buttonPortReservation);
    ASSERT_TRUE (grid().isReservationViewOpen());
    EXPECT_EQ (view().titleLabel->getText(), "USB-C Host Ports reservation");

    // The keyboard without a cable: the check names the port, and the view cannot be applied.
    auto& deviceCombo = *view().inputDeviceCombos[0];
    ASSERT_EQ (deviceCombo.getItemText (1), "KEYS");
    choose (deviceCombo, 2);
    EXPECT_EQ (view().messageLabel->getText(), "Select a Cable number for reserved input port 1");
    EXPECT_FALSE (tab().buttonPortReservation->isEnabled());
    EXPECT_EQ (tab().buttonPortReservation->getButtonText(), "Apply ports reservation");
    EXPECT_FALSE (device().pendingRequests.hasAny (kindPortReservation)) << "edits are staged while the view is open";

    // Closed with failing checks (by its padlock): nothing is armed, nothing is sent.
    grid().togglePortReservationView();
    ASSERT_FALSE (grid().isReservationViewOpen());
    pump (1500);
    EXPECT_TRUE (writesOf (kindPortReservation).empty());
    EXPECT_EQ (device().portReservations[0], ReservationTable::emptyEntry);

    // Opened again, the staged choice is back; with a cable the checks pass.
    click (*tab().buttonPortReservation);
    EXPECT_EQ (deviceCombo.getSelectedId(), 2);
    choose (*view().inputCableCombos[0], 2);
    EXPECT_EQ (view().messageLabel->getText(), "");
    EXPECT_TRUE (tab().buttonPortReservation->isEnabled());
    EXPECT_EQ (tab().buttonPortReservation->getButtonText(), "Apply ports reservation");

    click (*tab().buttonPortReservation);
    const auto closed = now();
    EXPECT_FALSE (grid().isReservationViewOpen());
    EXPECT_EQ (device().portReservations[0], (PortReservation { keysVidPid, 0x0001 }));

    ASSERT_TRUE (pumpUntil ([this] { return ! writesOf (kindPortReservation).empty(); }, 2500));
    ASSERT_TRUE (waitForIdle (4000));
    const auto writes = writesOf (kindPortReservation);
    ASSERT_EQ (writes.size(), 1u);
    EXPECT_EQ (writes[0].message.getRawDataSize(), requestSize);
    EXPECT_GE ((int) (writes[0].time - closed), 900);
    EXPECT_TRUE (main->statusWasShown ("Writing USB ports reservation..."));
    EXPECT_EQ (tab().buttonPortReservation->getButtonText(), defaultCaption) << "the acknowledgement restores the caption";
    EXPECT_EQ (product->getProduct().getSettings().portReservations[0], (PortReservation { keysVidPid, 0x0001 }));

    // The product reports its slots again; the keyboard is remembered under its exact key.
    EXPECT_TRUE (pumpUntil ([this] { return device().usbHostDevices[0].deviceHandle != -1; }, 3000));
    EXPECT_EQ (main->propertiesFile->getValue ("VidPid::" + juce::String ((juce::uint32) keysVidPid)),
               "Name::KEYS::CnInNb::1::CnOutNb::2");
}

INSTANTIATE_TEST_SUITE_P (HostFirmware, ReservationApply,
                          ::testing::Values (std::make_pair (5, 20), std::make_pair (3, 18)),
                          [] (const auto& info) { return info.param.first == 5 ? "Above335" : "AtOrBelow335"; });

TEST_F (UsbPortsTab, AnUnplugIsNoticedWhileTheViewIsOpen)
{
    auto product = connectWithKeys (jorvekAt (4, 5));

    click (*tab().buttonPortReservation);
    choose (*view().inputDeviceCombos[0], 2);
    choose (*view().inputCableCombos[0], 1);
    ASSERT_TRUE (grid().isReservationViewOpen());
    EXPECT_TRUE (ChainTest::pendingTableIsEmpty (device())) << "nothing waits that would hold the monitor back";

    product->unplug();
    ASSERT_TRUE (pumpUntil ([this] { return main->infoLabel->getText() == "Information: No device connected"; }, 3000));
    pump (1500);

    EXPECT_FALSE (grid().isReservationViewOpen());
    EXPECT_TRUE (writesOf (kindPortReservation).empty());
    EXPECT_TRUE (ChainTest::pendingTableIsEmpty (device()));
}

TEST_F (UsbPortsTab, ResetAllAndAutoReserve)
{
    auto product = connectWithKeys (jorvekAt (4, 5));
    device().portReservations[3] = { 0x11112222, 0x0000 };

    click (*tab().buttonPortReservation);
    EXPECT_EQ (view().inputDeviceCombos[3]->getText(), "VID:1111 PID:2222") << "a reserved device neither attached nor remembered";

    click (*view().resetAllButton);
    EXPECT_EQ (view().inputDeviceCombos[3]->getSelectedItemIndex(), 0);
    EXPECT_EQ (tab().buttonPortReservation->getButtonText(), "Apply ports reservation");
    EXPECT_TRUE (tab().buttonPortReservation->isEnabled());

    click (*view().autoReserveButton);
    EXPECT_EQ (view().inputDeviceCombos[0]->getText(), "KEYS");
    EXPECT_EQ (view().inputCableCombos[0]->getText(), "1");
    EXPECT_EQ (view().inputCableCombos[1]->getText(), "2");
    EXPECT_EQ (view().outputCableCombos[0]->getText(), "1");
    EXPECT_EQ (view().messageLabel->getText(), "");

    click (*tab().buttonPortReservation);
    ASSERT_TRUE (pumpUntil ([this] { return writesOf (kindPortReservation).size() >= 4; }, 3000));
    ASSERT_TRUE (waitForIdle (4000));

    // Entries 0, 1 and 16 reserved, entry 3 emptied; nothing else changed, so nothing else is written.
    juce::StringArray items;
    for (auto& w : writesOf (kindPortReservation))
        items.add (juce::String (w.message.getRawData()[9]));
    EXPECT_EQ (items.joinIntoString (" "), "0 1 3 16");

    const auto& stored = product->getProduct().getSettings().portReservations;
    EXPECT_EQ (stored[0], (PortReservation { keysVidPid, 0x0000 }));
    EXPECT_EQ (stored[1], (PortReservation { keysVidPid, 0x0001 }));
    EXPECT_EQ (stored[3], ReservationTable::emptyEntry);
    EXPECT_EQ (stored[16], (PortReservation { keysVidPid, 0x0000 }));
}

TEST_F (UsbPortsTab, ClearPreviousDevicesForgetsThemAndRefillsEveryRow)
{
    auto product = connectWithKeys (jorvekAt (4, 5));
    main->propertiesFile->setValue ("VidPid::" + juce::String ((juce::uint32) 0x0ABC0001), "Name::OLD SYNTH::CnInNb::1::CnOutNb::1");
    main->propertiesFile->setValue ("VidPid::1234", "Name::OTHER::CnInNb::1::CnOutNb::1");
    device().portReservations[16 + 2] = { 0x0ABC0001, 0x0000 };

    click (*tab().buttonPortReservation);
    auto& combo = *view().inputDeviceCombos[0];
    EXPECT_EQ (view().outputDeviceCombos[2]->getText(), "OLD SYNTH") << "a remembered device shows by its name";
    ASSERT_EQ (combo.getItemText (combo.getNumItems() - 1), "Clear previous devices");

    choose (combo, combo.getItemId (combo.getNumItems() - 1));

    EXPECT_FALSE (main->propertiesFile->containsKey ("VidPid::1234"));
    EXPECT_FALSE (main->propertiesFile->containsKey ("VidPid::" + juce::String ((juce::uint32) keysVidPid)));
    EXPECT_EQ (combo.getSelectedItemIndex(), 0) << "the row shows its reservation again";
    EXPECT_EQ (view().outputDeviceCombos[2]->getText(), "VID:ABC PID:1") << "refilled: no longer remembered";
    EXPECT_EQ (view().messageLabel->getText(), "");
    EXPECT_FALSE (device().pendingRequests.hasAny (kindPortReservation));
}

//==============================================================================
TEST_F (UsbPortsTab, ACablePanelChangeIsWrittenASecondAfterClosingAndTheHostRecordsComeBack)
{
    auto product = connectWithKeys (jorvekAt (4, 5));

    ASSERT_TRUE (grid().hostInPortButtons[0]->isVisible());
    ASSERT_TRUE (opensCallOut<SettingsUsbDevPortObject> (*grid().hostInPortButtons[0]));

    auto panel = std::make_unique<SettingsUsbDevPortObject> (&grid(), 0, 0);
    panel->setDevice (device().usbHostDevices[0]);

    EXPECT_EQ (panel->nameLabel->getText(), "KEYS");
    EXPECT_EQ (panel->vidValueLabel->getText(), "582h");
    EXPECT_EQ (panel->pidValueLabel->getText(), "1234h");
    EXPECT_TRUE (panel->outputToggles[1]->isEnabled());
    EXPECT_FALSE (panel->outputToggles[2]->isEnabled());
    EXPECT_TRUE (panel->inputToggles[0]->isEnabled());
    EXPECT_FALSE (panel->inputToggles[1]->isEnabled());

    // The keyboard's second output cable off: stored at once, written only after the panel closes.
    click (*panel->outputToggles[1]);
    EXPECT_EQ (device().usbDevicePortMasks[0].vidPid, keysVidPid);
    EXPECT_EQ (device().usbDevicePortMasks[0].mask, 0xFFFFFFFDu);
    EXPECT_TRUE (panel->resetButton->isEnabled());
    pump (1500);
    EXPECT_TRUE (writesOf (kindUsbDevicePorts).empty());

    panel = nullptr;
    const auto closed = now();

    ASSERT_TRUE (pumpUntil ([this] { return ! writesOf (kindUsbDevicePorts).empty(); }, 2500));
    const auto writes = writesOf (kindUsbDevicePorts);
    ASSERT_EQ (writes.size(), 1u);
    EXPECT_EQ (writes[0].message.getRawDataSize(), 22);
    EXPECT_GE ((int) (writes[0].time - closed), 900);
    EXPECT_LE ((int) (writes[0].time - closed), 1500);
    EXPECT_TRUE (main->statusWasShown ("Writing USB ports settings..."));

    ASSERT_TRUE (waitForIdle (4000));
    EXPECT_EQ (product->getProduct().getSettings().usbDevicePortMasks[0].mask, 0xFFFFFFFDu);

    // The product frees the cable's host input and reports its slots again.
    ASSERT_TRUE (pumpUntil ([this] { return device().usbHostDevices[0].deviceHandle != -1; }, 3000));
    pump (300);
    EXPECT_EQ (device().usbHostDevices[1].deviceHandle, -1);
    EXPECT_EQ (device().usbHostDevices[16].vidPid, keysVidPid);
    grid().rebuildIfScheduled();
    EXPECT_TRUE (grid().hostInPortButtons[0]->isVisible());
    EXPECT_FALSE (grid().hostInPortButtons[1]->isVisible());
}

TEST_F (UsbPortsTab, TheLastCableStaysOnAndAPanelOpenAtAnUnplugTouchesNothing)
{
    auto product = connectWithKeys (jorvekAt (4, 5));

    // The output side's "Ports" button opens the record of the host output.
    ASSERT_TRUE (opensCallOut<SettingsUsbDevPortObject> (*grid().hostOutPortButtons[0]));
    auto panel = std::make_unique<SettingsUsbDevPortObject> (&grid(), 16, 0);
    panel->setDevice (device().usbHostDevices[16]);

    click (*panel->outputToggles[0]);
    click (*panel->outputToggles[1]);
    click (*panel->inputToggles[0]);
    EXPECT_TRUE (panel->inputToggles[0]->getToggleState()) << "the click is undone";
    EXPECT_EQ (panel->descriptionLabel->getText(), SettingsUsbDevPortObject::lastCableMessage);
    EXPECT_EQ (device().usbDevicePortMasks[0].mask, 0xFFFFFFFCu);
    pump (3200);
    EXPECT_EQ (panel->descriptionLabel->getText(), SettingsUsbDevPortObject::description) << "the explanation goes after 3 s";
    panel->closePanel (false);
    panel = nullptr;

    // A box open when the product goes is closed without applying, before anything it reaches goes.
    click (*grid().hostInPortButtons[0]);
    product->unplug();
    ASSERT_TRUE (pumpUntil ([this] { return main->infoLabel->getText() == "Information: No device connected"; }, 3000));
    ASSERT_TRUE (pumpUntil ([this] { return ! isPanelOpen<SettingsUsbDevPortObject>(); }, 1000));
    pump (1500);
    EXPECT_TRUE (writesOf (kindUsbDevicePorts).empty());
}

//==============================================================================
TEST_F (UsbPortsTab, ARenameIsStoredUnderTheSerialAndShownEverywhere)
{
    auto product = connectWithKeys (jorvekAt (4, 5));
    const int a = device().getNumUsbHostPorts();
    const int port = a;     // the first USB-C virtual input
    const auto serial = device().serialText;
    ASSERT_TRUE (serial.isNotEmpty());

    ASSERT_TRUE (opensCallOut<MidiInOutRenameObject> (*grid().inputNameButtons[port]));
    std::unique_ptr<MidiInOutRenameObject> window;

    auto openRename = [this, &window] (int index)
    {
        window = std::make_unique<MidiInOutRenameObject> (&grid(), index, 0);
        return window.get();
    };

    auto closeRename = [&window] (MidiInOutRenameObject&) { window = nullptr; };

    openRename (port);
    const auto defaultName = window->getDefaultPortName (port);
    const auto key = serial + "::" + defaultName;
    EXPECT_EQ (window->titleLabel->getText(), defaultName + " Port rename");
    EXPECT_EQ (window->nameEditor->getText(), defaultName);

    // Closed without a change, or emptied: nothing is stored.
    closeRename (*window);
    EXPECT_FALSE (main->propertiesFile->containsKey (key));

    openRename (port);
    window->nameEditor->setText ({});
    closeRename (*window);
    EXPECT_FALSE (main->propertiesFile->containsKey (key));

    openRename (port);
    window->nameEditor->setText ("Laptop");
    closeRename (*window);
    EXPECT_EQ (main->propertiesFile->getValue (key), "Laptop");
    EXPECT_EQ (grid().inputButtons[port]->getButtonText(), "Laptop");

    // "Reset" and closing give the default name back, stored as the custom name.
    openRename (port);
    EXPECT_EQ (window->nameEditor->getText(), "Laptop");
    click (*window->resetButton);
    closeRename (*window);
    EXPECT_EQ (main->propertiesFile->getValue (key), defaultName);
    EXPECT_EQ (grid().inputButtons[port]->getButtonText(), defaultName);

    // "Reset All Ports names" stores every input and output under its default name.
    openRename (port);
    const int ports = a + device().getNumLocalPorts();
    click (*window->resetAllButton);
    closeRename (*window);

    for (int i = 0; i < 2 * ports; ++i)
    {
        const auto name = device().getPortName (i < ports ? i : i - ports, i < ports ? "In" : "Out", nullptr,
                                                true, false, false, true, true, false);
        EXPECT_EQ (main->propertiesFile->getValue (serial + "::" + name), name) << i;
    }
}

TEST_F (UsbPortsTab, CustomNamesBelongToOneSerial)
{
    auto product = connectWithKeys (jorvekAt (4, 5));
    const int port = device().getNumUsbHostPorts();
    const auto serial = device().serialText;

    auto window = std::make_unique<MidiInOutRenameObject> (&grid(), port, 0);
    const auto defaultName = window->getDefaultPortName (port);
    window->nameEditor->setText ("Laptop");
    window->storePortName (port, defaultName, "Laptop");
    EXPECT_EQ (grid().inputButtons[port]->getButtonText(), "Laptop");

    // Another unit of the same model has no custom names.
    device().serialText = "000000010000000200000003";
    grid().updatePortName (port);
    EXPECT_EQ (grid().inputButtons[port]->getButtonText(), defaultName);

    // Without a serial nothing is stored.
    device().serialText = {};
    window->storePortName (port, defaultName, "Desk");
    EXPECT_FALSE (main->propertiesFile->getValue (serial + "::" + defaultName).contains ("Desk"));
    EXPECT_EQ (main->propertiesFile->getAllProperties().getAllValues().indexOf ("Desk"), -1);

    device().serialText = serial;
    window->closePanel (false);
}
