#pragma once

#include "device/MidiController.h"

/** What the preset selector offers for the connected product, and what a change of the
    selector means.

    The selector holds the items "Preset 1" to "Preset N" (item id i stands for preset i - 1);
    from host firmware 2.75 its text can be edited to rename the active preset.
*/
struct PresetSelectorRules
{
    /** The items: the product's presets from host firmware 1.05 with a known product, else none. */
    static int getNumItems (const MidiController& device);
    static juce::String getTooltip (const MidiController& device);
    /** The text shown while no item is selected. */
    static juce::String getTextWhenNothingSelected (const MidiController& device);
    /** The selector's text can be edited (a preset renamed) from host firmware 2.75. */
    static bool isNameEditable (const MidiController& device);
    /** The selector follows the editors' enablement, from host firmware 1.05 with a known product. */
    static bool isSelectorEnabled (const MidiController& device, bool editorsEnabled);

    /** The preset the user chose last: bits 0-4 of the preset setting. It is the product's current
        preset, or becomes it once the request that selects it goes out. */
    static int getActivePreset (const MidiController& device);

    enum class Choice
    {
        switchPreset,   // another item was chosen
        renamePreset,   // the shown text is a valid new name for the active preset
        restoreName,    // the text was emptied: the active preset's name comes back
        keepText        // the text fails the name rule: nothing is taken
    };

    /** What a change of the selector means: selectedIndex is the chosen item (-1 when the text
        matches no item, as after an edit), activePreset the preset the selector stood for. */
    static Choice decide (int selectedIndex, int activePreset, const juce::String& shownText);
};
