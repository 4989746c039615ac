#include "editors/MapperValidator.h"
#include "editors/MapperRecordCodec.h"
#include "editors/FilterMessageBits.h"
#include "device/MidiController.h"

namespace
{
    constexpr int noStatus = -1;

    /** The status byte whose filter can stop the mapper's input: "Notes transpose" takes notes,
        "Global channel update" takes every message and has no filter of its own. */
    int inputStatusForFilters (int position)
    {
        if (position < 0 || position > MapperRecordCodec::positionNotesTranspose)
            return noStatus;

        return MapperRecordCodec::statusOfPosition (position);
    }

    /** The status byte whose output filter can stop what the mapper sends: "Filter message"
        sends nothing, and no choice names no message. */
    int outputStatusForFilters (int position)
    {
        if (position < 0 || position >= MapperRecordCodec::positionFilterMessage)
            return noStatus;

        return MapperRecordCodec::statusOfPosition (position);
    }

    /** A status without a filter bit (no status at all included) is never filtered. */
    bool isFiltered (juce::uint32 statusFilter, int status)
    {
        if (status < 0)
            return false;

        const auto bit = filterBitFromStatus ((juce::uint8) status);
        return bit < numFilterMessageBits && ((statusFilter >> bit) & 1u) != 0;
    }

    juce::String statusName (int status)
    {
        return "'" + MidiController::getStatusName ((juce::uint8) status) + "'";
    }

    MapperValidator::Result message (int code, const juce::String& text)
    {
        MapperValidator::Result result;
        result.code = code;
        result.text = text;
        return result;
    }
}

MapperValidator::MapperValidator (const Context& validationContext)
    : context (validationContext)
{
}

juce::uint16 MapperValidator::channelFilterOf (int entry) const
{
    if (context.channelFilters == nullptr || entry < 0 || entry >= context.numFilterEntries)
        return 0;

    return context.channelFilters[entry];
}

juce::uint32 MapperValidator::statusFilterOf (int entry) const
{
    if (context.statusFilters == nullptr || entry < 0 || entry >= context.numFilterEntries)
        return 0;

    return context.statusFilters[entry];
}

//==============================================================================
MapperValidator::Result MapperValidator::validate (const MapperChoices& choices) const
{
    if (context.numHostPorts == 0 || context.numLocalPorts == 0 || context.deviceMode == 0)
        return message (mapperAccepted, "\nNo device connected");

    auto result = findMissingOrReversed (choices);

    if (result.code != mapperAccepted)
        return result;

    if (choices.disableInputs)
        return message (mapperAccepted, "\nMapper is disabled (No MIDI/USB input is selected)");

    if (findFilterConflict (choices, result) || findRangeWithoutOverlap (choices, result))
        return result;

    if (choices.skip > 0 && choices.keepOriginal)
        return message (mapperAccepted, "Both 'Keep original message' and 'skip notes' are enabled, "
                                        "this will result in notes not being skipped");

    if (! hasEffect (choices))
        return message (mapperAccepted, "This mapper has no effect (Output message will be identiqual to input)");

    result = message (mapperAccepted, "\nMapper Ok");
    result.mapperOk = true;
    return result;
}

