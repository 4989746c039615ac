#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The "Power" sub-panel of the Settings page (Jorvek and Norrim): the time of inactivity before the
    product powers down and whether USB activity from the computer wakes it, in the current preset's
    powerDown word. Needs host firmware 3.75. */
class SettingsPowerDown : public juce::Component,
                          public juce::Button::Listener,
                          public juce::ComboBox::Listener
{
public:
    SettingsPowerDown();
    ~SettingsPowerDown() override;

    void paint (juce::Graphics&) override;
    void resized() override;
    void buttonClicked (juce::Button*) override;
    void comboBoxChanged (juce::ComboBox*) override;

    /** Lists the seven times, "Disable" to "3h". */
    void fillTimes();
    /** Shows the current preset's word, without notification. */
    void refresh();
    /** Stores the controls as the current preset's word and writes it. */
    void writePowerDown();
    void updateEnablement (int mode);
    /** The word 0 in all presets, then shown. */
    void resetPowerDown();

    juce::GroupComponent group;
    juce::ToggleButton wakeUpToggle;
    juce::ComboBox timeList;
    juce::Label timeLabel;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SettingsPowerDown)
};
