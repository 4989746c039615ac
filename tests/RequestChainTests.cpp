#include "support/ChainTestSupport.h"

TEST_F (RequestChain, FullReadFollowsTheKindOrderAndMirrorsTheStore)
{
    auto product = connectJorvek (2);

    device().readAllSettings();
    ASSERT_TRUE (runChainToEnd());

    auto expected = fullReadOf (kindPresetSetting, jorvekReads);
    expected.add ("command 6");
    EXPECT_EQ (requestsReceived (*product), lines (expected));
    EXPECT_EQ (device().readCompleteSent, 1);
    EXPECT_TRUE (ui.settingsErrors.isEmpty());
    expectModelMatchesStore (*product);
}

TEST_F (RequestChain, PresetChangedOnTheProductStartsOneFullReadAgain)
{
    auto product = connectJorvek (1);
    device().readAllSettings();
    ASSERT_TRUE (runChainToEnd());

    product->changePresetOnProduct (4);
    product->clearLogs();
    ui.statusTexts.clear();

    device().markForRead (kindPresetSetting, 0);
    ASSERT_EQ (device().buildCommand (SYSX_TYPE_READ, kindPresetSetting), SYSX_OK);
    device().sendCommand (4.0f);
    ASSERT_TRUE (runChainToEnd());

    // The reply flagged the change; the full read fetches the new preset's tables (the preset
    // setting itself was just read), once, and ends without a second end-of-read command.
    auto expected = fullReadOf (kindPresetSetting, jorvekReads);
    EXPECT_EQ (requestsReceived (*product), lines (expected));
    EXPECT_EQ (device().presetChanged, 0);
    expectModelMatchesStore (*product);
}

TEST_F (RequestChain, WriteChainReachesTheStoreWithoutEndOfRead)
{
    auto product = connectJorvek (0);
    const juce::uint32 newRows[] = { 0x00012345u, 0x80000001u };

    device().routerMasks[0][3] = newRows[0];
    device().routerMasks[0][7] = newRows[1];
    device().markForWrite (kindRouter, 3);
    device().markForWrite (kindRouter, 7);
    ASSERT_EQ (device().buildCommand (SYSX_TYPE_WRITE, kindRouter), SYSX_OK);
    device().sendCommand (4.0f);
    ASSERT_TRUE (runChainToEnd());

    EXPECT_EQ (requestsReceived (*product), lines ({ "write 0/3", "write 0/7" }));
    EXPECT_EQ (device().readCompleteSent, 0);

    const auto store = product->getProduct().getSettings();
    EXPECT_EQ (store.routerMasks[0][3], newRows[0]);
    EXPECT_EQ (store.routerMasks[0][7], newRows[1]);
    EXPECT_EQ (store.routerMasks[0][4], pattern (kindRouter, 0, 4));
}

TEST_F (RequestChain, WriteDuringTheFirstReadWritesNoUnreadValue)
{
    constexpr int preset = 3, editedRow = 5;
    constexpr juce::uint32 editedValue = 0x00ABCDEFu;
    auto product = connectJorvek (preset);
    auto expectedStore = product->getProduct().getSettings();
    expectedStore.routerMasks[preset][editedRow] = editedValue;

    // Slow answers let the test step in between two of them.
    product->setReplyDelay (20);
    device().readAllSettings();

    // Once the product has told its preset, the user edits a row while its values are still being read.
    ASSERT_TRUE (pumpUntil ([this] { return device().currentPreset == preset; }, 2000));
    device().routerMasks[preset][editedRow] = editedValue;
    device().markForWrite (kindRouter, editedRow);
    product->setReplyDelay (0);
    ASSERT_TRUE (runChainToEnd());

    auto expected = fullReadOf (kindPresetSetting, jorvekReads);
    expected.set (expected.indexOf ("read 0/5"), "write 0/5");
    expected.add ("command 6");
    EXPECT_EQ (requestsReceived (*product), lines (expected));

    const auto store = product->getProduct().getSettings();

    for (int p = 0; p < jorvekPresets; ++p)
        expectSameTables (snapshotOf (store, p), snapshotOf (expectedStore, p), "store");

    expectModelMatchesStore (*product);
}

