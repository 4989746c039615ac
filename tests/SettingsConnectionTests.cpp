#include "support/SimTestSupport.h"

// Every test here builds a main component, which deletes the device object when it goes:
// run them through ctest (one process per test) or one at a time.

namespace
{
    constexpr int jorvekHostId = 38, jorvekDeviceId = 39;

    juce::uint32 now() { return juce::Time::getMillisecondCounter(); }

    SimulatedProduct::Config jorvekConfig()
    {
        SimulatedProduct::Config config;
        config.productCode = productJorvek;
        config.hostFirmware = { 4, 5 };
        config.deviceFirmware = { 7, 1 };
        return config;
    }

    /** A user's choice in a list: the list tells its listeners. */
    void choose (juce::ComboBox& list, int itemIndex)
    {
        list.setSelectedItemIndex (itemIndex, juce::sendNotificationSync);
    }
}

class SettingsConnection : public SimulatedAppFixture
{
protected:
    Settings& page() { return *main->getSettings(); }

    size_t sentCount (int idByte, int type, int kind) const { return ports->getSentRequests (idByte, type, kind).size(); }

    /** After a connection by hand: the host core has been read (the end-of-reading command goes
        out once per connection only). */
    bool pumpUntilHostCoreRead (int timeoutMs)
    {
        return pumpUntil ([this]
        {
            return device().productCode == productJorvek && device().deviceMode == 1 && device().waitingForReply == 0
                     && device().getFirstPendingKind() == 0xFF && main->statusLabel->getText() == "-";
        }, timeoutMs);
    }
};

TEST_F (SettingsConnection, ManualModeConnectsOnlyWhenAskedThenAutoDetectClosesAndSearchesAgain)
{
    auto product = addProduct (jorvekConfig());
    ASSERT_TRUE (pumpUntilReadEnds (12000)) << main->statusLabel->getText();
    auto& settings = page();

    // Manual mode: the search stops, the three products are offered, none chosen.
    settings.autoDetectToggle.triggerClick();
    pump (50);
    EXPECT_FALSE (main->isTimerRunning());
    ASSERT_EQ (settings.productCombo.getNumItems(), 3);
    EXPECT_EQ (settings.productCombo.getSelectedItemIndex(), -1);
    EXPECT_EQ (settings.productCombo.getTextWhenNothingSelected(), "Please select the product");
    EXPECT_FALSE (settings.inputPortCombo.isEnabled());
    EXPECT_FALSE (settings.connectButton.isEnabled());
    EXPECT_EQ (device().manualConnect, 0);

    // Every MIDI port is listed, whatever its name; choosing the product enables the port lists.
    choose (settings.productCombo, 2);
    EXPECT_EQ (settings.productCombo.getSelectedId(), productJorvekDevice);
    EXPECT_EQ (device().manualConnect, 1);
    EXPECT_TRUE (settings.inputPortCombo.isEnabled());
    EXPECT_FALSE (settings.connectButton.isEnabled());
    ASSERT_EQ (settings.inputPortCombo.getNumItems(), 1);

    // Picking the ports stores them but opens nothing.
    const auto identitiesBefore = sentCount (jorvekDeviceId, SYSX_TYPE_INFO, SYSX_CMD_IDENTITY);
    main->selectedInputIndex = main->selectedOutputIndex = 255;
    choose (settings.inputPortCombo, 0);
    EXPECT_FALSE (settings.connectButton.isEnabled());
    choose (settings.outputPortCombo, 0);
    EXPECT_TRUE (settings.connectButton.isEnabled());
    EXPECT_EQ (main->selectedInputIndex, 0);
    EXPECT_EQ (main->selectedOutputIndex, 0);
    EXPECT_EQ (device().inputIdentifier, product->getInputInfo().identifier);
    EXPECT_EQ (device().outputIdentifier, product->getOutputInfo().identifier);
    pump (300);
    EXPECT_EQ (sentCount (jorvekDeviceId, SYSX_TYPE_INFO, SYSX_CMD_IDENTITY), identitiesBefore);

    // "Connect" asks the device core who it is; the device link then reads everything through the host core.
    settings.connectButton.triggerClick();
    pump (20);
    EXPECT_EQ (sentCount (jorvekDeviceId, SYSX_TYPE_INFO, SYSX_CMD_IDENTITY), identitiesBefore + 1);
    EXPECT_EQ (main->connectionState, productJorvekDevice);
    EXPECT_EQ (device().productCode, productJorvekDevice);
    ASSERT_TRUE (pumpUntilHostCoreRead (12000)) << main->statusLabel->getText();
    EXPECT_FALSE (main->isTimerRunning()) << "the search stays stopped in manual mode";
    EXPECT_TRUE (settings.productCombo.isEnabled());
    EXPECT_TRUE (settings.inputPortCombo.isEnabled());
    EXPECT_TRUE (settings.connectButton.isEnabled());

    // "Auto detect" again: the connection is closed at once, the search restarts 400 ms later.
    const auto closesBefore = sentCount (jorvekHostId, SYSX_TYPE_COMMAND, SYSX_CMD_CLOSE_CONNECTION);
    const auto scansBefore = ports->getScanTimes().size();
    settings.autoDetectToggle.triggerClick();
    ASSERT_TRUE (pumpUntil ([&] { return settings.autoDetectToggle.getToggleState(); }, 500));
    const auto clicked = now();
    EXPECT_EQ (sentCount (jorvekHostId, SYSX_TYPE_COMMAND, SYSX_CMD_CLOSE_CONNECTION), closesBefore + 1);
    EXPECT_FALSE (settings.connectButton.isEnabled());
    EXPECT_FALSE (settings.productCombo.isEnabled());
    EXPECT_EQ (settings.productCombo.getTextWhenNothingSelected(), "Auto");
    EXPECT_EQ (settings.inputPortCombo.getTooltip(), "This list is not selectable in automatic mode, it should not be modified");

    ASSERT_TRUE (pumpUntil ([&] { return ports->getScanTimes().size() > scansBefore; }, 1500));
    const auto restarted = ports->getScanTimes()[(int) scansBefore];
    EXPECT_GE ((int) (restarted - clicked), 300) << "the framework's timers may fire up to 100 ms early";
    EXPECT_LT ((int) (restarted - clicked), 900);
    EXPECT_TRUE (main->isTimerRunning());
    EXPECT_EQ (main->connectionState, 0) << "the restart forgets what was served";
    EXPECT_EQ (settings.inputPortCombo.getText(), "Jorvek-Pro MIDI 1");

    // The monitor then finds the product by itself.
    ASSERT_TRUE (pumpUntil ([this] { return main->connectionState == productJorvekDevice; }, 3000));
    ASSERT_TRUE (pumpUntilHostCoreRead (12000)) << main->statusLabel->getText();
}
