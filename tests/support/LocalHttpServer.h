#pragma once

#include <juce_core/juce_core.h>
#include <map>
#include <vector>

/** A small HTTP/1.1 server on 127.0.0.1 with an ephemeral port, for tests.

    It serves canned answers per path (the query is ignored when matching),
    each with a chosen status, an optional delay before anything is sent (to
    stall a client) and an optional redirect. Unknown paths get 404. It records
    the method, target, headers and body of every request. One connection is
    served at a time and then closed. Its life is bounded: it stops by itself
    after maxRequests requests or lifetimeMs, and at once when it is deleted.
*/
class LocalHttpServer : private juce::Thread
{
public:
    struct Response
    {
        int status = 200;
        std::vector<char> body;
        juce::String contentType = "application/json";
        juce::String location;  ///< sent as "Location" when not empty
        int delayMs = 0;        ///< wait before sending anything

        static Response text (const juce::String& body, int status = 200);
        static Response redirect (const juce::String& location, int status = 302);
        static Response stall (int delayMs);
    };

    struct Request
    {
        juce::String method;
        juce::String target;   ///< path and query, as sent
        juce::String path;
        juce::String query;    ///< without the '?'
        juce::StringPairArray headers;
        juce::MemoryBlock body;

        juce::String getBodyText() const { return body.toString(); }
        juce::String getHeader (const juce::String& name) const { return headers.getValue (name, {}); }
    };

    explicit LocalHttpServer (int maxRequests = 32, int lifetimeMs = 60000);
    ~LocalHttpServer() override;

    bool isListening() const noexcept  { return port > 0; }
    int getPort() const noexcept       { return port; }
    /** "http://127.0.0.1:<port>" */
    juce::String getOrigin() const;

    void setResponse (const juce::String& path, const Response& response);

    juce::Array<Request> getRequests() const;
    int getNumRequests() const;
    /** Waits until at least count requests were recorded; false on time-out. */
    bool waitForRequests (int count, int timeoutMs) const;

private:
    void run() override;
    void serve (juce::StreamingSocket& connection);
    bool readRequest (juce::StreamingSocket& connection, Request& request);
    int readSome (juce::StreamingSocket& connection, char* buffer, int size);
    bool sendAll (juce::StreamingSocket& connection, const void* data, size_t size);
    bool shouldStop() const;

    juce::StreamingSocket listener;
    int port = 0;
    const int maxRequests;
    const juce::uint32 deadline;

    mutable juce::CriticalSection lock;
    std::map<juce::String, Response> responses;
    juce::Array<Request> requests;
};
