#include <gtest/gtest.h>

#include "sim/SimulatedMidiPortSystem.h"

namespace
{
    using Bytes = std::vector<int>;

    constexpr int jorvekHost = 38;
    constexpr int jorvekDevice = 39;

    juce::MemoryBlock sysex (int id, int type, int kind, const Bytes& body = {})
    {
        std::vector<juce::uint8> bytes { 0xF0, 0x00, 0x4B, 0x1D, 0x0F, (juce::uint8) id, (juce::uint8) type, (juce::uint8) kind };

        for (auto b : body)
            bytes.push_back ((juce::uint8) b);

        bytes.push_back (sysexChecksum (bytes.data(), 6, (int) bytes.size()));
        bytes.push_back (0xF7);
        return { bytes.data(), bytes.size() };
    }

    Bytes packed32 (juce::uint32 value)
    {
        juce::uint8 bytes[5];
        packValue32 (value, bytes);
        return { bytes, bytes + 5 };
    }

    Bytes packed16 (juce::uint16 value)
    {
        juce::uint8 bytes[3];
        packValue16 (value, bytes);
        return { bytes, bytes + 3 };
    }

    Bytes join (std::initializer_list<Bytes> parts)
    {
        Bytes all;

        for (auto& part : parts)
            all.insert (all.end(), part.begin(), part.end());

        return all;
    }

    Bytes words (std::initializer_list<juce::uint32> values)
    {
        Bytes all;

        for (auto v : values)
            all = join ({ all, packed32 (v) });

        return all;
    }

    Bytes bytesOf (const juce::MemoryBlock& block)
    {
        auto* data = static_cast<const juce::uint8*> (block.getData());
        return { data, data + block.getSize() };
    }

    const juce::uint8* dataOf (const juce::MemoryBlock& block)
    {
        return static_cast<const juce::uint8*> (block.getData());
    }

    juce::uint32 valueAt (const juce::MemoryBlock& block, int position)
    {
        juce::uint8 sum = 0;
        return unpackValue32 (dataOf (block) + position, sum);
    }

    bool hasValidChecksum (const juce::MemoryBlock& block)
    {
        auto* b = dataOf (block);
        auto n = (int) block.getSize();
        return n >= 10 && b[0] == 0xF0 && b[n - 1] == 0xF7 && b[n - 2] == sysexChecksum (b, 6, n - 2);
    }

    SimulatedProduct::Config jorvekConfig (int hostMajor = 4, int hostMinor = 6)
    {
        SimulatedProduct::Config config;
        config.productCode = productJorvek;
        config.hostFirmware = { hostMajor, hostMinor };
        config.deviceFirmware = { 7, 1 };
        config.bootloaderFirmware = { 1, 2 };
        config.serial[0] = 0x01234567;
        config.serial[1] = 0x89ABCDEF;
        config.serial[2] = 0xFEDCBA98;
        return config;
    }

    /** The status byte of a programming acknowledgement (-1 when the answer is not one). */
    int programmingStatus (SimulatedProduct& product, const juce::MemoryBlock& request)
    {
        auto replies = product.handleRequest (request);

        if (replies.size() != 1 || replies[0].getSize() != 11 || ! hasValidChecksum (replies[0]))
            return -1;

        auto* reply = dataOf (replies.getReference (0));
        return (reply[6] == 0x44 && reply[7] == dataOf (request)[7]) ? reply[8] : -1;
    }

    juce::MemoryBlock writeBlockRequest (int id, const std::vector<juce::uint32>& blockWords)
    {
        Bytes body { (int) blockWords.size() };

        for (auto w : blockWords)
            body = join ({ body, packed32 (w) });

        return sysex (id, SYSX_TYPE_ICSP, SYSX_CMD_ICSP_WRITE, body);
    }

    /** Collects what an opened input receives, from whatever thread delivers it. */
    struct ReceivedMessages
    {
        SimulatedMidiPortSystem::Receiver receiver()
        {
            return [this] (const juce::String& source, const juce::MidiMessage& message)
            {
                const std::lock_guard<std::mutex> sl (lock);
                sources.add (source);
                messages.add ({ message.getRawData(), (size_t) message.getRawDataSize() });
                onMessageThread = onMessageThread || juce::MessageManager::getInstance()->isThisTheMessageThread();
            };
        }

        juce::Array<juce::MemoryBlock> get()
        {
            const std::lock_guard<std::mutex> sl (lock);
            return messages;
        }

        std::mutex lock;
        juce::StringArray sources;
        juce::Array<juce::MemoryBlock> messages;
        bool onMessageThread = false;
    };

    juce::MidiMessage midiOf (const juce::MemoryBlock& block)
    {
        return { block.getData(), (int) block.getSize() };
    }
}

