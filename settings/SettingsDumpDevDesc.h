#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The Settings page's panel for the USB descriptor dump. */
class SettingsDumpDevDesc : public juce::Component
{
public:
    SettingsDumpDevDesc();

    /** Appends a non-empty text at the dump editor's caret. */
    void appendText (const juce::String& text);
    void clearDump();
    void setCopyEnabled (bool enabled);

    juce::String getDumpText() const { return dumpEditor.getText(); }
    bool isCopyEnabled() const { return copyButton.isEnabled(); }

private:
    juce::TextEditor dumpEditor;
    juce::TextButton copyButton;
};
