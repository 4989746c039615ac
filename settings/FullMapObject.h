#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** One port row of the full-settings window. */
class FullMapObject : public juce::Component
{
public:
    void refreshInputName() {}
    void refreshOutputName() {}
};