//==============================================================================
TEST (SimulatedProductRequests, AnswersNothingToAnInvalidRequest)
{
    SimulatedProduct product (jorvekConfig());

    auto identity = sysex (jorvekHost, SYSX_TYPE_INFO, SYSX_CMD_IDENTITY);
    ASSERT_EQ (1, product.handleRequest (identity).size());

    auto withByte = [] (juce::MemoryBlock block, int position, int value)
    {
        static_cast<juce::uint8*> (block.getData())[position] = (juce::uint8) value;
        return block;
    };

    auto withoutLastByte = [] (juce::MemoryBlock block)
    {
        block.setSize (block.getSize() - 1);
        return block;
    };

    const struct { const char* what; juce::MemoryBlock request; } cases[] =
    {
        { "first byte not F0",                    withByte (identity, 0, 0xF1) },
        { "other manufacturer",                   withByte (identity, 2, 0x4C) },
        { "byte 4 not 0F",                        withByte (identity, 4, 0x0E) },
        { "another product's id",                 sysex (42, SYSX_TYPE_INFO, SYSX_CMD_IDENTITY) },
        { "bootloader id while the application runs", sysex (0, SYSX_TYPE_INFO, SYSX_CMD_IDENTITY) },
        { "type 5",                               sysex (jorvekHost, 5, 0) },
        { "reply type",                           sysex (jorvekHost, 0x41, 0) },
        { "unknown command kind",                 sysex (jorvekHost, SYSX_TYPE_COMMAND, 4) },
        { "unknown information kind",             sysex (jorvekHost, SYSX_TYPE_INFO, 2) },
        { "one byte too many",                    sysex (jorvekHost, SYSX_TYPE_INFO, SYSX_CMD_IDENTITY, { 0 }) },
        { "missing F7",                           withoutLastByte (identity) },
        { "wrong checksum",                       withByte (identity, 8, 0x7F) },
        { "data byte above 7F",                   sysex (jorvekHost, SYSX_TYPE_READ, kindRouter, { 1, 0x80 }) },
        { "read with the wrong count",            sysex (jorvekHost, SYSX_TYPE_READ, kindRouter, { 2, 0 }) },
        { "read of kind 12",                      sysex (jorvekHost, SYSX_TYPE_READ, kindLfo, { 1, 0 }) },
        { "read of kind 14",                      sysex (jorvekHost, SYSX_TYPE_READ, 14, { 1, 0 }) },
        { "write one byte short",                 sysex (jorvekHost, SYSX_TYPE_WRITE, kindRouter, { 1, 0, 1, 2, 3, 4 }) },
        { "channel filter written as 32 bits",   sysex (jorvekHost, SYSX_TYPE_WRITE, kindChannelFilter, join ({ { 1, 0 }, packed32 (1) })) },
        { "USB product name to the host core",    sysex (jorvekHost, SYSX_TYPE_READ, kindUsbProductName, { 6, 0 }) },
        { "router read to the device core",       sysex (jorvekDevice, SYSX_TYPE_READ, kindRouter, { 1, 0 }) },
        { "Sync-24 on a product without it",      sysex (jorvekHost, SYSX_TYPE_READ, kindSync24, { 1, 0 }) },
        { "programming while the application runs", sysex (jorvekHost, SYSX_TYPE_ICSP, SYSX_CMD_ICSP_START) },
    };

    for (auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        EXPECT_TRUE (product.handleRequest (c.request).isEmpty());
    }
}

TEST (SimulatedProductRequests, CommandsAreAcknowledged)
{
    SimulatedProduct product (jorvekConfig());

    auto settings = product.getSettings();
    settings.routerMasks[0][0] = 0xABCD;
    product.setSettings (settings);

    auto reset = product.handleRequest (sysex (jorvekHost, SYSX_TYPE_COMMAND, SYSX_CMD_FACTORY_RESET));
    ASSERT_EQ (1, reset.size());
    EXPECT_EQ (bytesOf (sysex (jorvekHost, 0x40, SYSX_CMD_FACTORY_RESET, { 0 })), bytesOf (reset[0]));
    EXPECT_EQ (0u, product.getSettings().routerMasks[0][0]);
    EXPECT_EQ (0x50726573u, product.getSettings().presetNames[0][0]);   // "Pres"
    EXPECT_EQ (0x65742036u, product.getSettings().presetNames[5][1]);   // "et 6"

    auto endOfRead = product.handleRequest (sysex (jorvekHost, SYSX_TYPE_COMMAND, SYSX_CMD_END_OF_READ));
    ASSERT_EQ (1, endOfRead.size());
    EXPECT_EQ (bytesOf (sysex (jorvekHost, 0x40, SYSX_CMD_END_OF_READ, { 0 })), bytesOf (endOfRead[0]));

    // The dump: the acknowledgement, then the descriptors and strings (86 configuration bytes in two pieces).
    auto dump = product.handleRequest (sysex (jorvekHost, SYSX_TYPE_COMMAND, SYSX_CMD_DESCRIPTOR_DUMP));
    ASSERT_EQ (7, dump.size());
    EXPECT_EQ (11u, dump[0].getSize());
    const int dumpKinds[] = { 3, 4, 4, 6, 7, 8 };

    for (int i = 0; i < 6; ++i)
    {
        auto* reply = dataOf (dump.getReference (i + 1));
        EXPECT_EQ (dumpKinds[i], reply[7]);
        EXPECT_EQ ((size_t) reply[8] + 12, dump[i + 1].getSize());
        EXPECT_TRUE (hasValidChecksum (dump[i + 1]));
    }

    EXPECT_EQ (0x12, nibblePair (dataOf (dump[1]) + 10));   // device descriptor length byte
    EXPECT_EQ ('K', nibblePair (dataOf (dump[4]) + 10));    // "Kelmora"

    EXPECT_TRUE (product.handleRequest (sysex (jorvekHost, SYSX_TYPE_COMMAND, SYSX_CMD_CLOSE_CONNECTION)).isEmpty());
    EXPECT_FALSE (product.takeReenumerationRequest());
}

