#include "support/ChainTestSupport.h"

/* The ways an edit can be lost, misdirected or sent twice, each against a simulated Jorvek whose
   store holds patterned values: the product's request log and its store are what counts. */

namespace
{
    constexpr juce::uint32 editedRow = 0x00C0FFEEu;

    /** The tables a preset has of its own (the preset setting says which preset is current). */
    Snapshot presetTables (const SimulatedProduct::Settings& store, int preset)
    {
        auto tables = snapshotOf (store, preset);
        tables.erase ("preset setting");
        return tables;
    }

    juce::StringArray withoutEndOfRead (juce::StringArray requests)
    {
        requests.removeString ("command 6");
        return requests;
    }
}

class ChainFaults : public RequestChain
{
protected:
    /** A Jorvek whose settings the model has read in full, at the store's current preset. */
    std::shared_ptr<SimulatedProductRunner> connectAndRead (int storePreset, const SimulatedProduct::Faults& faults = {})
    {
        auto product = connectJorvek (storePreset);
        device().readAllSettings();
        EXPECT_TRUE (runChainToEnd());
        EXPECT_EQ ((int) device().currentPreset, storePreset);
        product->getProduct().setFaults (faults);
        product->clearLogs();
        ui.statusTexts.clear();
        return product;
    }

    juce::String storedRow (SimulatedProductRunner& product, int preset, int row)
    {
        return juce::String::toHexString ((int) product.getProduct().getSettings().routerMasks[preset][row]);
    }
};

TEST_F (ChainFaults, EditsForAPresetTheProductLeftAreDroppedAndTheNewPresetIsReadInFull)
{
    auto product = connectAndRead (1);
    const auto storeBefore = product->getProduct().getSettings();

    device().routerMasks[1][3] = editedRow;
    device().markForWrite (kindRouter, 3);
    product->changePresetOnProduct (2);

    // The read of the preset setting is already first in line when the product changes preset.
    device().markForRead (kindPresetSetting, 0);
    device().sendPending (kindPresetSetting);
    ASSERT_TRUE (runChainToEnd());

    EXPECT_EQ (requestsReceived (*product), lines (withoutEndOfRead (fullReadOf (kindPresetSetting, jorvekReads))));
    EXPECT_TRUE (ui.statusTexts.contains ("Preset changed on the device: edits of preset 2 were not written"));

    const auto store = product->getProduct().getSettings();
    for (int p = 0; p < jorvekPresets; ++p)
        expectSameTables (presetTables (store, p), presetTables (storeBefore, p), "store");

    expectModelMatchesStore (*product);
}

TEST_F (ChainFaults, ChoosingAnotherPresetFirstWritesTheWaitingEditsOfTheCurrentOne)
{
    auto product = connectAndRead (1);
    const auto preset2Before = presetTables (product->getProduct().getSettings(), 2);

    device().routerMasks[1][3] = editedRow;
    device().markForWrite (kindRouter, 3);
    device().trsType[1] = 0x00018000;
    device().markForWrite (kindTrsType, 0);
    device().switchPreset (2);
    ASSERT_TRUE (runChainToEnd());

    juce::StringArray expected ({ "write 0/3", "write 5/0", "write 4/0" });
    expected.addArray (withoutEndOfRead (fullReadOf (kindPresetSetting, jorvekReads)));
    EXPECT_EQ (requestsReceived (*product), lines (expected));

    const auto store = product->getProduct().getSettings();
    EXPECT_EQ (product->getProduct().getCurrentPreset(), 2);
    EXPECT_EQ (store.routerMasks[1][3], editedRow);
    EXPECT_EQ (store.trsType[1], 0x00018000u);
    expectSameTables (presetTables (store, 2), preset2Before, "preset 2");
    expectModelMatchesStore (*product);
}