TEST_F (RequestChain, SilentProductTimesOutAndEmptiesThePendingTable)
{
    SimulatedProduct::Faults faults;
    faults.silent = true;
    auto product = connectJorvek (0, faults);

    device().readAllSettings();
    ASSERT_FALSE (pendingTableIsEmpty (device()));
    ASSERT_TRUE (pumpUntil ([this] { return ui.lastStatus() == timeoutStatus; }, 6000));
    pump (10);

    ASSERT_EQ (ui.alerts.size(), 1u);
    EXPECT_FALSE (ui.alerts[0].warning);
    EXPECT_EQ (ui.alerts[0].text, timeoutAlert);
    EXPECT_TRUE (pendingTableIsEmpty (device()));
    EXPECT_EQ (device().waitingForReply, 0);
    EXPECT_TRUE (ui.factoryResetEnabled.contains (true));
    EXPECT_TRUE (ui.upgradeResults.isEmpty());
    EXPECT_EQ (requestsReceived (*product), lines ({ "read 4/0" }));
}

TEST_F (RequestChain, CorruptedChecksumReportsAtOnceThenTimesOut)
{
    SimulatedProduct::Faults faults;
    faults.corruptChecksum = true;
    connectJorvek (0, faults);

    const auto sent = juce::Time::getMillisecondCounter();
    device().readAllSettings();

    ASSERT_TRUE (pumpUntil ([this] { return ! ui.settingsErrors.isEmpty(); }, 2000));
    EXPECT_EQ (ui.settingsErrors, juce::Array<int> (SYSX_CHECKSUM_ERROR));
    EXPECT_EQ (device().waitingForReply, 1);
    EXPECT_FALSE (ui.statusTexts.contains (timeoutStatus));

    ASSERT_TRUE (pumpUntil ([this] { return ui.lastStatus() == timeoutStatus; }, 6000));
    EXPECT_GE (juce::Time::getMillisecondCounter() - sent, 3900u);
    EXPECT_TRUE (pendingTableIsEmpty (device()));
}

TEST_F (RequestChain, SendWithoutAnOutputStillArmsTheTimeout)
{
    connectProduct (productJorvek, 4.505f);
    ASSERT_TRUE (device().midiOutput == nullptr);
    ASSERT_EQ (device().buildCommand (SYSX_TYPE_READ, kindPresetSetting), SYSX_OK);

    device().sendCommand (4.0f);

    EXPECT_EQ (device().waitingForReply, 1);
    EXPECT_TRUE (device().isTimerRunning());
}

TEST_F (RequestChain, FirstReadSentFromTheIdentityReplyKeepsItsTimeout)
{
    SimulatedProduct::Config config;
    config.productCode = productJorvek;
    config.hostFirmware = { 4, 5 };
    auto product = addProduct (config);

    device().setProductCode (productJorvek);
    ASSERT_TRUE (openPorts (*product));
    device().requestIdentity();

    // The identity reply is on its way; the product answers nothing after it.
    ASSERT_TRUE (product->waitUntilIdle (3000));
    SimulatedProduct::Faults faults;
    faults.silent = true;
    product->getProduct().setFaults (faults);

    // The identity reply's handler sends the first read, which keeps its timeout.
    ASSERT_TRUE (pumpUntil ([this] { return device().productName.isNotEmpty(); }, 3000));
    EXPECT_EQ (requestsReceived (*product), lines ({ "info 0", "read 4/0" }));
    EXPECT_EQ (device().waitingForReply, 1);
    EXPECT_TRUE (device().isTimerRunning());
}

