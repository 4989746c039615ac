#include "settings/FullMapRouteLines.h"

void FullMapRouteLines::toggleInput (int port)
{
    highlightedOutput = -1;
    highlightedInput = highlightedInput == port ? -1 : port;
}

void FullMapRouteLines::toggleOutput (int port)
{
    highlightedInput = -1;
    highlightedOutput = highlightedOutput == port ? -1 : port;
}

void FullMapRouteLines::clearHighlight()
{
    highlightedInput = -1;
    highlightedOutput = -1;
}

bool FullMapRouteLines::isHighlighted (int input, int output) const noexcept
{
    return highlightedInput != -1 ? input == highlightedInput
                                  : output == highlightedOutput;
}

juce::uint32 FullMapRouteLines::getInputNameColour (int port) const noexcept
{
    return port == highlightedInput ? highlightedNameColour : plainNameColour;
}

juce::uint32 FullMapRouteLines::getOutputNameColour (int port) const noexcept
{
    return highlightedInput == -1 && port == highlightedOutput ? highlightedNameColour : plainNameColour;
}

std::vector<FullMapRouteLines::Line> FullMapRouteLines::getLines (const MidiController& device, int numPorts) const
{
    std::vector<Line> lines;
    const int numInputs = juce::jmin (numPorts, (int) MidiController::numRouterRows);
    const int numOutputs = juce::jmin (numPorts, numOutputBits);
    const auto& rows = device.routerMasks[device.currentPreset % MidiController::numPresetRows];

    for (int input = 0; input < numInputs; ++input)
        for (int output = 0; output < numOutputs; ++output)
            if (((rows[input] >> output) & 1u) != 0)
                lines.push_back ({ input, output, isHighlighted (input, output) });

    return lines;
}
