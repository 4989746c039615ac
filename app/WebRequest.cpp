#include "app/WebRequest.h"
#include "app/Utf8Text.h"

WebRequest::WebRequest (juce::Thread& workerThread)
    : worker (workerThread)
{
    worker.addListener (this);
}

WebRequest::~WebRequest()
{
    worker.removeListener (this);
}

void WebRequest::exitSignalSent()
{
    const juce::ScopedLock sl (streamLock);

    if (activeStream != nullptr)
        activeStream->cancel();
}

WebRequest::Result WebRequest::perform (const juce::URL& url, const Options& options, juce::OutputStream& destination)
{
    Result result;

    if (url.isEmpty())
        return result;

    auto target = options.post ? url.withPOSTData (options.postData) : url;
    juce::WebInputStream stream (target, options.post);
    stream.withConnectionTimeout (options.connectionTimeoutMs)
          .withNumRedirectsToFollow (options.maxRedirects);

    if (options.extraHeaders.isNotEmpty())
        stream.withExtraHeaders (options.extraHeaders);

    struct ActiveStreamScope
    {
        ActiveStreamScope (WebRequest& r, juce::WebInputStream& s) : request (r)
        {
            const juce::ScopedLock sl (request.streamLock);
            request.activeStream = &s;
        }

        ~ActiveStreamScope()
        {
            const juce::ScopedLock sl (request.streamLock);
            request.activeStream = nullptr;
        }

        WebRequest& request;
    };

    const ActiveStreamScope scope (*this, stream);

    // The exit may have been signalled before the stream was registered.
    if (worker.threadShouldExit())
    {
        result.outcome = Outcome::cancelled;
        return result;
    }

    const bool connected = stream.connect (nullptr);

    if (worker.threadShouldExit())
    {
        result.outcome = Outcome::cancelled;
        return result;
    }

    if (! connected || stream.isError())
        return result;

    result.statusCode = stream.getStatusCode();

    const auto announcedLength = stream.getTotalLength();

    if (options.maxBodyBytes >= 0 && announcedLength > options.maxBodyBytes)
    {
        result.outcome = Outcome::tooLarge;
        return result;
    }

    juce::HeapBlock<char> buffer (8192);

    for (;;)
    {
        const auto numRead = stream.read (buffer, 8192);

        if (worker.threadShouldExit())
        {
            result.outcome = Outcome::cancelled;
            return result;
        }

        if (numRead <= 0)
            break;

        result.bodyBytes += numRead;

        if (options.maxBodyBytes >= 0 && result.bodyBytes > options.maxBodyBytes)
        {
            result.outcome = Outcome::tooLarge;
            return result;
        }

        if (! destination.write (buffer, (size_t) numRead))
        {
            result.outcome = Outcome::writeFailed;
            return result;
        }
    }

    if (stream.isError())
        return result;

    result.outcome = Outcome::completed;
    return result;
}

WebRequest::Result WebRequest::perform (const juce::URL& url, const Options& options, juce::MemoryBlock& body)
{
    body.reset();
    Result result;

    {
        juce::MemoryOutputStream out (body, false);
        result = perform (url, options, out);
    }

    if (! result.isCompleted())
        body.reset();

    return result;
}

juce::String WebRequest::bodyToText (const juce::MemoryBlock& body)
{
    if (body.isEmpty())
        return {};

    const auto* bytes = static_cast<const char*> (body.getData());
    auto size = body.getSize();

    // UTF-16 with its byte-order mark: the framework decodes it character by character.
    if (size >= 2 && (juce::CharPointer_UTF16::isByteOrderMarkBigEndian (bytes)
                       || juce::CharPointer_UTF16::isByteOrderMarkLittleEndian (bytes)))
        return juce::String::createStringFromData (bytes, (int) size);

    if (size >= 3 && juce::CharPointer_UTF8::isByteOrderMark (bytes))
    {
        bytes += 3;
        size -= 3;
    }

    return Utf8Text::fromBytes (bytes, size);
}
