#pragma once

#include <juce_gui_basics/juce_gui_basics.h>
#include "app/FirmwareVersionInfo.h"
#include "app/AppVersionInfo.h"

class MainComponent;
class AppVersionCheckThread;
class FileDownloadThread;
class SendDevicesToKelmoraServerThread;
class InstallerDownload;

/** Everything that talks to the maker's web endpoints: the three worker threads, the installer
    download, the messages the workers post and the two offers they lead to. */
class WebUpdates
{
public:
    explicit WebUpdates (MainComponent& owner);
    ~WebUpdates();

    /** Stops and deletes every worker, each waited for (the main component's shut-down). */
    void stopWorkers();

    juce::String getVersionListAddress() const;
    juce::String getCatalogueAddress() const;
    juce::String getReportAddress() const;

    void startVersionCheck (const juce::String& url);
    void startFileDownload (int productCode, const juce::String& address, int mode);
    /** Asks a catalogue or firmware download still under way to end, without waiting for it. */
    void cancelFileDownload();
    void startDeviceReport();

    /** A message a worker posted to the main component. */
    void handleWorkerMessage (const juce::Message& message);

    void showAppUpdateDialog (const AppVersionInfo& info);
    void downloadAppUpdate (const juce::String& url);
    void showFirmwareUpdateDialog (const FirmwareVersionInfo& info);

    std::unique_ptr<FileDownloadThread> fileDownloadThread;
    std::unique_ptr<AppVersionCheckThread> appVersionCheckThread;
    std::unique_ptr<SendDevicesToKelmoraServerThread> reportThread;
    std::unique_ptr<InstallerDownload> installerDownload;

private:
    static bool isFirmwareMessage (int type);
    void showInstallerError();

    MainComponent& main;

    JUCE_DECLARE_NON_COPYABLE (WebUpdates)
};
