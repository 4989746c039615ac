#include "device/MidiController.h"
#include "device/ProductTables.h"

void MidiController::readAllSettings()
{
    markAllSettingsForRead();

    const bool startWithPresetSetting = hostFirmwareVersion >= 1.05f && isProductKnown();
    sendPending (startWithPresetSetting ? kindPresetSetting : kindRouter);
}

void MidiController::markAllSettingsForRead()
{
    const float version = hostFirmwareVersion;
    const bool known = isProductKnown();
    const bool hostProduct = ProductTables::isHostCode (productCode);
    const bool deviceProduct = ProductTables::isDeviceCode (productCode);

    auto markRange = [this] (int kind, int count)
    {
        count = juce::jmin (count, getTableItemLimit (kind));

        for (int i = 0; i < count; ++i)
            markForRead (kind, i);
    };

    fullReadRunning = true;

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
}

//==============================================================================
bool MidiController::isAwaitingReply() const
{
    return waitingForReply != 0 && ! awaitedReply.answered;
}

bool MidiController::isSendable (int kind, int item) const
{
    if (! pendingRequests.isPending (kind, item))
        return false;

    if (! pendingRequests.isWrite (kind, item))
        return true;

    if (isPerPresetKind (kind))
        return pendingRequests.getPreset (kind, item) == currentPreset;

    // Selecting another preset waits until the current preset's edits have reached the product.
    if (kind == kindPresetSetting && (int) (presetSetting & 0x1F) != currentPreset)
        return ! pendingRequests.hasWritesForPreset (currentPreset);

    return true;
}

int MidiController::findSendableKind (int firstKind) const
{
    if (upgradeStep >= 1 || deviceMode == 0)
        return 0xFF;

    auto hasSendable = [this] (int kind)
    {
        if (! pendingRequests.hasAny (kind))
            return false;

        // A read may always go out.
        if (pendingRequests.hasReads (kind))
            return true;

        for (int item = 0; item < PendingRequests::numItems; ++item)
            if (isSendable (kind, item))
                return true;

        return false;
    };

    if (juce::isPositiveAndBelow (firstKind, PendingRequests::numKinds) && hasSendable (firstKind))
        return firstKind;

    for (int kind = 0; kind < PendingRequests::numKinds; ++kind)
        if (hasSendable (kind))
            return kind;

    return 0xFF;
}

juce::uint8 MidiController::getFirstPendingKind() const
{
    return (juce::uint8) findSendableKind (-1);
}

bool MidiController::sendPending (int firstKind)
{
    lastSendResult = SYSX_NOTHING_TO_SEND;

    // One request at a time: the chain goes on from the reply.
    if (isAwaitingReply())
        return false;

    bool anythingTried = false;

    for (;;)
    {
        const int kind = findSendableKind (firstKind);
        firstKind = -1;

        if (kind == 0xFF)
        {
            if (anythingTried)
                finishChain();

            return false;
        }

        anythingTried = true;
        int type = SYSX_TYPE_READ;

        for (int item = 0; item < PendingRequests::numItems; ++item)
        {
            if (isSendable (kind, item))
            {
                type = pendingRequests.isWrite (kind, item) ? SYSX_TYPE_WRITE : SYSX_TYPE_READ;
                break;
            }
        }

        const int result = buildCommand (type, (juce::uint8) kind);

        if (result == SYSX_OK)
        {
            lastSendResult = SYSX_OK;
            sendCommand (4.0f);
            return true;
        }

        lastSendResult = result;

        // Nothing of this kind can be sent: drop its marks, so that the chain never stalls on them.
        pendingRequests.clearKind (kind);
    }
}

void MidiController::switchPreset (int preset)
{
    // Compared with the preset last chosen, which may still wait to be selected on the product.
    if (! juce::isPositiveAndBelow (preset, numPresetRows) || preset == (int) (presetSetting & 0x1F))
        return;

    presetChanged = 1;
    presetSetting = (presetSetting & ~0x1Fu) | (juce::uint32) preset;
    writePresetSetting();
}

