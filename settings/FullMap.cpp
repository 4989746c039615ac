#include "settings/FullMap.h"

FullMap::FullMap (MainComponent* owner) : mainComponent (owner)
{
    setName ("FullMap");
}

void FullMap::refresh()
{
    ++refreshCount;
}

void FullMap::refreshPortName (int)
{
}

void FullMap::refreshHostPortName (int)
{
}

FullMapObject* FullMap::getRow (int index)
{
    return juce::isPositiveAndBelow (index, rows.size()) ? rows[index] : nullptr;
}