//==============================================================================
TEST (SimulatedProductSettings, ReadGivesBackWhatWasWritten)
{
    const struct { const char* what; int hostMajor, hostMinor, id, kind, count, item; Bytes payload; } cases[] =
    {
        { "router, last row",          4, 6, jorvekHost, kindRouter,          1, 29, packed32 (0x80000001) },
        { "channel filter, last output", 4, 6, jorvekHost, kindChannelFilter, 1, 59, packed16 (0xFFFF) },
        { "message filter",            4, 6, jorvekHost, kindMessageFilter,   1, 40, packed32 (0x0003FFFF) },
        { "mapper 24 from 4.5",        4, 6, jorvekHost, kindMapper,          6, 23, words ({ 1, 2, 3, 0x5A000187, 5, 0xFFFFFFFF }) },
        { "preset setting",            4, 6, jorvekHost, kindPresetSetting,   1, 0,  packed32 (0x01004302) },
        { "TRS types",                 4, 6, jorvekHost, kindTrsType,         1, 0,  packed32 (0x00018000) },
        { "power-down",                4, 6, jorvekHost, kindPowerDown,       1, 0,  packed32 (0x000000F2) },
        { "preset name",               4, 6, jorvekHost, kindPresetName,      4, 5,  words ({ 0x4C697665, 0x20536574, 0, 0 }) },
        { "USB device port mask",      4, 6, jorvekHost, kindUsbDevicePorts,  2, 15, words ({ 0x12345678, 0xFFFE0003 }) },
        { "reservation, 16-bit cable", 4, 6, jorvekHost, kindPortReservation, 2, 31, join ({ packed32 (0x0FFF0001), packed16 (0x0102) }) },
        { "reservation, one byte",     3, 3, jorvekHost, kindPortReservation, 2, 0,  join ({ packed32 (0x0FFF0001), { 0x05 } }) },
        { "user curve",                4, 6, jorvekHost, kindVelocityCurve,   32, 3, words ({ 0x7F7F7F7F, 0x01020304, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                                                                        0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x7C7D7E7F }) },
        { "USB product name",          4, 6, jorvekDevice, kindUsbProductName, 6, 0, words ({ 0x4D792047, 0x65617200, 0, 0, 0, 0 }) },
    };

    for (auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        SimulatedProduct product (jorvekConfig (c.hostMajor, c.hostMinor));
        const Bytes countAndItem { c.count, c.item };

        auto ack = product.handleRequest (sysex (c.id, SYSX_TYPE_WRITE, c.kind, join ({ countAndItem, c.payload })));
        ASSERT_EQ (1, ack.size());
        EXPECT_EQ (bytesOf (sysex (c.id, 0x43, c.kind, countAndItem)), bytesOf (ack[0]));

        // A read reply is laid out exactly as the write request.
        auto reply = product.handleRequest (sysex (c.id, SYSX_TYPE_READ, c.kind, countAndItem));
        ASSERT_EQ (1, reply.size());
        EXPECT_EQ (bytesOf (sysex (c.id, 0x42, c.kind, join ({ countAndItem, c.payload }))), bytesOf (reply[0]));
    }
}

TEST (SimulatedProductSettings, PerPresetKindsUseTheCurrentPreset)
{
    SimulatedProduct product (jorvekConfig());
    auto writeRouterRow = [&] (juce::uint32 mask) { product.handleRequest (sysex (jorvekHost, SYSX_TYPE_WRITE, kindRouter, join ({ { 1, 3 }, packed32 (mask) }))); };
    auto readRouterRow = [&] { return valueAt (product.handleRequest (sysex (jorvekHost, SYSX_TYPE_READ, kindRouter, { 1, 3 }))[0], 10); };

    writeRouterRow (0x11);
    product.handleRequest (sysex (jorvekHost, SYSX_TYPE_WRITE, kindPresetSetting, join ({ { 1, 0 }, packed32 (0x4302) })));
    EXPECT_EQ (2, product.getCurrentPreset());
    writeRouterRow (0x22);

    EXPECT_EQ (0x11u, product.getSettings().routerMasks[0][3]);
    EXPECT_EQ (0x22u, product.getSettings().routerMasks[2][3]);
    EXPECT_EQ (0x22u, readRouterRow());

    // A preset the product does not have (Jorvek: 6) keeps the current one.
    product.handleRequest (sysex (jorvekHost, SYSX_TYPE_WRITE, kindPresetSetting, join ({ { 1, 0 }, packed32 (0x4307) })));
    EXPECT_EQ (2, product.getCurrentPreset());
}

TEST (SimulatedProductSettings, PresetChangedOnTheProductIsReportedOnce)
{
    SimulatedProduct product (jorvekConfig());
    auto readPresetWord = [&] { return valueAt (product.handleRequest (sysex (jorvekHost, SYSX_TYPE_READ, kindPresetSetting, { 1, 0 }))[0], 10); };

    EXPECT_EQ (0x4300u, readPresetWord());

    product.changePresetOnProduct (4);
    EXPECT_EQ (0x80004304u, readPresetWord());
    EXPECT_EQ (0x4304u, readPresetWord());
}

