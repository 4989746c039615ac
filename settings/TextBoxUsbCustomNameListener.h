#pragma once

#include <juce_gui_basics/juce_gui_basics.h>
#include "app/LookAndFeelCustom.h"

class Settings;

/** The editor of the USB product name on the Settings page. It is its own look and feel, and takes
    back at once the last character of a text that breaks the name rule (more than 24 characters, or
    a character the rule refuses), showing why on the page's status line. */
class TextBoxUsbCustomNameListener : public juce::Component,
                                     public LookAndFeelCustom,
                                     public juce::TextEditor::Listener
{
public:
    explicit TextBoxUsbCustomNameListener (Settings& settings);
    ~TextBoxUsbCustomNameListener() override;

    void resized() override;
    void textEditorTextChanged (juce::TextEditor&) override;
    void textEditorFocusLost (juce::TextEditor&) override {}

    /** 1 to 24 characters that pass the name rule; otherwise false, with the warning shown for a
        text that is not empty. */
    bool isValidUsbName (const juce::String& text);

    juce::String getText() const    { return editor.getText(); }
    /** Sets the text as the system does, with the same checks and button states as typing. */
    void setTextAndCheck (const juce::String& text);

    juce::TextEditor editor;

private:
    /** Takes back the last character of a failing text, then lets the page set Apply and Reset. */
    void checkText();

    Settings& settings;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TextBoxUsbCustomNameListener)
};