TEST_F (ChainFaults, AnEditMadeWhileTheSameItemIsBeingWrittenGoesOutNext)
{
    auto product = connectAndRead (0);
    product->setReplyDelay (30);

    device().routerMasks[0][3] = 0x111;
    device().markForWrite (kindRouter, 3);
    ASSERT_TRUE (device().sendPending());
    ASSERT_TRUE (pumpUntil ([&] { return product->getReceivedMessages().size() == 1; }, 1000));

    // Like a fader drag: the next value comes before the first one is acknowledged.
    device().routerMasks[0][3] = 0x222;
    device().markForWrite (kindRouter, 3);
    EXPECT_FALSE (device().sendPending());
    ASSERT_TRUE (runChainToEnd());

    EXPECT_EQ (requestsReceived (*product), lines ({ "write 0/3", "write 0/3" }));
    EXPECT_EQ (storedRow (*product, 0, 3), "222");
}

TEST_F (ChainFaults, NoticesFromTheProductLeaveTheReplyTimeoutArmed)
{
    SimulatedProduct::Faults silent;
    silent.silent = true;
    auto product = connectAndRead (0, silent);
    product->getProduct().setSettings (product->getProduct().getDefaultSettings());   // no reservations in the way
    device().replyTimeoutScale = 0.05f;

    device().routerMasks[0][3] = editedRow;
    device().markForWrite (kindRouter, 3);
    ASSERT_TRUE (device().sendPending());

    // Host-port records come while the write waits for its acknowledgement.
    const SimulatedProduct::UsbDeviceSpec keys;
    product->attachUsbDevice (keys);
    ASSERT_TRUE (pumpUntil ([&]
    {
        return std::any_of (std::begin (device().usbHostDevices), std::end (device().usbHostDevices),
                            [&] (const UsbHostDevice& r) { return r.vidPid == keys.vidPid; });
    }, 1000));
    EXPECT_EQ (device().waitingForReply, 1);

    ASSERT_TRUE (pumpUntil ([this] { return ui.lastStatus() == timeoutStatus; }, 2000));
    EXPECT_TRUE (pendingTableIsEmpty (device()));
}

TEST_F (ChainFaults, ASettingWrittenDuringTheFirstReadGoesOutOnceInTheChain)
{
    auto product = connectJorvek (2);
    product->setReplyDelay (20);
    device().readAllSettings();
    ASSERT_TRUE (pumpUntil ([this] { return device().currentPreset == 2; }, 2000));

    device().trsType[2] = 0x00028000;
    device().writeTrsTypes();
    product->setReplyDelay (0);
    ASSERT_TRUE (runChainToEnd());

    // One request per item: the TRS write takes the place of its read, and nothing goes out twice.
    auto expected = fullReadOf (kindPresetSetting, jorvekReads);
    expected.set (expected.indexOf ("read 5/0"), "write 5/0");
    expected.add ("command 6");
    EXPECT_EQ (requestsReceived (*product), lines (expected));
    EXPECT_EQ (product->getProduct().getSettings().trsType[2], 0x00028000u);
}

TEST_F (ChainFaults, AFullReadEndingOnAWriteStillEndsWithTheEndOfReading)
{
    auto product = connectJorvek (0);
    product->setReplyDelay (20);
    device().readAllSettings();
    ASSERT_TRUE (pumpUntil ([&] { return product->getReceivedMessages().size() >= 2; }, 2000));

    // The USB product name is read last; the user's new name takes the place of that read.
    device().usbProductName[0] = 0x4E657700;
    device().markForWrite (kindUsbProductName, 0);
    product->setReplyDelay (0);
    ASSERT_TRUE (runChainToEnd());

    auto received = juce::StringArray::fromLines (requestsReceived (*product));
    ASSERT_GE (received.size(), 2);
    EXPECT_EQ (received[received.size() - 2], "write 13/0");
    EXPECT_EQ (received[received.size() - 1], "command 6");
}

TEST_F (ChainFaults, AWriteChainEndingOnAReadSendsNoEndOfReading)
{
    auto product = connectJorvek (0);
    device().markForWrite (kindRouter, 3);
    device().markForRead (kindRouter, 4);
    ASSERT_TRUE (device().sendPending());
    ASSERT_TRUE (runChainToEnd());

    EXPECT_EQ (requestsReceived (*product), lines ({ "write 0/3", "read 0/4" }));
}

