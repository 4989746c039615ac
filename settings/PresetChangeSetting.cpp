#include "settings/PresetChangeSetting.h"

namespace
{
    constexpr juce::uint32 changeFromMidiBit = 1u << 5;
    constexpr int statusShift = 6;
    constexpr juce::uint32 statusMask = 0xFu << statusShift;
    constexpr int channelShift = 10;
    constexpr juce::uint32 channelMask = 0xFu << channelShift;
    constexpr juce::uint32 anyChannelBit = 1u << 14;
    constexpr juce::uint32 forwardBit = 1u << 15;
    constexpr int valueShift = 16;
    constexpr juce::uint32 valueMask = 0xFFu << valueShift;
    constexpr juce::uint32 panicBit = 1u << 24;
    constexpr int numMessageItems = 4;

    juce::uint32 withBit (juce::uint32 word, juce::uint32 bit, bool set)
    {
        return set ? (word | bit) : (word & ~bit);
    }

    int getStatus (juce::uint32 word)
    {
        return (int) ((word & statusMask) >> statusShift) << 4;
    }
}

int PresetChangeSetting::getValueSpan (int productCode)
{
    switch (productCode)
    {
        case productDorvin: case productCalder: case productGavrel: return 4;
        case productJorvek:  return 6;
        case productLissar:  return 8;
        case productNorrim:  return 12;
        default:             return 16;
    }
}

juce::StringArray PresetChangeSetting::getValueItems (int productCode)
{
    const int span = getValueSpan (productCode);
    juce::StringArray items;

    for (int value = 0; value <= 128 - span; ++value)
        items.add (juce::String (value) + " to " + juce::String (value + span - 1));

    return items;
}

juce::StringArray PresetChangeSetting::getMessageItems (const MidiController& device)
{
    juce::StringArray items;

    for (int i = 0; i < numMessageItems; ++i)
        items.add (MidiController::getStatusName ((juce::uint8) device.messageStatusTable[i]));

    return items;
}

juce::StringArray PresetChangeSetting::getChannelItems()
{
    juce::StringArray items;

    for (int channel = 1; channel <= 16; ++channel)
        items.add (juce::String (channel));

    items.add ("Any");
    return items;
}

juce::String PresetChangeSetting::getValueLabel (juce::uint32 word)
{
    switch (getStatus (word))
    {
        case 0x80: case 0x90: return "Note number";
        case 0xA0:            return "Key AT value";
        case 0xB0:            return "Ctrl number";
        case 0xC0:            return "Prog number";
        case 0xD0:            return "Chann AT value";
        case 0xE0:            return "Pitch bend MSB";
        default:              return "Value";
    }
}

PresetChangeSetting::Choice PresetChangeSetting::getChoice (juce::uint32 word, const MidiController& device)
{
    Choice choice;
    choice.changeFromMidi = (word & changeFromMidiBit) != 0;

    const int messageIndex = device.statusToMessageIndex (getStatus (word));
    choice.messageIndex = juce::isPositiveAndBelow (messageIndex, numMessageItems) ? messageIndex : -1;

    const int value = (int) ((word & valueMask) >> valueShift);
    choice.valueIndex = value <= 128 - getValueSpan (device.productCode) ? value : -1;

    choice.channelIndex = (word & anyChannelBit) != 0 ? anyChannelIndex : (int) ((word & channelMask) >> channelShift);
    choice.forward = (word & forwardBit) != 0;
    return choice;
}

juce::uint32 PresetChangeSetting::withChoice (juce::uint32 word, const Choice& choice, const MidiController& device)
{
    word = withBit (word, changeFromMidiBit, choice.changeFromMidi);

    const int status = choice.messageIndex >= 0 ? device.messageIndexToStatus (choice.messageIndex) : 0;
    word = (word & ~statusMask) | ((((juce::uint32) status >> 4) << statusShift) & statusMask);

    // No base value chosen: the one the product holds stays.
    if (choice.valueIndex >= 0)
        word = (word & ~valueMask) | (((juce::uint32) choice.valueIndex << valueShift) & valueMask);

    if (choice.channelIndex == anyChannelIndex)
        word |= anyChannelBit;
    else if (choice.channelIndex >= 0)
        word = (word & ~(anyChannelBit | channelMask)) | (((juce::uint32) choice.channelIndex << channelShift) & channelMask);

    return withBit (word, forwardBit, choice.forward);
}

bool PresetChangeSetting::sendsPanic (juce::uint32 word)
{
    return (word & panicBit) != 0;
}

juce::uint32 PresetChangeSetting::withButtonAction (juce::uint32 word, bool sendPanic)
{
    return withBit (word, panicBit, sendPanic);
}

bool PresetChangeSetting::isAvailable (const MidiController& device)
{
    return device.hostFirmwareVersion >= 1.05f && device.isProductKnown();
}

bool PresetChangeSetting::isEditable (const MidiController& device, int editorMode)
{
    return isAvailable (device) && device.deviceMode == 1 && editorMode == editorIdle;
}

bool PresetChangeSetting::canShow (const MidiController& device)
{
    return device.deviceMode != 0 && device.hostFirmwareVersion >= 0.1f;
}

void PresetChangeSetting::store (MidiController& device, const Choice& choice)
{
    device.presetSetting = withChoice (device.presetSetting, choice, device);
    device.writePresetSetting();
}

void PresetChangeSetting::storeButtonAction (MidiController& device, bool sendPanic)
{
    device.presetSetting = withButtonAction (device.presetSetting, sendPanic);
    device.writePresetSetting();
}
