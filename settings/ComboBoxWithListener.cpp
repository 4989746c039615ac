#include "settings/ComboBoxWithListener.h"
#include "settings/Presets.h"
#include "settings/PresetName.h"
#include "settings/PresetSelectorRules.h"

ComboBoxWithListener::ComboBoxWithListener (Presets& owner) : presets (owner)
{
    addAndMakeVisible (comboBox);
    comboBox.setLookAndFeel (this);
    comboBox.setEditableText (true);
    comboBox.addListener (this);
}

ComboBoxWithListener::~ComboBoxWithListener()
{
    // The combo box must never draw with a look and feel that is being destroyed.
    comboBox.removeListener (this);
    comboBox.setLookAndFeel (nullptr);
}

void ComboBoxWithListener::resized()
{
    comboBox.setBounds (getLocalBounds());
}

juce::Label* ComboBoxWithListener::createComboBoxTextBox (juce::ComboBox&)
{
    auto* label = new juce::Label();
    label->addListener (this);
    return label;
}

void ComboBoxWithListener::editorShown (juce::Label*, juce::TextEditor& editor)
{
    editor.moveCaretToEnd (false);
    editor.addListener (this);
}

void ComboBoxWithListener::textEditorTextChanged (juce::TextEditor& editor)
{
    const auto check = PresetName::check (editor.getText());

    // A failing character goes at once: one per change, so a pasted text loses only its last one.
    if (! check.valid && editor.getText().isNotEmpty())
    {
        editor.setText (check.correctedText, false);
        presets.showNameWarning (check.warning);
    }

    presets.checkPresetModified (editor.getText());
}

bool ComboBoxWithListener::isValidPresetName (const juce::String& name)
{
    const auto check = PresetName::check (name);
    presets.showNameWarning (check.warning);
    return check.valid;
}

void ComboBoxWithListener::comboBoxChanged (juce::ComboBox*)
{
    const auto text = comboBox.getText();
    const int active = presets.getActivePreset();
    const int chosen = comboBox.getSelectedItemIndex();

    switch (PresetSelectorRules::decide (chosen, active, text))
    {
        case PresetSelectorRules::Choice::switchPreset:
            presets.setActivePreset (chosen);
            presets.updateFileLabel (chosen);
            break;

        case PresetSelectorRules::Choice::renamePreset:
            presets.showMessage ({});
            if (active < comboBox.getNumItems())
                comboBox.changeItemText (active + 1, text);

            presets.updateFileLabel (active);
            presets.sendPresetName (active, text);
            break;

        case PresetSelectorRules::Choice::restoreName:
        {
            juce::String name;
            Presets::getDevicePresetName (active, name);
            comboBox.setText (name, juce::dontSendNotification);
            presets.checkPresetModified (comboBox.getText());
            break;
        }

        case PresetSelectorRules::Choice::keepText:
            isValidPresetName (text);
            presets.checkPresetModified (text);
            break;
    }
}
