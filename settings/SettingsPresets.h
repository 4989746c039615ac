#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The "Presets" sub-panel of the Settings page: whether an incoming MIDI message changes the
    product's current preset, which message, channel and values do so, and whether that message is
    passed on. It edits the product-wide presetSetting word and writes it at once. */
class SettingsPresets : public juce::Component,
                        public juce::ComboBox::Listener,
                        public juce::Button::Listener
{
public:
    SettingsPresets();
    ~SettingsPresets() override;

    void paint (juce::Graphics&) override;
    void resized() override;
    void comboBoxChanged (juce::ComboBox*) override;
    void buttonClicked (juce::Button*) override;

    /** Fills the three lists for the connected product's number of presets. */
    void fillChoices();
    /** Shows presetSetting, without notification; the lists and the forward toggle can be used
        only while changing presets from MIDI is on. */
    void refresh();
    /** Stores the controls into presetSetting and writes it. */
    void writePresetSetting();
    void updateEnablement (int mode);

    juce::GroupComponent group;
    juce::Label valueLabel, channelLabel, messageLabel;
    juce::ComboBox messageList, valueList, channelList;
    juce::ToggleButton enableToggle, forwardToggle;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SettingsPresets)
};
