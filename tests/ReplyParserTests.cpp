#include "support/DeviceTestSupport.h"

namespace
{
    float version (int major, int minor) { return MidiController::firmwareVersionFromDigits (major, minor); }

    std::vector<juce::uint8> join (std::initializer_list<std::vector<juce::uint8>> parts)
    {
        std::vector<juce::uint8> all;
        for (auto& p : parts)
            all.insert (all.end(), p.begin(), p.end());
        return all;
    }

    juce::MidiMessage truncated (const juce::MidiMessage& m, int drop)
    {
        std::vector<juce::uint8> bytes (m.getRawData(), m.getRawData() + m.getRawDataSize() - 1 - drop);
        bytes.push_back (0xF7);
        return juce::MidiMessage (bytes.data(), (int) bytes.size());
    }
}

class ReplyParser : public WiredDeviceFixture
{
protected:
    void SetUp() override
    {
        WiredDeviceFixture::SetUp();
        connectProduct (productJorvek, version (4, 5), version (7, 1));
    }

    int resultOf (const juce::MidiMessage& reply)
    {
        ui.settingsErrors.clear();
        deliver (reply);
        device().stopTimer();
        return ui.settingsErrors.isEmpty() ? 0 : ui.settingsErrors.getLast();
    }
};

TEST_F (ReplyParser, ResultCodesInCheckOrder)
{
    const auto row = packed32 (0x00FF00FF);
    const auto goodRead = makeReplyFromBytes (38, SYSX_TYPE_READ, kindRouter, join ({ { 1, 3 }, row }));

    struct Case { const char* name; juce::MidiMessage reply; int expected; };
    const Case cases[] = {
        { "read accepted",                 goodRead, SYSX_OK },
        { "read of kind 12",               makeReplyFromBytes (38, SYSX_TYPE_READ, kindLfo, join ({ { 1, 0 }, row })), SYSX_UNKNOWN_KIND },
        { "read of kind 14",               makeReplyFromBytes (38, SYSX_TYPE_READ, 14, join ({ { 1, 0 }, row })), SYSX_UNKNOWN_KIND },
        { "read with count 2",             makeReplyFromBytes (38, SYSX_TYPE_READ, kindRouter, join ({ { 2, 3 }, row })), SYSX_OUT_OF_RANGE },
        { "read of row A+B",               makeReplyFromBytes (38, SYSX_TYPE_READ, kindRouter, join ({ { 1, 30 }, row })), SYSX_OUT_OF_RANGE },
        { "read: range before checksum",   makeReplyFromBytes (38, SYSX_TYPE_READ, kindRouter, join ({ { 1, 30 }, row }), false), SYSX_OUT_OF_RANGE },
        { "read one byte short",           truncated (goodRead, 1), SYSX_END_MISSING },
        { "read with bad checksum",        makeReplyFromBytes (38, SYSX_TYPE_READ, kindRouter, join ({ { 1, 3 }, row }), false), SYSX_CHECKSUM_ERROR },
        { "write ack accepted",            makeReply (38, SYSX_TYPE_WRITE, kindRouter, { 1, 3 }), SYSX_OK },
        { "write ack: checksum before range", makeReply (38, SYSX_TYPE_WRITE, kindRouter, { 1, 30 }, false), SYSX_CHECKSUM_ERROR },
        { "write ack of mask 16",          makeReply (38, SYSX_TYPE_WRITE, kindUsbDevicePorts, { 2, 16 }), SYSX_OUT_OF_RANGE },
        { "write ack of kind 12",          makeReply (38, SYSX_TYPE_WRITE, kindLfo, { 1, 0 }), SYSX_UNKNOWN_KIND },
        { "write ack too long",            makeReply (38, SYSX_TYPE_WRITE, kindRouter, { 1, 3, 0 }), SYSX_END_MISSING },
        { "command ack, status 5",         makeReply (38, SYSX_TYPE_COMMAND, SYSX_CMD_FACTORY_RESET, { 5 }), SYSX_OK },
        { "command ack, bad checksum",     makeReply (38, SYSX_TYPE_COMMAND, SYSX_CMD_FACTORY_RESET, { 0 }, false), SYSX_CHECKSUM_ERROR },
        { "reply of type 5",               makeReply (38, 5, 0, { 1, 2, 3 }), SYSX_OK },
        { "information kind 5",            makeReply (38, SYSX_TYPE_INFO, 5, { 0 }), SYSX_UNKNOWN_KIND },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        device().routerMasks[0][3] = 0;
        EXPECT_EQ (resultOf (c.reply), c.expected);
        EXPECT_EQ (device().routerMasks[0][3], juce::String (c.name) == "read accepted" ? 0x00FF00FFu : 0u);
    }
}

TEST_F (ReplyParser, ReadRepliesAreStoredInTheCurrentPreset)
{
    device().currentPreset = 3;
    std::vector<juce::uint8> mapper { 6, 2 };
    for (juce::uint32 w : { 1u, 2u, 3u, 0x5A000004u, 5u, 6u })
        for (auto b : packed32 (w)) mapper.push_back (b);

    EXPECT_EQ (resultOf (makeReplyFromBytes (38, SYSX_TYPE_READ, kindMapper, mapper)), 0);
    EXPECT_EQ (device().mapperRecords[3][2].cfg2, 0x5A000004u);
    EXPECT_EQ (device().mapperRecords[3][2].cfg4, 6u);

    EXPECT_EQ (resultOf (makeReplyFromBytes (38, SYSX_TYPE_READ, kindChannelFilter, join ({ { 1, 31 }, packed16 (0x8001) }))), 0);
    EXPECT_EQ (device().filterChannels[3][31], 0x8001);

    EXPECT_EQ (resultOf (makeReplyFromBytes (38, SYSX_TYPE_READ, kindPowerDown, join ({ { 1, 0 }, packed32 (0x7A) }))), 0);
    EXPECT_EQ (device().powerDown[3], 0x7A);
}