void MidiController::clearAnsweredMark (int type, int kind, int item)
{
    if (type == SYSX_TYPE_WRITE)
    {
        // Only the edit that went out is done: a newer edit of the same item goes out next.
        const bool answersSentWrite = awaitedReply.type == SYSX_TYPE_WRITE && awaitedReply.kind == kind
                                        && awaitedReply.item == item;

        if (! answersSentWrite || pendingRequests.getGeneration (kind, item) == awaitedReply.generation)
            pendingRequests.clear (kind, item);
    }
    else if (! pendingRequests.isWrite (kind, item))
    {
        // A read answered while the same item waits to be written keeps the write: the local edit is newer.
        pendingRequests.clear (kind, item);
    }
}

juce::uint8 MidiController::completePendingRequest (juce::uint8 type, juce::uint8 kind, juce::uint8 item)
{
    if (kind >= PendingRequests::numKinds)
        return 0xFF;

    clearAnsweredMark (type, kind, item);

    if (upgradeStep < 1 && deviceMode != 0 && findSendableKind (kind) == kind)
        return kind;

    const auto next = getFirstPendingKind();

    if (next != 0xFF)
        return next;

    finishChain();
    return 0xFF;
}

void MidiController::dropWritesOfOtherPresets (int keepPreset)
{
    const auto dropped = pendingRequests.dropWritesOfOtherPresets (keepPreset);

    for (int preset = 0; preset < numPresetRows; ++preset)
        if ((dropped & (1u << preset)) != 0)
            postAsyncMessage (statusText, juce::String::formatted ("Preset changed on the device: edits of preset %d were not written",
                                                                   preset + 1));
}

void MidiController::finishChain()
{
    // Writes that can no longer reach their preset would hold the chain for ever.
    if (upgradeStep < 1 && deviceMode != 0)
        dropWritesOfOtherPresets (currentPreset);

    postAsyncMessage (statusText, "-");

    // A read of all settings ends with the end-of-reading command (unless an upgrade restarted the product).
    const bool fullReadEnded = fullReadRunning && upgradeInProgress == 0;

    if (fullReadEnded)
        fullReadRunning = false;

    if (events != nullptr)
        events->chainEnded (fullReadEnded);

    if (fullReadEnded && readCompleteSent == 0 && isProductKnown() && hasSettingsFirmware())
    {
        if (buildCommand (SYSX_TYPE_COMMAND, SYSX_CMD_END_OF_READ) == SYSX_OK)
        {
            readCompleteSent = 1;
            sendCommand (4.0f);
        }
    }
}

void MidiController::sendCommand (float timeoutSeconds)
{
    waitingForReply = 0;
    awaitedReply = {};

    // A timer still running is restarted by startTimer below, without leaving the framework's
    // timer list and waking its thread to be added again.
    if (timeoutSeconds <= 0.0f)
    {
        stopTimer();
    }
    else
    {
        const auto* request = preparedRequest.getRawData();
        const int size = preparedRequest.getRawDataSize();

        if (size >= 8)
        {
            awaitedReply.type = request[6] & 0x0F;
            awaitedReply.kind = request[7];

            if ((awaitedReply.type == SYSX_TYPE_READ || awaitedReply.type == SYSX_TYPE_WRITE) && size >= 10)
            {
                awaitedReply.item = request[9];

                if (awaitedReply.type == SYSX_TYPE_WRITE)
                    awaitedReply.generation = pendingRequests.getGeneration (awaitedReply.kind, awaitedReply.item);
            }
        }

        awaitedReply.answered = false;
        waitingForReply = 1;
        startTimer (juce::jmax (1, juce::roundToInt (timeoutSeconds * 1000.0f * replyTimeoutScale)));
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
    awaitedReply = {};
    fullReadRunning = false;

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
    {
        markForWrite (kindPresetSetting, 0);
        sendPending (kindPresetSetting);
    }
}

void MidiController::writeTrsTypes()
{
    if (productCode == productJorvek || productCode == productNorrim)
    {
        markForWrite (kindTrsType, 0);
        sendPending (kindTrsType);
    }
}

void MidiController::writeSync24()
{
    if (productCode == productNorrim)
    {
        markForWrite (kindSync24, 0);
        sendPending (kindSync24);
    }
}

void MidiController::writePowerDown()
{
    if (productCode == productJorvek || productCode == productNorrim)
    {
        markForWrite (kindPowerDown, 0);
        sendPending (kindPowerDown);
    }
}
