#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The preview area of an LFO page: an empty panel. */
class LfoDrawComponent : public juce::Component
{
public:
    LfoDrawComponent();

    void paint (juce::Graphics&) override;
    void resized() override {}

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (LfoDrawComponent)
};
