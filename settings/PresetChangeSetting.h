#pragma once

#include "device/MidiController.h"

/** The product-wide presetSetting word as the "Presets" and "Button" panels edit it.

    Bits 0-4 the current preset (never changed here), 5 change the preset from MIDI,
    6-9 the message's status >> 4, 10-13 its channel - 1, 14 any channel, 15 forward
    the message, 16-23 the base value, 24 the button sends Panic; 25-30 are kept as
    they are and 31 is the product's change flag, never stored.
*/
struct PresetChangeSetting
{
    static constexpr juce::uint32 defaultWord = 0x4300;
    /** Channel list position of "Any" (after "1" to "16" and a separator). */
    static constexpr int anyChannelIndex = 16;

    /** The choices of the panel's controls; -1 for a list without a selection. */
    struct Choice
    {
        bool changeFromMidi = false;
        int messageIndex = -1;
        int valueIndex = -1;
        int channelIndex = -1;
        bool forward = false;
    };

    //==============================================================================
    /** Values that one item of the Value list covers: the product's number of presets, 16 without a host product. */
    static int getValueSpan (int productCode);
    /** "%d to %d" for each base value 0 to 128 - span (item id = value + 1). */
    static juce::StringArray getValueItems (int productCode);
    /** The names of the four messages offered (item ids 1 to 4). */
    static juce::StringArray getMessageItems (const MidiController& device);
    /** "1" to "16" (ids 1 to 16), then, after a separator, "Any" (id 17). */
    static juce::StringArray getChannelItems();
    /** What the Value label calls the first data byte of the word's message. */
    static juce::String getValueLabel (juce::uint32 word);

    //==============================================================================
    /** What the controls show for the word; a message the list does not offer and a base value
        beyond the list show no selection. */
    static Choice getChoice (juce::uint32 word, const MidiController& device);
    /** The word with the choice stored: no message stores 0 as the status; no base value and no
        channel leave their bits as they are; "Any" keeps the channel bits. */
    static juce::uint32 withChoice (juce::uint32 word, const Choice& choice, const MidiController& device);

    static bool sendsPanic (juce::uint32 word);
    static juce::uint32 withButtonAction (juce::uint32 word, bool sendPanic);

    //==============================================================================
    /** Both panels need host firmware 1.05 and a known product. */
    static bool isAvailable (const MidiController& device);
    /** The panels' controls can be used: available, the application answering, the mode idle.
        On the Presets panel the message, channel, value and forward controls also need bit 5. */
    static bool isEditable (const MidiController& device, int editorMode);
    /** The Presets panel shows the word only while the application answers from host firmware 0.1. */
    static bool canShow (const MidiController& device);

    /** Stores the choice into presetSetting and writes the word. */
    static void store (MidiController& device, const Choice& choice);
    /** Stores the button action into presetSetting and writes the word. */
    static void storeButtonAction (MidiController& device, bool sendPanic);
};
