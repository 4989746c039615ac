#pragma once

#include <juce_gui_basics/juce_gui_basics.h>
#include "device/DeviceTypes.h"

/** The "Sync-24" sub-panel of the Settings page (Norrim): whether the Sync-24 output is on and which
    input's messages trigger its signals, in the current preset's sync24 word. */
class SettingsSync24 : public juce::Component,
                       public juce::ComboBox::Listener,
                       public juce::Button::Listener
{
public:
    SettingsSync24();
    ~SettingsSync24() override;

    void paint (juce::Graphics&) override;
    void resized() override;
    void comboBoxChanged (juce::ComboBox*) override;
    void buttonClicked (juce::Button*) override;

    /** Lists the product's inputs, a separator after the last USB host port. */
    void fillInputs();
    /** Shows the current preset's word, without notification. */
    void refresh();
    /** Stores the chosen input and the output state and writes the word; nothing without an input. */
    void writeSync24();
    /** The input list can be used only while the output is on. */
    void updateEnablement (int mode);
    /** The word 0 in all presets, then shown. */
    void resetSync24();

    juce::ComboBox inputList;
    juce::ToggleButton outputToggle;

private:
    /** The mode last given, for the input list after a click on the toggle. */
    int editorMode = editorLocked;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SettingsSync24)
};
