#pragma once

#include <juce_gui_basics/juce_gui_basics.h>
#include "settings/DescriptorDump.h"

class Settings;

/** The "Device" sub-panel of the Settings page: the USB descriptor dump for the support contact.
    "Start device dump" writes a header and asks the product to report the next USB device plugged
    into it; the text that arrives is appended, and the copy button puts it all on the clipboard. */
class SettingsDumpDevDesc : public juce::Component,
                            public juce::Button::Listener
{
public:
    explicit SettingsDumpDevDesc (Settings* owner = nullptr);
    ~SettingsDumpDevDesc() override;

    void paint (juce::Graphics&) override;
    void resized() override;
    void buttonClicked (juce::Button*) override;

    /** Inserts a non-empty text at the dump editor's caret. */
    void appendText (const juce::String& text);
    /** Empties the dump and starts a new one. */
    void startDeviceDump();
    void clearDump();
    /** Empties the dump; it can't be copied until the next dump's device descriptor arrives. */
    void resetDump();
    void enableCopyButton()                 { setCopyEnabled (true); }
    void setCopyEnabled (bool enabled);
    /** Copies the whole dump to the clipboard and says so. */
    void copyToClipboard();
    void updateEnablement (int mode);

    juce::String getDumpText() const        { return dumpText.getText(); }
    bool isCopyEnabled() const              { return copyButton.isEnabled(); }
    bool isCommandWaiting() const           { return dump.isCommandWaiting(); }

    juce::TextButton startDumpButton;
    juce::TextEditor dumpText;
    juce::Label infoLabel;
    juce::ImageButton copyButton;

private:
    Settings* owner;
    DescriptorDump dump;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SettingsDumpDevDesc)
};
