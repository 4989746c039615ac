#pragma once

#include "device/MidiController.h"

/** The two-line summary of one mapper in a port row of the full-settings window.

    Line 1 tells what the mapper takes in ("Src": status, channels, value 1 and value 2 ranges),
    line 2 what it sends out ("Dest": status, channel, value 1 and value 2). Which text a field
    shows depends on the host firmware: the status codes changed meaning after 3.35, "Notes
    transpose" exists after 0.55, skipping after 2.45 and curves after 3.85. A field no rule
    fills shows "-".
*/
class FullMapMapperTexts
{
public:
    juce::String number, inStatus, inChannel, inValue1, inValue2;
    juce::String outStatus, outChannel, outValue1, outValue2;
    /** "Skip\n25%" for a mapper that skips some messages; skipShown is false when it skips none. */
    juce::String skip { "Skip" };
    bool skipShown = false;

    /** The summary of mapper `mapperIndex` holding `record`, as the connected firmware reads it. */
    static FullMapMapperTexts describe (const MidiController& device, int mapperIndex, const MapperRecord& record);
};
