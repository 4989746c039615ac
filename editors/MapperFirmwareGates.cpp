#include "editors/MapperFirmwareGates.h"

namespace
{
    struct Gate
    {
        float version;
        const char* tooltip;
    };

    constexpr Gate gates[MapperFirmwareGates::numFeatures] =
    {
        { 1.05f, "Check if the orginal message must be kept" },
        { 2.45f, "Select the amount of skipped notes" },
        { 1.05f, "Check to transpose incoming MIDI channel" },
        { 3.85f, "Select curve to use for Output Value 1" },
        { 2.45f, "Check to compress/expand output value 1 from input range to output range" },
        { 3.85f, "Select curve to use for Output Value 2" },
        { 2.45f, "Check to compress/expand output value 2 from input range to output range" },
    };

    const char* const updateNotice = "\n\nYou need to update your device firmware to enable this feature";
}

float MapperFirmwareGates::getGate (Feature feature)
{
    return gates[feature].version;
}

bool MapperFirmwareGates::isOpen (Feature feature, float hostFirmwareVersion)
{
    return hostFirmwareVersion >= gates[feature].version;
}

juce::String MapperFirmwareGates::getTooltip (Feature feature, float hostFirmwareVersion, bool productIdentified)
{
    if (isOpen (feature, hostFirmwareVersion))
        return gates[feature].tooltip;

    if (! productIdentified)
        return {};

    // The curves have a notice of their own.
    const bool curve = feature == curveValue1 || feature == curveValue2;
    return juce::String (curve ? "Curves" : gates[feature].tooltip) + updateNotice;
}
