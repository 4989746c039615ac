// Feeds arbitrary bytes to both readers of the maker's web answers, turned into
// text as the worker threads turn an answer body into text: the version list, and
// the firmware catalogue for a core picked by the first input byte.

#include "app/WebAnswerParsers.h"
#include "app/WebEndpoints.h"
#include "app/WebRequest.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;

    const auto productCode = 1 + data[0] % 13;
    const auto answer = WebRequest::bodyToText (juce::MemoryBlock (data + 1, size - 1));

    WebAnswerParsers::parseVersionList (answer);
    WebAnswerParsers::parseFirmwareCatalogue (answer, WebEndpoints::getCatalogueProductId (productCode));
    return 0;
}
