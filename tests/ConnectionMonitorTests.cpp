#include "support/SimTestSupport.h"

// Every test here builds a main component, which deletes the device object when it goes:
// run them through ctest (one process per test) or one at a time.

namespace
{
    const juce::String noDevice ("Information: No device connected");

    juce::uint32 now() { return juce::Time::getMillisecondCounter(); }
}

class MonitorOfTheConnection : public SimulatedAppFixture
{
protected:
    /** A Jorvek, plugged in; host firmware 3.8 reads as 3.805, so the keep-alive applies to it. */
    std::shared_ptr<SimulatedProductRunner> addJorvek (int powerDown = 0)
    {
        SimulatedProduct::Config config;
        config.productCode = productJorvek;
        config.hostFirmware = { 3, 8 };
        auto product = addProduct (config);

        auto settings = product->getProduct().getSettings();
        for (auto& word : settings.powerDown)
            word = (juce::uint32) powerDown;
        product->getProduct().setSettings (settings);
        return product;
    }

    std::vector<juce::uint32> activeSensingTimes (juce::uint32 since) const
    {
        std::vector<juce::uint32> times;

        for (auto& s : ports->getSent())
            if (s.time >= since && s.message.isActiveSense())
                times.push_back (s.time);

        return times;
    }

    int scansBetween (juce::uint32 from, juce::uint32 to) const
    {
        int count = 0;

        for (auto time : ports->getScanTimes())
            if (time > from && time < to)
                ++count;

        return count;
    }

    /** The time of the first line with this text from the given time on; 0 when none. */
    static juce::uint32 lineTime (const std::vector<RecordingMainComponent::Line>& lines, const juce::String& text, juce::uint32 since)
    {
        for (auto& line : lines)
            if (line.time >= since && line.text == text)
                return line.time;

        return 0;
    }

    juce::uint32 infoTime (const juce::String& text, juce::uint32 since) const    { return lineTime (main->infoLines, text, since); }
    juce::uint32 statusTime (const juce::String& text, juce::uint32 since) const  { return lineTime (main->statusLines, text, since); }
};

TEST_F (MonitorOfTheConnection, UnplugWhileIdleResetsEverythingAndTheSearchGoesOn)
{
    auto product = addJorvek();
    ASSERT_TRUE (pumpUntilReadEnds (12000)) << main->statusLabel->getText();

    for (auto& preset : device().filterChannels)  for (auto& entry : preset) entry = 0xFFFF;
    for (auto& preset : device().filterStatus)    for (auto& entry : preset) entry = 0x3FFFF;

    const auto sentBefore = ports->getSent().size();
    product->unplug();
    const auto unplugged = now();

    ASSERT_TRUE (pumpUntil ([this] { return main->infoLabel->getText() == noDevice; }, 1500));
    EXPECT_LE ((int) (now() - unplugged), 1300) << "at the next tick, and 10 ms later";

    EXPECT_EQ (main->connectionState, 0);
    EXPECT_EQ (device().productCode, productNone);
    EXPECT_TRUE (device().midiInput == nullptr);
    EXPECT_TRUE (device().midiOutput == nullptr);
    EXPECT_EQ (main->getFilter()->lastEnablementMode, editorLocked);
    EXPECT_EQ (main->getMapper()->lastEnablementMode, editorLocked);
    EXPECT_EQ (device().deviceMode, 255) << "the router tab counts as unconnected";
    EXPECT_EQ (main->getSettings()->lastEnablementMode, editorBusy);
    EXPECT_FALSE (main->buttonReset->isEnabled());
    EXPECT_FALSE (main->buttonViewFullSettings->isEnabled());
    EXPECT_FALSE (main->getPresets()->buttonLoadSinglePreset.isEnabled());

    bool filtersCleared = true;
    for (int p = 0; p < MidiController::numPresetRows; ++p)
        for (int e = 0; e < MidiController::numFilterEntries; ++e)
            filtersCleared = filtersCleared && device().filterChannels[p][e] == 0 && device().filterStatus[p][e] == 0;
    EXPECT_TRUE (filtersCleared) << "the filter tables of every preset are back at zero";

    // The search goes on, and nothing more goes out.
    pump (1100);
    EXPECT_EQ (main->statusLabel->getText(), "Searching USB connected device...");
    EXPECT_EQ (ports->getSent().size(), sentBefore) << "a request went out after the unplug";

    product->plugIn();
    ASSERT_TRUE (pumpUntilReadEnds (12000, 2)) << main->statusLabel->getText();
    EXPECT_EQ (device().productCode, productJorvek);
    EXPECT_EQ (main->connectionState, productJorvekDevice);
}

