#pragma once

#include <juce_core/juce_core.h>
#include "editors/MapperChoices.h"

#include <array>
#include <optional>

/** What the chosen statuses of a mapper page allow, for a page the user may edit: which controls
    can be used, which are shown, and which ticks and positions the statuses force.

    A message without a second data byte has no value 2 to choose; "Notes transpose" turns output
    value 1 into a transposition; "Filter message" sends nothing, so nothing of the output can be
    chosen; "Global channel update" changes the channel only. Features the firmware lacks stay
    disabled whatever the statuses.
*/
class MapperStatusRules
{
public:
    enum Control
    {
        inValue1Min, inValue1Max, inValue2Min, inValue2Max,
        outStatus, outChannel, outValue1Min, outValue1Max, outValue2Min, outValue2Max,
        skip, keepOriginal, useInValue2, useInValue1, followChannel, followValue1, followValue2,
        invertValue1, invertValue2, compressValue1, compressValue2, transposeChannel,
        curveValue1, curveValue2, userCurve1, userCurve2,
        numControls
    };

    /** What the rules decide for one control; a field without a value leaves the control as it is. */
    struct State
    {
        std::optional<bool> enabled, visible;
        /** Only ever false: the rules untick, they never tick. */
        std::optional<bool> ticked;
        std::optional<int> position;
    };

    MapperStatusRules (const MapperChoices& choices, float hostFirmwareVersion);

    const State& operator[] (Control control) const   { return states[(size_t) control]; }

    /** The output status list's text while it shows no choice. */
    juce::String outStatusPlaceholder;
    /** The output status list shows no choice ("Notes transpose" and "Global channel update"). */
    bool outStatusCleared = false;

private:
    State& at (Control control)                       { return states[(size_t) control]; }
    void enable (std::initializer_list<Control>, bool enabled);
    void untickAndDisable (std::initializer_list<Control>);

    void applyInputStatus (const MapperChoices&, float firmware, bool& keepOriginalTicked);
    void applyOutputStatus (const MapperChoices&, float firmware, bool notesTranspose);
    void applyFollows (const MapperChoices&, float firmware);
    void applyFilterOrGlobalUpdate (const MapperChoices&, float firmware);

    std::array<State, numControls> states;
};
