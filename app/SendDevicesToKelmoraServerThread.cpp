#include "app/SendDevicesToKelmoraServerThread.h"
#include "app/WebEndpoints.h"
#include "app/WebRequest.h"

SendDevicesToKelmoraServerThread::SendDevicesToKelmoraServerThread (const juce::MessageListener& messageTarget,
                                                                    const juce::String& address,
                                                                    DeviceReport::Snapshot deviceSnapshot)
    : juce::Thread ("sendDevicesToKelmoraServerThread"),
      url (WebEndpoints::toUrl (address)),
      target (messageTarget),
      snapshot (std::move (deviceSnapshot))
{
}

SendDevicesToKelmoraServerThread::~SendDevicesToKelmoraServerThread()
{
    // The request is cancelled by the exit signal, so waiting is short; never kill.
    stopThread (-1);
}

void SendDevicesToKelmoraServerThread::run()
{
    if (! DeviceReport::hasOccupiedHostPorts (snapshot))
        return;

    juce::Array<juce::int32> reported;
    const auto body = DeviceReport::buildBody (snapshot, reported);

    if (reported.isEmpty() || threadShouldExit())
        return;

    WebRequest::Options options;
    options.post = true;
    options.postData = juce::MemoryBlock (body.toRawUTF8(), body.getNumBytesAsUTF8());
    options.extraHeaders = "Content-Type: application/x-www-form-urlencoded";
    options.connectionTimeoutMs = WebEndpoints::postConnectionTimeoutMs;
    options.maxRedirects = WebEndpoints::maxRedirects;
    options.maxBodyBytes = WebEndpoints::maxListBytes;

    // Only the status matters; the answer body is read to its end and dropped.
    juce::MemoryBlock answerBody;
    WebRequest request (*this);
    const auto answer = request.perform (url, options, answerBody);

    if (threadShouldExit() || answer.statusCode != 200)
        return;

    AsyncMessageCallBacks::post (target, reportAccepted, snapshot.serialText, {}, {}, reported);
}
