#pragma once

#include <juce_gui_basics/juce_gui_basics.h>
#include <juce_data_structures/juce_data_structures.h>
#include "device/DeviceUserInterface.h"
#include "app/LookAndFeelCustom.h"
#include "app/FirmwareVersionInfo.h"
#include "app/AppVersionInfo.h"
#include "app/DeviceEventHub.h"
#include "editors/Filter.h"
#include "editors/Mapper.h"
#include "routing/RouterMidi.h"
#include "app/Upgrader.h"
#include "settings/Settings.h"
#include "settings/Presets.h"
#include "settings/FullMap.h"
#include "settings/FullMapWindow.h"

class AppVersionCheckThread;
class FileDownloadThread;
class SendDevicesToKelmoraServerThread;
class InstallerDownload;

/** The main window's content and the application's hub: the tabbed editors, the status and
    information lines, the two main buttons, the preset bar, the properties file, the worker
    threads and the connection monitor. */
class MainComponent : public juce::Component,
                      public juce::Timer,
                      public juce::MessageListener,
                      public juce::Button::Listener,
                      public DeviceUserInterface
{
public:
    MainComponent();
    ~MainComponent() override;

    void paint (juce::Graphics&) override;
    void resized() override;

    //==============================================================================
    // Tabs
    Filter* getFilter();
    Mapper* getMapper();
    RouterMidi* getRouter();
    Upgrader* getUpgrader();
    Settings* getSettings();
    Presets* getPresets() { return presets.get(); }
    /** The full-settings window's content, when that window exists. */
    FullMap* getFullMap();

    //==============================================================================
    // Properties file, per device
    /** Where and how the properties file is kept: "Kelmora Pro"/"Pellion Tools.pvProperties", as the framework places it. */
    static juce::PropertiesFile::Options getPropertiesOptions();
    juce::String getDeviceProperty (const juce::String& serial, const juce::String& key) override;
    bool setDeviceProperty (const juce::String& serial, const juce::String& key, const juce::String& value);
    bool removeDeviceProperty (const juce::String& serial, const juce::String& key);

    //==============================================================================
    // Connection monitor
    void restartDeviceSearch();
    void timerCallback() override;
    void onDeviceDisconnected();

    //==============================================================================
    // Status line, information line, main buttons
    void setStatusText (const juce::String& text) override;
    void setInfoText (const juce::String& text) override;
    void reportSettingsError (int code) override;
    void setEditorsEnabled (bool enabled) override;
    void setFactoryResetEnabled (bool enabled) override;
    void buttonClicked (juce::Button*) override;
    void showFullSettings();
    void showDeviceAlert (bool warningIcon, const juce::String& text, std::function<void()> onClosed) override;

    //==============================================================================
    // Worker threads and the maker's web endpoints
    void handleMessage (const juce::Message& message) override;
    void postCallBacksMessage (int type, const juce::String& text, const FirmwareVersionInfo& firmware, const AppVersionInfo& app);
    void startVersionCheck (const juce::String& url);
    void showAppUpdateDialog (AppVersionInfo info);
    void downloadAppUpdate (const juce::String& url);
    void startFileDownload (int productCode, const juce::String& address, int mode) override;
    void showFirmwareUpdateDialog (FirmwareVersionInfo info);
    void startDeviceReport() override;
    juce::String getCatalogueAddress() override;
    juce::String getVersionListAddress();
    juce::String getReportAddress();

    //==============================================================================
    // Firmware upgrade
    void startFirmwareUpgrade() override;
    void reportUpgradeResult (int code) override;
    bool isUpgradeRequested() override { return upgradeRequested; }
    void setUpgradeRequested (bool requested) override { upgradeRequested = requested; }
    /** True from the start of programming an image until its result is reported. */
    bool programmingRuns() const;
    /** The worker messages that bring a catalogue entry or a firmware file. */
    static bool isFirmwareMessage (int type);

    /** Shows an asynchronous framework box; a two-button box answers 1 for its first button and
        0 for its second. Tests replace it to read and answer the box. */
    std::function<void (const juce::MessageBoxOptions&, std::function<void (int)>)> showAsyncBox;

    //==============================================================================
    std::unique_ptr<FullMapWindow> fullMapWindow;
    std::unique_ptr<juce::PropertiesFile> propertiesFile;
    std::unique_ptr<SendDevicesToKelmoraServerThread> reportThread;
    int selectedInputIndex = 255;
    int selectedOutputIndex = 255;
    int lastScanCode = -1;
    bool fullSettingsShown = false;
    bool upgradeRequested = false;
    bool restoreRequested = false;
    int connectionState = 0;
    juce::TooltipWindow tooltipWindow;
    DeviceEventHub deviceEvents { *this };
    std::unique_ptr<FileDownloadThread> fileDownloadThread;
    std::unique_ptr<AppVersionCheckThread> appVersionCheckThread;
    LookAndFeelCustom lookAndFeel;
    std::unique_ptr<juce::Label> statusLabel;
    std::unique_ptr<juce::Label> infoLabel;
    std::unique_ptr<juce::Label> versionLabel;
    std::unique_ptr<juce::TabbedComponent> tabs;
    std::unique_ptr<juce::TextButton> buttonReset;
    std::unique_ptr<juce::TextButton> buttonViewFullSettings;
    std::unique_ptr<Presets> presets;
    juce::Image logo;
    std::unique_ptr<InstallerDownload> installerDownload;

private:
    /** Opens the product's input and output and asks for its identity; false when a port can't be opened. */
    bool openPortsAndRequestIdentity();
    void layoutTabButtons();
    juce::String applicationVersion() const;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MainComponent)
};
