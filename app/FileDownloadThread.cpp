#include "app/FileDownloadThread.h"
#include "app/FirmwareUpdateOffer.h"
#include "app/WebAnswerParsers.h"
#include "app/WebEndpoints.h"
#include "app/WebRequest.h"

FileDownloadThread::FileDownloadThread (const juce::MessageListener& messageTarget, int code,
                                        const juce::String& address, int downloadMode)
    : juce::Thread ("fileDwthread"),
      url (WebEndpoints::toUrl (address)),
      mode (downloadMode),
      productCode (code),
      target (messageTarget)
{
}

FileDownloadThread::~FileDownloadThread()
{
    // The download is cancelled by the exit signal, so waiting is short; never kill.
    stopThread (-1);
}

juce::String FileDownloadThread::downloadText()
{
    WebRequest::Options options;
    options.connectionTimeoutMs = WebEndpoints::fetchConnectionTimeoutMs;
    options.maxRedirects = WebEndpoints::maxRedirects;
    options.maxBodyBytes = mode == firmwareFileMode ? WebEndpoints::maxFirmwareFileBytes
                                                    : WebEndpoints::maxListBytes;

    juce::MemoryBlock body;
    WebRequest request (*this);
    const auto answer = request.perform (url, options, body);

    if (! answer.isCompleted())
        return {};

    // An error page is no firmware file.
    if (mode == firmwareFileMode && ! answer.isSuccessStatus())
        return {};

    return WebRequest::bodyToText (body);
}

FirmwareVersionInfo FileDownloadThread::parseFirmwareCatalogue (const juce::String& answer)
{
    result = WebAnswerParsers::parseFirmwareCatalogue (answer, WebEndpoints::getCatalogueProductId (productCode));
    return result;
}

void FileDownloadThread::run()
{
    const auto text = downloadText();

    if (threadShouldExit())
        return;

    const bool answered = text.length() > WebEndpoints::minimumAnswerLength;

    if (mode == firmwareFileMode)
    {
        if (answered)
            AsyncMessageCallBacks::post (target, firmwareFile, text, {}, {});
        else
            AsyncMessageCallBacks::post (target, firmwareFileFailed, FirmwareUpdateOffer::downloadFailedStatus, {}, {});

        return;
    }

    AsyncMessageCallBacks::post (target, firmwareOffer, {}, answered ? parseFirmwareCatalogue (text)
                                                                     : FirmwareVersionInfo(), {});
}
