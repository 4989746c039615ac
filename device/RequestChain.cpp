#include "device/MidiController.h"
#include "app/MainComponent.h"

void MidiController::readAllSettings()
{
    const float version = hostFirmwareVersion;
    const bool known = isProductKnown();
    const bool hostProduct = productCode >= 1 && productCode <= 6;
    const bool deviceProduct = productCode >= 7 && productCode <= 12;

    auto markRange = [this] (int kind, int count)
    {
        count = juce::jmin (count, getTableItemLimit (kind));

        for (int i = 0; i < count; ++i)
            markForRead (kind, i);
    };

    if (version >= 1.05f && known)
        markForRead (kindPresetSetting, 0);

    if (known && (productCode == productJorvek || productCode == productNorrim))
        markForRead (kindTrsType, 0);

    if (productCode == productNorrim)
        markForRead (kindSync24, 0);

    if (version > 3.75f && known && (productCode == productJorvek || productCode == productNorrim))
        markForRead (kindPowerDown, 0);

    const int ports = getNumUsbHostPorts() + getNumLocalPorts();
    markRange (kindRouter, ports);

    const bool inputsOnly = version < 0.55f && known;
    markRange (kindChannelFilter, inputsOnly ? ports : 2 * ports);
    markRange (kindMessageFilter, inputsOnly ? ports : 2 * ports);

    if (version >= 0.55f)
    {
        if (hostProduct)
            markRange (kindMapper, getNumMappers());
        else if (deviceProduct)
            pendingRequests.clear (kindMapper, 0);
    }

    if (version >= 2.75f)
    {
        if (hostProduct)
            markRange (kindPresetName, getNumPresets());
        else if (deviceProduct)
            pendingRequests.clear (kindPresetName, 0);
    }

    if (version >= 2.85f && known)
        markRange (kindUsbDevicePorts, 16);

    if (version >= 3.05f && known)
        markRange (kindPortReservation, 2 * getNumUsbHostPorts());

    if (deviceFirmwareVersion > 6.95f && known)
        markForRead (kindUsbProductName, 0);

    const int firstKind = (version >= 1.05f && known) ? kindPresetSetting : kindRouter;

    if (buildCommand (SYSX_TYPE_READ, (juce::uint8) firstKind) != SYSX_OK)
        return;

    sendCommand (4.0f);
}

juce::uint8 MidiController::completePendingRequest (juce::uint8 type, juce::uint8 kind, juce::uint8 item)
{
    if (kind >= PendingRequests::numKinds)
        return 0xFF;

    // A read answered while the same item waits to be written keeps the write: the local edit is newer.
    if (! (type == SYSX_TYPE_READ && pendingRequests.isWrite (kind, item)))
        pendingRequests.clear (kind, item);

    if (upgradeStep < 1 && deviceMode != 0 && pendingRequests.hasAny (kind))
        return kind;

    const auto next = getFirstPendingKind();

    if (next != 0xFF)
        return next;

    finishChain (type);
    return 0xFF;
}

void MidiController::finishChain (int type)
{
    postAsyncMessage (statusText, "-");

    if (type != SYSX_TYPE_READ || upgradeInProgress != 0)
        return;

    if (mainComponent != nullptr)
        if (auto* fullMap = mainComponent->getFullMap())
            fullMap->refresh();

    if (readCompleteSent == 0 && isProductKnown() && hasSettingsFirmware())
    {
        if (buildCommand (SYSX_TYPE_COMMAND, SYSX_CMD_END_OF_READ) == SYSX_OK)
        {
            readCompleteSent = 1;
            sendCommand (4.0f);
        }
    }
}

juce::uint8 MidiController::getFirstPendingKind() const
{
    if (upgradeStep >= 1 || deviceMode == 0)
        return 0xFF;

    for (int kind = 0; kind < PendingRequests::numKinds; ++kind)
        if (pendingRequests.hasAny (kind))
            return (juce::uint8) kind;

    return 0xFF;
}

void MidiController::sendCommand (float timeoutSeconds)
{
    waitingForReply = 0;
    stopTimer();
    ++requestsSent;

    if (timeoutSeconds > 0.0f)
    {
        waitingForReply = 1;
        startTimer ((int) (timeoutSeconds * 1000.0f));
    }

    // With no output open nothing goes out, but the timeout still reports the missing answer.
    if (midiOutput != nullptr)
        midiOutput->sendMessageNow (preparedRequest);
}

void MidiController::timerCallback()
{
    if (waitingForReply == 1)
    {
        handleReplyTimeout();
        return;
    }

    waitingForReply = 0;
    stopTimer();
}

void MidiController::handleReplyTimeout()
{
    // Taken before the wait ends: an unanswered start request ends the upgrade like any later step.
    const bool programming = isProgrammingFirmware();
    waitingForReply = 0;
    stopTimer();

    postAsyncMessage (infoAlert, "Sysex Timeout\nNo answer received from the connected device");

    if (userInterface != nullptr)
    {
        if (! programming)
        {
            userInterface->setStatusText (juce::String::formatted ("Error while reading/writing settings errorCode: %Xh", SYSX_REPLY_TIMEOUT));

            if (deviceMode == 1 && serialText.isNotEmpty())
                userInterface->setFactoryResetEnabled (true);
        }
        else
        {
            userInterface->reportUpgradeResult (SYSX_REPLY_TIMEOUT);
        }
    }

    pendingRequests.clearAll();
}

void MidiController::writePresetSetting()
{
    if (hostFirmwareVersion >= 1.05f && isProductKnown())
        if (buildCommand (SYSX_TYPE_WRITE, kindPresetSetting) == SYSX_OK)
            sendCommand (4.0f);
}

void MidiController::writeTrsTypes()
{
    if (productCode == productJorvek || productCode == productNorrim)
        if (buildCommand (SYSX_TYPE_WRITE, kindTrsType) == SYSX_OK)
            sendCommand (4.0f);
}

void MidiController::writeSync24()
{
    if (productCode == productNorrim)
        if (buildCommand (SYSX_TYPE_WRITE, kindSync24) == SYSX_OK)
            sendCommand (4.0f);
}

void MidiController::writePowerDown()
{
    if (productCode == productJorvek || productCode == productNorrim)
        if (buildCommand (SYSX_TYPE_WRITE, kindPowerDown) == SYSX_OK)
            sendCommand (4.0f);
}
