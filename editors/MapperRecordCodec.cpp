#include "editors/MapperRecordCodec.h"

namespace
{
    constexpr int statusBytesByPosition[] = { 0x90, 0x80, 0xB0, 0xC0, 0xE0, 0xD0, 0xA0 };
    constexpr int numChannelStatuses = 7;
    constexpr int notesTransposeCode = 7;        // both encodings; "Filter message" on the output
    constexpr int globalChannelUpdateCode = 8;   // new encoding only
    constexpr int noStatusNewCode = 15;

    constexpr int numValuePositions = 128;
    constexpr int numChannelPositions = 16;
    constexpr int numUserCurves = 4;
    constexpr int maxSkipPercent = 100;
    constexpr int numHostPortBits = 24;          // cfg3 bits 24-31 hold no port

    juce::uint32 getField (juce::uint32 word, int shift, int width)
    {
        return (word >> shift) & ((1u << width) - 1u);
    }

    void setField (juce::uint32& word, int shift, int width, int value)
    {
        const auto mask = ((1u << width) - 1u) << shift;
        word = (word & ~mask) | (((juce::uint32) value << shift) & mask);
    }

    bool getBit (juce::uint32 word, int bit)             { return ((word >> bit) & 1u) != 0; }
    void setBit (juce::uint32& word, int bit, bool on)   { setField (word, bit, 1, on ? 1 : 0); }

    bool isPosition (int position, int count)            { return position >= 0 && position < count; }
    int positionOf (juce::uint32 value, int count)       { return (int) value < count ? (int) value : MapperChoices::noChoice; }

    /** A field whose list shows no choice (or a position the field cannot hold) keeps its value. */
    void storePosition (juce::uint32& word, int shift, int width, int position, int count)
    {
        if (isPosition (position, count))
            setField (word, shift, width, position);
    }

    // Bit positions of the words, named as the record describes them.
    namespace cfg1Bits
    {
        constexpr int inStatus = 0, inChannelMin = 4, inChannelMax = 8, outStatus = 20, outChannel = 24;
        constexpr int keepOriginal = 28, transposeChannel = 29, transposeUp = 30;
    }

    namespace cfg2Bits
    {
        constexpr int followChannel = 0, followValue1 = 1, followValue2 = 2, useInValue2 = 3, useInValue1 = 4;
        constexpr int invertValue1 = 5, invertValue2 = 6, compressValue1 = 7, compressValue2 = 8, skip = 9;
        constexpr int curveValue1 = 16, userCurve1 = 17, curveValue2 = 20, userCurve2 = 21;
    }

    namespace valueBits
    {
        constexpr int value2Min = 0, value2Max = 8, value1Min = 16, value1Max = 24;
    }
}

MapperRecordCodec::MapperRecordCodec (float hostFirmwareVersion, Ports productPorts)
    : firmware (hostFirmwareVersion), ports (productPorts)
{
}

bool MapperRecordCodec::usesNewStatusCodes() const { return firmware > 3.35f; }
bool MapperRecordCodec::hasCurves() const          { return firmware > 3.85f; }
bool MapperRecordCodec::hasNoProduct() const       { return firmware <= 0.1f; }

//==============================================================================
MapperRecord MapperRecordCodec::makeDefault() const
{
    MapperRecord record;
    record.inVal1Val2 = 0x7F007F00;
    record.outVal1Val2 = 0x7F007F00;
    record.cfg1 = usesNewStatusCodes() ? 0x00F00F0Fu : 0x00000F00u;
    record.cfg2 = (formatMarker << 24) | 0x000187u;
    record.cfg3 = 0;
    record.cfg4 = 0;
    return record;
}

//==============================================================================
int MapperRecordCodec::getNumInputStatusPositions() const
{
    int count = numChannelStatuses;

    if (firmware > 0.55f || hasNoProduct())
        ++count;                                // "Notes transpose"

    if (usesNewStatusCodes())
        ++count;                                // "Global channel update"

    return count;
}

int MapperRecordCodec::getNumOutputStatusPositions() const
{
    return numChannelStatuses + (usesNewStatusCodes() || hasNoProduct() ? 1 : 0);   // "Filter message"
}

int MapperRecordCodec::statusOfPosition (int position)
{
    if (isPosition (position, numChannelStatuses))
        return statusBytesByPosition[position];

    return position == positionNotesTranspose ? 0x90 : 0xFF;
}

int MapperRecordCodec::statusOfCode (int code) const
{
    if (usesNewStatusCodes())
        return statusOfPosition (code);

    if (code == notesTransposeCode)
        return 0x90;

    return (code & 0x0F) << 4;
}