MapperValidator::Result MapperValidator::findMissingOrReversed (const MapperChoices& c) const
{
    constexpr int none = MapperChoices::noChoice;
    const int p = c.inStatus;
    const bool notesTranspose = p == MapperRecordCodec::positionNotesTranspose;
    const bool globalChannelUpdate = p == MapperRecordCodec::positionGlobalChannelUpdate;

    struct Check { bool fails; int code; const char* text; };

    // A maximum without a choice (-1) lies below any chosen minimum and so fails its order check.
    // The octave and semitone positions of "Notes transpose" are not a range: they are not compared.
    const Check checks[] = {
        { p == none,                                           noInputStatus,     "\nSelect an input message status to map" },
        { c.inValue2MinEnabled && c.inValue2Min == none,       noInputValue2Min,  "\nSelect an input minimum value" },
        { c.inValue2MaxEnabled && c.inValue2Max == none,       noInputValue2Max,  "\nSelect an input maximum value" },
        { c.outValue2MinEnabled && c.outValue2Min == none,     noOutputValue2Min, "\nSelect an output minimum value" },
        { c.outValue2MaxEnabled && c.outValue2Max == none,     noOutputValue2Max, "\nSelect an output maximum value" },
        { c.inValue1Max < c.inValue1Min,                       inputValue1Order,  "\nInput value 1 Min is higher than input value 1 Max" },
        { c.inValue2Max < c.inValue2Min,                       inputValue2Order,  "\nInput value 2 Min is higher than input value 2 Max" },
        { ! notesTranspose && c.outValue1Max < c.outValue1Min, outputValue1Order, "\nOutput value 1 Min is higher than output value 1 Max" },
        { c.outValue2Max < c.outValue2Min,                     outputValue2Order, "\nOutput value 2 Min is higher than output value 2 Max" },
        { c.inChannelMax < c.inChannelMin,                     inputChannelOrder, "\nInput channel Min is higher than input channel Max" },
        { c.outStatus == none && ! notesTranspose && ! globalChannelUpdate,
                                                               noOutputStatus,    "\nSelect an output message status to map to" },
        { c.outChannel == none && ! c.followChannel,           noOutputChannel,   "\nSelect an output channel to map to" },
    };

    for (const auto& check : checks)
        if (check.fails)
            return message (check.code, check.text);

    return {};
}

//==============================================================================
bool MapperValidator::findFilterConflict (const MapperChoices& choices, Result& result) const
{
    const int a = context.numHostPorts;
    const int b = context.numLocalPorts;

    for (int i = 0; i < a; ++i)
        if (choices.isInputSelected (i) && findPortFilterConflict (choices, i, i + 1, "USB", result))
            return true;

    // Local ports are numbered from 1 in the texts, the USB-C virtual ports included.
    for (int j = 0; j < b; ++j)
        if (choices.isInputSelected (a + j) && findPortFilterConflict (choices, a + j, j + 1, "MIDI", result))
            return true;

    return false;
}

bool MapperValidator::findPortFilterConflict (const MapperChoices& choices, int port, int number,
                                              const char* portWord, Result& result) const
{
    const int inputEntry = port;
    const int outputEntry = context.numHostPorts + context.numLocalPorts + port;
    const juce::String word (portWord);

    const auto channels = channelFilterOf (inputEntry);

    for (int k = 0; k < 16; ++k)
    {
        if (((channels >> k) & 1u) != 0 && k >= choices.inChannelMin && k <= choices.inChannelMax)
        {
            result = message (mapperAccepted, juce::String::formatted ("Input channel %d is filtered on ", k + 1)
                                                + word + juce::String::formatted (" input %d, this mapper may be affected", number));
            return true;
        }
    }

    const auto inputFilter = statusFilterOf (inputEntry);
    const auto outputFilter = statusFilterOf (outputEntry);

    if (choices.inStatus == MapperRecordCodec::positionNotesTranspose)
    {
        const char* filteredNotes = isFiltered (inputFilter, 0x80) ? "Off"
                                  : isFiltered (inputFilter, 0x90) ? "On" : nullptr;

        if (filteredNotes != nullptr)
        {
            const juce::String notes (filteredNotes);
            result = message (mapperAccepted, "Notes " + notes + " are filtered on " + word
                                                + juce::String::formatted (" input %d, transposing Notes ", number)
                                                + notes + " will have no effect");
            return true;
        }
    }

    const int inputStatus = inputStatusForFilters (choices.inStatus);
    const int outputStatus = outputStatusForFilters (choices.outStatus);
    bool found = false;

    if (isFiltered (inputFilter, inputStatus))
    {
        result = message (mapperAccepted, statusName (inputStatus) + " are filtered on " + word
                                            + juce::String::formatted (" input %d, this mapper may be affected", number));
        found = true;
    }

    if (context.hostFirmwareVersion >= 0.55f && isFiltered (outputFilter, outputStatus))
    {
        result = message (mapperAccepted, statusName (outputStatus) + " are filtered on " + word
                                            + juce::String::formatted (" output %d, this mapper may be affected", number));
        found = true;
    }

    if (context.hostFirmwareVersion >= 1.05f && choices.keepOriginal && isFiltered (outputFilter, inputStatus))
    {
        result = message (mapperAccepted, statusName (inputStatus) + " are filtered on " + word
                                            + juce::String::formatted (" output %d, and original message is kept, "
                                                                       "this mapper may be affected", number));
        return true;
    }

    return found;
}

