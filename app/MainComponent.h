#pragma once

#include <juce_gui_basics/juce_gui_basics.h>
#include "device/DeviceUserInterface.h"
#include "editors/Filter.h"
#include "editors/Mapper.h"
#include "routing/RouterMidi.h"
#include "app/Upgrader.h"
#include "settings/Settings.h"
#include "settings/Presets.h"
#include "settings/FullMap.h"

/** The main window's content and the application's hub: tabs, status lines, buttons. */
class MainComponent : public juce::Component,
                      public DeviceUserInterface
{
public:
    MainComponent();
    ~MainComponent() override;

    Filter* getFilter()     { return filter.get(); }
    Mapper* getMapper()     { return mapper.get(); }
    RouterMidi* getRouter() { return router.get(); }
    Upgrader* getUpgrader() { return upgrader.get(); }
    Settings* getSettings() { return settings.get(); }
    Presets* getPresets()   { return presets.get(); }
    /** The full-settings window's content, when that window exists. */
    FullMap* getFullMap()   { return nullptr; }

    // DeviceUserInterface
    void setStatusText (const juce::String& text) override;
    void setInfoText (const juce::String& text) override;
    void showDeviceAlert (bool warningIcon, const juce::String& text, std::function<void()> onClosed) override;
    void reportSettingsError (int code) override;
    void reportUpgradeResult (int code) override;
    void setEditorsEnabled (bool enabled) override;
    void setFactoryResetEnabled (bool enabled) override;
    juce::String getDeviceProperty (const juce::String& serial, const juce::String& name) override;
    void startFileDownload (int productCode, const juce::String& address, int mode) override;
    juce::String getCatalogueAddress() override;
    bool isUpgradeRequested() override { return upgradeRequested; }
    void setUpgradeRequested (bool requested) override { upgradeRequested = requested; }
    void startFirmwareUpgrade() override;
    void startDeviceReport() override;

    bool upgradeRequested = false;
    bool restoreRequested = false;
    int selectedInputIndex = 255;
    int selectedOutputIndex = 255;

private:
    std::unique_ptr<Filter> filter;
    std::unique_ptr<Mapper> mapper;
    std::unique_ptr<RouterMidi> router;
    std::unique_ptr<Upgrader> upgrader;
    std::unique_ptr<Settings> settings;
    std::unique_ptr<Presets> presets;
    juce::Label statusLabel, infoLabel;
};
