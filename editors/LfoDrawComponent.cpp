#include "editors/LfoDrawComponent.h"

LfoDrawComponent::LfoDrawComponent()
{
    setName ("LfoDrawComponent");
    setSize (600, 400);
}

void LfoDrawComponent::paint (juce::Graphics& g)
{
    g.fillAll (juce::Colour (0xff323e44));
}
