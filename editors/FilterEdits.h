#pragma once

#include <juce_core/juce_core.h>

class MidiController;

/** The changes the "MIDI Filter" tab makes to the filter tables of the device model, with their
    marks for writing.

    Entry e of a preset is input port e for e below A + B, then output port e - (A + B) (outputs
    from host firmware 0.55). Each preset holds 72 entries: the outputs of the two largest
    products that lie beyond them are never changed, marked, read or written.
*/
class FilterEdits
{
public:
    /** True when a preset's tables hold the entry. */
    static bool isEntryHeld (int entry);

    /** How many entries the connected product has: its inputs, and its outputs from host firmware 0.55. */
    static int getNumProductEntries (const MidiController& device);

    /** Flips the filter of channel (0..15) of the current preset's entry and marks the entry's
        channel word for writing. */
    static void toggleChannel (MidiController& device, int entry, int channel);

    /** Filters a message type in or out at the current preset's entry and marks the entry's message
        word for writing. A status byte without a filter bit changes nothing, but the entry is marked
        all the same. */
    static void setMessageFiltered (MidiController& device, int entry, juce::uint8 status, bool filtered);

    /** Sets both words of every entry to 0: of every preset, or of the current preset only. Marks nothing. */
    static void clearFilters (MidiController& device, bool allPresets);

    /** Marks both words of every entry of the product that a preset holds for writing. */
    static void markAllForWrite (MidiController& device);

    /** The words of the current preset's entry (0 for an entry a preset does not hold). */
    static juce::uint16 getChannelWord (const MidiController& device, int entry);
    static juce::uint32 getMessageWord (const MidiController& device, int entry);
};
