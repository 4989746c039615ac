#pragma once

#include "device/MidiController.h"
#include "settings/NameCharacterRule.h"

/** Preset names: 16 characters of 7 bits in four 32-bit words per preset, the first
    character in bits 24-30 of the first word; the places after the name are 0.
*/
struct PresetName
{
    static constexpr int maxLength = 16;

    /** The length and character check of a preset name or preset file name (1 to 16 characters). */
    static TypedNameCheck check (const juce::String& name);

    /** The name a preset file gets from its file name: the part after the last backslash, up
        to the last dot when that lies beyond the part's start ("My Set.pvp" gives "My Set"). */
    static juce::String fromFileName (const juce::String& fileName);

    /** The name as the product holds it: empty unless the host firmware is above 2.75. */
    static juce::String getDevicePresetName (const MidiController& device, int preset);

    /** The characters of the words up to the first 0 (at most 16, each masked to 7 bits). */
    static juce::String unpack (const juce::uint32 (&words)[4]);

    /** Stores the packed name into presetNames[preset], word by word; true when a word changed.
        Marks nothing. */
    static bool storeWords (MidiController& device, int preset, const juce::String& name);

    /** Stores the name and, when it changed and the host firmware is 2.75 or later, writes it
        to the product (kind 7, item preset). True when the stored name changed. */
    static bool storeAndSend (MidiController& device, int preset, const juce::String& name);
};

/** Packs at most 16 characters, each masked to 7 bits; the remaining places are 0. */
void packPresetName (const juce::String& name, juce::uint32 (&words)[4]);
