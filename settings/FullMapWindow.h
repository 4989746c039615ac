#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

class MainComponent;
class FullMap;

/** The "Full settings" window: a read-only summary of every port's settings in the current preset.

    The main component creates it on the first press of "View full settings" and keeps it until it
    goes itself; closing the window only hides it, and the editors keep its content up to date
    while it is hidden.
*/
class FullMapWindow : public juce::DocumentWindow
{
public:
    FullMapWindow (const juce::String& title, juce::Colour background, MainComponent* owner);
    ~FullMapWindow() override;

    /** Hides the window (it is kept for the next time) and clears the main component's flag. */
    void closeButtonPressed() override;
    /** "Full settings [Active preset: %d]", with the preset's file name when it has one. */
    void updateTitle();

    MainComponent* mainComponent;
    /** The window's content (owned by the window); null once the window is going. */
    FullMap* fullMap = nullptr;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (FullMapWindow)
};
