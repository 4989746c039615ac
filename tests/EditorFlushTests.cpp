#include "support/DeviceTestSupport.h"
#include "editors/EditorFlush.h"

namespace
{
    /** An editor's debounce timer that never fires by itself in these tests. */
    struct DebounceTimer : juce::Timer
    {
        void timerCallback() override {}
    };

    /** "write 1/5", "read 0/2"... for the last request sent; empty when none went out. */
    juce::String describeSent (const juce::Array<juce::MidiMessage>& sent)
    {
        if (sent.isEmpty())
            return {};

        const auto last = sent.getLast();
        const auto* b = last.getRawData();
        const auto type = (b[6] & 0x0F) == SYSX_TYPE_WRITE ? "write " : (b[6] & 0x0F) == SYSX_TYPE_READ ? "read " : "other ";
        return type + juce::String (b[7]) + "/" + juce::String (b[9]);
    }
}

class EditorFlush : public WiredDeviceFixture
{
protected:
    void SetUp() override
    {
        WiredDeviceFixture::SetUp();
        connectProduct (productJorvek, MidiController::firmwareVersionFromDigits (4, 5));
        timer.startTimer (100000);
    }

    DebounceTimer timer;
};

TEST_F (EditorFlush, WritesTheLowestMarkedKindWhicheverEditorMarkedIt)
{
    device().markForWrite (kindMapper, 2);
    device().markForWrite (kindChannelFilter, 5);
    device().markForWrite (kindRouter, 7);

    EXPECT_TRUE (flushEditorWrites (timer, device()));

    EXPECT_FALSE (timer.isTimerRunning());
    ASSERT_EQ (sent->size(), 1) << "one request; the chain sends the rest";
    EXPECT_EQ (describeSent (*sent), "write 0/7");
    EXPECT_EQ (device().waitingForReply, 1);
}

TEST_F (EditorFlush, SendsNothingWhileProgrammingOrWhileOnlyTheBootloaderAnswers)
{
    struct Case { const char* what; int upgradeStep; int deviceMode; };

    for (auto c : { Case { "erasing", 1, 1 }, Case { "programming", 3, 1 }, Case { "bootloader", 0, 0 } })
    {
        device().upgradeStep = c.upgradeStep;
        device().deviceMode = c.deviceMode;
        device().markForWrite (kindChannelFilter, 3);
        timer.startTimer (100000);

        EXPECT_FALSE (flushEditorWrites (timer, device())) << c.what;
        EXPECT_FALSE (timer.isTimerRunning()) << c.what << ": the timer is not started again";
        EXPECT_TRUE (sent->isEmpty()) << c.what;
        EXPECT_TRUE (device().pendingRequests.isWrite (kindChannelFilter, 3)) << c.what << ": the mark stays";
    }
}

TEST_F (EditorFlush, LeavesReadMarksToTheirChain)
{
    device().markForRead (kindRouter, 0);
    device().markForRead (kindMapper, 4);

    EXPECT_FALSE (flushEditorWrites (timer, device()));
    EXPECT_TRUE (sent->isEmpty());
    EXPECT_TRUE (device().pendingRequests.isPending (kindRouter, 0));

    // A write of a higher kind goes out although lower kinds wait to be read.
    device().markForWrite (kindMessageFilter, 9);
    EXPECT_TRUE (flushEditorWrites (timer, device()));
    EXPECT_EQ (describeSent (*sent), "write 2/9");
}

TEST_F (EditorFlush, WhileAReplyIsAwaitedTheWaitingChainTakesTheMark)
{
    device().markForWrite (kindRouter, 1);
    ASSERT_TRUE (flushEditorWrites (timer, device()));

    device().markForWrite (kindChannelFilter, 4);
    EXPECT_FALSE (flushEditorWrites (timer, device()));
    EXPECT_EQ (sent->size(), 1);

    // The acknowledgement of the router write brings the filter write.
    deliver (makeReply (38, SYSX_TYPE_WRITE, kindRouter, { 1, 1 }));
    EXPECT_EQ (describeSent (*sent), "write 1/4");
}

TEST_F (EditorFlush, NothingMarkedSendsNothing)
{
    EXPECT_FALSE (flushEditorWrites (timer, device()));
    EXPECT_FALSE (timer.isTimerRunning());
    EXPECT_TRUE (sent->isEmpty());
}
