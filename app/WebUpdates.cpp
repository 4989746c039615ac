#include "app/WebUpdates.h"
#include "app/MainComponent.h"
#include "app/AsyncMessageCallBacks.h"
#include "app/AppUpdateOffer.h"
#include "app/FirmwareUpdateOffer.h"
#include "app/AppVersionCheckThread.h"
#include "app/FileDownloadThread.h"
#include "app/SendDevicesToKelmoraServerThread.h"
#include "app/DeviceReport.h"
#include "app/InstallerDownload.h"
#include "app/WebEndpoints.h"
#include "app/FirmwareUpgradeController.h"
#include "device/MidiController.h"

WebUpdates::WebUpdates (MainComponent& owner) : main (owner) {}

WebUpdates::~WebUpdates()
{
    stopWorkers();
}

void WebUpdates::stopWorkers()
{
    installerDownload = nullptr;
    fileDownloadThread = nullptr;
    appVersionCheckThread = nullptr;
    reportThread = nullptr;
}

juce::String WebUpdates::getVersionListAddress() const
{
    return WebEndpoints::getAddress (WebEndpoints::versionList, main.propertiesFile.get());
}

juce::String WebUpdates::getCatalogueAddress() const
{
    return WebEndpoints::getAddress (WebEndpoints::firmwareCatalogue, main.propertiesFile.get());
}

juce::String WebUpdates::getReportAddress() const
{
    return WebEndpoints::getAddress (WebEndpoints::deviceReport, main.propertiesFile.get());
}

//==============================================================================
void WebUpdates::startVersionCheck (const juce::String& url)
{
    appVersionCheckThread = nullptr;
    appVersionCheckThread = std::make_unique<AppVersionCheckThread> (main, url);
    appVersionCheckThread->startThread();
}

void WebUpdates::startFileDownload (int productCode, const juce::String& address, int mode)
{
    fileDownloadThread = nullptr;
    fileDownloadThread = std::make_unique<FileDownloadThread> (main, productCode, address, mode);
    fileDownloadThread->startThread();
}

void WebUpdates::cancelFileDownload()
{
    if (fileDownloadThread != nullptr)
        fileDownloadThread->signalThreadShouldExit();
}

void WebUpdates::startDeviceReport()
{
    auto* device = MidiController::getInstance();

    if (device == nullptr)
        return;

    reportThread = nullptr;
    reportThread = std::make_unique<SendDevicesToKelmoraServerThread> (main, getReportAddress(),
                                                                      DeviceReport::takeSnapshot (*device, main.applicationVersion()));
    reportThread->startThread();
}

//==============================================================================
bool WebUpdates::isFirmwareMessage (int type)
{
    return type == firmwareOffer || type == firmwareFile || type == firmwareFileFailed;
}

void WebUpdates::handleWorkerMessage (const juce::Message& message)
{
    auto* callBack = dynamic_cast<const AsyncMessageCallBacks*> (&message);

    if (callBack == nullptr)
        return;

    // Nothing a firmware worker brings may touch the image, the core or the status line while
    // an image is being programmed.
    if (isFirmwareMessage (callBack->type) && FirmwareUpgradeController::programmingRuns())
        return;

    switch (callBack->type)
    {
        case firmwareOffer:
            showFirmwareUpdateDialog (callBack->firmwareInfo);
            break;

        case firmwareFile:
            if (auto* device = MidiController::getInstance())
                device->postAsyncMessage (statusText, "-");

            if (auto* upgrader = main.getUpgrader())
                upgrader->loadFirmwareText (callBack->text);
            break;

        case appVersionOffer:
            showAppUpdateDialog (callBack->appInfo);
            break;

        case firmwareFileFailed:
            main.setStatusText (callBack->text);
            break;

        case reportAccepted:
            if (auto* device = MidiController::getInstance())
                DeviceReport::recordAccepted (*device, callBack->text, callBack->acceptedDevices);
            break;

        default:
            break;
    }
}

