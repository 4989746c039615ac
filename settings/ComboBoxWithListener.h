#pragma once

#include <juce_gui_basics/juce_gui_basics.h>
#include "app/LookAndFeelCustom.h"

class Presets;

/** The preset selector: a combo box whose text can be edited to rename the active preset.

    It is the combo box's look and feel, so that it hands the combo box a text label it
    listens to; while that label's editor is open, every typed character is checked
    against the name rule.
*/
class ComboBoxWithListener : public juce::Component,
                             public LookAndFeelCustom,
                             public juce::TextEditor::Listener,
                             public juce::Label::Listener,
                             public juce::ComboBox::Listener
{
public:
    explicit ComboBoxWithListener (Presets& owner);
    ~ComboBoxWithListener() override;

    // juce::Component
    void resized() override;

    // LookAndFeelCustom
    juce::Label* createComboBoxTextBox (juce::ComboBox&) override;

    // juce::TextEditor::Listener
    void textEditorTextChanged (juce::TextEditor&) override;

    // juce::Label::Listener
    void labelTextChanged (juce::Label*) override {}
    void editorShown (juce::Label*, juce::TextEditor&) override;
    void editorHidden (juce::Label*, juce::TextEditor&) override {}

    // juce::ComboBox::Listener
    void comboBoxChanged (juce::ComboBox*) override;

    /** True for a name of 1 to 16 characters that passes the name rule; a failing name that is not
        empty shows its warning in the preset bar for 2000 ms. */
    bool isValidPresetName (const juce::String& name);

    juce::ComboBox comboBox;

private:
    Presets& presets;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ComboBoxWithListener)
};
