#include "app/FirmwareUpgradeController.h"
#include "app/MainComponent.h"
#include "device/MidiController.h"

bool FirmwareUpgradeController::programmingRuns()
{
    auto* device = MidiController::getInstance();
    return device != nullptr && device->isProgrammingFirmware();
}

void FirmwareUpgradeController::refuse (const juce::String& text)
{
    main.boxPresenter.showError (text);
    main.setStatusText ("Error: " + text);
}

void FirmwareUpgradeController::startFirmwareUpgrade()
{
    auto* device = MidiController::getInstance();
    auto* settings = main.getSettings();

    // One upgrade at a time: nothing restarts or replaces the programming that runs.
    if (device == nullptr || settings == nullptr || device->isProgrammingFirmware())
        return;

    auto hasPort = [] (juce::ComboBox& list, int index)
    {
        return index >= 0 && index < list.getNumItems() && list.getItemText (index).isNotEmpty();
    };

    if (device->productCode == productNone)
        return refuse ("Please select a product");

    if (! hasPort (settings->inputPortCombo, main.selectedInputIndex))
        return refuse ("Please select MIDI input");

    if (! hasPort (settings->outputPortCombo, main.selectedOutputIndex))
        return refuse ("Please select MIDI output");

    if (device->firmwareImageSize == 0)
        return refuse ("Please select a firmware");

    // An image of another core is refused before anything is restarted or erased.
    if (! device->imageFitsConnectedCore())
    {
        upgradeRequested = false;
        refuse ("The firmware does not match the connected product");

        if (auto* upgrader = main.getUpgrader())
            upgrader->updateEnablement (editorIdle);

        return;
    }

    if (device->openInput (device->inputIdentifier) != 1 || device->openOutput (device->outputIdentifier) != 1)
        return;

    // A catalogue or firmware download still under way would only answer into the upgrade.
    main.webUpdates.cancelFileDownload();

    if (device->deviceMode != 0)
    {
        restartIntoBootloader();
    }
    else
    {
        main.lockAllEditors (true);
        device->upgradeStep = 0;
        device->continueFirmwareUpgrade();
    }

    if (! settings->autoDetectToggle.getToggleState())
    {
        settings->autoDetectToggle.setToggleState (true, juce::dontSendNotification);
        settings->applyConnectionMode (true);
    }
}

void FirmwareUpgradeController::restartIntoBootloader()
{
    auto* device = MidiController::getInstance();

    device->waitingForReply = 0;
    device->stopTimer();
    device->pendingRequests.clearAll();
    device->upgradeInProgress = 1;
    device->postAsyncMessage (statusText, "Restarting in Bootloader mode...");

    if (device->buildCommand (SYSX_TYPE_COMMAND, SYSX_CMD_RESTART_BOOTLOADER) == SYSX_OK)
    {
        device->sendCommand (0.0f);

        // The product re-enumerates as its bootloader meanwhile; the search then finds its upgrade port.
        waitForRestart();
        main.restartDeviceSearch();
    }
}

void FirmwareUpgradeController::waitForRestart()
{
    const auto end = juce::Time::getMillisecondCounter() + (juce::uint32) restartWaitMs;

    while (juce::Time::getMillisecondCounter() < end)
        juce::Thread::sleep (10);
}

void FirmwareUpgradeController::reportUpgradeResult (int code)
{
    auto* device = MidiController::getInstance();

    if (device != nullptr)
    {
        // The upgrade is over: a reply timeout still armed for a refused step would later
        // replace this result with a timeout, and a pending step must not go out.
        device->endFirmwareProgramming();
        device->waitingForReply = 0;
        device->stopTimer();

        if (code == 0)
        {
            main.setStatusText ("Firmware upgrade finished with SUCCESS, please disconnect the device");
            device->firmwareImageSize = 0;
        }
        else if (device->deviceMode == 0)
        {
            main.setStatusText (juce::String::formatted ("Firmware upgrade finished errorCode: %Xh, please disconnect the device", (unsigned) code));
        }
        else
        {
            main.setStatusText (juce::String::formatted ("Communication error: errorCode: %Xh, please disconnect the device", (unsigned) code));
        }
    }

    if (auto* upgrader = main.getUpgrader())
        upgrader->updateEnablement (editorIdle);

    // An upgrade of a product connected by hand returned the tab to automatic mode, but left the
    // monitor stopped while programming ran: it watches the connected bootloader from now on.
    auto* settings = main.getSettings();

    if (settings != nullptr && settings->autoDetectToggle.getToggleState() && ! main.connectionMonitor.isRunning())
    {
        if (device != nullptr && device->deviceMode == 0)
            main.connectionMonitor.watchBootloader();
        else
            main.restartDeviceSearch();
    }
}

void FirmwareUpgradeController::productLost()
{
    auto* device = MidiController::getInstance();

    if (device == nullptr)
        return;

    // A product lost while programming paused between two steps ends the upgrade.
    if (device->isProgrammingFirmware())
        main.reportUpgradeResult (SYSX_REPLY_TIMEOUT);

    // An image accepted for the lost product is not accepted for whatever comes next.
    device->firmwareImageAcceptance = {};
}
