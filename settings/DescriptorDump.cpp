#include "settings/DescriptorDump.h"

DescriptorDump::~DescriptorDump()
{
    stopTimer();
}

juce::StringArray DescriptorDump::getHeader (const MidiController& device, const juce::String& applicationVersion)
{
    return { "Software: " + applicationVersion + "\n\n",
             "Product: " + device.productName + "\n\n",
             "Firmware (Device): V" + device.deviceFirmwareText + "\n",
             "Firmware (Host): V" + juce::String::formatted ("%1.1f", (double) device.hostFirmwareVersion) + "\n\n",
             "Waiting data from device...\n" };
}

juce::String DescriptorDump::getCopyNoticeMessage()
{
    return juce::String ("Please paste clipboard into an email and send it to ") + supportAddress
         + "\n\nWe will check if we can find a way to make your device recognized";
}

bool DescriptorDump::isEnabled (const MidiController& device, int editorMode)
{
    return device.deviceMode == 1 && editorMode == editorIdle && device.hostFirmwareVersion >= 2.45f;
}

bool DescriptorDump::start (MidiController& device)
{
    stopTimer();
    device.descriptorDumpActive = 1;

    if (device.isAwaitingReply())
    {
        // Refused now already: waiting would change nothing.
        if (! device.isProductKnown() || device.upgradeStep >= 1)
            return false;

        startTimer (retryIntervalMs);
        return true;
    }

    return sendCommand (device);
}

void DescriptorDump::timerCallback()
{
    auto* device = MidiController::getInstance();

    // The product was lost meanwhile (which ends the dump), or the device object is gone.
    if (device == nullptr || device->descriptorDumpActive == 0)
    {
        stopTimer();
        return;
    }

    if (device->isAwaitingReply())
        return;

    stopTimer();
    sendCommand (*device);
}

bool DescriptorDump::sendCommand (MidiController& device)
{
    if (device.buildCommand (SYSX_TYPE_COMMAND, SYSX_CMD_DESCRIPTOR_DUMP) != SYSX_OK)
        return false;

    device.sendCommand (4.0f);
    return true;
}
