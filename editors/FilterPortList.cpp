#include "editors/FilterPortList.h"
#include "editors/FilterEdits.h"
#include "device/MidiController.h"

FilterPortList::FilterPortList (MidiController& device)
{
    const int a = device.getNumUsbHostPorts();
    const int d = device.getNumUsbVirtualPorts();
    const int b = device.getNumLocalPorts();
    listsOutputs = device.hostFirmwareVersion >= 0.55f;

    auto addRow = [this] (Row::Type type, const juce::String& text = {})
    {
        Row row;
        row.type = type;
        row.text = text;
        rows.add (row);
    };

    auto addPorts = [&] (int firstEntry, const juce::String& heading)
    {
        addRow (Row::Type::heading, heading);
        addRow (Row::Type::separator);

        for (int port = 0; port < a + b; ++port)
        {
            const int entry = firstEntry + port;
            const auto name = getPortName (device, entry);

            if (name.isNotEmpty())
            {
                Row row;
                row.type = Row::Type::port;
                row.text = name;
                row.itemId = getItemIdOfEntry (entry);
                row.entry = entry;
                row.available = FilterEdits::isEntryHeld (entry);
                rows.add (row);
            }

            if (port == a - 1 || port == a + d - 1)
                addRow (Row::Type::separator);
        }
    };

    addPorts (0, device.productName + " Inputs");

    if (listsOutputs)
        addPorts (a + b, device.productName + " Outputs");
}

juce::String FilterPortList::getPortName (MidiController& device, int entry)
{
    const int ports = device.getNumUsbHostPorts() + device.getNumLocalPorts();
    const bool isInput = entry < ports;
    juce::String unusedTooltip;

    return device.getPortName (isInput ? entry : entry - ports, isInput ? "In" : "Out", &unusedTooltip,
                               true, false, true, true, true, true);
}

juce::String FilterPortList::getPlaceholder() const
{
    return listsOutputs ? "Select USB / MIDI input or output to filter" : "Select USB / MIDI input to filter";
}

juce::String FilterPortList::getKindLabel() const
{
    return listsOutputs ? "Input/Output" : "Input";
}
