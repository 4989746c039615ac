#pragma once

#include "settings/PresetFileRecords.h"
#include "settings/PresetFileContents.h"

/** Loads a preset file into one preset of the device model.

    The file is read and checked in full first; on any error nothing changes: no value,
    no mark and no file record. Otherwise only the values that differ from the model are
    stored, exactly those items are marked for writing (for the preset loaded), and the
    preset's file records and the snapshot take what the file holds.
*/
struct PresetFileLoader
{
    /** Larger files are refused. */
    static constexpr juce::int64 maxFileSize = 1024 * 1024;
    /** The title of the save dialog offered after a file of the old mapper format was loaded. */
    static constexpr const char* formatUpdateTitle = "Update preset file with new format...";

    struct Result
    {
        /** Empty on success, else the error to show. */
        juce::String error;
        /** The preset that was loaded (-1 on error). */
        int preset = -1;
        /** The file's preset name; when it is not empty, the selector item of the preset and,
            while that item is selected, the selector text take it. */
        juce::String presetName;
        /** One bit per SettingKind whose values changed in the model: the editors to refresh. */
        juce::uint32 changedKinds = 0;
        /** The kind whose write goes out first (-1 when nothing changed): the preset name, else the
            lowest changed kind. */
        int firstKind = -1;
        /** formatUpdateTitle when mappers of the old format were converted (then offer a save
            dialog with it), else empty. */
        juce::String saveDialogTitle;

        bool hasChanged (int kind) const { return (changedKinds >> kind & 1) != 0; }
    };

    /** Reads the file at the URL into a preset (negative or above 15: the current one).
        With send, the first changed item is written at once and the chain writes the rest;
        without it, the marks this load made are taken back. An empty URL does nothing.
        The checks, in order: "Error: No product connected" (no product 1 to 6),
        "Error: Preset file is larger than 1 MiB", "Error: Cannot create file input stream",
        then those of PresetFileReader::read. */
    static Result loadFile (MidiController& device, PresetFileRecords& records, const juce::URL& source, int preset, bool send);

    /** The same for a file's bytes already in memory; source names the file for the records. */
    static Result loadData (MidiController& device, PresetFileRecords& records, const void* data, size_t size,
                            const juce::URL& source, int preset, bool send);

    /** Applies checked contents to the preset (see loadFile). */
    static Result apply (MidiController& device, PresetFileRecords& records, const PresetFileContents& contents,
                         const juce::URL& source, int preset, bool send);
};
