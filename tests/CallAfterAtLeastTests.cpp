#include "support/MessagePump.h"
#include "device/CallAfterAtLeast.h"

#include <gtest/gtest.h>

namespace
{
    /** Keeps the message thread from its queue a while, as a repaint of the whole window does. */
    void keepMessageThreadBusy (int milliseconds)
    {
        const auto end = juce::Time::getMillisecondCounter() + (juce::uint32) milliseconds;

        while (juce::Time::getMillisecondCounter() < end) {}
    }
}

// The framework's one-shot timer came up to 100 ms early in this set-up (399 ms for 500).
TEST (CallAfterAtLeast, NeverCallsBeforeItsTimeWhateverTheTimerThreadWasDoing)
{
    juce::MessageManager::getInstance();

    for (int round = 0; round < 12; ++round)
    {
        MessagePump::runFor (37 * (round % 5) + 3);
        keepMessageThreadBusy (round * 7 % 60);

        const auto start = juce::Time::getMillisecondCounter();
        juce::uint32 calledAt = 0;
        callAfterAtLeast (500, [&calledAt] { calledAt = juce::Time::getMillisecondCounter(); });

        ASSERT_TRUE (MessagePump::runUntil ([&calledAt] { return calledAt != 0; }, 3000)) << "round " << round;
        EXPECT_GE ((int) (calledAt - start), 500) << "round " << round;
    }
}

TEST (CallAfterAtLeast, NoDelayStillCallsLaterNotWhileTheCallerRuns)
{
    juce::MessageManager::getInstance();
    bool called = false;

    callAfterAtLeast (0, [&called] { called = true; });
    EXPECT_FALSE (called);

    EXPECT_TRUE (MessagePump::runUntil ([&called] { return called; }, 1000));
}
