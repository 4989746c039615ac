#include "settings/FullMapRowTexts.h"
#include "editors/FilterMessageBits.h"
#include "editors/MapperRecordCodec.h"
#include "settings/TrsTypeSetting.h"

namespace
{
    /** A list built as "a, b, c, ": trailing blanks, then trailing commas, go. */
    juce::String closeList (const juce::String& text)
    {
        return text.trimEnd().trimCharactersAtEnd (",");
    }

    int getNumPorts (const MidiController& device)
    {
        return device.getNumUsbHostPorts() + device.getNumLocalPorts();
    }

    int currentPresetRow (const MidiController& device)
    {
        return device.currentPreset % MidiController::numPresetRows;
    }
}

juce::String FullMapRowTexts::describeChannelFilter (juce::uint16 word)
{
    juce::String text;

    for (int channel = 1; channel <= 16; ++channel)
        if ((word & (1u << (channel - 1))) != 0)
            text << channel << ", ";

    return text.isEmpty() ? juce::String (noChannelFiltered) : closeList (text);
}

juce::String FullMapRowTexts::describeMessageFilter (juce::uint32 word)
{
    juce::String text;

    for (int bit = 0; bit < numFilterMessageBits; ++bit)
        if ((word & (1u << bit)) != 0)
            text << filterBitShortName ((juce::uint8) bit) << ", ";

    return text.isEmpty() ? juce::String (noMessageFiltered) : closeList (text);
}

int FullMapRowTexts::getFilterEntry (const MidiController& device, int port, bool output)
{
    const int numPorts = getNumPorts (device);

    if (! juce::isPositiveAndBelow (port, numPorts))
        return -1;

    const int entry = output ? numPorts + port : port;
    return entry < MidiController::numFilterEntries ? entry : -1;
}

FullMapRowTexts::FilterTexts FullMapRowTexts::describeFilters (const MidiController& device, int port, bool output)
{
    const int entry = getFilterEntry (device, port, output);

    if (entry < 0)
        return { notAvailable, notAvailable };

    const int preset = currentPresetRow (device);
    return { describeChannelFilter (device.filterChannels[preset][entry]),
             describeMessageFilter (device.filterStatus[preset][entry]) };
}

bool FullMapRowTexts::isReserved (const PortReservation& reservation)
{
    return reservation.vidPid != -1 && reservation.cable != 127;
}

bool FullMapRowTexts::isHostSlotReserved (const MidiController& device, int port, bool output)
{
    const int hostPorts = device.getNumUsbHostPorts();

    if (! juce::isPositiveAndBelow (port, hostPorts))
        return false;

    const int entry = output ? hostPorts + port : port;
    return entry < MidiController::numPortReservations && isReserved (device.portReservations[entry]);
}

juce::String FullMapRowTexts::describeTrsType (const MidiController& device, int port)
{
    const int firstMidiPort = device.getNumUsbHostPorts() + device.getNumUsbVirtualPorts();

    if (port < firstMidiPort || port >= getNumPorts (device))
        return {};

    // The settings panel lists a TRS output by its number, the MIDI index + 1.
    const int listIndex = TrsTypeSetting::getOutputNumbers (device.productCode).indexOf (port - firstMidiPort + 1);

    if (listIndex < 0)
        return {};

    const bool typeA = TrsTypeSetting::isTypeA (device.trsType[currentPresetRow (device)], device.productCode, listIndex);
    return typeA ? "TRS Type A" : "TRS Type B";
}

bool FullMapRowTexts::usesPortInMapper (const MidiController& device, int mapper, int port)
{
    if (! juce::isPositiveAndBelow (mapper, juce::jmin (device.getNumMappers(), (int) MidiController::numMapperSlots)))
        return false;

    const MapperRecordCodec codec (device.hostFirmwareVersion,
                                   { device.getNumUsbHostPorts(), device.getNumLocalPorts(), device.getNumUsbVirtualPorts() });
    return codec.isInputSelected (device.mapperRecords[currentPresetRow (device)][mapper], port);
}

juce::String FullMapRowTexts::windowTitle (const MidiController& device, const juce::String& presetFileName)
{
    if (device.hostFirmwareVersion < 1.05f || device.productCode == productNone || device.productCode == productUpgradeMode)
        return "Full settings";

    auto title = juce::String::formatted ("Full settings [Active preset: %d]", device.currentPreset + 1);

    if (presetFileName.isNotEmpty())
        title << "[" << presetFileName << "]";

    return title;
}
