#pragma once

#include "settings/PresetFileSnapshot.h"

/** What the preset bar remembers of the preset files: per preset, the file it was last read
    from or written to, and what the files hold. Only a file that was read or written in
    full becomes a preset's file.
*/
struct PresetFileRecords
{
    static constexpr int numPresets = PresetFileSnapshot::numPresets;

    /** Per preset, the URL text of its file ("" none). */
    juce::String presetFileUrls[numPresets];
    /** Per preset, the file name shown for it ("" none). */
    juce::String presetFileNames[numPresets];
    PresetFileSnapshot fileSnapshot;

    /** The name a file is shown by: its decoded local file name, else the URL's last path segment. */
    static juce::String getShownFileName (const juce::URL& file);

    /** Forgets which file each preset came from (the product went away); the snapshot stays. */
    void forgetFiles();

    /** Recomputes whether the current preset differs from its file, for the name shown in the
        selector. A name that fails the name rule gives false and leaves the preset's modified
        flag as it was; otherwise the flag is set to the result. True means Save is offered. */
    bool checkPresetModified (MidiController& device, const juce::String& nameText) const;

    /** The presets to write back at quit: modified, and with a file. None while only a
        bootloader answers. */
    juce::Array<int> getPresetsToSaveOnQuit (const MidiController& device) const;
};