int MapperRecordCodec::encodeStatus (int position, bool isOutput) const
{
    const int count = isOutput ? getNumOutputStatusPositions() : getNumInputStatusPositions();

    if (! isPosition (position, count))
        return -1;

    if (position == positionNotesTranspose)
        return notesTransposeCode;

    if (usesNewStatusCodes())
        return position;

    return statusOfPosition (position) >> 4;
}

int MapperRecordCodec::decodeStatus (int code, bool isOutput) const
{
    int position = MapperChoices::noChoice;

    if (code == notesTransposeCode)
    {
        // An output code 7 is "Filter message", which the old encoding does not have.
        if (! isOutput || usesNewStatusCodes())
            position = positionNotesTranspose;
    }
    else if (usesNewStatusCodes())
    {
        if (isPosition (code, numChannelStatuses) || (code == globalChannelUpdateCode && ! isOutput))
            position = code;
    }
    else
    {
        for (int i = 0; i < numChannelStatuses; ++i)
            if (statusBytesByPosition[i] == code * 16)
                position = i;
    }

    const int count = isOutput ? getNumOutputStatusPositions() : getNumInputStatusPositions();
    return position < count ? position : MapperChoices::noChoice;
}

//==============================================================================
int MapperRecordCodec::channelTransposePosition (juce::uint32 cfg1)
{
    const auto amount = (int) getField (cfg1, cfg1Bits::outChannel, 4);
    return getBit (cfg1, cfg1Bits::transposeUp) ? 15 - amount : 15 + amount;
}

void MapperRecordCodec::storeChannelTranspose (juce::uint32& cfg1, int position)
{
    if (! isPosition (position, numChannelTransposePositions))
        return;

    // "0" counts as upward, so every amount has one position.
    const bool upward = position <= 15;
    setField (cfg1, cfg1Bits::outChannel, 4, upward ? 15 - position : position - 15);
    setBit (cfg1, cfg1Bits::transposeUp, upward);
}

int MapperRecordCodec::transposeSemitones (int octavePosition, int semitonePosition)
{
    return 12 * (octavePosition - 4) + (semitonePosition - 48);
}

//==============================================================================
int MapperRecordCodec::inputBit (int port, bool& inCfg4) const
{
    inCfg4 = false;

    if (port < 0)
        return -1;

    if (port < ports.numHostPorts)
        return port < numHostPortBits ? port : -1;

    const int local = port - ports.numHostPorts;

    if (local >= ports.numLocalPorts)
        return -1;

    // The USB-C virtual ports sit in the low half of cfg4, the other local ports in the high
    // half at 16 + their local number: from local port 16 on there is no bit left.
    inCfg4 = true;
    const int bit = local < ports.numVirtualPorts ? local : 16 + local;
    return bit < 32 ? bit : -1;
}

bool MapperRecordCodec::isInputStorable (int port) const
{
    bool inCfg4;
    return inputBit (port, inCfg4) >= 0;
}

bool MapperRecordCodec::isInputSelected (const MapperRecord& record, int port) const
{
    bool inCfg4;
    const int bit = inputBit (port, inCfg4);
    return bit >= 0 && getBit (inCfg4 ? record.cfg4 : record.cfg3, bit);
}

void MapperRecordCodec::setInputSelected (MapperRecord& record, int port, bool selected) const
{
    bool inCfg4;
    const int bit = inputBit (port, inCfg4);

    if (bit >= 0)
        setBit (inCfg4 ? record.cfg4 : record.cfg3, bit, selected);
}

bool MapperRecordCodec::hasNoInput (const MapperRecord& record)
{
    return record.cfg3 == 0 && record.cfg4 == 0;
}

