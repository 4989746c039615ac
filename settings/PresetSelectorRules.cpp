#include "settings/PresetSelectorRules.h"
#include "settings/PresetName.h"

namespace
{
    bool hasPresets (const MidiController& device)
    {
        return device.hostFirmwareVersion >= 1.05f && device.isProductKnown();
    }
}

int PresetSelectorRules::getNumItems (const MidiController& device)
{
    return hasPresets (device) ? device.getNumPresets() : 0;
}

juce::String PresetSelectorRules::getTooltip (const MidiController& device)
{
    if (! hasPresets (device))
        return "There are no presets available for the connected device\n\n"
               "Please update your device firmware to enable this feature";

    if (! isNameEditable (device))
        return "Select preset to use";

    return "Select preset to use\n\nClick to edit preset name (ASCII characters only, 16 characters max)";
}

juce::String PresetSelectorRules::getTextWhenNothingSelected (const MidiController& device)
{
    return hasPresets (device) ? "Select preset" : "No preset";
}

bool PresetSelectorRules::isNameEditable (const MidiController& device)
{
    return device.hostFirmwareVersion >= 2.75f;
}

bool PresetSelectorRules::isSelectorEnabled (const MidiController& device, bool editorsEnabled)
{
    return editorsEnabled && hasPresets (device);
}

int PresetSelectorRules::getActivePreset (const MidiController& device)
{
    const int chosen = (int) (device.presetSetting & 0x1F);
    return chosen < MidiController::numPresetRows ? chosen : (device.currentPreset & 0x0F);
}

PresetSelectorRules::Choice PresetSelectorRules::decide (int selectedIndex, int activePreset, const juce::String& shownText)
{
    if (selectedIndex >= 0 && selectedIndex != activePreset)
        return Choice::switchPreset;

    if (PresetName::check (shownText).valid)
        return Choice::renamePreset;

    return shownText.isEmpty() ? Choice::restoreName : Choice::keepText;
}
