#pragma once

#include <juce_core/juce_core.h>
#include "editors/MapperChoices.h"

/** Checks a mapper page's choices before its record is written.

    A check gives a code and the text the page shows in its status box. Codes 1 to 12 name a
    missing choice or a range whose minimum lies above its maximum: the record must not be written
    then. Code 0 may still carry a warning (filters on the mapper's ports that may defeat it,
    output ranges that can't be reached, keeping the original while skipping notes, a mapper
    without effect, a disabled mapper, no device), or "\nMapper Ok".

    The validator only reads: the page's choices, the product's counts and the current preset's
    filter rows, given as plain values so that it runs without a page or a device object.
*/
class MapperValidator
{
public:
    enum Code
    {
        mapperAccepted     = 0,
        noInputStatus      = 1,
        inputValue1Order   = 2,
        inputValue2Order   = 3,
        inputChannelOrder  = 4,
        noOutputStatus     = 5,
        outputValue1Order  = 6,
        outputValue2Order  = 7,
        noInputValue2Min   = 8,
        noInputValue2Max   = 9,
        noOutputValue2Min  = 10,
        noOutputValue2Max  = 11,
        noOutputChannel    = 12
    };

    struct Context
    {
        float hostFirmwareVersion = 0.0f;
        int numHostPorts = 0;           // A
        int numLocalPorts = 0;          // B
        /** The device object's deviceMode: 0 while only the bootloader answers. */
        int deviceMode = 255;
        /** cfg1 of the record as just packed: its stored statuses decide whether messages
            without a second data byte can change at all. */
        juce::uint32 storedCfg1 = 0;

        /** The current preset's rows of filterChannels and filterStatus. Entry e is input port e,
            entry A + B + e its output; entries from numFilterEntries on are not held and filter nothing. */
        const juce::uint16* channelFilters = nullptr;
        const juce::uint32* statusFilters = nullptr;
        int numFilterEntries = 0;
    };

    struct Result
    {
        int code = mapperAccepted;
        juce::String text;
        /** Only for "\nMapper Ok", which the page shows in white; every other text is a message. */
        bool mapperOk = false;

        bool mayBeWritten() const   { return code == mapperAccepted; }
    };

    explicit MapperValidator (const Context& context);

    Result validate (const MapperChoices& choices) const;
    /** Whether the output message can differ from the input message. */
    bool hasEffect (const MapperChoices& choices) const;

private:
    /** The first missing choice or reversed range, in the order the page reports them. */
    Result findMissingOrReversed (const MapperChoices& choices) const;
    /** The first port whose filters may defeat the mapper; false when no port has any. */
    bool findFilterConflict (const MapperChoices& choices, Result& result) const;
    bool findPortFilterConflict (const MapperChoices& choices, int port, int number, const char* portWord, Result& result) const;
    bool findRangeWithoutOverlap (const MapperChoices& choices, Result& result) const;

    juce::uint16 channelFilterOf (int entry) const;
    juce::uint32 statusFilterOf (int entry) const;

    Context context;
};