//==============================================================================
void MapperRecordCodec::pack (const MapperChoices& choices, MapperRecord& record) const
{
    const bool notesTranspose = choices.inStatus == positionNotesTranspose;

    const int inCode = encodeStatus (choices.inStatus, false);

    if (inCode >= 0)
        setField (record.cfg1, cfg1Bits::inStatus, 4, inCode);

    setField (record.cfg2, cfg2Bits::skip, 7, choices.skip > 0 ? juce::jmin (choices.skip, maxSkipPercent) : 0);

    setBit (record.cfg1, cfg1Bits::keepOriginal, ! notesTranspose && choices.keepOriginal);

    storePosition (record.inVal1Val2, valueBits::value1Min, 8, choices.inValue1Min, numValuePositions);
    storePosition (record.inVal1Val2, valueBits::value1Max, 8, choices.inValue1Max, numValuePositions);
    storePosition (record.cfg1, cfg1Bits::inChannelMin, 4, choices.inChannelMin, numChannelPositions);
    storePosition (record.cfg1, cfg1Bits::inChannelMax, 4, choices.inChannelMax, numChannelPositions);
    storePosition (record.inVal1Val2, valueBits::value2Min, 8, choices.inValue2Min, numValuePositions);
    storePosition (record.inVal1Val2, valueBits::value2Max, 8, choices.inValue2Max, numValuePositions);

    if (notesTranspose)
    {
        setField (record.cfg1, cfg1Bits::outStatus, 4, 0);
    }
    else
    {
        const int outCode = encodeStatus (choices.outStatus, true);

        if (outCode >= 0)
            setField (record.cfg1, cfg1Bits::outStatus, 4, outCode);
    }

    packChannel (choices, record);
    packValue1 (choices, record);
    packValue2 (choices, record);
    packInputs (choices, record);

    setBit (record.cfg2, cfg2Bits::useInValue2, choices.useInValue2);
    setBit (record.cfg2, cfg2Bits::useInValue1, choices.useInValue1);
    setBit (record.cfg2, cfg2Bits::invertValue1, choices.invertValue1);
    setBit (record.cfg2, cfg2Bits::invertValue2, choices.invertValue2);
}

void MapperRecordCodec::packChannel (const MapperChoices& choices, MapperRecord& record) const
{
    if (choices.followChannel)
    {
        // The channel or amount in bits 24-27 stays for when following is turned off again.
        setBit (record.cfg2, cfg2Bits::followChannel, true);
        setBit (record.cfg1, cfg1Bits::transposeChannel, false);
        return;
    }

    setBit (record.cfg2, cfg2Bits::followChannel, false);

    if (choices.transposeChannel)
    {
        setBit (record.cfg1, cfg1Bits::transposeChannel, true);
        storeChannelTranspose (record.cfg1, choices.outChannel);
    }
    else
    {
        storePosition (record.cfg1, cfg1Bits::outChannel, 4, choices.outChannel, numChannelPositions);
    }
}

void MapperRecordCodec::packValue1 (const MapperChoices& choices, MapperRecord& record) const
{
    if (choices.followValue1)
    {
        setBit (record.cfg2, cfg2Bits::followValue1, true);
        setBit (record.cfg2, cfg2Bits::curveValue1, false);
    }
    else
    {
        // With "Notes transpose" these are the octave and semitone positions.
        if (isPosition (choices.outValue1Min, numValuePositions))
        {
            setBit (record.cfg2, cfg2Bits::followValue1, false);
            setField (record.outVal1Val2, valueBits::value1Min, 8, choices.outValue1Min);
        }

        if (isPosition (choices.outValue1Max, numValuePositions))
        {
            setBit (record.cfg2, cfg2Bits::followValue1, false);
            setField (record.outVal1Val2, valueBits::value1Max, 8, choices.outValue1Max);
        }
    }

    if (choices.curveValue1 && hasCurves())
    {
        setBit (record.cfg2, cfg2Bits::followValue1, false);
        setBit (record.cfg2, cfg2Bits::curveValue1, true);
        storePosition (record.cfg2, cfg2Bits::userCurve1, 2, choices.userCurve1, numUserCurves);
    }
    else
    {
        setBit (record.cfg2, cfg2Bits::curveValue1, false);
    }

    setBit (record.cfg2, cfg2Bits::compressValue1, choices.compressValue1);
}

void MapperRecordCodec::packValue2 (const MapperChoices& choices, MapperRecord& record) const
{
    if (choices.followValue2)
    {
        setBit (record.cfg2, cfg2Bits::followValue2, true);
        setBit (record.cfg2, cfg2Bits::curveValue2, false);
    }
    else
    {
        if (isPosition (choices.outValue2Min, numValuePositions))
        {
            setBit (record.cfg2, cfg2Bits::followValue2, false);
            setField (record.outVal1Val2, valueBits::value2Min, 8, choices.outValue2Min);
        }

        if (isPosition (choices.outValue2Max, numValuePositions))
        {
            setBit (record.cfg2, cfg2Bits::followValue2, false);
            setField (record.outVal1Val2, valueBits::value2Max, 8, choices.outValue2Max);
        }
    }

    if (choices.curveValue2 && hasCurves())
    {
        setBit (record.cfg2, cfg2Bits::followValue2, false);
        setBit (record.cfg2, cfg2Bits::curveValue2, true);
        storePosition (record.cfg2, cfg2Bits::userCurve2, 2, choices.userCurve2, numUserCurves);
    }
    else
    {
        setBit (record.cfg2, cfg2Bits::curveValue2, false);
    }

    setBit (record.cfg2, cfg2Bits::compressValue2, choices.compressValue2);
}