TEST (SimulatedProductSettings, ItemsBeyondTheProductAreAnsweredOnlyWhenSwitchedOn)
{
    SimulatedProduct jorvek (jorvekConfig());
    const auto readRow30 = sysex (jorvekHost, SYSX_TYPE_READ, kindRouter, { 1, 30 });
    const auto writeRow30 = sysex (jorvekHost, SYSX_TYPE_WRITE, kindRouter, join ({ { 1, 30 }, packed32 (7) }));

    EXPECT_TRUE (jorvek.handleRequest (readRow30).isEmpty());
    EXPECT_TRUE (jorvek.handleRequest (writeRow30).isEmpty());
    EXPECT_TRUE (jorvek.handleRequest (sysex (jorvekHost, SYSX_TYPE_READ, kindPresetName, { 4, 6 })).isEmpty());

    SimulatedProduct::Faults faults;
    faults.answerOutOfRange = true;
    jorvek.setFaults (faults);

    EXPECT_EQ (1, jorvek.handleRequest (writeRow30).size());
    auto reply = jorvek.handleRequest (readRow30);
    ASSERT_EQ (1, reply.size());
    EXPECT_EQ (30, dataOf (reply[0])[9]);
    EXPECT_EQ (0u, valueAt (reply[0], 10));

    // The largest product has 44 inputs: rows beyond the tool's 36 are its own.
    auto norrimConfig = jorvekConfig();
    norrimConfig.productCode = productNorrim;
    SimulatedProduct norrim (norrimConfig);
    norrim.handleRequest (sysex (42, SYSX_TYPE_WRITE, kindRouter, join ({ { 1, 43 }, packed32 (9) })));
    EXPECT_EQ (9u, valueAt (norrim.handleRequest (sysex (42, SYSX_TYPE_READ, kindRouter, { 1, 43 }))[0], 10));
    EXPECT_TRUE (norrim.handleRequest (sysex (42, SYSX_TYPE_READ, kindRouter, { 1, 44 })).isEmpty());
}

//==============================================================================
TEST (SimulatedProductIdentity, EachCoreAndTheBootloaderAnswer)
{
    struct Expected { int idByte, major, minor, processorId; };

    auto identityOf = [] (SimulatedProduct& product, int id) -> Expected
    {
        auto replies = product.handleRequest (sysex (id, SYSX_TYPE_INFO, SYSX_CMD_IDENTITY));

        if (replies.size() != 1 || replies[0].getSize() != 30 || ! hasValidChecksum (replies[0]))
            return { -1, -1, -1, -1 };

        auto* reply = dataOf (replies.getReference (0));
        EXPECT_EQ (0x41, reply[6]);
        EXPECT_EQ (0x01234567u, valueAt (replies[0], 13));
        EXPECT_EQ (0x89ABCDEFu, valueAt (replies[0], 18));
        EXPECT_EQ (0xFEDCBA98u, valueAt (replies[0], 23));
        const auto version = nibblePair (reply + 9);
        return { reply[5], version >> 4, version & 0x0F, nibblePair (reply + 11) };
    };

    auto same = [] (Expected a, Expected b)
    {
        return a.idByte == b.idByte && a.major == b.major && a.minor == b.minor && a.processorId == b.processorId;
    };

    SimulatedProduct product (jorvekConfig());
    EXPECT_TRUE (same ({ 38, 4, 6, 38 }, identityOf (product, jorvekHost)));
    EXPECT_TRUE (same ({ 39, 7, 1, 39 }, identityOf (product, jorvekDevice)));

    // Restarted by the device core: the bootloader programs the device core.
    EXPECT_TRUE (product.handleRequest (sysex (jorvekDevice, SYSX_TYPE_COMMAND, SYSX_CMD_RESTART_BOOTLOADER)).isEmpty());
    EXPECT_TRUE (product.isBootloaderRunning());
    EXPECT_TRUE (same ({ 0, 1, 2, 39 }, identityOf (product, 0)));
    EXPECT_TRUE (same ({ 0, 1, 2, 39 }, identityOf (product, jorvekHost)));

    auto config = jorvekConfig();
    config.startInBootloader = true;
    SimulatedProduct startedInBootloader (config);
    EXPECT_TRUE (same ({ 0, 1, 2, 38 }, identityOf (startedInBootloader, 0)));

    config.bootloaderProcessorId = 0xFF;
    SimulatedProduct anonymousBootloader (config);
    EXPECT_TRUE (same ({ 0, 1, 2, 0xFF }, identityOf (anonymousBootloader, 0)));
}

TEST (SimulatedProductIdentity, OnlyTheDorvinAnswersTheModuleQuery)
{
    auto config = jorvekConfig();
    config.productCode = productDorvin;
    config.wirelessModule = 0x2A;
    SimulatedProduct dorvin (config);

    auto replies = dorvin.handleRequest (sysex (31, SYSX_TYPE_INFO, SYSX_CMD_MODULE_INFO));
    ASSERT_EQ (1, replies.size());
    EXPECT_EQ (13u, replies[0].getSize());
    EXPECT_EQ (0x2A, nibblePair (dataOf (replies[0]) + 9));
    EXPECT_TRUE (hasValidChecksum (replies[0]));

    SimulatedProduct jorvek (jorvekConfig());
    EXPECT_TRUE (jorvek.handleRequest (sysex (jorvekHost, SYSX_TYPE_INFO, SYSX_CMD_MODULE_INFO)).isEmpty());
}

