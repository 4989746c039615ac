#include "settings/Settings.h"
#include "device/MidiController.h"

Settings::Settings (MainComponent* owner) : mainComponent (owner)
{
    setName ("Settings");
}

void Settings::updateEnablement (int mode) { lastEnablementMode = mode; }

void Settings::buildDeviceTabs() {}

void Settings::resetDeviceSettings()
{
    auto* device = MidiController::getInstance();
    if (device == nullptr)
        return;

    device->resetPresetNames();

    for (int preset = 0; preset < MidiController::numPresetRows; ++preset)
    {
        device->powerDown[preset] = 0;
        device->trsType[preset] = -1;
        device->sync24[preset] = 0;
    }

    dumpPanel.clearDump();
    dumpPanel.setCopyEnabled (false);
}

void Settings::setUsbNameEditorText (const juce::String& text)
{
    usbNameEditor.setText (text, true);
}