TEST_F (RequestChain, RefusedChainedRequestDropsItsMarksAndTheChainGoesOn)
{
    SimulatedProduct::Config config;
    config.productCode = productDorvin;
    config.hostFirmware = { 1, 1 };
    auto product = addProduct (config);
    connectProduct (productDorvin, MidiController::firmwareVersionFromDigits (1, 1), 7.105f);
    ASSERT_TRUE (openPorts (*product));

    // User curves need host firmware 3.85: the builder refuses them when the chain reaches them.
    device().readAllSettings();
    device().markForRead (kindVelocityCurve, 1);
    ASSERT_TRUE (runChainToEnd());

    auto expected = fullReadOf (kindPresetSetting, dorvinReadsAt11);
    expected.add ("command 6");
    EXPECT_EQ (requestsReceived (*product), lines (expected));
    EXPECT_TRUE (ui.settingsErrors.isEmpty());
}

//==============================================================================
struct ReadMarksCase
{
    SimulatedProduct::FirmwareVersion hostFirmware;
    int firstKind;
    KindCounts marks;
    bool endOfRead;
};

void PrintTo (const ReadMarksCase& c, std::ostream* os)
{
    *os << "host firmware " << c.hostFirmware.major << "." << c.hostFirmware.minor;
}

class RequestChainReadMarks : public RequestChain,
                              public ::testing::WithParamInterface<ReadMarksCase>
{
};

TEST_P (RequestChainReadMarks, DorvinMarksFirstReadAndChain)
{
    const auto& c = GetParam();
    SimulatedProduct::Config config;
    config.productCode = productDorvin;
    config.hostFirmware = c.hostFirmware;
    config.wirelessModule = 1;
    auto product = addProduct (config);

    connectProduct (productDorvin, MidiController::firmwareVersionFromDigits (c.hostFirmware.major, c.hostFirmware.minor), 7.105f);
    device().wirelessModule = 1;
    ASSERT_TRUE (openPorts (*product));

    device().readAllSettings();

    for (int kind = 0; kind < PendingRequests::numKinds; ++kind)
    {
        int marked = 0;

        for (int item = 0; item < PendingRequests::numItems; ++item)
            marked += device().pendingRequests.isPending (kind, item) ? 1 : 0;

        EXPECT_EQ (marked, c.marks[(size_t) kind]) << "kind " << kind;
        EXPECT_EQ (device().pendingRequests.firstItem (kind), marked > 0 ? 0 : 0xFF) << "kind " << kind;
    }

    EXPECT_EQ (requestsReceived (*product), lines ({ "read " + juce::String (c.firstKind) + "/0" }));

    ASSERT_TRUE (runChainToEnd());
    auto expected = fullReadOf (c.firstKind, c.marks);

    if (c.endOfRead)
        expected.add ("command 6");

    EXPECT_EQ (requestsReceived (*product), lines (expected));
}

// Below 1.05 there is no preset setting to start with; below 0.55 no mappers, filters of the inputs
// only and no end-of-read command.
INSTANTIATE_TEST_SUITE_P (RequestChain, RequestChainReadMarks, ::testing::Values (
    ReadMarksCase { { 1, 1 }, kindPresetSetting, dorvinReadsAt11, true },
    ReadMarksCase { { 0, 5 }, kindRouter,        dorvinReadsAt05, false }));

//==============================================================================
/** The device object programming a simulated product that runs its bootloader. */
class Programming : public SimulatedDeviceFixture
{
protected:
    std::shared_ptr<SimulatedProductRunner> connectBootloader (int code)
    {
        SimulatedProduct::Config config;
        config.productCode = code;
        config.startInBootloader = true;
        auto product = addProduct (config);

        device().setProductCode (code);
        device().deviceMode = 0;
        EXPECT_TRUE (openPorts (*product));
        return product;
    }

    void loadImage (juce::uint32 size)
    {
        for (juce::uint32 i = 0; i < size; ++i)
            device().firmwareImage[i] = (juce::uint8) (i * 7 + 3);

        device().firmwareImageSize = size;
    }