//==============================================================================
void WebUpdates::showAppUpdateDialog (const AppVersionInfo& info)
{
    const auto decision = AppUpdateOffer::decide (info, main.applicationVersion());

    if (decision.markAsBeta)
        main.showVersion (AppUpdateOffer::betaSuffix);

    if (! decision.offer)
        return;

    auto options = juce::MessageBoxOptions()
                       .withIconType (juce::MessageBoxIconType::InfoIcon)
                       .withTitle (AppUpdateOffer::title)
                       .withMessage (decision.message)
                       .withButton (AppUpdateOffer::declineButton)
                       .withButton (AppUpdateOffer::acceptButton);

    juce::Component::SafePointer<MainComponent> safeMain (&main);
    const auto url = info.url;

    main.boxPresenter.show (options, [safeMain, url] (int result)
    {
        if (result == 0 && safeMain != nullptr)
            safeMain->webUpdates.downloadAppUpdate (url);
    });
}

void WebUpdates::showInstallerError()
{
    main.boxPresenter.show (juce::MessageBoxOptions().withIconType (juce::MessageBoxIconType::WarningIcon)
                                .withTitle (InstallerDownload::errorTitle)
                                .withMessage (InstallerDownload::errorMessage)
                                .withButton (TRANS ("OK")));
}

void WebUpdates::downloadAppUpdate (const juce::String& url)
{
    installerDownload = std::make_unique<InstallerDownload> (url);

    switch (installerDownload->getState())
    {
        case InstallerDownload::State::ignored:
            installerDownload = nullptr;
            return;

        case InstallerDownload::State::refused:
            installerDownload = nullptr;
            showInstallerError();
            return;

        default:
            break;
    }

    juce::Component::SafePointer<MainComponent> safeMain (&main);
    installerDownload->pollOnMessageThread ([safeMain] (InstallerDownload::State state)
    {
        auto* owner = safeMain.getComponent();

        if (owner == nullptr)
            return;

        if (state == InstallerDownload::State::finished)
            owner->boxPresenter.show (juce::MessageBoxOptions().withIconType (juce::MessageBoxIconType::InfoIcon)
                                          .withTitle (InstallerDownload::doneTitle)
                                          .withMessage (InstallerDownload::doneMessage)
                                          .withButton (TRANS ("OK")));
        else
            owner->webUpdates.showInstallerError();
    });
}

void WebUpdates::showFirmwareUpdateDialog (const FirmwareVersionInfo& info)
{
    auto* device = MidiController::getInstance();

    if (device == nullptr || FirmwareUpgradeController::programmingRuns())
        return;

    const auto decision = FirmwareUpdateOffer::decide (info, FirmwareUpdateOffer::DeviceState::fromDevice (*device, main.restoreRequested));
    decision.applyBetaFlag (*device);

    if (auto* upgrader = main.getUpgrader())
        upgrader->updateRestoreButton (true);

    device->postDeviceInfo();

    if (! decision.offer)
    {
        if (decision.switchToHostCore)
            device->switchToHostCore();

        return;
    }

    main.restoreRequested = false;

    auto options = juce::MessageBoxOptions()
                       .withIconType (juce::MessageBoxIconType::InfoIcon)
                       .withTitle (decision.title)
                       .withMessage (decision.message)
                       .withButton (FirmwareUpdateOffer::declineButton)
                       .withButton (FirmwareUpdateOffer::acceptButton);

    juce::Component::SafePointer<MainComponent> safeMain (&main);
    const auto url = info.url;

    main.boxPresenter.show (options, [safeMain, url] (int result)
    {
        auto* owner = safeMain.getComponent();
        auto* current = MidiController::getInstance();

        // An answer given while an image is being programmed neither downloads nor switches cores.
        if (owner == nullptr || current == nullptr || FirmwareUpgradeController::programmingRuns())
            return;

        if (result == 0)
        {
            current->postAsyncMessage (statusText, FirmwareUpdateOffer::downloadingStatus);
            owner->startFileDownload (current->productCode, url, FileDownloadThread::firmwareFileMode);
        }
        else if (FirmwareUpdateOffer::switchesToHostCoreOnDecline (current->productCode, current->deviceMode))
        {
            current->switchToHostCore();
        }
    });
}
