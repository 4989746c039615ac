#pragma once

#include "settings/PresetFileContents.h"

/** Reads the JSON text of a preset file for the connected product.

    The whole text is parsed and checked before anything is taken: the product id, the
    preset name and the type of every array. Values are hexadecimal texts: characters
    that are not hexadecimal digits are skipped and only the last eight digits count.
    Keys the reader does not know, and "Product", "Firmware", "Software" and "Serial",
    are ignored.
*/
struct PresetFileReader
{
    /** The format marker in bits 24-31 of a mapper's "cfg2". */
    static constexpr juce::uint32 mapperFormatMarker = 0x5A;
    /** Deeper nesting than this is no preset file. */
    static constexpr int maxNesting = 16;

    /** Parses the text; returns the empty text and fills the contents when the file suits the
        connected product, otherwise the error (the contents are then unspecified):
        "Error: ProductID not found in settings file", "Error: ProductID does not match connected product",
        "Error: Preset name not found in settings file", "Error: Routers not found in settings file",
        "Error: Filter Channels not found in settings file", "Error: Filter Status not found in settings file",
        "Error: Mappers not found in settings file", in the order of these checks. */
    static juce::String read (const juce::String& text, const MidiController& device, PresetFileContents& contents);

    /** A value as the file holds it (a text, or a number read as its text); 0 for anything else. */
    static juce::uint32 readHexValue (const juce::var& value);
};
