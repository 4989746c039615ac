#pragma once

#include <juce_core/juce_core.h>
#include "device/DeviceTypes.h"
#include "editors/MapperChoices.h"

/** The layout of one mapper's six words: its defaults, the status codes of both encodings,
    and the packing of a page's choices into a record and back.

    A codec is made for one host firmware and one product's ports and has no other state (a
    firmware of 0.1 or below stands for no product identified yet):

    @code
    MapperRecordCodec codec (device.hostFirmwareVersion, { a, b, c });
    codec.pack (choices, device.mapperRecords[preset][slot]);
    @endcode

    Fields whose list shows no choice keep what the record holds; bits that carry no meaning
    are left alone in cfg1 and cfg2, and the format marker in the top byte of cfg2 is never
    touched by a pack.
*/
class MapperRecordCodec
{
public:
    /** The product's inputs as the record counts them: the USB-host slots (cfg3), then the local
        ports (cfg4), of which the USB-C virtual ports come first. All 0 without a product. */
    struct Ports
    {
        int numHostPorts = 0;       // A
        int numLocalPorts = 0;      // B
        int numVirtualPorts = 0;    // C
    };

    static constexpr juce::uint32 formatMarker = 0x5A;

    /** Tooltip of an input port the record has no bit for (it is listed but cannot be chosen). */
    static constexpr const char* unavailableInputTooltip = "Not available on this product";

    static constexpr int positionNotesTranspose = 7;        // input status list
    static constexpr int positionFilterMessage = 7;         // output status list
    static constexpr int positionGlobalChannelUpdate = 8;   // input status list

    static constexpr int numChannelTransposePositions = 31; // "+15".."0".."-15"
    static constexpr int numOctavePositions = 9;            // "-4".."+4"
    static constexpr int numSemitonePositions = 97;         // "-48".."+48"
    static constexpr int numSkipPositions = 101;            // "None", "Skip 1%".."Skip 100%"

    MapperRecordCodec (float hostFirmwareVersion, Ports ports);

    //==============================================================================
    /** The record of a freshly reset slot: no input, no status, everything following the input. */
    MapperRecord makeDefault() const;

    /** Puts the default record into one slot: of the given preset only, or of every preset. */
    template <size_t numPresets, size_t numSlots>
    void resetSlot (MapperRecord (&records)[numPresets][numSlots], int slot, int preset, bool allPresets) const
    {
        if (slot < 0 || slot >= (int) numSlots)
            return;

        for (int p = 0; p < (int) numPresets; ++p)
            if (allPresets || p == preset)
                records[p][slot] = makeDefault();
    }

    //==============================================================================
    /** The status code stored for a status list position, or -1 when the position is no choice
        or has no entry in that list (the field then keeps its value). */
    int encodeStatus (int position, bool isOutput) const;
    /** The list position a stored status code shows, or -1 (no choice) when the list has no entry for it. */
    int decodeStatus (int code, bool isOutput) const;

    /** How many entries the status lists have at this firmware (positions 0 to n-1). */
    int getNumInputStatusPositions() const;
    int getNumOutputStatusPositions() const;

    /** The status byte of a status list position: 0x90, 0x80, 0xB0, 0xC0, 0xE0, 0xD0, 0xA0 for
        0 to 6, 0x90 for 7, 0xFF for any other position. */
    static int statusOfPosition (int position);
    /** The status byte a stored status code stands for (0xFF none); "Notes transpose" counts as 0x90. */
    int statusOfCode (int code) const;

    //==============================================================================
    /** The position of the channel transpose list that cfg1 holds. */
    static int channelTransposePosition (juce::uint32 cfg1);
    /** Stores a position of the channel transpose list as amount and direction in cfg1. */
    static void storeChannelTranspose (juce::uint32& cfg1, int position);

    /** The shift in semitones of a "Notes transpose" record's octave and semitone positions. */
    static int transposeSemitones (int octavePosition, int semitonePosition);

    //==============================================================================
    /** True when the record has a bit for that input port. */
    bool isInputStorable (int port) const;
    bool isInputSelected (const MapperRecord& record, int port) const;
    /** Sets or clears that port's bit; a port without a bit changes nothing. */
    void setInputSelected (MapperRecord& record, int port, bool selected) const;
    /** No input selected: the mapper is disabled. */
    static bool hasNoInput (const MapperRecord& record);

    //==============================================================================
    /** Packs the page's choices into the record. */
    void pack (const MapperChoices& choices, MapperRecord& record) const;
    /** The choices that show the record. The enabled flags of the value lists are left at their
        defaults: they follow from the statuses by the page's own rules. */
    MapperChoices load (const MapperRecord& record) const;

private:
    bool usesNewStatusCodes() const;
    bool hasCurves() const;
    bool hasNoProduct() const;
    /** The bit of cfg3 (host ports) or cfg4 (local ports) that holds a port; -1 when there is none. */
    int inputBit (int port, bool& inCfg4) const;

    void packValue1 (const MapperChoices& choices, MapperRecord& record) const;
    void packValue2 (const MapperChoices& choices, MapperRecord& record) const;
    void packChannel (const MapperChoices& choices, MapperRecord& record) const;
    void packInputs (const MapperChoices& choices, MapperRecord& record) const;

    float firmware;
    Ports ports;
};
