#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** One mapper page of the "MIDI Mapper" tab. */
class MapperObject : public juce::Component
{
public:
    explicit MapperObject (int index) : mapperIndex (index) {}

    void updateHostPortName (int) {}
    void loadFromRecord() {}

    const int mapperIndex;
};
