#pragma once

#include <juce_core/juce_core.h>

/** One HTTP exchange run by a worker thread, abandoned as soon as that thread is asked to exit.

    The request listens for the worker's exit signal and cancels its stream from
    the signalling thread, so a blocked connect or read returns at once; no
    thread ever needs to be killed. The body is written to a stream in small
    chunks and may be capped.

    Create and use it on the worker thread only; one perform() at a time.
*/
class WebRequest : private juce::Thread::Listener
{
public:
    struct Options
    {
        bool post = false;
        juce::MemoryBlock postData;
        juce::String extraHeaders;
        int connectionTimeoutMs = 3000;
        int maxRedirects = 5;
        juce::int64 maxBodyBytes = -1; ///< negative: no limit
    };

    enum class Outcome
    {
        completed,    ///< an answer arrived whole (whatever its status)
        noConnection, ///< no answer stream, or it broke before the end
        tooLarge,     ///< the body is longer than the cap
        cancelled,    ///< the worker was asked to exit
        writeFailed   ///< the body could not be written to its destination
    };

    struct Result
    {
        Outcome outcome = Outcome::noConnection;
        int statusCode = 0;
        juce::int64 bodyBytes = 0;

        bool isCompleted() const noexcept      { return outcome == Outcome::completed; }
        bool isSuccessStatus() const noexcept  { return statusCode >= 200 && statusCode <= 299; }
    };

    /** The worker is the thread that calls perform(); its exit signal cancels the exchange. */
    explicit WebRequest (juce::Thread& worker);
    ~WebRequest() override;

    /** Sends the request and writes the answer body to the destination. */
    Result perform (const juce::URL& url, const Options& options, juce::OutputStream& destination);

    /** Sends the request and reads the answer body into memory. */
    Result perform (const juce::URL& url, const Options& options, juce::MemoryBlock& body);

    /** The text of a body: UTF-8, or UTF-16 with a byte-order mark. A body that is no
        well-formed UTF-8 is read a byte a character. */
    static juce::String bodyToText (const juce::MemoryBlock& body);

private:
    void exitSignalSent() override;

    juce::Thread& worker;
    juce::CriticalSection streamLock;
    juce::WebInputStream* activeStream = nullptr;

    JUCE_DECLARE_NON_COPYABLE (WebRequest)
};
