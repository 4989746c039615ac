#include "support/LocalHttpServer.h"

#include <algorithm>
#include <cerrno>
#include <sys/socket.h>

LocalHttpServer::Response LocalHttpServer::Response::text (const juce::String& body, int status)
{
    Response r;
    r.status = status;
    r.body.assign (body.toRawUTF8(), body.toRawUTF8() + body.getNumBytesAsUTF8());
    return r;
}

LocalHttpServer::Response LocalHttpServer::Response::redirect (const juce::String& location, int status)
{
    Response r;
    r.status = status;
    r.location = location;
    return r;
}

LocalHttpServer::Response LocalHttpServer::Response::stall (int delayMs)
{
    auto r = text ("{}");
    r.delayMs = delayMs;
    return r;
}

//==============================================================================
LocalHttpServer::LocalHttpServer (int maxRequestsToServe, int lifetimeMs)
    : juce::Thread ("localHttpServer"),
      maxRequests (maxRequestsToServe),
      deadline (juce::Time::getMillisecondCounter() + (juce::uint32) lifetimeMs)
{
    if (listener.createListener (0, "127.0.0.1"))
    {
        port = listener.getBoundPort();
        startThread();
    }
}

LocalHttpServer::~LocalHttpServer()
{
    signalThreadShouldExit();
    stopThread (-1);
    listener.close();
}

juce::String LocalHttpServer::getOrigin() const
{
    return "http://127.0.0.1:" + juce::String (port);
}

void LocalHttpServer::setResponse (const juce::String& path, const Response& response)
{
    const juce::ScopedLock sl (lock);
    responses[path] = response;
}

juce::Array<LocalHttpServer::Request> LocalHttpServer::getRequests() const
{
    const juce::ScopedLock sl (lock);
    return requests;
}

int LocalHttpServer::getNumRequests() const
{
    const juce::ScopedLock sl (lock);
    return requests.size();
}

bool LocalHttpServer::waitForRequests (int count, int timeoutMs) const
{
    const auto end = juce::Time::getMillisecondCounter() + (juce::uint32) timeoutMs;

    while (getNumRequests() < count)
    {
        if (juce::Time::getMillisecondCounter() > end)
            return false;

        juce::Thread::sleep (10);
    }

    return true;
}

bool LocalHttpServer::shouldStop() const
{
    return threadShouldExit() || juce::Time::getMillisecondCounter() > deadline;
}

//==============================================================================
void LocalHttpServer::run()
{
    for (int served = 0; served < maxRequests && ! shouldStop();)
    {
        if (listener.waitUntilReady (true, 50) != 1)
            continue;

        std::unique_ptr<juce::StreamingSocket> connection (listener.waitForNextConnection());

        if (connection != nullptr)
        {
            serve (*connection);
            ++served;
        }
    }
}

int LocalHttpServer::readSome (juce::StreamingSocket& connection, char* buffer, int size)
{
    while (! shouldStop())
    {
        const auto ready = connection.waitUntilReady (true, 50);

        if (ready < 0)
            return -1;

        if (ready > 0)
            return connection.read (buffer, size, false);
    }

    return -1;
}

bool LocalHttpServer::sendAll (juce::StreamingSocket& connection, const void* data, size_t size)
{
    auto* bytes = static_cast<const char*> (data);

    while (size > 0 && ! shouldStop())
    {
        // MSG_NOSIGNAL: a client that went away must not raise SIGPIPE in the test process.
        const auto sent = ::send (connection.getRawSocketHandle(), bytes, size, MSG_NOSIGNAL);

        if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
        {
            // Reads leave the socket non-blocking: wait until it can take more.
            if (connection.waitUntilReady (false, 50) < 0)
                return false;

            continue;
        }

        if (sent <= 0)
            return false;

        bytes += sent;
        size -= (size_t) sent;
    }

    return size == 0;
}

bool LocalHttpServer::readRequest (juce::StreamingSocket& connection, Request& request)
{
    juce::MemoryBlock received;
    char buffer[4096];
    int headerEnd = -1;

    while (headerEnd < 0)
    {
        const auto n = readSome (connection, buffer, (int) sizeof (buffer));

        if (n <= 0 || received.getSize() > 65536)
            return false;

        received.append (buffer, (size_t) n);

        const auto* begin = static_cast<const char*> (received.getData());
        const auto* end = begin + received.getSize();
        const char separator[] = "\r\n\r\n";
        const auto* found = std::search (begin, end, separator, separator + 4);

        if (found != end)
            headerEnd = (int) (found - begin);
    }

    const auto head = juce::String::fromUTF8 (static_cast<const char*> (received.getData()), headerEnd);
    auto lines = juce::StringArray::fromLines (head);
    auto requestLine = juce::StringArray::fromTokens (lines[0], " ", {});

    request.method = requestLine[0];
    request.target = requestLine[1];
    request.path = request.target.upToFirstOccurrenceOf ("?", false, false);
    request.query = request.target.fromFirstOccurrenceOf ("?", false, false);

    for (int i = 1; i < lines.size(); ++i)
        if (lines[i].containsChar (':'))
            request.headers.set (lines[i].upToFirstOccurrenceOf (":", false, false).trim(),
                                 lines[i].fromFirstOccurrenceOf (":", false, false).trim());

    const auto contentLength = juce::jmin (16 << 20, request.headers.getValue ("Content-Length", "0").getIntValue());

    if (request.headers.getValue ("Expect", {}).equalsIgnoreCase ("100-continue"))
    {
        const char* goOn = "HTTP/1.1 100 Continue\r\n\r\n";
        sendAll (connection, goOn, strlen (goOn));
    }

    const auto bodyStart = (size_t) headerEnd + 4;
    request.body.append (static_cast<const char*> (received.getData()) + bodyStart, received.getSize() - bodyStart);

    while ((int) request.body.getSize() < contentLength)
    {
        const auto n = readSome (connection, buffer, (int) sizeof (buffer));

        if (n <= 0)
            return false;

        request.body.append (buffer, (size_t) n);
    }

    return true;
}

static juce::String reasonPhrase (int status)
{
    switch (status)
    {
        case 200: return "OK";
        case 204: return "No Content";
        case 301: return "Moved Permanently";
        case 302: return "Found";
        case 404: return "Not Found";
        case 500: return "Internal Server Error";
        default:  return "Status";
    }
}

void LocalHttpServer::serve (juce::StreamingSocket& connection)
{
    Request request;

    if (! readRequest (connection, request))
        return;

    Response response = Response::text ("not found", 404);

    {
        const juce::ScopedLock sl (lock);
        requests.add (request);

        if (auto found = responses.find (request.path); found != responses.end())
            response = found->second;
    }

    // A stall ends early when the client goes away, so the next request is served.
    for (auto start = juce::Time::getMillisecondCounter();
         (int) (juce::Time::getMillisecondCounter() - start) < response.delayMs && ! shouldStop();)
    {
        if (connection.waitUntilReady (true, 10) != 0)
        {
            char probe[256];

            if (connection.read (probe, (int) sizeof (probe), false) <= 0)
                return;
        }
    }

    juce::String head;
    head << "HTTP/1.1 " << response.status << " " << reasonPhrase (response.status) << "\r\n"
         << "Content-Type: " << response.contentType << "\r\n"
         << "Content-Length: " << (int) response.body.size() << "\r\n"
         << "Connection: close\r\n";

    if (response.location.isNotEmpty())
        head << "Location: " << response.location << "\r\n";

    head << "\r\n";

    if (sendAll (connection, head.toRawUTF8(), head.getNumBytesAsUTF8()))
        sendAll (connection, response.body.data(), response.body.size());
}
