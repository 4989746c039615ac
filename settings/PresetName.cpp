#include "settings/PresetName.h"

void packPresetName (const juce::String& name, juce::uint32 (&words)[4])
{
    std::fill (std::begin (words), std::end (words), 0u);

    auto c = name.getCharPointer();

    for (int i = 0; i < PresetName::maxLength && ! c.isEmpty(); ++i)
        words[i / 4] |= ((juce::uint32) c.getAndAdvance() & 0x7F) << (24 - 8 * (i % 4));
}

TypedNameCheck PresetName::check (const juce::String& name)
{
    return checkTypedName (name, maxLength);
}

juce::String PresetName::fromFileName (const juce::String& fileName)
{
    auto name = fileName.fromLastOccurrenceOf ("\\", false, false);
    const int dot = name.lastIndexOfChar ('.');

    return dot > 0 ? name.substring (0, dot) : name;
}

juce::String PresetName::unpack (const juce::uint32 (&words)[4])
{
    juce::String name;

    for (int i = 0; i < maxLength; ++i)
    {
        const auto c = (words[i / 4] >> (24 - 8 * (i % 4))) & 0x7F;

        if (c == 0)
            break;

        name += juce::String::charToString ((juce::juce_wchar) c);
    }

    return name;
}

juce::String PresetName::getDevicePresetName (const MidiController& device, int preset)
{
    if (! juce::isPositiveAndBelow (preset, MidiController::numPresetRows) || device.hostFirmwareVersion <= 2.75f)
        return {};

    return unpack (device.presetNames[preset]);
}

bool PresetName::storeWords (MidiController& device, int preset, const juce::String& name)
{
    if (! juce::isPositiveAndBelow (preset, MidiController::numPresetRows))
        return false;

    juce::uint32 words[4];
    packPresetName (name, words);
    bool changed = false;

    for (int w = 0; w < 4; ++w)
    {
        if (device.presetNames[preset][w] != words[w])
        {
            device.presetNames[preset][w] = words[w];
            changed = true;
        }
    }

    return changed;
}

bool PresetName::storeAndSend (MidiController& device, int preset, const juce::String& name)
{
    if (! storeWords (device, preset, name))
        return false;

    if (device.hostFirmwareVersion >= 2.75f)
    {
        device.markForWrite (kindPresetName, preset);
        device.sendPending (kindPresetName);
    }

    return true;
}
