#include "settings/PresetFileSnapshot.h"

int PresetFileSnapshot::getNumRouterRows (const MidiController& device)
{
    return juce::jmin (device.getNumUsbHostPorts() + device.getNumLocalPorts(), (int) MidiController::numRouterRows);
}

int PresetFileSnapshot::getNumFilterEntries (const MidiController& device)
{
    // Below host firmware 0.55 only the inputs have filters.
    const int ports = device.getNumUsbHostPorts() + device.getNumLocalPorts();
    return juce::jmin (device.hostFirmwareVersion < 0.55f ? ports : 2 * ports, (int) MidiController::numFilterEntries);
}

int PresetFileSnapshot::getNumMappers (const MidiController& device)
{
    return juce::jmin (device.getNumMappers(), (int) MidiController::numMapperSlots);
}

bool PresetFileSnapshot::differsFromDevice (const MidiController& device, int preset, const juce::String& nameText) const
{
    if (! juce::isPositiveAndBelow (preset, numPresets))
        return false;

    if (nameText != filePresetNames[preset])
        return true;

    // Bits 0-4 only say which preset is current.
    if (((filePresetSetting ^ device.presetSetting) & ~0x1Fu) != 0)
        return true;

    const int code = device.productCode;
    const bool hasTrsAndPowerDown = code == productJorvek || code == productNorrim;

    if (hasTrsAndPowerDown && fileTrsType != device.trsType[preset])
        return true;

    if (code == productNorrim && fileSync24 != device.sync24[preset])
        return true;

    if (hasTrsAndPowerDown && filePowerDown != device.powerDown[preset])
        return true;

    for (int i = 0; i < getNumRouterRows (device); ++i)
        if (fileRouterMasks[preset][i] != device.routerMasks[preset][i])
            return true;

    for (int i = 0; i < getNumFilterEntries (device); ++i)
        if (fileFilterChannels[preset][i] != device.filterChannels[preset][i]
             || fileFilterStatus[preset][i] != device.filterStatus[preset][i])
            return true;

    if (device.hostFirmwareVersion > 0.55f)
        for (int m = 0; m < getNumMappers (device); ++m)
            for (int w = 0; w < 6; ++w)
                if (fileMapperRecords[preset][m].getWord (w) != device.mapperRecords[preset][m].getWord (w))
                    return true;

    return false;
}