    void startUpgrade()
    {
        device().upgradeStep = 0;
        device().continueFirmwareUpgrade();
    }

    bool waitForResult (int timeoutMs)
    {
        return pumpUntil ([this] { return ! ui.upgradeResults.isEmpty(); }, timeoutMs);
    }

    juce::String programmingStatuses() const
    {
        juce::StringArray result;

        for (auto& text : ui.statusTexts)
            if (text.startsWith ("Programming Flash"))
                result.add (text);

        return lines (result);
    }
};

struct BlocksCase
{
    juce::uint32 imageSize;
    std::vector<const char*> requests;
    std::vector<const char*> statuses;
};

void PrintTo (const BlocksCase& c, std::ostream* os)
{
    *os << c.imageSize << "-byte image";
}

class ProgrammingBlocks : public Programming,
                          public ::testing::WithParamInterface<BlocksCase>
{
};

TEST_P (ProgrammingBlocks, ImageIsWrittenBlockByBlock)
{
    const auto& c = GetParam();
    auto product = connectBootloader (productJorvek);
    loadImage (c.imageSize);

    startUpgrade();
    ASSERT_TRUE (waitForResult (5000));

    EXPECT_EQ (ui.upgradeResults, juce::Array<int> (SYSX_OK));
    EXPECT_EQ (requestsReceived (*product), lines ({ c.requests.data(), (int) c.requests.size() }));
    EXPECT_EQ (programmingStatuses(), lines ({ c.statuses.data(), (int) c.statuses.size() }));

    // Whole blocks go out: beyond the image they carry what the image buffer holds.
    const int covered = (int) ((c.imageSize + 255) / 256 * 256);
    const auto flash = product->getProduct().readFlash (0x3000, covered);
    EXPECT_EQ (hexBytes (static_cast<const juce::uint8*> (flash.getData()), covered),
               hexBytes (device().firmwareImage, covered));
}

INSTANTIATE_TEST_SUITE_P (Programming, ProgrammingBlocks, ::testing::Values (
    BlocksCase { 256, { "start", "erase", "address 3000", "program 64 words", "finish" },
                 { "Programming Flash at address 3000 (0 %)" } },
    BlocksCase { 257, { "start", "erase", "address 3000", "program 64 words", "address 3100", "program 64 words", "finish" },
                 { "Programming Flash at address 3000 (0 %)", "Programming Flash at address 3100 (99 %)" } }));

TEST_F (Programming, FailedWriteStopsWithTheProductsCode)
{
    auto product = connectBootloader (productJorvek);
    product->getProduct().failProgrammingStep (SYSX_CMD_ICSP_WRITE, 1, 0x42);
    loadImage (600);

    startUpgrade();
    ASSERT_TRUE (waitForResult (5000));
    pump (50);

    EXPECT_EQ (ui.upgradeResults, juce::Array<int> (0x42));
    EXPECT_EQ (requestsReceived (*product), lines ({ "start", "erase", "address 3000", "program 64 words" }));
    EXPECT_TRUE (ui.settingsErrors.isEmpty());
}

TEST_F (Programming, AcknowledgementsArrivingAfterTheirTimeoutAreIgnored)
{
    struct Case { const char* name; int lostAnswer; juce::uint8 lateAck[11]; const char* requests; };
    const Case cases[] = {
        { "start",      1, { 0xF0, 0x00, 0x4B, 0x1D, 0x0F, 0x00, 0x44, 0x00, 0x00, 0x44, 0xF7 }, "start" },
        { "last block", 4, { 0xF0, 0x00, 0x4B, 0x1D, 0x0F, 0x00, 0x44, 0x04, 0x00, 0x48, 0xF7 },
          "start\nerase\naddress 3000\nprogram 64 words" },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        auto product = connectBootloader (productJorvek);
        SimulatedProduct::Faults faults;
        faults.dropEveryNthAnswer = c.lostAnswer;
        product->getProduct().setFaults (faults);
        device().replyTimeoutScale = 0.05f;
        ui.upgradeResults.clear();
        loadImage (256);

        startUpgrade();
        ASSERT_TRUE (waitForResult (3000));
        EXPECT_EQ (ui.upgradeResults, juce::Array<int> (SYSX_REPLY_TIMEOUT));

        // The acknowledgement comes after all: the user was told the upgrade failed, and nothing
        // more is erased or written.
        product->sendUnsolicited ({ juce::MemoryBlock (c.lateAck, sizeof (c.lateAck)) });
        pump (100);
        EXPECT_EQ (requestsReceived (*product), c.requests);
        EXPECT_EQ (ui.upgradeResults, juce::Array<int> (SYSX_REPLY_TIMEOUT));

        ports->system->removeProduct (product);
        resetDeviceForTest (device());
        device().userInterface = &ui;
    }
}