//==============================================================================
bool MapperValidator::findRangeWithoutOverlap (const MapperChoices& c, Result& result) const
{
    // Ranges that only touch do not overlap; a single output value is meant to be fixed.
    const auto overlaps = [] (int sourceMin, int sourceMax, int outMin, int outMax)
    {
        return ! ((outMin >= sourceMax || outMax <= sourceMin) && outMin != outMax);
    };

    const auto warning = [] (int output, int source)
    {
        return juce::String::formatted ("Value %d Output range does not overlap with Value %d Input range\n"
                                        "A fixed value %d output will be generated if compress/expand mode is not used",
                                        output, source, output);
    };

    if (! c.compressValue1 && c.inStatus != MapperRecordCodec::positionNotesTranspose)
    {
        const bool fromValue2 = c.useInValue2;
        const int sourceMin = fromValue2 ? c.inValue2Min : c.inValue1Min;
        const int sourceMax = fromValue2 ? c.inValue2Max : c.inValue1Max;

        if (! overlaps (sourceMin, sourceMax, c.outValue1Min, c.outValue1Max))
        {
            result = message (mapperAccepted, warning (1, fromValue2 ? 2 : 1));
            return true;
        }
    }

    if (! c.compressValue2)
    {
        const bool fromValue1 = c.useInValue1;
        const int sourceMin = fromValue1 ? c.inValue1Min : c.inValue2Min;
        const int sourceMax = fromValue1 ? c.inValue1Max : c.inValue2Max;

        if (! overlaps (sourceMin, sourceMax, c.outValue2Min, c.outValue2Max))
        {
            result = message (mapperAccepted, warning (2, fromValue1 ? 1 : 2));
            return true;
        }
    }

    return false;
}

//==============================================================================
bool MapperValidator::hasEffect (const MapperChoices& c) const
{
    const float firmware = context.hostFirmwareVersion;
    const int p = c.inStatus;
    const bool notesTranspose = p == MapperRecordCodec::positionNotesTranspose;

    if (c.skip >= 1)
        return true;

    if (! notesTranspose && c.outStatus != p)
        return true;

    if (! c.followChannel || c.invertValue1 || c.useInValue2)
        return true;

    if (! notesTranspose && (c.outValue1Min != c.inValue1Min || c.outValue1Max != c.inValue1Max))
        return true;

    if (firmware > 3.85f && (c.curveValue1 || c.curveValue2))
        return true;

    if (! notesTranspose)
    {
        // Messages with at most one data byte have no value 2 that could change.
        const MapperRecordCodec codec (firmware, {});
        const auto dataBytes = [&] (int shift)
        {
            const int code = (int) ((context.storedCfg1 >> shift) & 0x0F);
            return MidiController::getNumDataBytes ((juce::uint8) codec.statusOfCode (code));
        };

        if (dataBytes (0) < 2 && dataBytes (20) < 2)
            return false;
    }

    if (c.invertValue2 || c.useInValue1)
        return true;

    if (c.outValue2Min != c.inValue2Min || c.outValue2Max != c.inValue2Max)
        return true;

    if (notesTranspose && MapperRecordCodec::transposeSemitones (c.outValue1Min, c.outValue1Max) != 0)
        return true;

    return p == MapperRecordCodec::positionGlobalChannelUpdate && firmware > 3.35f && c.followChannel;
}