void MapperRecordCodec::packInputs (const MapperChoices& choices, MapperRecord& record) const
{
    record.cfg3 = 0;
    record.cfg4 = 0;

    for (int port = 0; port < ports.numHostPorts + ports.numLocalPorts; ++port)
        if (choices.isInputSelected (port))
            setInputSelected (record, port, true);
}

//==============================================================================
MapperChoices MapperRecordCodec::load (const MapperRecord& record) const
{
    MapperChoices choices;
    const auto cfg1 = record.cfg1;
    const auto cfg2 = record.cfg2;
    const int inCode = (int) getField (cfg1, cfg1Bits::inStatus, 4);
    const int outCode = (int) getField (cfg1, cfg1Bits::outStatus, 4);
    const bool notesTranspose = inCode == notesTransposeCode;

    choices.inStatus = decodeStatus (inCode, false);
    choices.outStatus = notesTranspose ? MapperChoices::noChoice : decodeStatus (outCode, true);

    choices.inChannelMin = (int) getField (cfg1, cfg1Bits::inChannelMin, 4);
    choices.inChannelMax = (int) getField (cfg1, cfg1Bits::inChannelMax, 4);
    choices.inValue1Min = positionOf (getField (record.inVal1Val2, valueBits::value1Min, 8), numValuePositions);
    choices.inValue1Max = positionOf (getField (record.inVal1Val2, valueBits::value1Max, 8), numValuePositions);
    choices.inValue2Min = positionOf (getField (record.inVal1Val2, valueBits::value2Min, 8), numValuePositions);
    choices.inValue2Max = positionOf (getField (record.inVal1Val2, valueBits::value2Max, 8), numValuePositions);

    const auto out1Min = getField (record.outVal1Val2, valueBits::value1Min, 8);
    const auto out1Max = getField (record.outVal1Val2, valueBits::value1Max, 8);
    choices.outValue1Min = positionOf (out1Min, notesTranspose ? numOctavePositions : numValuePositions);
    choices.outValue1Max = positionOf (out1Max, notesTranspose ? numSemitonePositions : numValuePositions);
    choices.outValue2Min = positionOf (getField (record.outVal1Val2, valueBits::value2Min, 8), numValuePositions);
    choices.outValue2Max = positionOf (getField (record.outVal1Val2, valueBits::value2Max, 8), numValuePositions);

    choices.transposeChannel = getBit (cfg1, cfg1Bits::transposeChannel);
    choices.followChannel = getBit (cfg2, cfg2Bits::followChannel) && ! choices.transposeChannel;
    choices.outChannel = choices.transposeChannel ? channelTransposePosition (cfg1)
                                                  : (int) getField (cfg1, cfg1Bits::outChannel, 4);

    choices.followValue1 = getBit (cfg2, cfg2Bits::followValue1);
    choices.followValue2 = getBit (cfg2, cfg2Bits::followValue2);

    // A message filter drops the message: there is no original to keep.
    choices.keepOriginal = getBit (cfg1, cfg1Bits::keepOriginal)
                            && ! (outCode == notesTransposeCode && usesNewStatusCodes());

    choices.useInValue2 = getBit (cfg2, cfg2Bits::useInValue2);
    choices.useInValue1 = getBit (cfg2, cfg2Bits::useInValue1);
    choices.invertValue1 = getBit (cfg2, cfg2Bits::invertValue1);
    choices.invertValue2 = getBit (cfg2, cfg2Bits::invertValue2);
    choices.compressValue1 = getBit (cfg2, cfg2Bits::compressValue1);
    choices.compressValue2 = getBit (cfg2, cfg2Bits::compressValue2);

    choices.curveValue1 = getBit (cfg2, cfg2Bits::curveValue1) && ! choices.followValue1 && hasCurves();
    choices.curveValue2 = getBit (cfg2, cfg2Bits::curveValue2) && ! choices.followValue2 && hasCurves();
    choices.userCurve1 = (int) getField (cfg2, cfg2Bits::userCurve1, 2);
    choices.userCurve2 = (int) getField (cfg2, cfg2Bits::userCurve2, 2);

    // The skip list is shown for notes only, from firmware 2.45, and not while the original is kept.
    const bool skipShown = (notesTranspose || statusOfCode (inCode) == 0x90)
                            && firmware > 2.45f && ! choices.keepOriginal;
    choices.skip = skipShown ? positionOf (getField (cfg2, cfg2Bits::skip, 7), numSkipPositions) : 0;

    const int numPorts = ports.numHostPorts + ports.numLocalPorts;
    choices.inputSelected.resize (numPorts);

    for (int port = 0; port < numPorts; ++port)
        choices.inputSelected.set (port, isInputSelected (record, port));

    choices.disableInputs = hasNoInput (record);
    return choices;
}
