#include "device/CallAfterAtLeast.h"

namespace
{
    /** Waits with the framework's timer, then again for whatever is still missing until due. */
    void callWhenDue (juce::uint32 due, int wait, std::function<void()> function)
    {
        juce::Timer::callAfterDelay (wait, [due, function = std::move (function)]() mutable
        {
            // Signed, so that the counter wrapping round does not make the wait huge.
            const auto missing = (int) (due - juce::Time::getMillisecondCounter());

            if (missing > 0)
                callWhenDue (due, missing, std::move (function));
            else
                function();
        });
    }
}

void callAfterAtLeast (int milliseconds, std::function<void()> function)
{
    // Always through the timer, even for no delay: the caller never gets the call before it returns.
    const auto due = juce::Time::getMillisecondCounter() + (juce::uint32) juce::jmax (0, milliseconds);
    callWhenDue (due, milliseconds, std::move (function));
}
