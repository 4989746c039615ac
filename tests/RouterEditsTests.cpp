#include "support/ChainTestSupport.h"
#include "routing/RouterEdits.h"

/* The routing edits on the device model alone, against a simulated product: what the debounce's
   pass marks and sends, in which order, and what the product keeps. */

namespace
{
    float version (int major, int minor) { return MidiController::firmwareVersionFromDigits (major, minor); }
}

class RouterEditsTest : public SimulatedDeviceFixture
{
protected:
    std::shared_ptr<SimulatedProductRunner> connect (int product, int major, int minor)
    {
        SimulatedProduct::Config config;
        config.productCode = product;
        config.hostFirmware = { major, minor };
        auto runner = addProduct (config);
        connectProduct (product, version (major, minor));
        EXPECT_TRUE (openPorts (*runner));
        return runner;
    }

    bool runChainToEnd (int timeoutMs = 5000)
    {
        return pumpUntil ([this] { return ui.lastStatus() == "-" && device().waitingForReply == 0
                                              && device().getFirstPendingKind() == 0xFF; }, timeoutMs);
    }

    RouterEdits edits;
};

TEST_F (RouterEditsTest, ClicksAreWrittenAsTheRowsTheyChanged)
{
    auto product = connect (productJorvek, 4, 5);

    ASSERT_TRUE (edits.toggleRoute (device(), 17, 3));
    ASSERT_TRUE (edits.toggleRoute (device(), 17, 4));
    ASSERT_TRUE (edits.toggleRoute (device(), 20, 4));
    ASSERT_TRUE (edits.toggleRoute (device(), 20, 4));      // back again: still written once
    EXPECT_TRUE (ChainTest::pendingTableIsEmpty (device())) << "nothing is marked before the debounce";

    // Another row of the same preset waits to be written already; the pass must not cancel it.
    device().routerMasks[0][18] = 0x55u;
    device().markForWrite (kindRouter, 18);

    EXPECT_EQ (edits.writePendingChanges (device()), RouterEdits::Outcome::routerRowSent);
    ASSERT_TRUE (runChainToEnd());

    EXPECT_EQ (ChainTest::requestsReceived (*product), "write 0/17\nwrite 0/18\nwrite 0/20");
    EXPECT_TRUE (ui.statusTexts.contains (RouterEdits::writingRouter));

    const auto store = product->getProduct().getSettings();
    EXPECT_EQ (store.routerMasks[0][17], 0x18u);
    EXPECT_EQ (store.routerMasks[0][18], 0x55u);
    EXPECT_EQ (store.routerMasks[0][20], 0u);
    EXPECT_FALSE (edits.hasChangedRows());
}

TEST_F (RouterEditsTest, RoutesTheTableHasNoPlaceForAreRefused)
{
    connect (productNorrim, 4, 5);
    const auto before = device().routerMasks[0][35];

    EXPECT_FALSE (edits.toggleRoute (device(), 36, 0));
    EXPECT_FALSE (edits.toggleRoute (device(), 35, 32));
    EXPECT_FALSE (edits.toggleRoute (device(), 43, 43));
    EXPECT_EQ (device().routerMasks[0][35], before);
    EXPECT_FALSE (edits.hasChangedRows());

    EXPECT_TRUE (edits.toggleRoute (device(), 35, 31));
    EXPECT_EQ (device().routerMasks[0][35], before ^ 0x80000000u);
}

TEST_F (RouterEditsTest, CableMasksThenReservationsThenRowsWithTheirFirmwareGates)
{
    struct Case
    {
        const char* name;
        int major, minor;
        const char* requests;
        const char* firstStatus;
    };

    const Case cases[] = {
        { "no cable masks at 2.8",   2, 8, "write 0/3", "Writing router settings..." },
        { "no reservations at 3.0",  3, 0, "write 8/0\nwrite 0/3", "Writing USB ports settings..." },
        { "both above 3.05",         3, 1, "write 8/0\nwrite 0/3\nwrite 9/2", "Writing USB ports settings..." },
        { "both at 4.5",             4, 5, "write 8/0\nwrite 0/3\nwrite 9/2", "Writing USB ports settings..." },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        ports = nullptr;
        ports = std::make_unique<SimulatedPorts>();
        auto product = connect (productCalder, c.major, c.minor);
        ui.statusTexts.clear();

        device().usbDevicePortMasks[0] = { 0x05821234, 0xFFFFFFFEu };
        device().markForWrite (kindUsbDevicePorts, 0);
        device().portReservations[2] = { 0x05821234, 0x0001 };
        device().markForWrite (kindPortReservation, 2);
        edits.toggleRoute (device(), 3, 9);

        edits.writePendingChanges (device());
        ASSERT_TRUE (runChainToEnd());

        EXPECT_EQ (ChainTest::requestsReceived (*product), c.requests);
        ASSERT_FALSE (ui.statusTexts.isEmpty());
        EXPECT_EQ (ui.statusTexts[0], c.firstStatus);
        EXPECT_TRUE (ChainTest::pendingTableIsEmpty (device())) << "no mark is left behind";
        EXPECT_TRUE (ui.settingsErrors.isEmpty());

        device().closeInput();
        device().closeOutput();
        resetDeviceForTest (device());
        device().userInterface = &ui;
    }
}

TEST_F (RouterEditsTest, TheStatusLineNamesOnlyAWriteThatWentOut)
{
    auto product = connect (productCalder, 4, 5);
    product->setReplyDelay (300);

    // A read is out: the row waits for the chain, and nothing claims to be written yet.
    device().markForRead (kindChannelFilter, 0);
    ASSERT_TRUE (device().sendPending());
    edits.toggleRoute (device(), 2, 9);
    EXPECT_EQ (edits.writePendingChanges (device()), RouterEdits::Outcome::queued);
    EXPECT_FALSE (ui.statusTexts.contains (RouterEdits::writingRouter));

    product->setReplyDelay (0);
    ASSERT_TRUE (runChainToEnd());
    EXPECT_EQ (ChainTest::requestsReceived (*product), "read 1/0\nwrite 0/2");
    EXPECT_EQ (product->getProduct().getSettings().routerMasks[0][2], device().routerMasks[0][2]);

    // No product to send to: nothing goes out, and the refusal is reported, not announced.
    device().deviceMode = 0;
    const int statusTextsBefore = ui.statusTexts.size();
    edits.toggleRoute (device(), 2, 9);
    EXPECT_EQ (edits.writePendingChanges (device()), RouterEdits::Outcome::refused);
    pump (50);
    EXPECT_EQ (ui.statusTexts.size(), statusTextsBefore);
    EXPECT_EQ (ui.settingsErrors, juce::Array<int> ({ SYSX_NOTHING_TO_SEND }));
}

TEST_F (RouterEditsTest, AllRowsOfTheProductAreWrittenInOrder)
{
    auto product = connect (productLissar, 4, 5);
    RouterEdits::clearCurrentPreset (device());
    edits.writeRouterSettings (device());
    ASSERT_TRUE (runChainToEnd());

    juce::StringArray expected;
    for (int row = 0; row < 36; ++row)
        expected.add ("write 0/" + juce::String (row));

    EXPECT_EQ (ChainTest::requestsReceived (*product), expected.joinIntoString ("\n"))
        << "the Lissar's 40 ports: only the 36 rows the table holds";
}