TEST_F (ChainFaults, RepliesThatAnswerNothingOutChangeNothing)
{
    auto product = connectAndRead (0);
    const auto modelRow5 = device().routerMasks[0][5];

    // A read reply of row 5 (0x0BADF00D) arrives while no request is out.
    const juce::uint8 readReply[] = { 0xF0, 0x00, 0x4B, 0x1D, 0x0F, 0x26, 0x42, 0x00, 0x01, 0x05,
                                      0x0D, 0x00, 0x3E, 0x6B, 0x05, 0x03, 0xF7 };
    product->sendUnsolicited ({ juce::MemoryBlock (readReply, sizeof (readReply)) });
    pump (50);

    EXPECT_EQ (device().routerMasks[0][5], modelRow5);
    EXPECT_EQ (device().waitingForReply, 0);
    EXPECT_TRUE (product->getReceivedMessages().isEmpty());
    EXPECT_TRUE (ui.settingsErrors.isEmpty());
}

//==============================================================================
/* The product's fault switches, met by the tool. */

TEST_F (ChainFaults, AnswerOfAnotherKindIsNotTakenForTheAwaitedOne)
{
    SimulatedProduct::Faults faults;
    faults.wrongKind = true;
    auto product = connectAndRead (0, faults);
    device().replyTimeoutScale = 0.05f;
    const auto filtersBefore = snapshotOf (device(), 0).at ("channel filters");

    // The product answers the routing read as if it were a channel-filter read of the same item.
    device().markForRead (kindRouter, 2);
    ASSERT_TRUE (device().sendPending());
    ASSERT_TRUE (pumpUntil ([this] { return ui.lastStatus() == timeoutStatus; }, 2000));

    EXPECT_EQ (snapshotOf (device(), 0).at ("channel filters"), filtersBefore);
    EXPECT_TRUE (ui.settingsErrors.isEmpty());
    EXPECT_EQ (requestsReceived (*product), "read 0/2");
}

TEST_F (ChainFaults, TruncatedAnswersAreReportedAndStoreNothing)
{
    SimulatedProduct::Faults faults;
    faults.truncateReplies = true;
    auto product = connectAndRead (0, faults);
    device().replyTimeoutScale = 0.05f;
    device().routerMasks[0][2] = 0;

    device().markForRead (kindRouter, 2);
    ASSERT_TRUE (device().sendPending());
    ASSERT_TRUE (pumpUntil ([this] { return ui.lastStatus() == timeoutStatus; }, 2000));

    EXPECT_EQ (ui.settingsErrors, juce::Array<int> (SYSX_END_MISSING));
    EXPECT_EQ (device().routerMasks[0][2], 0u);
}

TEST_F (ChainFaults, AnswersBeyondTheProductsRangeStoreNothing)
{
    SimulatedProduct::Faults faults;
    faults.answerOutOfRange = true;
    auto product = connectAndRead (0, faults);
    device().replyTimeoutScale = 0.05f;

    // Row 30 lies within the table but beyond the Jorvek's 30 ports: the product should not have
    // answered, and the answer is refused.
    device().routerMasks[0][30] = 0x5A5A;
    device().markForRead (kindRouter, 30);
    ASSERT_TRUE (device().sendPending());
    ASSERT_TRUE (pumpUntil ([this] { return ! ui.settingsErrors.isEmpty(); }, 2000));

    EXPECT_EQ (ui.settingsErrors, juce::Array<int> (SYSX_OUT_OF_RANGE));
    EXPECT_EQ (device().routerMasks[0][30], 0x5A5Au);
    EXPECT_EQ (requestsReceived (*product), "read 0/30");
}

//==============================================================================
/* Replies written out byte for byte, not built with the tool's own packing. */

class HandWrittenReplies : public WiredDeviceFixture
{
protected:
    void SetUp() override
    {
        WiredDeviceFixture::SetUp();
        connectProduct (productJorvek, MidiController::firmwareVersionFromDigits (4, 5),
                        MidiController::firmwareVersionFromDigits (7, 1));
        device().currentPreset = 1;
    }

