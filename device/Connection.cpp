#include "device/MidiController.h"

int MidiController::openInput (const juce::String& identifier)
{
    closeInput();
    setAcceptedInput (identifier);
    midiInput = MidiPortSystem::get().openInput (identifier, *this);

    if (midiInput == nullptr)
        return -1;

    midiInput->start();
    return 1;
}

int MidiController::openOutput (const juce::String& identifier)
{
    closeOutput();
    midiOutput = MidiPortSystem::get().openOutput (identifier);
    return midiOutput != nullptr ? 1 : -1;
}

int MidiController::closeConnection()
{
    if (! isProductKnown() || hostFirmwareVersion <= 0.55f)
        return SYSX_NOTHING_TO_SEND;

    postAsyncMessage (statusText, "Closing connection to the device...");

    if (buildCommand (SYSX_TYPE_COMMAND, SYSX_CMD_CLOSE_CONNECTION) != SYSX_OK)
        return SYSX_NOTHING_TO_SEND;

    readCompleteSent = 0;
    sendCommand (0.0f);
    return SYSX_OK;
}

void MidiController::requestIdentity()
{
    postAsyncMessage (statusText, "USB Midi device found, reading information...");

    if (buildCommand (SYSX_TYPE_INFO, SYSX_CMD_IDENTITY) == SYSX_OK)
        sendCommand (4.0f);
}

void MidiController::requestIdentityLater()
{
    juce::WeakReference<MidiController> safeThis (this);

    callAfterDelay (scaledPauseMs (identityRequestDelayMs), [safeThis]
    {
        if (auto* device = safeThis.get())
            device->requestIdentity();
    });
}
