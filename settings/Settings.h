#pragma once

#include <juce_gui_basics/juce_gui_basics.h>
#include "settings/SettingsDumpDevDesc.h"
#include "settings/SettingsPanels.h"

class MainComponent;

/** The "Settings" page: the choice of product and MIDI ports, and the device settings sub-panels. */
class Settings : public juce::Component
{
public:
    explicit Settings (MainComponent* owner);

    void updateEnablement (int mode);
    void buildDeviceTabs();
    void resetDeviceSettings();

    SettingsDumpDevDesc* getDumpPanel() { return &dumpPanel; }
    SettingsTRSTypes* getTrsPanel() { return nullptr; }
    SettingsSync24* getSync24Panel() { return nullptr; }
    SettingsPowerDown* getPowerDownPanel() { return nullptr; }
    /** Sets the USB name editor, with change notification. */
    void setUsbNameEditorText (const juce::String& text);

    int lastEnablementMode = 1;

private:
    MainComponent* mainComponent;
    SettingsDumpDevDesc dumpPanel;
    juce::TextEditor usbNameEditor;
};

/** The USB product name the connected product uses: its stored name, or the model's default. */
juce::String getCurrentUsbProductName();
