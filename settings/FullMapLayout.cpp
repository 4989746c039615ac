#include "settings/FullMapLayout.h"

int FullMapLayout::getRowPosition (int port, int numHostPorts, int numLocalPorts)
{
    return port >= numHostPorts ? port - numHostPorts : numLocalPorts + port;
}

int FullMapLayout::getMapperBoxHeight (int shownMappers)
{
    return juce::jmax (mapperLineHeight * shownMappers + 40, minRowHeight - 20);
}

int FullMapLayout::getRowHeight (int shownMappers)
{
    return getMapperBoxHeight (shownMappers) + 20;
}

juce::Array<int> FullMapLayout::getRowTops (const juce::Array<int>& rowHeights, int numHostPorts)
{
    const int numPorts = rowHeights.size();
    const int hostPorts = juce::jlimit (0, numPorts, numHostPorts);
    const int localPorts = numPorts - hostPorts;

    // Display order: the local ports, then the host slots; each row starts where the one above it ends.
    juce::Array<int> tops;
    tops.resize (numPorts);
    int top = 0;

    for (int position = 0; position < numPorts; ++position)
    {
        const int port = position < localPorts ? hostPorts + position : position - localPorts;
        tops.set (port, top);
        top += rowHeights[port];
    }

    return tops;
}

int FullMapLayout::getLineStartX (int width)
{
    return juce::roundToInt (width * 0.575);
}

int FullMapLayout::getLineEndX (int width)
{
    return juce::roundToInt (width * 0.68035716);
}
