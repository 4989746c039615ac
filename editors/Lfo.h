#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

class MainComponent;

/** The LFO page. The main component adds it as a tab and removes it again while it builds itself. */
class Lfo : public juce::Component
{
public:
    explicit Lfo (MainComponent* owner);

private:
    MainComponent* mainComponent;
};
