#pragma once

#include "device/MidiController.h"

/** The settings a preset file holds for the connected product, as the reader took them:
    only as many rows, entries and mappers as the product uses and the tables hold, and only
    the optional words that the product and its firmware have.
*/
struct PresetFileContents
{
    juce::String presetName;

    int numRouterRows = 0;
    juce::uint32 routerMasks[MidiController::numRouterRows] = {};

    int numFilterChannels = 0;
    juce::uint16 filterChannels[MidiController::numFilterEntries] = {};

    int numFilterStatus = 0;
    juce::uint32 filterStatus[MidiController::numFilterEntries] = {};

    int numMappers = 0;
    MapperRecord mappers[MidiController::numMapperSlots];
    /** Per mapper, bit w set when its object holds word w (record order). */
    juce::uint8 mapperWordsPresent[MidiController::numMapperSlots] = {};
    /** Some "cfg2" lacked the current format's marker and was converted. */
    bool oldMapperFormat = false;

    /** The optional words, each with whether the file gave it. */
    bool hasPresetSetting = false, hasTrsType = false, hasSync24 = false, hasPowerDown = false;
    juce::uint32 presetSetting = 0;
    juce::int32 trsType = 0, sync24 = 0, powerDown = 0;

    //==============================================================================
    /** Which optional values a file for the connected product carries. */
    static bool carriesMappers (const MidiController& device)       { return device.hostFirmwareVersion > 0.55f; }
    static bool carriesPresetSetting (const MidiController& device) { return device.hostFirmwareVersion > 1.05f; }
    static bool carriesTrsType (const MidiController& device)       { return device.productCode == productJorvek || device.productCode == productNorrim; }
    static bool carriesSync24 (const MidiController& device)        { return device.productCode == productNorrim; }
    static bool carriesPowerDown (const MidiController& device)     { return carriesTrsType (device) && device.hostFirmwareVersion > 3.75f; }
};
