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

juce::String getCurrentUsbProductName()
{
    auto* device = MidiController::getInstance();
    if (device == nullptr)
        return {};

    if (device->deviceFirmwareVersion >= 6.95f && device->hostFirmwareVersion >= 0.1f)
    {
        juce::String name;

        for (int i = 0; i < 24; ++i)
        {
            auto c = (char) ((device->usbProductName[i / 4] >> (24 - 8 * (i % 4))) & 0xFF);
            if (c == 0)
                break;
            name += juce::String::charToString ((juce::juce_wchar) (juce::uint8) c);
        }

        if (name.isNotEmpty())
            return name;
    }

    if (device->deviceMode == 0 || device->hostFirmwareVersion < 0.1f)
        return {};

    static const char* const models[][2] = { { "Calder Pro", "Calder-Pro" }, { "Dorvin BC", "Dorvin-BC" },
                                             { "Gavrel Pro", "Gavrel-Pro" }, { "Jorvek Pro", "Jorvek-Pro" },
                                             { "Lissar Pro", "Lissar-Pro" }, { "Norrim Pro", "Norrim-Pro" } };

    for (auto& model : models)
        if (device->productName == model[0])
            return model[1];

    return {};
}
