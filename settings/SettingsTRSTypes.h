#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

class Settings;

/** The "TRS Types" sub-panel of the Settings page (Jorvek and Norrim): whether each MIDI output that
    is a TRS jack works as Type A or Type B, in the current preset's trsType word. */
class SettingsTRSTypes : public juce::Component,
                         public juce::Button::Listener,
                         public juce::ComboBox::Listener
{
public:
    explicit SettingsTRSTypes (Settings* owner);
    ~SettingsTRSTypes() override;

    void paint (juce::Graphics&) override;
    void resized() override;
    void buttonClicked (juce::Button*) override;
    void comboBoxChanged (juce::ComboBox*) override;

    /** Lists the product's TRS outputs; other products keep the list as it is. */
    void fillOutputs();
    /** Shows the type of the chosen output, without notification. */
    void refresh();
    void updateEnablement (int mode);
    /** Every output Type A in all presets, then shown. */
    void resetTypes();

    juce::GroupComponent group;
    juce::ToggleButton typeAButton, typeBButton;
    juce::ComboBox outputList;
    juce::Label noteLabel;

private:
    /** Stores the type shown into the current preset's word and writes it. */
    void storeType();

    Settings* owner;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SettingsTRSTypes)
};