//==============================================================================
TEST (SimulatedProductHostRecords, RecordLayoutFollowsTheHostFirmware)
{
    const struct { int major, minor; size_t length; int instanceOfSecondDevice; } cases[] =
    {
        { 2, 8, 49, 0 },
        { 2, 9, 54, 0 },
        { 3, 1, 54, 0 },
        { 3, 2, 58, 0 },
        { 3, 4, 58, 1 },
    };

    for (auto& c : cases)
    {
        SCOPED_TRACE (juce::String (c.major) + "." + juce::String (c.minor));
        SimulatedProduct product (jorvekConfig (c.major, c.minor));

        SimulatedProduct::UsbDeviceSpec spec;
        spec.vidPid = 0x0FFF0042;
        spec.name = "Pad Controller";

        int firstHandle = 0;
        auto first = product.attachUsbDevice (spec, &firstHandle);
        auto second = product.attachUsbDevice (spec);

        // One input slot and one output slot each: inputs are records 0.., outputs 16.. on the Jorvek.
        ASSERT_EQ (2, first.size());
        ASSERT_EQ (2, second.size());
        EXPECT_EQ (0, dataOf (first[0])[9]);
        EXPECT_EQ (16, dataOf (first[1])[9]);
        EXPECT_EQ (1, dataOf (second[0])[9]);

        for (auto& record : { first[0], second[1] })
        {
            EXPECT_EQ (c.length, record.getSize());
            EXPECT_TRUE (hasValidChecksum (record));
        }

        EXPECT_EQ ((juce::uint32) firstHandle, valueAt (first[0], 10));

        if (c.length == 58)
        {
            EXPECT_EQ (0x0FFF0042u, valueAt (first[0], 51));
            EXPECT_EQ ('P', dataOf (first[0])[35]);
            EXPECT_EQ (c.instanceOfSecondDevice, nibblePair (dataOf (second[0]) + 29) >> 4);
        }
        else
        {
            EXPECT_EQ ('P', dataOf (first[0])[31]);
        }

        auto detached = product.detachUsbDevice (firstHandle);
        ASSERT_EQ (2, detached.size());
        EXPECT_EQ (17u, detached[0].getSize());
        EXPECT_EQ (0xFFFFFFFFu, valueAt (detached[0], 10));
        EXPECT_TRUE (hasValidChecksum (detached[0]));
    }
}

TEST (SimulatedProductHostRecords, RecordsAreSentAgainAfterEndOfReadAndPortWrites)
{
    SimulatedProduct product (jorvekConfig());

    // Two output cables: they reach the product on host inputs 1 and 2.
    SimulatedProduct::UsbDeviceSpec spec;
    spec.vidPid = 0x0FFF0042;
    spec.inputCables = 0;
    spec.outputCables = 2;
    spec.hubId = 1;
    spec.hubPort = 2;
    product.attachUsbDevice (spec);

    EXPECT_EQ (2, product.getHostRecord (0).outputCablesUsed);
    EXPECT_EQ (1, product.getHostRecord (1).cableIndex);
    EXPECT_EQ (-1, product.getHostRecord (16).deviceHandle);

    auto endOfRead = product.handleRequest (sysex (jorvekHost, SYSX_TYPE_COMMAND, SYSX_CMD_END_OF_READ));
    ASSERT_EQ (3, endOfRead.size());
    EXPECT_EQ (0, dataOf (endOfRead[1])[9]);
    EXPECT_EQ (1, dataOf (endOfRead[2])[9]);

    // Disabling output cable 2 (mask bit 1) frees its slot: the acknowledgement, then slots 0 and 1.
    auto write = product.handleRequest (sysex (jorvekHost, SYSX_TYPE_WRITE, kindUsbDevicePorts,
                                               join ({ { 2, 0 }, words ({ 0x0FFF0042, 0xFFFFFFFD }) })));
    ASSERT_EQ (3, write.size());
    EXPECT_EQ (12u, write[0].getSize());
    EXPECT_EQ (58u, write[1].getSize());
    EXPECT_EQ (17u, write[2].getSize());
    EXPECT_EQ (1, product.getHostRecord (0).outputCablesUsed);
    EXPECT_EQ (-1, product.getHostRecord (1).deviceHandle);

    // Reserving input slot 5 for the device's first cable moves that cable there.
    write = product.handleRequest (sysex (jorvekHost, SYSX_TYPE_WRITE, kindPortReservation,
                                          join ({ { 2, 5 }, packed32 (0x0FFF0042), packed16 (0x0000) })));
    EXPECT_EQ (3, write.size());
    EXPECT_EQ (-1, product.getHostRecord (0).deviceHandle);
    EXPECT_EQ (0, product.getHostRecord (5).cableIndex);

    auto notice = product.makeDeviceResetNotice();
    EXPECT_EQ (bytesOf (sysex (jorvekHost, 0x41, SYSX_INFO_DEVICE_RESET)), bytesOf (notice));
    EXPECT_EQ (bytesOf (sysex (jorvekHost, 0x41, SYSX_INFO_USB_ERROR, { 3 })), bytesOf (product.makeUsbError (3)));
}