TEST_F (ReplyParser, PortReservationLayoutFollowsTheFirmware)
{
    device().hostFirmwareVersion = version (3, 3);
    EXPECT_EQ (resultOf (makeReplyFromBytes (38, SYSX_TYPE_READ, kindPortReservation, join ({ { 2, 4 }, packed32 (0x0499ABCD), { 0x05 } }))), 0);
    EXPECT_EQ (device().portReservations[4].vidPid, 0x0499ABCD);
    EXPECT_EQ (device().portReservations[4].cable, 0x05);

    device().hostFirmwareVersion = version (3, 4);
    EXPECT_EQ (resultOf (makeReplyFromBytes (38, SYSX_TYPE_READ, kindPortReservation, join ({ { 2, 4 }, packed32 (0x0499ABCD), packed16 (0x0102) }))), 0);
    EXPECT_EQ (device().portReservations[4].cable, 0x0102);

    // The 18-byte layout no longer fits at 3.4.
    EXPECT_EQ (resultOf (makeReplyFromBytes (38, SYSX_TYPE_READ, kindPortReservation, join ({ { 2, 4 }, packed32 (1), { 0x05 } }))), SYSX_END_MISSING);
}

TEST_F (ReplyParser, PresetNamesNeedFirmware275)
{
    device().hostFirmwareVersion = version (2, 7);
    std::vector<juce::uint8> name { 4, 1 };
    for (int w = 0; w < 4; ++w) for (auto b : packed32 (0x41424344)) name.push_back (b);

    EXPECT_EQ (resultOf (makeReplyFromBytes (38, SYSX_TYPE_READ, kindPresetName, name)), SYSX_OUT_OF_RANGE);
    EXPECT_EQ (device().presetNames[1][0], 0u);

    device().hostFirmwareVersion = version (2, 8);
    EXPECT_EQ (resultOf (makeReplyFromBytes (38, SYSX_TYPE_READ, kindPresetName, name)), 0);
    EXPECT_EQ (device().presetNames[1][0], 0x41424344u);
}

TEST_F (ReplyParser, PresetSettingReply)
{
    // Same preset, bit 31 clear: only the word changes.
    device().currentPreset = 2;
    device().markForRead (kindPresetSetting, 0);
    EXPECT_EQ (resultOf (makeReplyFromBytes (38, SYSX_TYPE_READ, kindPresetSetting, join ({ { 1, 0 }, packed32 (0x4322) }))), 0);
    EXPECT_EQ (device().presetSetting, 0x4322u);
    EXPECT_EQ (device().currentPreset, 2);
    EXPECT_EQ (device().presetChanged, 0);
    EXPECT_TRUE (sentHex().isEmpty());   // a single read is over; only a full read ends with the end-of-reading command

    // A preset beyond the 16 rows is refused and stores nothing.
    EXPECT_EQ (resultOf (makeReplyFromBytes (38, SYSX_TYPE_READ, kindPresetSetting, join ({ { 1, 0 }, packed32 (0x4311) }))), SYSX_OUT_OF_RANGE);
    EXPECT_EQ (device().presetSetting, 0x4322u);
    EXPECT_EQ (device().currentPreset, 2);

    // Bit 31 on the last pending read: the product changed its preset itself, everything is read again.
    EXPECT_EQ (resultOf (makeReplyFromBytes (38, SYSX_TYPE_READ, kindPresetSetting, join ({ { 1, 0 }, packed32 (0x80004302u) }))), 0);
    EXPECT_EQ (device().presetSetting, 0x4302u);
    EXPECT_EQ (device().presetChanged, 0);
    EXPECT_TRUE (device().pendingRequests.isPending (kindRouter, 29));
    EXPECT_EQ (lastSentHex(), "F0 00 4B 1D 0F 26 02 00 01 00 03 F7");   // the preset setting was just read: routing comes next
}

TEST_F (ReplyParser, ProgrammingAcknowledgements)
{
    device().upgradeStep = 3;
    device().firmwareImageSize = 256;
    device().programAddress = device().flashStart;

    // A kind of 8 or more is its own result; a failure status is passed on unchanged.
    ui.upgradeResults.clear();
    deliver (makeReply (0, SYSX_TYPE_ICSP, 9, { 0 }));
    EXPECT_EQ (ui.upgradeResults.getLast(), 9);
    deliver (makeReply (0, SYSX_TYPE_ICSP, SYSX_CMD_ICSP_WRITE, { 0x21 }));
    EXPECT_EQ (ui.upgradeResults.getLast(), 0x21);
    EXPECT_EQ (device().programAddress, device().flashStart);

    // The last block's acknowledgement leaves the step at 3, so the finish follows.
    deliver (makeReply (0, SYSX_TYPE_ICSP, SYSX_CMD_ICSP_WRITE, { 0 }));
    EXPECT_EQ (device().upgradeStep, 3);
    EXPECT_EQ (device().programAddress, device().flashStart + 256);
    EXPECT_EQ (lastSentHex(), "F0 00 4B 1D 0F 26 04 06 0A F7");
    device().stopTimer();
}
