#pragma once

#include <functional>

/** Runs the message loop on the calling (message) thread. Unlike the framework's timed dispatch
    loop, which sleeps a millisecond whenever its queue is empty, these wake as soon as anything
    is posted, so a request chain runs at its own speed. */
namespace MessagePump
{
    /** Dispatches messages until the predicate holds or the time is up; returns the predicate. */
    bool runUntil (const std::function<bool()>& predicate, int timeoutMs);
    /** Dispatches messages for this long. */
    void runFor (int milliseconds);
}
