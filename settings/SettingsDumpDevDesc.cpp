#include "settings/SettingsDumpDevDesc.h"

SettingsDumpDevDesc::SettingsDumpDevDesc()
{
    setName ("SettingsDumpDevDesc");
    dumpEditor.setMultiLine (true);
    dumpEditor.setReadOnly (true);
    addAndMakeVisible (dumpEditor);
    copyButton.setEnabled (false);
    addAndMakeVisible (copyButton);
}

void SettingsDumpDevDesc::appendText (const juce::String& text)
{
    if (text.isEmpty())
        return;

    dumpEditor.insertTextAtCaret (text);
}

void SettingsDumpDevDesc::clearDump()
{
    dumpEditor.clear();
}

void SettingsDumpDevDesc::setCopyEnabled (bool enabled)
{
    copyButton.setEnabled (enabled);
}
