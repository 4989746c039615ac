#include "settings/FullMap.h"

FullMap::FullMap (MainComponent* owner) : mainComponent (owner)
{
    setName ("FullMap");
}

void FullMap::refresh()
{
    ++refreshCount;
}

FullMapObject* FullMap::getRow (int index)
{
    return juce::isPositiveAndBelow (index, rows.size()) ? rows[index] : nullptr;
}
