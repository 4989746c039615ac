#pragma once

#include "device/MidiController.h"

/** The trsType word of a preset: bit 15 + n set makes the MIDI output numbered n, a TRS
    jack, Type A; clear, Type B. The Jorvek's TRS outputs are 1 to 6, the Norrim's 11 to 13;
    every other bit is kept as it is.
*/
struct TrsTypeSetting
{
    /** Every output Type A. */
    static constexpr juce::int32 resetWord = -1;

    /** The numbers of the product's TRS outputs, in list order (each also its item's id). */
    static juce::Array<int> getOutputNumbers (int productCode);
    /** "TRS Output %d". */
    static juce::String getOutputItemText (int outputNumber);

    /** The word's bit for the output at a list position; -1 when the product has no such output. */
    static int getBit (int productCode, int listIndex);
    static bool isTypeA (juce::int32 word, int productCode, int listIndex);
    /** The word with the output's type set; unchanged when there is no such output. */
    static juce::int32 withType (juce::int32 word, int productCode, int listIndex, bool typeA);

    /** Sets the output's type in the current preset's word and writes it. False, with nothing
        stored or sent, when the product has no output at that list position. */
    static bool store (MidiController& device, int listIndex, bool typeA);

    /** The output list can be used: the application answering, a product with TRS outputs, the mode idle. */
    static bool isOutputListEnabled (const MidiController& device, int editorMode);
    /** "Type A" and "Type B" also need an output chosen. */
    static bool areTypeButtonsEnabled (const MidiController& device, int editorMode, int listIndex);
};