//==============================================================================
TEST (SimulatedProductProgramming, ImageIsProgrammedIntoFlash)
{
    SimulatedProduct product (jorvekConfig());

    EXPECT_TRUE (product.handleRequest (sysex (jorvekHost, SYSX_TYPE_COMMAND, SYSX_CMD_RESTART_BOOTLOADER)).isEmpty());
    EXPECT_TRUE (product.takeReenumerationRequest());
    EXPECT_FALSE (product.takeReenumerationRequest());
    EXPECT_EQ (juce::String ("Jorvek-Pro Pellion Upg"), product.getInputPortName());
    EXPECT_EQ (0x3000u, product.getFlashStart());
    EXPECT_EQ (0x78000u, product.getFlashEnd());

    // A 300-byte image in two blocks; the tool pads the last block with FF words.
    std::vector<juce::uint8> image (512, 0xFF);

    for (int i = 0; i < 300; ++i)
        image[(size_t) i] = (juce::uint8) (i * 7 + 1);

    EXPECT_EQ (0, programmingStatus (product, sysex (0, SYSX_TYPE_ICSP, SYSX_CMD_ICSP_START)));
    EXPECT_EQ (0, programmingStatus (product, sysex (0, SYSX_TYPE_ICSP, SYSX_CMD_ICSP_ERASE)));

    for (juce::uint32 block = 0; block < 2; ++block)
    {
        std::vector<juce::uint32> blockWords;

        for (size_t k = 0; k < 64; ++k)
        {
            auto* b = image.data() + 256 * block + 4 * k;
            blockWords.push_back ((juce::uint32) b[0] | (juce::uint32) b[1] << 8 | (juce::uint32) b[2] << 16 | (juce::uint32) b[3] << 24);
        }

        // After the bootloader's identity the tool addresses the upgraded core by its id.
        EXPECT_EQ (0, programmingStatus (product, sysex (jorvekHost, SYSX_TYPE_ICSP, SYSX_CMD_ICSP_SET_ADDRESS, packed32 (0x3000 + 256 * block))));
        EXPECT_EQ (0, programmingStatus (product, writeBlockRequest (jorvekHost, blockWords)));
    }

    EXPECT_EQ (0, programmingStatus (product, sysex (jorvekHost, SYSX_TYPE_ICSP, SYSX_CMD_ICSP_FINISH_SUCCESS)));

    EXPECT_EQ (juce::MemoryBlock (image.data(), image.size()), product.readFlash (0x3000, 512));
    EXPECT_EQ (0xFF, dataOf (product.readFlash (0x3200, 1))[0]);   // erased
    EXPECT_EQ (0x00, dataOf (product.readFlash (0x2FFF, 1))[0]);   // below the range: untouched

    // The last block of the range can be written, nothing beyond it.
    const std::vector<juce::uint32> zeros (64, 0);
    EXPECT_EQ (0, programmingStatus (product, sysex (0, SYSX_TYPE_ICSP, SYSX_CMD_ICSP_SET_ADDRESS, packed32 (0x77F00))));
    EXPECT_EQ (0, programmingStatus (product, writeBlockRequest (0, zeros)));
    EXPECT_EQ (0, programmingStatus (product, sysex (0, SYSX_TYPE_ICSP, SYSX_CMD_ICSP_SET_ADDRESS, packed32 (0x77F04))));
    EXPECT_EQ (SimulatedProduct::statusAddressOutOfRange, programmingStatus (product, writeBlockRequest (0, zeros)));
    EXPECT_EQ (0x00, dataOf (product.readFlash (0x77FFF, 1))[0]);

    product.leaveBootloader ({ 4, 7 });
    EXPECT_FALSE (product.isBootloaderRunning());
    EXPECT_EQ (47, product.getHostFirmware().tenths());
    EXPECT_EQ (juce::String ("Jorvek-Pro MIDI 1"), product.getInputPortName());
    EXPECT_EQ (juce::MemoryBlock (image.data(), image.size()), product.readFlash (0x3000, 512));
}

TEST (SimulatedProductProgramming, ChosenStepFailsWithItsStatus)
{
    auto config = jorvekConfig();
    config.startInBootloader = true;
    SimulatedProduct product (config);

    product.failProgrammingStep (SYSX_CMD_ICSP_WRITE, 2, 0x05);

    EXPECT_EQ (0, programmingStatus (product, sysex (0, SYSX_TYPE_ICSP, SYSX_CMD_ICSP_ERASE)));

    const std::vector<juce::uint32> zeros (64, 0);
    const int expected[] = { 0, 0x05, 0 };

    for (juce::uint32 block = 0; block < 3; ++block)
    {
        EXPECT_EQ (0, programmingStatus (product, sysex (0, SYSX_TYPE_ICSP, SYSX_CMD_ICSP_SET_ADDRESS, packed32 (0x3000 + 256 * block))));
        EXPECT_EQ (expected[block], programmingStatus (product, writeBlockRequest (0, zeros)));
    }

    EXPECT_EQ (0x00, dataOf (product.readFlash (0x3000, 1))[0]);
    EXPECT_EQ (0xFF, dataOf (product.readFlash (0x3100, 1))[0]);   // the failed write changed nothing
    EXPECT_EQ (0x00, dataOf (product.readFlash (0x3200, 1))[0]);

    product.failProgrammingStep (SYSX_CMD_ICSP_ERASE, 0, 0x11);
    EXPECT_EQ (0x11, programmingStatus (product, sysex (0, SYSX_TYPE_ICSP, SYSX_CMD_ICSP_ERASE)));
    EXPECT_EQ (0x11, programmingStatus (product, sysex (0, SYSX_TYPE_ICSP, SYSX_CMD_ICSP_ERASE)));
    EXPECT_EQ (0x00, dataOf (product.readFlash (0x3000, 1))[0]);

    product.clearProgrammingFailures();
    EXPECT_EQ (0, programmingStatus (product, sysex (0, SYSX_TYPE_ICSP, SYSX_CMD_ICSP_ERASE)));

    // The bootloader keeps no settings.
    EXPECT_TRUE (product.handleRequest (sysex (jorvekHost, SYSX_TYPE_READ, kindRouter, { 1, 0 })).isEmpty());
}

