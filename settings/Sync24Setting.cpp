#include "settings/Sync24Setting.h"

namespace
{
    constexpr juce::uint32 inputMask = 0x3F;
    constexpr juce::uint32 outputOnBit = 0x80000000u;
}

int Sync24Setting::InputList::getNumItems() const
{
    return (int) std::count_if (rows.begin(), rows.end(), [] (const Row& row) { return ! row.isSeparator; });
}

int Sync24Setting::InputList::getInputIndex (int itemIndex) const
{
    for (const auto& row : rows)
        if (! row.isSeparator && itemIndex-- == 0)
            return row.inputIndex;

    return -1;
}

int Sync24Setting::InputList::getItemIndex (int inputIndex) const
{
    int itemIndex = 0;

    for (const auto& row : rows)
    {
        if (row.isSeparator)
            continue;

        if (row.inputIndex == inputIndex)
            return itemIndex;

        ++itemIndex;
    }

    return -1;
}

Sync24Setting::InputList Sync24Setting::getInputList (MidiController& device)
{
    InputList list;
    const int hostPorts = device.getNumUsbHostPorts();
    const int inputs = hostPorts + device.getNumLocalPorts();

    for (int i = 0; i < inputs; ++i)
    {
        if (i == hostPorts && i > 0)
            list.rows.push_back ({ true, 0, -1, {} });

        list.rows.push_back ({ false, i + 2, i, device.getPortName (i, "In", nullptr, true, false, true, true, true, true) });
    }

    return list;
}

bool Sync24Setting::isOutputOn (juce::int32 word)
{
    return ((juce::uint32) word & outputOnBit) != 0;
}

int Sync24Setting::getInputIndex (juce::int32 word)
{
    return (int) ((juce::uint32) word & inputMask);
}

juce::int32 Sync24Setting::withChoice (juce::int32 word, int inputIndex, bool outputOn)
{
    auto bits = ((juce::uint32) word & ~inputMask) | ((juce::uint32) inputIndex & inputMask);
    return (juce::int32) (outputOn ? (bits | outputOnBit) : (bits & ~outputOnBit));
}

bool Sync24Setting::store (MidiController& device, int inputIndex, bool outputOn)
{
    if (device.productCode != productNorrim || inputIndex < 0)
        return false;

    auto& word = device.sync24[device.currentPreset & 0x0F];
    word = withChoice (word, inputIndex, outputOn);
    device.writeSync24();
    return true;
}

bool Sync24Setting::isToggleEnabled (const MidiController& device, int editorMode)
{
    return device.deviceMode == 1 && (device.productCode == productJorvek || device.productCode == productNorrim)
        && editorMode == editorIdle;
}

bool Sync24Setting::isInputListEnabled (const MidiController& device, int editorMode, bool outputOn)
{
    return isToggleEnabled (device, editorMode) && outputOn;
}
