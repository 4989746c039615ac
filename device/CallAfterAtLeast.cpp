#include "device/CallAfterAtLeast.h"

namespace
{
    void callWhenDue (juce::uint32 due, std::function<void()> function)
    {
        // Signed, so that the counter wrapping round does not make the wait huge.
        const auto missing = (int) (due - juce::Time::getMillisecondCounter());

        if (missing <= 0)
        {
            function();
            return;
        }

        juce::Timer::callAfterDelay (missing, [due, function = std::move (function)]() mutable
        {
            callWhenDue (due, std::move (function));
        });
    }
}

void callAfterAtLeast (int milliseconds, std::function<void()> function)
{
    const auto due = juce::Time::getMillisecondCounter() + (juce::uint32) juce::jmax (0, milliseconds);

    // Always through the timer, even for no delay: the caller never gets the call before it returns.
    juce::Timer::callAfterDelay (milliseconds, [due, function = std::move (function)]() mutable
    {
        callWhenDue (due, std::move (function));
    });
}
