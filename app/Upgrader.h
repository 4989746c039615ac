#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

class MainComponent;

/** The "Firmware" tab. */
class Upgrader : public juce::Component
{
public:
    explicit Upgrader (MainComponent* owner);

    void updateEnablement (int mode);

    int lastEnablementMode = 1;

private:
    MainComponent* mainComponent;
};
