#pragma once

#include "device/MidiController.h"

/** What one port row of the full-settings window says about its port, read from the current
    preset of the device model: the filter lists, the reservation padlocks, the TRS type and the
    mappers that take the port as input; and the window's title.

    Ports are numbered as everywhere in the tool: the USB-host slots first, then the local ports.
    Nothing here reads past a table of the device model: a port the tables have no entry for
    (the largest products have more ports than the per-preset tables) reads as not available.
*/
class FullMapRowTexts
{
public:
    static constexpr const char* noChannelFiltered = "No channel filtered";
    static constexpr const char* noMessageFiltered = "No message filtered";
    static constexpr const char* notAvailable = "Not available on this product";

    struct FilterTexts
    {
        juce::String channels, messages;
    };

    /** The filtered channels of a channel filter word, from 1 to 16: "1, 2, 16"; "No channel filtered" when none. */
    static juce::String describeChannelFilter (juce::uint16 word);
    /** The filtered message types of a message filter word, in the word's bit order; "No message filtered" when none. */
    static juce::String describeMessageFilter (juce::uint32 word);

    /** The filter entry of a port's input (the port index) or output (the port count plus the
        port index); -1 when the port does not exist or the tables hold no entry for it. */
    static int getFilterEntry (const MidiController& device, int port, bool output);
    /** Both filter lists of a port's input or output in the current preset. */
    static FilterTexts describeFilters (const MidiController& device, int port, bool output);

    /** A reservation entry holds a device unless its device key is -1 or its cable word is 127. */
    static bool isReserved (const PortReservation& reservation);
    /** The host slot's input or output is reserved; false for a port that is no USB-host slot. */
    static bool isHostSlotReserved (const MidiController& device, int port, bool output);

    /** "TRS Type A" or "TRS Type B" for a MIDI output that is a TRS jack; empty for any other port. */
    static juce::String describeTrsType (const MidiController& device, int port);

    /** True when mapper `mapper` of the current preset takes the port as one of its inputs. */
    static bool usesPortInMapper (const MidiController& device, int mapper, int port);

    /** "Full settings [Active preset: 2]", followed by "[file name]" when the preset has a
        preset file; just "Full settings" without a product or below host firmware 1.05. */
    static juce::String windowTitle (const MidiController& device, const juce::String& presetFileName);
};
