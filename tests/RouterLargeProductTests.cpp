#include "support/ChainTestSupport.h"
#include "routing/RouterMidi.h"

/* The Lissar and the Norrim have more ports (40 and 44) than the routing table holds (36 rows of
   32 outputs). Every row, toggle and name is driven here; under the sanitizers any access outside
   a table or a widget array fails. */

namespace
{
    float version (int major, int minor) { return MidiController::firmwareVersionFromDigits (major, minor); }

    /** Fills every host-slot record with one cable of one device, spread over many hubs. */
    void fillHostRecords (MidiController& device)
    {
        const int a = device.getNumUsbHostPorts();

        for (int record = 0; record < 2 * a; ++record)
        {
            auto& r = device.usbHostDevices[record];
            const int slot = record % a;
            r.deviceHandle = 100 + slot / 2;
            r.hubId = (juce::uint8) (1 + slot / 4);                // six hubs: the built-in one and five more
            r.hubPort = (juce::uint8) (1 + slot % 4);
            r.hubPortCount = (juce::uint8) (r.hubId == 1 ? (device.productCode == productNorrim ? 12 : 8) : 4);
            r.inputCables = r.outputCables = 2;
            r.cableIndex = (juce::uint8) (slot % 2);
            r.deviceInstance = 0;
            r.vidPid = 0x10000 + slot / 2;
            juce::String ("DEV " + juce::String (slot / 2)).copyToUTF8 (r.name, sizeof (r.name));
        }
    }
}

class LargeProductGrid : public DeviceFixture,
                         public ::testing::WithParamInterface<int>
{
};

TEST_P (LargeProductGrid, EveryRowAndToggleStaysWithinTheTables)
{
    connectProduct (GetParam(), version (4, 6));
    fillHostRecords (device());
    const int ports = device().getNumUsbHostPorts() + device().getNumLocalPorts();

    RouterMidi tab (nullptr);
    tab.setSize (800, 448);
    tab.updateEnablement (editorIdle);
    auto& grid = *tab.getRouterList();
    grid.rebuildGrid();

    EXPECT_EQ (grid.getLayout().shownHostInputs, 24) << "every occupied slot has its row, on six hubs";
    EXPECT_EQ (grid.getLayout().hubHeadingsIn.size(), 24);

    for (int i = 0; i < ports; ++i)
    {
        ASSERT_NE (grid.inputButtons[i], nullptr) << i;
        EXPECT_TRUE (grid.inputButtons[i]->isVisible()) << i;
        EXPECT_EQ (grid.inputButtons[i]->isEnabled(), i < 36) << i;
        EXPECT_EQ (grid.outputToggles[i]->isEnabled(), i < 32) << i;
    }

    // Clicks on every input and output, enabled or not, as the grid's listener gets them.
    std::vector<juce::uint32> before (device().routerMasks[0], device().routerMasks[0] + MidiController::numRouterRows);

    for (int i = 0; i < ports; ++i)
    {
        grid.clearInputSelection();
        grid.stopTimer();
        grid.buttonClicked (grid.inputButtons[i].get());

        for (int j = 0; j < ports; ++j)
            grid.buttonClicked (grid.outputToggles[j].get());

        grid.stopTimer();
    }

    for (int row = 0; row < MidiController::numRouterRows; ++row)
        EXPECT_EQ (device().routerMasks[0][row], before[(size_t) row] ^ 0xFFFFFFFFu) << "row " << row << ": each of its 32 routes flipped once";

    for (int i = 0; i < 2 * ports; ++i)
        grid.updatePortName (i);

    for (int i = 0; i < 2 * device().getNumUsbHostPorts(); ++i)
        grid.updateHostPortName (i);

    EXPECT_EQ (grid.inputButtons[ports - 1]->getTooltip(), "Not available on this product");
    EXPECT_EQ (grid.outputToggles[32]->getTooltip(), "Not available on this product");

    grid.writePendingChanges();
    for (int row = 36; row < PendingRequests::numItems; ++row)
        ASSERT_FALSE (device().pendingRequests.isPending (kindRouter, row)) << row;

    grid.clearRouter();
    grid.resetRouter (true, true);

    auto image = grid.createComponentSnapshot (grid.getLocalBounds());
    EXPECT_EQ (image.getHeight(), grid.getHeight());
}

INSTANTIATE_TEST_SUITE_P (Products, LargeProductGrid, ::testing::Values ((int) productLissar, (int) productNorrim));

//==============================================================================
using LargeProductTab = SimulatedAppFixture;

TEST_F (LargeProductTab, NorrimClearAndDefaultsWriteOnlyTheRowsTheTableHolds)
{
    SimulatedProduct::Config config;
    config.productCode = productNorrim;
    config.hostFirmware = { 4, 6 };
    auto product = addProduct (config);
    ASSERT_TRUE (pumpUntilReadEnds (15000));

    auto& tab = *main->getRouter();
    product->clearLogs();
    ASSERT_TRUE (tab.buttonReset->isEnabled());
    tab.buttonReset->triggerClick();
    pump (20);
    ASSERT_TRUE (pumpUntil ([this] { return device().waitingForReply == 0 && device().getFirstPendingKind() == 0xFF
                                              && main->statusLabel->getText() == "-"; }, 8000));

    juce::StringArray expected;
    for (int row = 0; row < 36; ++row)
        expected.add ("write 0/" + juce::String (row));

    EXPECT_EQ (ChainTest::requestsReceived (*product), expected.joinIntoString ("\n"));
    EXPECT_TRUE (main->deviceAlerts.isEmpty());
    EXPECT_FALSE (main->statusWasShown ("Error while reading/writing settings errorCode: 7Ch"));
}
