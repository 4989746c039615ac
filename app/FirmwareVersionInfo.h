#pragma once

#include <juce_core/juce_core.h>

/** One firmware of the maker's catalogue, offered for the connected core.

    A plain value: always passed and stored by copy, so a worker thread and the
    message thread never share one.
*/
struct FirmwareVersionInfo
{
    juce::String version;       ///< the catalogue's version text
    juce::String date;          ///< release date text (required for validity, shown nowhere)
    juce::String url;           ///< address of the Intel HEX file
    juce::String product;       ///< the catalogue product id the entry was taken for
    juce::StringArray changelog; ///< change-log lines, none empty
    bool valid = false;         ///< the catalogue gave a usable entry
};
