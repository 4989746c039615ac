// Feeds arbitrary text to both readers of the maker's web answers, as the worker
// threads receive it: the version list, and the firmware catalogue for a core
// picked by the first input byte.

#include "app/WebAnswerParsers.h"
#include "app/WebEndpoints.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;

    const auto productCode = 1 + data[0] % 13;
    const auto* text = reinterpret_cast<const char*> (data + 1);
    const auto answer = juce::String::fromUTF8 (text, (int) (size - 1));

    WebAnswerParsers::parseVersionList (answer);
    WebAnswerParsers::parseFirmwareCatalogue (answer, WebEndpoints::getCatalogueProductId (productCode));
    return 0;
}
