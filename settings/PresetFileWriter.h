#pragma once

#include "settings/PresetFileRecords.h"

/** Writes one preset of the device model into a preset file.

    The file is one JSON object with the keys "ProductID", "Product", "Firmware",
    "Software", "Serial", "PresetName", "Router" (36 rows), "FilterChannels" and
    "FilterStatus" (72 entries each), "Mapper" (one object per mapper slot of the
    product), then "PresetSetting", "TrsType", "Sync-24" and "Power-Down" where the
    product and its firmware have them. Settings values are upper-case hexadecimal
    texts without leading zeros.
*/
struct PresetFileWriter
{
    struct Result
    {
        /** Empty on success, else the error to show. */
        juce::String error;
        /** On a refused file name, the name warning for the preset bar (empty for an empty name). */
        juce::String nameWarning;
        /** The preset name taken from the file name. */
        juce::String presetName;
        /** The preset got that name: its selector item and, while selected, the selector text take it. */
        bool presetRenamed = false;
    };

    /** The file's text for a preset of the device model (negative or above 15: the current one), named presetName. */
    static juce::String createText (const MidiController& device, int preset, const juce::String& presetName);

    /** Writes the preset (negative or above 15: the current one) into the local file at the URL,
        named after the file. The file is written beside the target first and replaces it only
        when it was written in full. On success the preset's file records and the snapshot take
        what was written, and the preset is renamed after the file when its name differs (from
        host firmware 2.75 the new name is written to the product too). On failure nothing changes.
        An empty URL does nothing. Errors: "Error: The file name must contain only ASCII (no accent,
        no special character) and be limited to 16 chars", "Error: Cannot create output file". */
    static Result save (MidiController& device, PresetFileRecords& records, const juce::URL& target, int preset);
};
