#pragma once

#include "app/AsyncMessageCallBacks.h"

/** Fetches the update server's version list once and posts the newest entry.

    One pass: GET the list (3000 ms connection time-out, up to 5 redirects,
    at most 1 MiB), read it, and post one appVersionOffer message to the
    target: the record when it is valid, else an empty one (also for an answer
    of 50 characters or fewer, or none at all). A thread asked to exit while it
    fetches posts nothing. Deleting the thread cancels the fetch and waits for
    the end of the pass; it never kills the thread.
*/
class AppVersionCheckThread : public juce::Thread
{
public:
    /** The target receives the result on the message thread and must outlive this thread. */
    AppVersionCheckThread (const juce::MessageListener& target, const juce::String& address);
    ~AppVersionCheckThread() override;

    void run() override;

    /** The whole answer body as text; empty without an answer, or when it was larger than the cap. */
    juce::String fetchText();

    /** Reads the answer into result and returns a copy of it. */
    AppVersionInfo parseVersionList (const juce::String& answer);

    const juce::URL url;

private:
    const juce::MessageListener& target;
    AppVersionInfo result;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (AppVersionCheckThread)
};
