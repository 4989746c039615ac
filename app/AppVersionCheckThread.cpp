#include "app/AppVersionCheckThread.h"
#include "app/WebAnswerParsers.h"
#include "app/WebEndpoints.h"
#include "app/WebRequest.h"

AppVersionCheckThread::AppVersionCheckThread (const juce::MessageListener& messageTarget, const juce::String& address)
    : juce::Thread ("appVersionCheckThread"),
      url (WebEndpoints::toUrl (address)),
      target (messageTarget)
{
}

AppVersionCheckThread::~AppVersionCheckThread()
{
    // The fetch is cancelled by the exit signal, so waiting is short; never kill.
    stopThread (-1);
}

juce::String AppVersionCheckThread::fetchText()
{
    WebRequest::Options options;
    options.connectionTimeoutMs = WebEndpoints::fetchConnectionTimeoutMs;
    options.maxRedirects = WebEndpoints::maxRedirects;
    options.maxBodyBytes = WebEndpoints::maxListBytes;

    juce::MemoryBlock body;
    WebRequest request (*this);

    if (! request.perform (url, options, body).isCompleted())
        return {};

    return WebRequest::bodyToText (body);
}

AppVersionInfo AppVersionCheckThread::parseVersionList (const juce::String& answer)
{
    result = WebAnswerParsers::parseVersionList (answer);
    return result;
}

void AppVersionCheckThread::run()
{
    const auto text = fetchText();

    if (threadShouldExit())
        return;

    AppVersionInfo offered;

    if (text.length() > WebEndpoints::minimumAnswerLength)
        if (auto parsed = parseVersionList (text); parsed.valid)
            offered = parsed;

    AsyncMessageCallBacks::post (target, appVersionOffer, {}, {}, offered);
}
