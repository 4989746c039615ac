#pragma once

#include <juce_events/juce_events.h>
#include <functional>

/** Calls a function on the message thread once at least the given time has passed.

    The framework's one-shot timer counts a new timer's delay from its timer thread's last
    wake-up, not from the moment it was started, so it can fire a tenth of a second early (more
    while the message thread is busy). A call that comes early is put off for the time still
    missing, so that a product gets its whole pause and a warning its whole time on screen. */
void callAfterAtLeast (int milliseconds, std::function<void()> function);
