#pragma once

#include <juce_core/juce_core.h>
#include <functional>

/** How the device object reaches the user: the status and information lines,
    alerts, error reports and the few main-window actions that replies start.

    The main component implements it; tests install a recorder. While none is
    installed, the device object shows nothing.
*/
class DeviceUserInterface
{
public:
    virtual ~DeviceUserInterface() = default;

    /** The one-line status label. */
    virtual void setStatusText (const juce::String& text) = 0;
    /** The information line about the connected product. */
    virtual void setInfoText (const juce::String& text) = 0;
    /** The device object's asynchronous message box, title "Info", one button; onClosed runs when it closes. */
    virtual void showDeviceAlert (bool warningIcon, const juce::String& text, std::function<void()> onClosed) = 0;
    /** A failed settings request (a SysexResult). */
    virtual void reportSettingsError (int code) = 0;
    /** The end of a firmware upgrade (0 success, else a SysexResult or the product's code). */
    virtual void reportUpgradeResult (int code) = 0;
    /** The factory reset, the full-settings view and the preset bar. */
    virtual void setEditorsEnabled (bool enabled) = 0;
    /** Only the factory-reset button. */
    virtual void setFactoryResetEnabled (bool enabled) = 0;

    /** A per-device value of the properties file (serial "::" name); empty when absent. */
    virtual juce::String getDeviceProperty (const juce::String& serial, const juce::String& name) = 0;

    /** Fetches the firmware catalogue (mode 0) or a firmware file (mode 1) for this product code. */
    virtual void startFileDownload (int productCode, const juce::String& address, int mode) = 0;
    /** The address of the firmware catalogue. */
    virtual juce::String getCatalogueAddress() = 0;
    /** True while an upgrade restarted the product into its bootloader and waits for it. */
    virtual bool isUpgradeRequested() = 0;
    virtual void setUpgradeRequested (bool requested) = 0;
    /** Starts or continues the firmware upgrade with the loaded image. */
    virtual void startFirmwareUpgrade() = 0;
    /** Starts the report of the USB devices attached to the host ports. */
    virtual void startDeviceReport() = 0;
};
