#pragma once

#include <juce_gui_basics/juce_gui_basics.h>
#include <juce_data_structures/juce_data_structures.h>
#include "device/DeviceUserInterface.h"
#include "app/LookAndFeelCustom.h"
#include "app/FirmwareVersionInfo.h"
#include "app/AppVersionInfo.h"
#include "app/DeviceEventHub.h"
#include "app/BoxPresenter.h"
#include "app/ConnectionMonitor.h"
#include "app/FirmwareUpgradeController.h"
#include "app/WebUpdates.h"
#include "app/EditorPanel.h"
#include "editors/Filter.h"
#include "editors/Mapper.h"
#include "routing/RouterMidi.h"
#include "app/Upgrader.h"
#include "settings/Settings.h"
#include "settings/Presets.h"
#include "settings/FullMap.h"
#include "settings/FullMapWindow.h"

/** The main window's content and the application's hub: the tabbed editors, the status and
    information lines, the two main buttons, the preset bar and the properties file. It lays them
    out and forwards to the parts that do the work: the connection monitor, the firmware upgrade,
    the web updates, the box presenter and the hub that tells the editors what the device did. */
class MainComponent : public juce::Component,
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
    /** Every tab page and the preset bar, in the order they hear of a lost product. */
    const juce::Array<EditorPanel*>& getEditorPanels() const  { return editorPanels; }
    /** Nothing can be edited while only a bootloader answers or an upgrade runs; the Settings page
        keeps its connection controls. */
    void lockAllEditors (bool upgraderToo);
    /** Every editor marks the edits its debounce still holds (see EditorPanel::flushEdits). */
    void flushEditorEdits();
    /** The editors that show one of these setting kinds (one bit per SettingKind) show the device
        model again, then the full-settings window is brought up to date. */
    void refreshEditorsShowing (juce::uint32 kinds);

    //==============================================================================
    // Properties file, per device
    /** Where and how the properties file is kept: "Kelmora Pro"/"Pellion Tools.pvProperties", as the framework places it. */
    static juce::PropertiesFile::Options getPropertiesOptions();
    juce::String getDeviceProperty (const juce::String& serial, const juce::String& key) override;
    bool setDeviceProperty (const juce::String& serial, const juce::String& key, const juce::String& value);
    bool removeDeviceProperty (const juce::String& serial, const juce::String& key);

    //==============================================================================
    // Connection monitor
    void restartDeviceSearch()                 { connectionMonitor.restartDeviceSearch(); }
    void timerCallback()                       { connectionMonitor.tick(); }
    bool isTimerRunning() const noexcept       { return connectionMonitor.isRunning(); }
    void stopTimer()                           { connectionMonitor.stop(); }
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
    /** The version label, with a suffix after the version. */
    void showVersion (const juce::String& suffix = {});
    juce::String applicationVersion() const;

    //==============================================================================
    // Worker threads and the maker's web endpoints
    void handleMessage (const juce::Message& message) override;
    void postCallBacksMessage (int type, const juce::String& text, const FirmwareVersionInfo& firmware, const AppVersionInfo& app);
    void startVersionCheck (const juce::String& url)           { webUpdates.startVersionCheck (url); }
    void showAppUpdateDialog (AppVersionInfo info)              { webUpdates.showAppUpdateDialog (info); }
    void downloadAppUpdate (const juce::String& url)            { webUpdates.downloadAppUpdate (url); }
    void startFileDownload (int productCode, const juce::String& address, int mode) override
                                                                { webUpdates.startFileDownload (productCode, address, mode); }
    void showFirmwareUpdateDialog (FirmwareVersionInfo info)    { webUpdates.showFirmwareUpdateDialog (info); }
    void startDeviceReport() override                           { webUpdates.startDeviceReport(); }
    juce::String getCatalogueAddress() override                 { return webUpdates.getCatalogueAddress(); }
    juce::String getVersionListAddress()                        { return webUpdates.getVersionListAddress(); }
    juce::String getReportAddress()                             { return webUpdates.getReportAddress(); }

    //==============================================================================
    // Firmware upgrade
    void startFirmwareUpgrade() override                        { firmwareUpgrade.startFirmwareUpgrade(); }
    void reportUpgradeResult (int code) override                { firmwareUpgrade.reportUpgradeResult (code); }
    bool isUpgradeRequested() override                          { return upgradeRequested; }
    void setUpgradeRequested (bool requested) override          { upgradeRequested = requested; }

    //==============================================================================
    // The parts that do the work
    BoxPresenter boxPresenter { *this };
    ConnectionMonitor connectionMonitor { *this };
    FirmwareUpgradeController firmwareUpgrade { *this };
    WebUpdates webUpdates { *this };
    DeviceEventHub deviceEvents { *this };

    /** Shows every box of the application (see BoxPresenter::showBox); tests replace it. */
    BoxPresenter::Shower& showAsyncBox = boxPresenter.showBox;

    //==============================================================================
    std::unique_ptr<FullMapWindow> fullMapWindow;
    std::unique_ptr<juce::PropertiesFile> propertiesFile;
    std::unique_ptr<SendDevicesToKelmoraServerThread>& reportThread = webUpdates.reportThread;
    int& selectedInputIndex = connectionMonitor.selectedInputIndex;
    int& selectedOutputIndex = connectionMonitor.selectedOutputIndex;
    int& lastScanCode = connectionMonitor.lastScanCode;
    bool fullSettingsShown = false;
    bool& upgradeRequested = firmwareUpgrade.upgradeRequested;
    bool& restoreRequested = firmwareUpgrade.restoreRequested;
    int& connectionState = connectionMonitor.connectionState;
    juce::TooltipWindow tooltipWindow;
    std::unique_ptr<FileDownloadThread>& fileDownloadThread = webUpdates.fileDownloadThread;
    std::unique_ptr<AppVersionCheckThread>& appVersionCheckThread = webUpdates.appVersionCheckThread;
    LookAndFeelCustom lookAndFeel;
    std::unique_ptr<juce::Label> statusLabel;
    std::unique_ptr<juce::Label> infoLabel;
    std::unique_ptr<juce::Label> versionLabel;
    std::unique_ptr<juce::TabbedComponent> tabs;
    std::unique_ptr<juce::TextButton> buttonReset;
    std::unique_ptr<juce::TextButton> buttonViewFullSettings;
    std::unique_ptr<Presets> presets;
    juce::Image logo;
    std::unique_ptr<InstallerDownload>& installerDownload = webUpdates.installerDownload;
    /** The editors, in the order they hear of a lost product: filter, router, settings, firmware,
        mapper, preset bar. */
    juce::Array<EditorPanel*> editorPanels;

private:
    void layoutTabButtons();
    /** The tab content of this class whose component has this name, from index 3 on. */
    template <typename Page>
    Page* findPage (const juce::String& name);

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MainComponent)
};