TEST_F (Programming, ProductGoingSilentMidwayEndsInTheTimeoutResult)
{
    auto product = connectBootloader (productJorvek);
    product->setReplyDelay (250);
    loadImage (1024);

    startUpgrade();

    // The start acknowledgement leads to the erase after a short pause; its answer takes 250 ms.
    // Once the product has sent that answer, it goes silent.
    ASSERT_TRUE (pumpUntil ([&] { return device().upgradeStep >= 1 && requestsReceived (*product).contains ("erase"); }, 3000));
    ASSERT_TRUE (product->waitUntilIdle (3000));
    SimulatedProduct::Faults faults;
    faults.silent = true;
    product->getProduct().setFaults (faults);

    // The address request goes out from the erase acknowledgement's handler and keeps its timeout.
    ASSERT_TRUE (pumpUntil ([this] { return device().upgradeStep == 2; }, 3000));
    EXPECT_EQ (device().waitingForReply, 1);
    EXPECT_TRUE (device().isTimerRunning());

    ASSERT_TRUE (waitForResult (6000));
    pump (10);
    EXPECT_EQ (ui.upgradeResults, juce::Array<int> (SYSX_REPLY_TIMEOUT));
    EXPECT_FALSE (ui.statusTexts.contains (timeoutStatus));
    ASSERT_EQ (ui.alerts.size(), 1u);
    EXPECT_EQ (ui.alerts[0].text, timeoutAlert);
    EXPECT_EQ (requestsReceived (*product), lines ({ "start", "erase", "address 3000" }));
}

//==============================================================================
struct RefusalCase
{
    int productCode;
    juce::int64 imageSize;   ///< -1: one byte more than the core's programmable range
};

void PrintTo (const RefusalCase& c, std::ostream* os)
{
    *os << "product " << c.productCode << ", image " << (c.imageSize < 0 ? "beyond the range" : std::to_string (c.imageSize) + " bytes");
}

class ProgrammingRefusal : public Programming,
                           public ::testing::WithParamInterface<RefusalCase>
{
};

TEST_P (ProgrammingRefusal, NothingIsSentAndFailureIsReported)
{
    const auto& c = GetParam();
    auto product = connectBootloader (c.productCode);
    loadImage (c.imageSize < 0 ? device().flashSpan + 1 : (juce::uint32) c.imageSize);

    startUpgrade();
    pump (50);

    EXPECT_TRUE (requestsReceived (*product).isEmpty());
    ASSERT_EQ (ui.upgradeResults.size(), 1);
    EXPECT_NE (ui.upgradeResults[0], SYSX_OK);
    EXPECT_EQ (device().waitingForReply, 0);
    EXPECT_FALSE (ui.statusTexts.contains ("Erasing device... Please wait"));
}

// Gavrel and Lissar cores take no image; a Jorvek with no image, or one larger than its range.
INSTANTIATE_TEST_SUITE_P (Programming, ProgrammingRefusal, ::testing::Values (
    RefusalCase { productGavrel, 256 },
    RefusalCase { productLissar, 256 },
    RefusalCase { productJorvek, 0 },
    RefusalCase { productJorvek, -1 }));
