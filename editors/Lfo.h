#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

class MainComponent;
class LfoObject;

/** The "MIDI LFO" tab: two reset buttons and a firmware warning over four LFO pages.

    The main component builds it and removes it again while it builds itself. The product takes no
    LFO settings from this tool: the tab stays disabled, keeps no device data and sends nothing.
*/
class Lfo : public juce::Component,
            public juce::Timer,
            public juce::Button::Listener
{
public:
    static constexpr int numPages = 4;

    explicit Lfo (MainComponent* owner);
    ~Lfo() override;

    void visibilityChanged() override;
    void paint (juce::Graphics&) override;
    void resized() override;
    /** The editors' flush (the tab never starts its timer). */
    void timerCallback() override;
    void buttonClicked (juce::Button*) override;

    /** Resets the chosen LFO, or all of them, in the tab. Nothing is marked or sent: the product
        takes no LFO settings from this tool. */
    void resetLfos (bool selectedOnly);

    /** The page of LFO index (0..3); null when there is none. */
    LfoObject* getPage (int index) const;

    /** The warning shown to firmware between 0.1 and 4.15 (exclusive). */
    static bool showsFirmwareWarning (float hostFirmwareVersion);

private:
    MainComponent* owner;

    std::unique_ptr<juce::TextButton> buttonResetAll;
    std::unique_ptr<juce::TextButton> buttonResetCurrent;
    std::unique_ptr<juce::Label> firmwareWarning;
    std::unique_ptr<juce::TabbedComponent> tabs;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (Lfo)
};
