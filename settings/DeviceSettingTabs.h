#pragma once

#include "device/MidiController.h"

/** The device-setting sub-tabs of the Settings page for a product: "Presets" always, "Button" on the
    Dorvin and the Calder, "TRS Types" and "Power" on the Jorvek and the Norrim, "Sync-24" on the
    Norrim, and "Device" (the descriptor dump) always, usable from host firmware 2.45.
*/
struct DeviceSettingTabs
{
    enum Tab
    {
        presetsTab,
        buttonTab,
        trsTypesTab,
        sync24Tab,
        powerTab,
        deviceTab
    };

    /** The product's tabs, in the order they are shown. */
    static juce::Array<Tab> getTabs (int productCode);
    /** The tab's name, before translation. */
    static juce::String getTabName (Tab tab);
    /** The "Device" tab can be chosen: host firmware 2.45 or later. */
    static bool isDeviceTabEnabled (const MidiController& device);
};
