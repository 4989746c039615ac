#pragma once

#include <juce_core/juce_core.h>

/** What one mapper page shows: the position of each of its lists (-1 when the list shows no
    choice), the tick of each toggle, and which input ports are selected.

    The page fills it from its controls before it packs or validates, and sets its controls from
    it after a load. Positions are those of the page's lists: the status lists in the order
    "Note On", "Note Off", "Ctrl Change", "Prog Change", "Pitch bend", "Chann Aftertouch",
    "Key Aftertouch", then "Notes transpose" (input) or "Filter message" (output) at 7 and
    "Global channel update" (input) at 8; channels 0..15 for "1".."16"; values 0..127.
*/
struct MapperChoices
{
    static constexpr int noChoice = -1;

    int inStatus = noChoice;
    int inChannelMin = noChoice, inChannelMax = noChoice;
    int inValue1Min = noChoice, inValue1Max = noChoice;
    int inValue2Min = noChoice, inValue2Max = noChoice;

    int outStatus = noChoice;
    /** "1".."16" at 0..15, or with transposeChannel the list "+15".."+1", "0", "-1".."-15" at 0..30. */
    int outChannel = noChoice;
    /** With "Notes transpose" as input: the octave position 0..8 ("-4".."+4"). */
    int outValue1Min = noChoice;
    /** With "Notes transpose" as input: the semitone position 0..96 ("-48".."+48"). */
    int outValue1Max = noChoice;
    int outValue2Min = noChoice, outValue2Max = noChoice;

    /** 0 "None", 1..100 "Skip %d%%". */
    int skip = noChoice;
    /** 0..3 for "User 1".."User 4". */
    int userCurve1 = noChoice, userCurve2 = noChoice;

    bool keepOriginal = false;
    bool followChannel = false, transposeChannel = false;
    bool followValue1 = false, followValue2 = false;
    bool invertValue1 = false, invertValue2 = false;
    bool compressValue1 = false, compressValue2 = false;
    bool curveValue1 = false, curveValue2 = false;
    /** "Use input value 2": output value 1 is taken from input value 2. */
    bool useInValue2 = false;
    /** "Use input value 1": output value 2 is taken from input value 1. */
    bool useInValue1 = false;
    bool disableInputs = true;

    /** Whether each input value 2 and output value 2 list is enabled (it and every parent).
        Only the check for a missing value asks; loading a record does not decide them. */
    bool inValue2MinEnabled = true, inValue2MaxEnabled = true;
    bool outValue2MinEnabled = true, outValue2MaxEnabled = true;

    /** Entry n is input port n; a port beyond the array is not selected. */
    juce::Array<bool> inputSelected;

    bool isInputSelected (int port) const    { return inputSelected[port]; }
};
