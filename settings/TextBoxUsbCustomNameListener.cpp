#include "settings/TextBoxUsbCustomNameListener.h"
#include "settings/Settings.h"
#include "settings/UsbProductName.h"

TextBoxUsbCustomNameListener::TextBoxUsbCustomNameListener (Settings& settingsPage) : settings (settingsPage)
{
    editor.setLookAndFeel (this);
    editor.setMultiLine (false, false);
    editor.setReturnKeyStartsNewLine (false);
    editor.setReadOnly (false);
    editor.setScrollbarsShown (false);
    editor.setCaretVisible (true);
    editor.setPopupMenuEnabled (false);
    editor.setPasswordCharacter (0);
    editor.addListener (this);
    addAndMakeVisible (editor);
}

TextBoxUsbCustomNameListener::~TextBoxUsbCustomNameListener()
{
    editor.removeListener (this);
    editor.setLookAndFeel (nullptr);
}

void TextBoxUsbCustomNameListener::resized()
{
    editor.setBounds (0, 0, getWidth(), getHeight());
}

bool TextBoxUsbCustomNameListener::isValidUsbName (const juce::String& text)
{
    const auto check = UsbProductName::checkTypedText (text);

    if (check.warning.isNotEmpty())
        settings.showWarning (check.warning);

    return check.valid;
}

void TextBoxUsbCustomNameListener::textEditorTextChanged (juce::TextEditor&)
{
    checkText();
}

void TextBoxUsbCustomNameListener::setTextAndCheck (const juce::String& text)
{
    // The editor would tell its listeners later, on the message loop; the checks run now instead.
    editor.setText (text, false);
    checkText();
}

void TextBoxUsbCustomNameListener::checkText()
{
    const auto text = editor.getText();

    if (! isValidUsbName (text) && text.isNotEmpty())
        editor.setText (text.dropLastCharacters (1), false);

    settings.updateUsbNameButtons (editor.getText());
}
