#pragma once

#include <juce_core/juce_core.h>

/** The message types a port's filterStatus word can filter out, one bit each.

    The order is the product's, not the order of the status bytes: Program
    Change is bit 3 and Control Change bit 4. Bits 18 to 31 of a filter word
    mean nothing and are never set by the editors.
*/
enum FilterMessageBit
{
    filterNoteOff = 0,
    filterNoteOn,
    filterKeyPressure,
    filterProgramChange,
    filterControlChange,
    filterChannelPressure,
    filterPitchBend,
    filterSystemExclusive,
    filterTimeCode,
    filterSongPointer,
    filterSongSelect,
    filterTuneRequest,
    filterClock,
    filterStart,
    filterContinue,
    filterStop,
    filterActiveSensing,
    filterSystemReset,
    numFilterMessageBits
};

/** The filter bit of a status byte, or 255 when no bit stands for it.

    Channel messages count only with channel nibble 0 (0x91 gives 255), and the
    system bytes 0xF4, 0xF5, 0xF7, 0xF9 and 0xFD have no bit, nor has any data
    byte below 0x80.
*/
juce::uint8 filterBitFromStatus (juce::uint8 status);

/** The status byte of a filter bit (channel nibble 0); 0xFF for System Reset
    and for every value past the last bit. */
juce::uint8 filterStatusFromBit (juce::uint8 bit);

/** The short label of a filter bit, as the full-settings window lists it;
    empty for every value past the last bit. */
juce::String filterBitShortName (juce::uint8 bit);
