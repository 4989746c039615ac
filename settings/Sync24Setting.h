#pragma once

#include "device/MidiController.h"

/** The Norrim's sync24 word of a preset: bits 0-5 the input port whose messages trigger the
    Sync-24 signals, bit 31 set while the Sync-24 output is on; bits 6-30 are kept as they are.
*/
struct Sync24Setting
{
    /** The input list: one item per input port in port order (item id = port index + 2),
        with a separator after the last USB host port. */
    struct InputList
    {
        struct Row
        {
            bool isSeparator = false;
            int itemId = 0;
            int inputIndex = -1;
            juce::String name;
        };

        std::vector<Row> rows;

        int getNumItems() const;
        /** The input port of the item at a list position (separators not counted); -1 none. */
        int getInputIndex (int itemIndex) const;
        /** The list position of an input port's item; -1 when the list has none. */
        int getItemIndex (int inputIndex) const;
    };

    /** The inputs of the connected product, named as the editors name ports (custom names applied). */
    static InputList getInputList (MidiController& device);

    static bool isOutputOn (juce::int32 word);
    static int getInputIndex (juce::int32 word);
    /** The word with the input and the output state stored. */
    static juce::int32 withChoice (juce::int32 word, int inputIndex, bool outputOn);

    /** Stores the choice into the current preset's word and writes it. False, with nothing stored
        or sent, unless the product is a Norrim and an input is chosen. */
    static bool store (MidiController& device, int inputIndex, bool outputOn);

    /** The toggle can be used: the application answering, a product with Sync-24, the mode idle. */
    static bool isToggleEnabled (const MidiController& device, int editorMode);
    /** The input list also needs the output on. */
    static bool isInputListEnabled (const MidiController& device, int editorMode, bool outputOn);
};
