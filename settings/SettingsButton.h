#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The "Button" sub-panel of the Settings page (Dorvin and Calder): whether a short push on the
    product's button changes the current preset or sends Panic. Bit 24 of presetSetting. */
class SettingsButton : public juce::Component,
                       public juce::Button::Listener
{
public:
    SettingsButton();
    ~SettingsButton() override;

    void paint (juce::Graphics&) override;
    void resized() override;
    void buttonClicked (juce::Button*) override;

    /** Shows bit 24, without notification. */
    void refresh();
    /** Stores the chosen action into bit 24 and writes presetSetting. */
    void writeButtonMode();
    void updateEnablement (int mode);

    juce::GroupComponent group;
    juce::ToggleButton changePresetButton, sendPanicButton;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SettingsButton)
};