TEST_F (MonitorOfTheConnection, UnplugWhileARequestIsOutWaitsForTheReplyTimeout)
{
    auto product = addJorvek (0x04);
    ASSERT_TRUE (pumpUntilReadEnds (12000)) << main->statusLabel->getText();
    ASSERT_EQ (device().powerDown[device().currentPreset], 0x04);

    // Idle, the keep-alive goes out: so its absence below comes from the request that is out.
    const auto idleFrom = now();
    ASSERT_TRUE (pumpUntil ([&] { return ! activeSensingTimes (idleFrom).empty(); }, 1500));

    // A read of everything, slowed down, and the product goes in the middle of it.
    product->setReplyDelay (100);
    device().readAllSettings();
    pump (400);
    ASSERT_EQ (device().waitingForReply, 1);
    ASSERT_NE (device().getFirstPendingKind(), 0xFF) << "the read should still be under way";

    product->unplug();
    const auto unplugged = now();
    const auto timeoutText = juce::String ("Error while reading/writing settings errorCode: 76h");

    ASSERT_TRUE (pumpUntil ([&] { return main->statusWasShown (timeoutText); }, 5000));
    const auto timedOut = statusTime (timeoutText, unplugged);

    EXPECT_GE ((int) (timedOut - unplugged), 3500) << "the 4 s reply timeout reports";
    EXPECT_EQ (device().getFirstPendingKind(), 0xFF) << "the timeout empties the pending table";
    EXPECT_EQ (scansBetween (unplugged, timedOut), 0) << "no tick scans while a request is out";
    EXPECT_TRUE (activeSensingTimes (unplugged).empty()) << "no keep-alive while a request is out";
    EXPECT_TRUE (main->deviceAlerts.contains ("Sysex Timeout\nNo answer received from the connected device"));

    // Then the next tick finds the product gone.
    ASSERT_TRUE (pumpUntil ([&] { return infoTime (noDevice, unplugged) != 0; }, 1500));
    EXPECT_GT (infoTime (noDevice, unplugged), timedOut);
    EXPECT_EQ (main->connectionState, 0);
}

TEST_F (MonitorOfTheConnection, LostManualConnectionIsClosedBeforeTheReset)
{
    // The reset follows 400 ms or 10 ms after the tick; the framework's timers may fire up to 100 ms early.
    struct Case { const char* name; bool closeCanBeSent; int minDelay, maxDelay; };
    const Case cases[] = {
        { "the close-connection command goes out", true,  290, 1000 },
        { "nothing can be sent",                   false, 0,   280 },
    };

    auto product = addJorvek();
    size_t reads = 0;

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        ASSERT_TRUE (pumpUntilReadEnds (12000, ++reads)) << main->statusLabel->getText();

        device().manualConnect = 1;
        if (! c.closeCanBeSent)
            device().hostFirmwareVersion = 0.5f;   // a firmware too old to be told

        const auto closesBefore = ports->getSentRequests (-1, SYSX_TYPE_COMMAND, SYSX_CMD_CLOSE_CONNECTION).size();
        product->unplug();
        const auto unplugged = now();

        ASSERT_TRUE (pumpUntil ([&] { return infoTime (noDevice, unplugged) != 0; }, 2000));
        const auto reset = infoTime (noDevice, unplugged);

        // The tick that found the product lost is the last scan before the reset.
        juce::uint32 lostTick = 0;
        for (auto time : ports->getScanTimes())
            if (time <= reset)
                lostTick = time;

        const auto closes = ports->getSentRequests (-1, SYSX_TYPE_COMMAND, SYSX_CMD_CLOSE_CONNECTION);
        EXPECT_EQ (closes.size() - closesBefore, c.closeCanBeSent ? 1u : 0u);
        EXPECT_EQ (statusTime ("Closing connection to the device...", unplugged) != 0, c.closeCanBeSent);
        EXPECT_GE ((int) (reset - lostTick), c.minDelay);
        EXPECT_LE ((int) (reset - lostTick), c.maxDelay);
        EXPECT_EQ (device().manualConnect, 0);

        product->plugIn();
    }
}

TEST_F (MonitorOfTheConnection, KeepAliveGoesOnlyToIdlePowerDownModels)
{
    struct Case { const char* name; int productCode; float hostFirmware; int powerDown; bool pending; bool keepAlive; };
    const Case cases[] = {
        { "Jorvek at 3.75",            productJorvek, 3.755f, 0x004, false, true  },
        { "Norrim at 3.75",            productNorrim, 3.755f, 0x200, false, true  },
        { "firmware 3.74",             productJorvek, 3.745f, 0x3FC, false, false },
        { "power-down \"Disable\"",    productJorvek, 3.805f, 0x003, false, false },
        { "another model",             productCalder, 3.805f, 0x3FC, false, false },
        { "a request waits",           productJorvek, 3.805f, 0x004, true,  false },
    };

    auto product = addJorvek();
    ASSERT_TRUE (pumpUntilReadEnds (12000)) << main->statusLabel->getText();

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        device().setProductCode (c.productCode);
        device().hostFirmwareVersion = c.hostFirmware;
        device().powerDown[device().currentPreset] = c.powerDown;
        device().pendingRequests.clearAll();
        if (c.pending)
            device().markForRead (kindRouter, 0);

        const auto from = now();
        pump (2300);
        const auto times = activeSensingTimes (from);

        if (c.keepAlive)
        {
            ASSERT_GE (times.size(), 2u);
            ASSERT_LE (times.size(), 3u);
            for (size_t i = 1; i < times.size(); ++i)
                EXPECT_NEAR ((int) (times[i] - times[i - 1]), 1000, 250) << "one per tick";
        }
        else
        {
            EXPECT_TRUE (times.empty());
        }

        EXPECT_EQ (main->connectionState, productJorvekDevice) << "the product stays served";
    }

    device().pendingRequests.clearAll();
}
