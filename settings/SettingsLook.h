#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** How the Settings page and its sub-panels look: dark panels with white captions, light-grey
    group outlines, lists whose text sits on the left. */
namespace SettingsLook
{
    const juce::Colour panelBackground (0xff323e44);
    const juce::Colour groupOutline (0xffc4c4c4);
    const juce::Colour tabColour (0xffd3d3d3);
    const juce::Colour buttonColour (0xffff7f50);

    /** A group with its caption at the left, drawn white on the dark panel. */
    inline void styleGroup (juce::GroupComponent& group, const juce::String& text)
    {
        group.setName ("new group");
        group.setText (text);
        group.setTextLabelPosition (juce::Justification::centredLeft);
        group.setColour (juce::GroupComponent::outlineColourId, groupOutline);
        group.setColour (juce::GroupComponent::textColourId, juce::Colours::white);
    }

    /** A caption that can't be edited; its text is drawn white unless a colour is given. */
    inline void styleLabel (juce::Label& label, const juce::String& name, const juce::String& text, float fontHeight,
                            juce::Justification justification = juce::Justification::centredLeft)
    {
        label.setName (name);
        label.setText (text, juce::dontSendNotification);
        label.setFont (juce::Font (fontHeight, juce::Font::plain).withTypefaceStyle ("Regular"));
        label.setJustificationType (justification);
        label.setEditable (false, false, false);
        label.setColour (juce::TextEditor::textColourId, juce::Colours::black);
        label.setColour (juce::TextEditor::backgroundColourId, juce::Colour (0x00000000));
    }

    /** A text button in the panels' colour. */
    inline void styleButton (juce::TextButton& button, const juce::String& name, const juce::String& text,
                             const juce::String& tooltip)
    {
        button.setName (name);
        button.setButtonText (text);
        button.setTooltip (tooltip);
        button.setColour (juce::TextButton::buttonColourId, buttonColour);
    }

    /** A list the user chooses from, never types into. */
    inline void styleList (juce::ComboBox& list, const juce::String& nothingSelected, const juce::String& noChoices,
                           const juce::String& tooltip)
    {
        list.setEditableText (false);
        list.setJustificationType (juce::Justification::centredLeft);
        list.setTextWhenNothingSelected (nothingSelected);
        list.setTextWhenNoChoicesAvailable (noChoices);
        list.setTooltip (tooltip);
    }
}
