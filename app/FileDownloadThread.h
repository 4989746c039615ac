#pragma once

#include "app/AsyncMessageCallBacks.h"

/** Downloads the firmware catalogue (mode 0) or a firmware file (mode 1) once.

    Mode 0: GET the catalogue (at most 1 MiB), pick the entry of the product
    code's catalogue id and post firmwareOffer with it (valid or not); an answer
    of 50 characters or fewer, or none, posts firmwareOffer with an empty record.

    Mode 1: GET the Intel HEX file (at most 16 MiB, status 200-299 only) and
    post firmwareFile with its text; a failed download or one of 50 characters
    or fewer posts firmwareFileFailed with the status text to show, so the
    connected core and its beta flags stay as they were.

    GETs use a 3000 ms connection time-out and up to 5 redirects. A thread asked
    to exit while it downloads posts nothing. Deleting the thread cancels the
    download and waits for the end of the pass; it never kills the thread.
*/
class FileDownloadThread : public juce::Thread
{
public:
    enum Mode
    {
        catalogueMode = 0,
        firmwareFileMode = 1
    };

    /** The target receives the result on the message thread and must outlive this thread. */
    FileDownloadThread (const juce::MessageListener& target, int productCode, const juce::String& address, int mode);
    ~FileDownloadThread() override;

    void run() override;

    /** The whole answer body as text; empty without a usable answer. */
    juce::String downloadText();

    /** Reads the catalogue for this thread's product code into result and returns a copy of it. */
    FirmwareVersionInfo parseFirmwareCatalogue (const juce::String& answer);

    const juce::URL url;
    const int mode;
    const int productCode;

private:
    const juce::MessageListener& target;
    FirmwareVersionInfo result;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (FileDownloadThread)
};