//==============================================================================
TEST (SimulatedProductFaults, SwitchesSpoilTheAnswer)
{
    const auto request = sysex (jorvekHost, SYSX_TYPE_COMMAND, SYSX_CMD_END_OF_READ);
    SimulatedProduct::UsbDeviceSpec spec;

    SimulatedProduct reference (jorvekConfig());
    reference.attachUsbDevice (spec);
    const auto good = reference.handleRequest (request);
    ASSERT_EQ (3, good.size());

    auto spoiled = [&] (auto setSwitch)
    {
        SimulatedProduct product (jorvekConfig());
        product.attachUsbDevice (spec);
        SimulatedProduct::Faults faults;
        setSwitch (faults);
        product.setFaults (faults);
        return product.handleRequest (request);
    };

    EXPECT_TRUE (spoiled ([] (auto& f) { f.silent = true; }).isEmpty());

    auto corrupt = spoiled ([] (auto& f) { f.corruptChecksum = true; });
    ASSERT_EQ (3, corrupt.size());
    EXPECT_EQ (good[0].getSize(), corrupt[0].getSize());
    EXPECT_FALSE (hasValidChecksum (corrupt[0]));
    EXPECT_EQ (good[1], corrupt[1]);   // what follows the answer stays intact

    auto truncated = spoiled ([] (auto& f) { f.truncateReplies = true; });
    ASSERT_EQ (3, truncated.size());
    EXPECT_EQ (good[0].getSize() - 1, truncated[0].getSize());
    EXPECT_EQ (0xF7, dataOf (truncated[0])[truncated[0].getSize() - 1]);

    auto wrongKind = spoiled ([] (auto& f) { f.wrongKind = true; });
    EXPECT_EQ (SYSX_CMD_END_OF_READ + 1, dataOf (wrongKind[0])[7]);
    EXPECT_TRUE (hasValidChecksum (wrongKind[0]));
}

//==============================================================================
TEST (SimulatedProductPorts, AnswersOnItsOwnThreadAndLogsBothWays)
{
    auto system = std::make_shared<SimulatedMidiPortSystem>();
    auto product = system->addProduct (jorvekConfig());

    auto inputs = system->getAvailableInputs();
    auto outputs = system->getAvailableOutputs();
    ASSERT_EQ (1, inputs.size());
    ASSERT_EQ (1, outputs.size());
    EXPECT_EQ (juce::String ("Jorvek-Pro MIDI 1"), inputs[0].name);
    EXPECT_EQ (juce::String ("Jorvek-Pro MIDI 1"), outputs[0].name);
    EXPECT_NE (inputs[0].identifier, outputs[0].identifier);

    ReceivedMessages received;
    auto input = system->openInputWithReceiver (inputs[0].identifier, received.receiver());
    auto output = system->openOutput (outputs[0].identifier);
    ASSERT_NE (nullptr, input);
    ASSERT_NE (nullptr, output);
    input->start();

    product->setReplyDelay (50);
    const auto identity = sysex (jorvekHost, SYSX_TYPE_INFO, SYSX_CMD_IDENTITY);
    const auto read = sysex (jorvekHost, SYSX_TYPE_READ, kindRouter, { 1, 0 });
    const auto started = juce::Time::getMillisecondCounter();
    output->sendMessageNow (midiOf (identity));
    output->sendMessageNow (midiOf (read));
    output->sendMessageNow (juce::MidiMessage (0xFE));   // a keep-alive byte: logged, not answered
    ASSERT_TRUE (product->waitUntilIdle (5000));
    EXPECT_GE (juce::Time::getMillisecondCounter() - started, 100u);

    auto messages = received.get();
    ASSERT_EQ (2, messages.size());
    EXPECT_EQ (30u, messages[0].getSize());
    EXPECT_EQ (17u, messages[1].getSize());
    EXPECT_EQ (inputs[0].identifier, received.sources[0]);
    EXPECT_FALSE (received.onMessageThread);

    auto log = product->getReceivedMessages();
    ASSERT_EQ (3, log.size());
    EXPECT_EQ (identity, log[0]);
    EXPECT_EQ (read, log[1]);
    EXPECT_EQ (Bytes { 0xFE }, bytesOf (log[2]));
    EXPECT_EQ (messages, product->getSentMessages());

    // Unsolicited messages reach the input too; a stopped input receives nothing.
    product->setReplyDelay (0);
    product->attachUsbDevice ({});
    ASSERT_TRUE (product->waitUntilIdle (5000));
    EXPECT_EQ (4, received.get().size());

    input->stop();
    product->sendDeviceResetNotice();
    ASSERT_TRUE (product->waitUntilIdle (5000));
    EXPECT_EQ (4, received.get().size());
    EXPECT_EQ (5, product->getSentMessages().size());
}

