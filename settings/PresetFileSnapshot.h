#pragma once

#include "device/MidiController.h"

/** What the preset files hold: per preset, the values of the file last read or written
    for it; and one copy of the product-wide words (preset setting, TRS types, Sync-24,
    power-down) of the file last read or written, whichever preset it belonged to.

    Before any file the tables are 0, the names empty and the shared words at the
    device model's reset values (0x4300, -1, 0, 0).
*/
struct PresetFileSnapshot
{
    static constexpr int numPresets = MidiController::numPresetRows;

    juce::uint32 fileRouterMasks[numPresets][MidiController::numRouterRows] = {};
    juce::uint16 fileFilterChannels[numPresets][MidiController::numFilterEntries] = {};
    juce::uint32 fileFilterStatus[numPresets][MidiController::numFilterEntries] = {};
    MapperRecord fileMapperRecords[numPresets][MidiController::numMapperSlots];
    juce::String filePresetNames[numPresets];

    juce::uint32 filePresetSetting = 0x4300;
    juce::int32 fileTrsType = -1;
    juce::int32 fileSync24 = 0;
    juce::int32 filePowerDown = 0;

    /** True when the preset in the device model differs from its file: the name text, bits 5-31
        of the preset setting, the TRS, Sync-24 and power-down words where the product has them,
        then the router rows, filter entries and mappers the product uses (as far as the tables reach). */
    bool differsFromDevice (const MidiController& device, int preset, const juce::String& nameText) const;

    /** Rows, filter entries and mappers of a preset that the product uses and the tables hold. */
    static int getNumRouterRows (const MidiController& device);
    static int getNumFilterEntries (const MidiController& device);
    static int getNumMappers (const MidiController& device);
};
