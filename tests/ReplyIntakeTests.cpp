#include "support/DeviceTestSupport.h"

using ReplyIntake = WiredDeviceFixture;

namespace
{
    juce::MidiMessage replyOfLength (int length, int byte5 = 0x26, int byte6 = 0x43)
    {
        std::vector<juce::uint8> bytes ((size_t) length, 0x00);
        const juce::uint8 header[] = { 0xF0, 0x00, 0x4B, 0x1D, 0x0F, (juce::uint8) byte5, (juce::uint8) byte6, 0x00 };
        std::copy (std::begin (header), std::end (header), bytes.begin());
        bytes.back() = 0xF7;
        return juce::MidiMessage (bytes.data(), length);
    }
}

TEST_F (ReplyIntake, AcceptsOnlyWholeRepliesFromTheOpenedInput)
{
    struct Case { const char* name; juce::MidiMessage message; juce::String source; bool taken; };

    const Case cases[] = {
        { "4096 bytes",        replyOfLength (4096),             inputId, true },
        { "4097 bytes",        replyOfLength (4097),             inputId, false },
        { "10 bytes",          replyOfLength (10),               inputId, true },
        { "9 bytes",           replyOfLength (9),                inputId, false },
        { "another input",     replyOfLength (12),               "other", false },
        { "id byte FF",        replyOfLength (12, 0xFF),         inputId, false },
        { "request type",      replyOfLength (12, 0x26, 0x03),   inputId, false },
        { "note on",           juce::MidiMessage::noteOn (1, 60, (juce::uint8) 100), inputId, false },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        const auto before = device().replyRingWriteIndex;
        device().receiveMidi (c.source, c.message);
        EXPECT_EQ (device().replyRingWriteIndex != before, c.taken);

        if (c.taken)
            EXPECT_EQ (device().getReplyLength (before), c.message.getRawDataSize());

        pump (5);
    }
}

TEST_F (ReplyIntake, RingWrapsAfter64Replies)
{
    device().replyRingWriteIndex = 0;
    const auto ack = makeReply (0x26, SYSX_TYPE_COMMAND, SYSX_CMD_END_OF_READ, { 0 });

    for (int i = 0; i < 64; ++i)
        device().receiveMidi (inputId, ack);

    EXPECT_EQ (device().replyRingWriteIndex, 0);
    device().receiveMidi (inputId, makeReply (0x26, SYSX_TYPE_COMMAND, SYSX_CMD_FACTORY_RESET, { 0 }));
    EXPECT_EQ (device().replyRingWriteIndex, 1);
    EXPECT_EQ (device().getReplySlot (0)[7], SYSX_CMD_FACTORY_RESET);
    pump (20);
    EXPECT_TRUE (ui.settingsErrors.isEmpty());
}

TEST_F (ReplyIntake, ShortReplyNeverBorrowsTheBytesOfAnOlderOne)
{
    connectProduct (productJorvek, 4.505f);
    device().replyRingWriteIndex = 5;
    deliver (makeReply (0x26, SYSX_TYPE_WRITE, kindRouter, { 1, 3 }));   // 12 bytes, F7 at 11
    ASSERT_TRUE (ui.settingsErrors.isEmpty());

    // The same acknowledgement without its checksum: 11 bytes, while byte 11 of the slot still holds F7.
    const juce::uint8 shortAck[] = { 0xF0, 0x00, 0x4B, 0x1D, 0x0F, 0x26, 0x43, 0x00, 0x01, 0x03, 0xF7 };
    device().replyRingWriteIndex = 5;
    deliver (juce::MidiMessage (shortAck, (int) sizeof (shortAck)));

    ASSERT_EQ (ui.settingsErrors.size(), 1);
    EXPECT_EQ (ui.settingsErrors[0], SYSX_END_MISSING);
}

TEST_F (ReplyIntake, StatusTextsAndAlerts)
{
    device().setProductCode (productJorvek);
    device().postAsyncMessage (statusText, "Reading...");
    device().postAsyncMessage (deviceInfoText, "Jorvek Pro");
    device().showAlert ("first warning", true);
    device().showAlert ("second warning", true);
    device().postAsyncMessage (infoOnce, "info once");
    device().showAlert ("plain alert", false);
    device().showAlert ("another plain alert", false);
    pump (20);

    EXPECT_EQ (ui.lastStatus(), "Reading...");
    EXPECT_EQ (ui.lastInfo(), "Jorvek Pro");

    // Once the product is gone, an information text still queued from before shows nothing.
    device().postAsyncMessage (deviceInfoText, "Jorvek Pro, gone");
    device().setProductCode (productNone);
    pump (20);
    EXPECT_EQ (ui.lastInfo(), "Jorvek Pro");

    ASSERT_EQ (ui.alerts.size(), 4u);
    EXPECT_EQ (ui.alerts[0].text, "first warning");
    EXPECT_TRUE (ui.alerts[0].warning);
    EXPECT_EQ (ui.alerts[1].text, "info once");
    EXPECT_EQ (ui.alerts[2].text, "plain alert");
    EXPECT_EQ (ui.alerts[3].text, "another plain alert");

    // Once the warning is closed, the next one shows.
    ui.alerts[0].onClosed();
    device().showAlert ("third warning", true);
    pump (20);
    ASSERT_EQ (ui.alerts.size(), 5u);
    EXPECT_EQ (ui.alerts[4].text, "third warning");
}
