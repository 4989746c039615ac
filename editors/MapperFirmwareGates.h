#pragma once

#include <juce_core/juce_core.h>

/** The mapper page's features that need a newer host firmware, with the tooltips they carry.

    Below its gate a feature is unticked and disabled; with a product identified its tooltip then
    tells the user to update the firmware, without one it keeps the tooltip it had.
*/
class MapperFirmwareGates
{
public:
    enum Feature
    {
        keepOriginal, skip, transposeChannel, curveValue1, compressValue1, curveValue2, compressValue2,
        numFeatures
    };

    /** The lowest host firmware that has the feature. */
    static float getGate (Feature);
    static bool isOpen (Feature, float hostFirmwareVersion);

    /** The tooltip of the feature's control at this firmware; empty when the control keeps its
        tooltip (below the gate with no product identified). */
    static juce::String getTooltip (Feature, float hostFirmwareVersion, bool productIdentified);
};