TEST (SimulatedProductPorts, RestartReenumeratesAsBootloaderAndBack)
{
    auto system = std::make_shared<SimulatedMidiPortSystem>();
    auto config = jorvekConfig();
    config.reenumerationDelayMs = 200;
    auto product = system->addProduct (config);

    const auto oldInput = system->getAvailableInputs()[0];
    const auto oldOutput = system->getAvailableOutputs()[0];
    ReceivedMessages received;
    auto input = system->openInputWithReceiver (oldInput.identifier, received.receiver());
    auto output = system->openOutput (oldOutput.identifier);
    input->start();

    output->sendMessageNow (midiOf (sysex (jorvekHost, SYSX_TYPE_COMMAND, SYSX_CMD_RESTART_BOOTLOADER)));

    for (int i = 0; i < 100 && product->isPluggedIn(); ++i)
        juce::Thread::sleep (5);

    EXPECT_FALSE (product->isPluggedIn());
    EXPECT_TRUE (system->getAvailableInputs().isEmpty());
    EXPECT_EQ (nullptr, system->openOutput (oldOutput.identifier));

    ASSERT_TRUE (product->waitUntilIdle (5000));
    ASSERT_TRUE (product->isPluggedIn());

    const auto bootInput = system->getAvailableInputs()[0];
    const auto bootOutput = system->getAvailableOutputs()[0];
    EXPECT_EQ (juce::String ("Jorvek-Pro Pellion Upg"), bootInput.name);
    EXPECT_NE (oldInput.identifier, bootInput.identifier);
    EXPECT_NE (oldOutput.identifier, bootOutput.identifier);

    // The ports opened before the restart are dead.
    output->sendMessageNow (midiOf (sysex (0, SYSX_TYPE_INFO, SYSX_CMD_IDENTITY)));
    ASSERT_TRUE (product->waitUntilIdle (5000));
    EXPECT_TRUE (received.get().isEmpty());
    EXPECT_EQ (1, product->getReceivedMessages().size());

    input = system->openInputWithReceiver (bootInput.identifier, received.receiver());
    output = system->openOutput (bootOutput.identifier);
    input->start();

    const juce::MemoryBlock steps[] =
    {
        sysex (0, SYSX_TYPE_INFO, SYSX_CMD_IDENTITY),
        sysex (jorvekHost, SYSX_TYPE_ICSP, SYSX_CMD_ICSP_START),
        sysex (jorvekHost, SYSX_TYPE_ICSP, SYSX_CMD_ICSP_ERASE),
        sysex (jorvekHost, SYSX_TYPE_ICSP, SYSX_CMD_ICSP_SET_ADDRESS, packed32 (0x3000)),
        writeBlockRequest (jorvekHost, std::vector<juce::uint32> (64, 0x11223344)),
        sysex (jorvekHost, SYSX_TYPE_ICSP, SYSX_CMD_ICSP_FINISH_SUCCESS),
    };

    for (auto& step : steps)
        output->sendMessageNow (midiOf (step));

    ASSERT_TRUE (product->waitUntilIdle (5000));
    auto replies = received.get();
    ASSERT_EQ (6, replies.size());
    EXPECT_EQ (0, dataOf (replies[0])[5]);
    EXPECT_EQ (jorvekHost, nibblePair (dataOf (replies[0]) + 11));

    for (int i = 1; i < 6; ++i)
        EXPECT_EQ (0, dataOf (replies[i])[8]);

    EXPECT_EQ (Bytes ({ 0x44, 0x33, 0x22, 0x11 }), bytesOf (product->getProduct().readFlash (0x30FC, 4)));

    product->replugAsApplication ({ 4, 7 });
    ASSERT_TRUE (product->waitUntilIdle (5000));
    EXPECT_EQ (juce::String ("Jorvek-Pro MIDI 1"), system->getAvailableInputs()[0].name);

    auto identity = product->getProduct().handleRequest (sysex (jorvekHost, SYSX_TYPE_INFO, SYSX_CMD_IDENTITY));
    EXPECT_EQ (0x47, nibblePair (dataOf (identity[0]) + 9));
}

TEST (SimulatedProductPorts, OpeningFailsWhenToldOrUnplugged)
{
    auto system = std::make_shared<SimulatedMidiPortSystem>();

    auto norrimConfig = jorvekConfig();
    norrimConfig.productCode = productNorrim;
    norrimConfig.inputPortName = "[NM] Port 1";
    auto jorvek = system->addProduct (jorvekConfig());
    auto norrim = system->addProduct (norrimConfig);

    auto inputs = system->getAvailableInputs();
    ASSERT_EQ (2, inputs.size());
    EXPECT_EQ (juce::String ("Jorvek-Pro MIDI 1"), inputs[0].name);
    EXPECT_EQ (juce::String ("[NM] Port 1"), inputs[1].name);
    EXPECT_EQ (juce::String ("[NM] Port 1"), system->getAvailableOutputs()[1].name);

    ReceivedMessages received;
    system->setInputOpenFails ("[NM] Port 1", true);
    EXPECT_EQ (nullptr, system->openInputWithReceiver (inputs[1].identifier, received.receiver()));
    system->setInputOpenFails ("[NM] Port 1", false);
    EXPECT_NE (nullptr, system->openInputWithReceiver (inputs[1].identifier, received.receiver()));

    const auto jorvekOutput = system->getAvailableOutputs()[0].identifier;
    system->setOutputOpenFails (jorvekOutput, true);
    EXPECT_EQ (nullptr, system->openOutput (jorvekOutput));
    system->setOutputOpenFails (jorvekOutput, false);

    auto input = system->openInputWithReceiver (inputs[0].identifier, received.receiver());
    auto output = system->openOutput (jorvekOutput);
    ASSERT_NE (nullptr, output);
    input->start();

    // Unplugged while open: the output drops requests, nothing is delivered, the ports are gone.
    jorvek->unplug();
    output->sendMessageNow (midiOf (sysex (jorvekHost, SYSX_TYPE_INFO, SYSX_CMD_IDENTITY)));
    jorvek->attachUsbDevice ({});
    ASSERT_TRUE (jorvek->waitUntilIdle (5000));
    EXPECT_TRUE (received.get().isEmpty());
    EXPECT_TRUE (jorvek->getReceivedMessages().isEmpty());
    EXPECT_EQ (1, system->getAvailableInputs().size());
    EXPECT_EQ (nullptr, system->openInputWithReceiver (inputs[0].identifier, received.receiver()));

    // Plugged in again: new identifiers, the old ports stay dead.
    jorvek->plugIn();
    EXPECT_EQ (2, system->getAvailableInputs().size());
    EXPECT_NE (inputs[0].identifier, jorvek->getInputInfo().identifier);
    output->sendMessageNow (midiOf (sysex (jorvekHost, SYSX_TYPE_INFO, SYSX_CMD_IDENTITY)));
    ASSERT_TRUE (jorvek->waitUntilIdle (5000));
    EXPECT_TRUE (received.get().isEmpty());

    system->removeProduct (norrim);
    EXPECT_EQ (1, system->getAvailableInputs().size());
}
