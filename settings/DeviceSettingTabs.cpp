#include "settings/DeviceSettingTabs.h"

juce::Array<DeviceSettingTabs::Tab> DeviceSettingTabs::getTabs (int productCode)
{
    juce::Array<Tab> tabs { presetsTab };

    if (productCode == productDorvin || productCode == productCalder)
        tabs.add (buttonTab);

    if (productCode == productJorvek || productCode == productNorrim)
        tabs.add (trsTypesTab);

    if (productCode == productNorrim)
        tabs.add (sync24Tab);

    if (productCode == productJorvek || productCode == productNorrim)
        tabs.add (powerTab);

    tabs.add (deviceTab);
    return tabs;
}

juce::String DeviceSettingTabs::getTabName (Tab tab)
{
    switch (tab)
    {
        case presetsTab:  return "Presets";
        case buttonTab:   return "Button";
        case trsTypesTab: return "TRS Types";
        case sync24Tab:   return "Sync-24";
        case powerTab:    return "Power";
        case deviceTab:   return "Device";
        default:          return {};
    }
}

bool DeviceSettingTabs::isDeviceTabEnabled (const MidiController& device)
{
    return device.hostFirmwareVersion >= 2.45f;
}
