#include "settings/FullMapMapperTexts.h"

namespace
{
    constexpr const char* none = "-";
    constexpr int notesTransposeStatus = 7;      // input status
    constexpr int globalChannelStatus = 8;       // input status, newer firmware only
    constexpr int filterMessageStatus = 7;       // output status, newer firmware only

    int field (juce::uint32 word, int shift, int width)
    {
        return (int) ((word >> shift) & ((1u << width) - 1u));
    }

    bool bit (juce::uint32 word, int shift)
    {
        return ((word >> shift) & 1u) != 0;
    }

    juce::String range (int low, int high)
    {
        return juce::String::formatted ("%d-%d", low, high);
    }

    /** An output value range: maximum first when inverted, in brackets when compressed or expanded. */
    juce::String outputRange (int minimum, int maximum, bool inverted, bool compressed)
    {
        auto text = inverted ? range (maximum, minimum) : range (minimum, maximum);
        return compressed ? "[" + text + "]" : text;
    }

    /** How the mapper's firmware reads its status codes. */
    struct StatusReading
    {
        const MidiController& device;
        bool newCodes;

        int statusByte (int code) const
        {
            return newCodes ? device.messageIndexToStatus (code) : code * 16;
        }

        juce::String name (int code) const
        {
            return MidiController::getStatusShortName ((juce::uint8) statusByte (code));
        }

        int dataBytes (int code) const
        {
            return MidiController::getNumDataBytes ((juce::uint8) statusByte (code));
        }
    };
}

FullMapMapperTexts FullMapMapperTexts::describe (const MidiController& device, int mapperIndex, const MapperRecord& record)
{
    const float firmware = device.hostFirmwareVersion;
    const StatusReading status { device, firmware > 3.35f };
    const bool hasNotesTranspose = firmware > 0.55f;
    const bool hasSkip = firmware > 2.45f;
    const bool hasCurves = firmware > 3.85f;

    const auto cfg1 = record.cfg1;
    const auto cfg2 = record.cfg2;
    const int inCode = field (cfg1, 0, 4);
    const int outCode = field (cfg1, 20, 4);
    const bool transpose = inCode == notesTransposeStatus;
    const bool global = status.newCodes && inCode == globalChannelStatus;
    const bool filter = status.newCodes && outCode == filterMessageStatus;
    const int outChannel = field (cfg1, 24, 4);

    FullMapMapperTexts t;
    t.number = juce::String (mapperIndex + 1);

    const int skipPercent = field (cfg2, 9, 7);
    t.skipShown = hasSkip && skipPercent != 0;
    if (t.skipShown)
        t.skip = juce::String::formatted ("Skip\n%d%%", skipPercent);

    // Line 1: what the mapper takes in.
    if (global)                                   t.inStatus = "All";
    else if (transpose && hasNotesTranspose)      t.inStatus = "Notes";
    else                                          t.inStatus = status.name (inCode);

    t.inChannel = range (field (cfg1, 4, 4) + 1, field (cfg1, 8, 4) + 1);

    t.inValue1 = global ? none : range (field (record.inVal1Val2, 16, 8), field (record.inVal1Val2, 24, 8));

    if (! global && (transpose || status.dataBytes (inCode) >= 2))
        t.inValue2 = range (field (record.inVal1Val2, 0, 8), field (record.inVal1Val2, 8, 8));
    else
        t.inValue2 = none;

    // Line 2: what it sends out.
    if (global)                                   t.outStatus = "All";
    else if (transpose && hasNotesTranspose)      t.outStatus = "Transp.";
    else if (filter)                              t.outStatus = "Filter";
    else                                          t.outStatus = status.name (outCode);

    if (filter)                                   t.outChannel = none;
    else if (global)                              t.outChannel = juce::String (outChannel + 1);
    else if (bit (cfg2, 0))                       t.outChannel = "Follow";
    else if (bit (cfg1, 29))                      t.outChannel = juce::String::formatted (bit (cfg1, 30) ? "Trsp. +%d" : "Trsp. -%d", outChannel);
    else                                          t.outChannel = juce::String (outChannel + 1);

    const auto out = record.outVal1Val2;

    if (global)
        t.outValue1 = none;
    else if (transpose)
        t.outValue1 = juce::String::formatted ("%+do %+ds", field (out, 16, 8) - 4, field (out, 24, 8) - 48);
    else if (filter)
        t.outValue1 = none;
    else if (hasCurves && bit (cfg2, 16))
        t.outValue1 = juce::String::formatted ("Curve %d", field (cfg2, 17, 2) + 1);
    else if (bit (cfg2, 1))
        t.outValue1 = bit (cfg2, 3) ? "= In Val2" : "= In Val1";
    else
        t.outValue1 = outputRange (field (out, 16, 8), field (out, 24, 8), bit (cfg2, 5), bit (cfg2, 7));

    if (global || filter || (! transpose && status.dataBytes (outCode) < 2))
        t.outValue2 = none;
    else if (hasCurves && bit (cfg2, 20))
        t.outValue2 = juce::String::formatted ("Curve %d", field (cfg2, 21, 2) + 1);
    else if (bit (cfg2, 2))
        t.outValue2 = bit (cfg2, 4) ? "= In Val1" : "= In Val2";
    else
        t.outValue2 = outputRange (field (out, 0, 8), field (out, 8, 8), bit (cfg2, 6), bit (cfg2, 8));

    return t;
}
