#pragma once

#include "settings/PresetFileContents.h"

/** Reads the JSON text of a preset file for the connected product.

    The whole text is scanned and checked before anything is taken: it must be JSON
    with an object at its root, and the product id, the preset name and the type of
    every array are checked. Values are the texts of strings and numbers, read as
    hexadecimal: characters that are not hexadecimal digits are skipped and only the
    last eight digits count (a value of another type reads as 0). Of a key given
    twice the last value counts. Keys the reader does not know, and "Product",
    "Firmware", "Software" and "Serial", are skipped.

    The reader works on the bytes as they are, without building a document: it
    allocates nothing but the preset name, and refuses nesting deeper than maxNesting.
*/
struct PresetFileReader
{
    /** The format marker in bits 24-31 of a mapper's "cfg2". */
    static constexpr juce::uint32 mapperFormatMarker = 0x5A;
    /** Deeper nesting than this is no preset file. */
    static constexpr int maxNesting = 16;

    /** Reads UTF-8 text (a byte order mark is skipped); returns the empty text and fills the
        contents when the file suits the connected product, otherwise the error (the contents
        are then unspecified): "Error: ProductID not found in settings file" (also for a text
        that is no JSON object), "Error: ProductID does not match connected product",
        "Error: Preset name not found in settings file", "Error: Routers not found in settings file",
        "Error: Filter Channels not found in settings file", "Error: Filter Status not found in settings file",
        "Error: Mappers not found in settings file", in the order of these checks. */
    static juce::String read (const void* data, size_t size, const MidiController& device, PresetFileContents& contents);
};