    void deliverBytes (std::initializer_list<int> bytes)
    {
        std::vector<juce::uint8> raw;
        for (auto b : bytes)
            raw.push_back ((juce::uint8) b);

        deliver (juce::MidiMessage (raw.data(), (int) raw.size()));
        device().stopTimer();
    }
};

TEST_F (HandWrittenReplies, MapperReadReply)
{
    // Mapper 2 of the Jorvek: 0x12345678, 0x9ABCDEF0, 0x00000001, 0x5A000080, 0xFFFFFFFF, 0x00000000.
    deliverBytes ({ 0xF0, 0x00, 0x4B, 0x1D, 0x0F, 0x26, 0x42, 0x03, 0x06, 0x02,
                    0x08, 0x67, 0x0A, 0x0D, 0x09,
                    0x00, 0x6F, 0x1B, 0x2F, 0x4D,
                    0x01, 0x00, 0x00, 0x00, 0x00,
                    0x00, 0x08, 0x00, 0x00, 0x2D,
                    0x0F, 0x7F, 0x7F, 0x7F, 0x7F,
                    0x00, 0x00, 0x00, 0x00, 0x00,
                    0x23, 0xF7 });

    const auto& m = device().mapperRecords[1][2];
    EXPECT_TRUE (ui.settingsErrors.isEmpty());
    EXPECT_EQ (m.inVal1Val2, 0x12345678u);
    EXPECT_EQ (m.outVal1Val2, 0x9ABCDEF0u);
    EXPECT_EQ (m.cfg1, 0x00000001u);
    EXPECT_EQ (m.cfg2, 0x5A000080u);
    EXPECT_EQ (m.cfg3, 0xFFFFFFFFu);
    EXPECT_EQ (m.cfg4, 0x00000000u);
}

TEST_F (HandWrittenReplies, HostPortRecord)
{
    // Host input 3 carries cable 1 of device 5 ("USB Keys", 0x12345678) on port 2 of the 4-port hub 1;
    // 1 of 2 inputs and 1 of 1 outputs in use, instance 0, 64-byte buffers.
    deliverBytes ({ 0xF0, 0x00, 0x4B, 0x1D, 0x0F, 0x26, 0x41, 0x02, 0x00, 0x03,
                    0x05, 0x00, 0x00, 0x00, 0x00,                       // device handle
                    0x02, 0x00, 0x01, 0x00, 0x04, 0x00,                 // hub port, hub id, hub ports
                    0x01, 0x00, 0x01, 0x00, 0x02, 0x00, 0x01, 0x00,     // cables in use, cables in all
                    0x01, 0x00,                                         // cable 1, instance 0
                    0x00, 0x04, 0x00, 0x04,                             // buffer sizes
                    0x55, 0x53, 0x42, 0x20, 0x4B, 0x65, 0x79, 0x73, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                    0x08, 0x67, 0x0A, 0x0D, 0x09,                       // vid and pid
                    0x15, 0xF7 });

    const auto& r = device().usbHostDevices[3];
    EXPECT_TRUE (ui.settingsErrors.isEmpty());
    EXPECT_EQ (r.deviceHandle, 5);
    EXPECT_EQ (r.hubPort, 2);
    EXPECT_EQ (r.hubId, 1);
    EXPECT_EQ (r.hubPortCount, 4);
    EXPECT_EQ (r.inputCablesUsed, 1);
    EXPECT_EQ (r.outputCablesUsed, 1);
    EXPECT_EQ (r.inputCables, 2);
    EXPECT_EQ (r.outputCables, 1);
    EXPECT_EQ (r.cableIndex, 1);
    EXPECT_EQ (r.deviceInstance, 0);
    EXPECT_EQ (r.inputBufferSize, 64);
    EXPECT_EQ (r.outputBufferSize, 64);
    EXPECT_EQ (r.getName(), "USB Keys");
    EXPECT_EQ (r.vidPid, 0x12345678);
}
