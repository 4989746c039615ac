#include "settings/PresetFileRecords.h"
#include "settings/PresetName.h"

juce::String PresetFileRecords::getShownFileName (const juce::URL& file)
{
    if (file.isLocalFile())
        return file.getLocalFile().getFileName();

    return juce::URL::removeEscapeChars (file.getFileName());
}

void PresetFileRecords::forgetFiles()
{
    for (int p = 0; p < numPresets; ++p)
    {
        presetFileUrls[p].clear();
        presetFileNames[p].clear();
    }
}

bool PresetFileRecords::checkPresetModified (MidiController& device, const juce::String& nameText) const
{
    if (! PresetName::check (nameText).valid)
        return false;

    const int preset = device.currentPreset & 0x0F;
    const bool modified = fileSnapshot.differsFromDevice (device, preset, nameText);
    device.presetModified[preset] = modified ? 1 : 0;
    return modified;
}

juce::Array<int> PresetFileRecords::getPresetsToSaveOnQuit (const MidiController& device) const
{
    juce::Array<int> presets;

    if (device.deviceMode == 0)
        return presets;

    for (int p = 0; p < numPresets; ++p)
        if (device.presetModified[p] != 0 && presetFileUrls[p].isNotEmpty())
            presets.add (p);

    return presets;
}
