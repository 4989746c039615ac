#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

class MainComponent;
class FullMap;

/** The "Full settings" window: a read-only summary of every port's settings. */
class FullMapWindow : public juce::DocumentWindow
{
public:
    FullMapWindow (const juce::String& title, juce::Colour background, MainComponent* owner);

    /** Hides the window (it is kept for the next time) and clears the main component's flag. */
    void closeButtonPressed() override;
    /** "Full settings [Active preset: %d]", with the preset's file name when it has one. */
    void updateTitle();

    MainComponent* mainComponent;
    FullMap* fullMap = nullptr;
};
