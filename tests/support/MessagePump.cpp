#include "MessagePump.h"

#include <juce_events/juce_events.h>
#include <juce_events/native/juce_linux_EventLoopInternal.h>
#include <poll.h>
#include <vector>

namespace juce
{
    // The message loop's own step: dispatches one message (or one batch of file-descriptor
    // callbacks) and returns false when nothing was waiting.
    bool dispatchNextMessageOnSystemQueue (bool returnIfNoPendingMessages);
}

namespace
{
    /** Sleeps until a descriptor of the event loop (the posted-message queue, the X connection)
        has something to read, or the time is up. */
    void waitForEvent (int timeoutMs)
    {
        std::vector<pollfd> fds;

        for (auto fd : juce::LinuxEventLoopInternal::getRegisteredFds())
            fds.push_back ({ fd, POLLIN, 0 });

        poll (fds.data(), (nfds_t) fds.size(), timeoutMs);
    }

    bool runOnce (juce::uint32 end)
    {
        if (juce::dispatchNextMessageOnSystemQueue (true))
            return true;

        const auto now = juce::Time::getMillisecondCounter();

        // Work of other threads (a simulated product answering) shows in the predicate, not on a
        // descriptor, so the wait stays short.
        if (now < end)
            waitForEvent ((int) juce::jmin ((juce::uint32) 2, end - now));

        return false;
    }
}

bool MessagePump::runUntil (const std::function<bool()>& predicate, int timeoutMs)
{
    const auto end = juce::Time::getMillisecondCounter() + (juce::uint32) juce::jmax (0, timeoutMs);

    while (! predicate())
    {
        if (juce::Time::getMillisecondCounter() >= end)
            return predicate();

        runOnce (end);
    }

    return true;
}

void MessagePump::runFor (int milliseconds)
{
    const auto end = juce::Time::getMillisecondCounter() + (juce::uint32) juce::jmax (0, milliseconds);

    while (juce::Time::getMillisecondCounter() < end)
        runOnce (end);
}
