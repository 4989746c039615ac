// Feeds arbitrary bytes to the readers of the maker's web answers, turned into
// text as the worker threads turn an answer body into text. The first input byte
// picks the reader: the version list, or the firmware catalogue for a core. Each
// input goes to one reader only, as each answer does.

#include "app/WebAnswerParsers.h"
#include "app/WebEndpoints.h"
#include "app/WebRequest.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;

    const auto selector = data[0];
    const auto answer = WebRequest::bodyToText (juce::MemoryBlock (data + 1, size - 1));

    if ((selector & 0x80) != 0)
        WebAnswerParsers::parseVersionList (answer);
    else
        WebAnswerParsers::parseFirmwareCatalogue (answer, WebEndpoints::getCatalogueProductId (1 + selector % 13));

    // The framework's JSON reader keeps each new key in its global pool of names. Letting go of
    // them here leaves the input with no more allocated than it found; otherwise the fuzzer
    // takes each new key for a possible leak and scans the whole heap for it.
    juce::StringPool::getGlobalPool().garbageCollect();
    return 0;
}
