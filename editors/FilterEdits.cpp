#include "editors/FilterEdits.h"
#include "editors/FilterMessageBits.h"
#include "device/MidiController.h"

bool FilterEdits::isEntryHeld (int entry)
{
    return juce::isPositiveAndBelow (entry, MidiController::numFilterEntries);
}

int FilterEdits::getNumProductEntries (const MidiController& device)
{
    const int ports = device.getNumUsbHostPorts() + device.getNumLocalPorts();
    return device.hostFirmwareVersion >= 0.55f ? 2 * ports : ports;
}

void FilterEdits::toggleChannel (MidiController& device, int entry, int channel)
{
    if (! isEntryHeld (entry) || ! juce::isPositiveAndBelow (channel, 16))
        return;

    device.filterChannels[device.currentPreset][entry] ^= (juce::uint16) (1u << channel);
    device.markForWrite (kindChannelFilter, entry);
}

void FilterEdits::setMessageFiltered (MidiController& device, int entry, juce::uint8 status, bool filtered)
{
    if (! isEntryHeld (entry))
        return;

    const auto bit = filterBitFromStatus (status);

    if (bit < numFilterMessageBits)
    {
        auto& word = device.filterStatus[device.currentPreset][entry];
        word = filtered ? (word | (1u << bit)) : (word & ~(1u << bit));
    }

    device.markForWrite (kindMessageFilter, entry);
}

void FilterEdits::clearFilters (MidiController& device, bool allPresets)
{
    for (int preset = 0; preset < MidiController::numPresetRows; ++preset)
    {
        if (! allPresets && preset != device.currentPreset)
            continue;

        for (int entry = 0; entry < MidiController::numFilterEntries; ++entry)
        {
            device.filterChannels[preset][entry] = 0;
            device.filterStatus[preset][entry] = 0;
        }
    }
}

void FilterEdits::markAllForWrite (MidiController& device)
{
    const int count = juce::jmin (getNumProductEntries (device), (int) MidiController::numFilterEntries);

    for (int entry = 0; entry < count; ++entry)
    {
        device.markForWrite (kindChannelFilter, entry);
        device.markForWrite (kindMessageFilter, entry);
    }
}

juce::uint16 FilterEdits::getChannelWord (const MidiController& device, int entry)
{
    return isEntryHeld (entry) ? device.filterChannels[device.currentPreset][entry] : (juce::uint16) 0;
}

juce::uint32 FilterEdits::getMessageWord (const MidiController& device, int entry)
{
    return isEntryHeld (entry) ? device.filterStatus[device.currentPreset][entry] : 0u;
}
