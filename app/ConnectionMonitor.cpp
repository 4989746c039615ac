#include "app/ConnectionMonitor.h"
#include "app/MainComponent.h"
#include "device/MidiController.h"
#include "device/CallAfterAtLeast.h"

ConnectionMonitor::ConnectionMonitor (MainComponent& owner) : main (owner) {}

ConnectionMonitor::~ConnectionMonitor()
{
    stopTimer();
}

void ConnectionMonitor::restartDeviceSearch()
{
    connectionState = 0;
    selectedInputIndex = 255;
    selectedOutputIndex = 255;

    if (auto* device = MidiController::getInstance())
    {
        device->inputIdentifier.clear();
        device->outputIdentifier.clear();
    }

    if (auto* settings = main.getSettings())
        settings->scanMidiPorts();

    startTimer (intervalMs);
}

void ConnectionMonitor::watchBootloader()
{
    connectionState = productUpgradeMode;
    startTimer (intervalMs);
}

void ConnectionMonitor::forgetProduct()
{
    connectionState = 0;
    lastScanCode = -1;
}

bool ConnectionMonitor::openPortsAndRequestIdentity()
{
    auto* device = MidiController::getInstance();

    if (device != nullptr && device->openInput (device->inputIdentifier) == 1)
    {
        if (device->openOutput (device->outputIdentifier) == 1)
        {
            device->requestIdentity();
            return true;
        }
    }

    // Half-opened ports are closed again, so that the next tick tries the whole road anew.
    if (device != nullptr)
    {
        device->closeInput();
        device->closeOutput();
    }

    main.setStatusText ("Error: cannot open the MIDI ports of the device");
    return false;
}

void ConnectionMonitor::tick()
{
    auto* device = MidiController::getInstance();
    auto* settings = main.getSettings();

    if (device == nullptr || settings == nullptr)
        return;

    if (device->waitingForReply != 0)
    {
        startTimer (intervalMs);
        return;
    }

    const int previousInput = selectedInputIndex;
    const int previousOutput = selectedOutputIndex;
    bool lost = false;

    if (connectionState == productUpgradeMode)
    {
        lost = settings->scanMidiPorts() != productUpgradeMode;
    }
    else if (connectionState == 0)
    {
        lastScanCode = settings->scanMidiPorts();

        if (lastScanCode == productNone)
        {
            main.setStatusText ("Searching USB connected device...");
        }
        else if (lastScanCode == productUpgradeMode)
        {
            connectionState = productUpgradeMode;
            device->upgradeInProgress = 0;
            main.setStatusText ("Kelmora Saffrel Bootloader found");

            if (! openPortsAndRequestIdentity())
                connectionState = 0;
        }
        else
        {
            connectionState = lastScanCode;
            device->upgradeInProgress = 0;
            device->setProductCode (lastScanCode);

            if (! openPortsAndRequestIdentity())
                connectionState = 0;
        }
    }
    else if (connectionState > 0)
    {
        if (device->getFirstPendingKind() == 0xFF)
        {
            const int result = settings->scanMidiPorts();
            lost = result != lastScanCode || selectedInputIndex != previousInput || selectedOutputIndex != previousOutput;
        }
    }

    if (lost)
        scheduleDisconnect();

    startTimer (intervalMs);

    if (! lost)
        sendKeepAlive();
}

void ConnectionMonitor::scheduleDisconnect()
{
    auto* device = MidiController::getInstance();
    int delay = 10;

    if (device != nullptr && device->manualConnect == 1)
    {
        device->manualConnect = 0;

        if (device->closeConnection() == SYSX_OK)
            delay = 400;
    }

    juce::Component::SafePointer<MainComponent> safeMain (&main);
    callAfterAtLeast (delay, [safeMain]
    {
        if (auto* owner = safeMain.getComponent())
            owner->onDeviceDisconnected();
    });
}

void ConnectionMonitor::sendKeepAlive()
{
    auto* device = MidiController::getInstance();

    // These two products power down after a quiet while unless they hear from the tool.
    if (device != nullptr && device->hostFirmwareVersion >= 3.75f
         && (device->productCode == productJorvek || device->productCode == productNorrim)
         && (device->powerDown[device->currentPreset & 0x0F] & 0x3FC) != 0
         && device->getFirstPendingKind() == 0xFF
         && device->midiOutput != nullptr)
    {
        device->midiOutput->sendMessageNow (juce::MidiMessage (0xFE, 0.0));
    }
}
