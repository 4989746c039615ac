#pragma once

#include <juce_core/juce_core.h>

class MidiController;

/** What the "MIDI Filter" tab's port list holds for the connected product: a heading and its
    separator for the inputs, the inputs with separators after the USB-host slots and after the
    USB-C virtual ports, then (from host firmware 0.55) the same for the outputs.

    Every port takes an item id, from 2 up in entry order, so that the id of a port is its entry + 2.
    A port whose entry a preset's filter tables do not hold is listed as unavailable.
*/
class FilterPortList
{
public:
    struct Row
    {
        enum class Type { heading, separator, port };

        Type type = Type::separator;
        juce::String text;
        int itemId = 0;
        int entry = -1;
        bool available = true;
    };

    static constexpr int firstItemId = 2;

    /** The list for the device object's product and firmware. */
    explicit FilterPortList (MidiController& device);

    /** The name the list gives a port entry: input e for e below A + B, else output e - (A + B). */
    static juce::String getPortName (MidiController& device, int entry);

    static int getItemIdOfEntry (int entry)    { return entry + firstItemId; }
    static int getEntryOfItemId (int itemId)   { return itemId > 0 ? itemId - firstItemId : -1; }

    /** The list's text while no port is chosen (and while it has none). */
    juce::String getPlaceholder() const;
    /** The label beside the list: "Input" or "Input/Output". */
    juce::String getKindLabel() const;

    juce::Array<Row> rows;
    bool listsOutputs = false;
};
