#include "device/MidiController.h"
#include "device/CallAfterAtLeast.h"

namespace
{
    bool hasReplyHeader (const juce::uint8* reply, int length)
    {
        return length >= 10
            && reply[1] == 0x00 && reply[2] == 0x4B && reply[3] == 0x1D && reply[4] == 0x0F
            && reply[5] != 0xFF
            && (reply[6] & 0x40) != 0;
    }
}

void MidiController::handleIncomingMidiMessage (juce::MidiInput* source, const juce::MidiMessage& message)
{
    receiveMidi (source != nullptr ? source->getIdentifier() : juce::String(), message);
}

void MidiController::setAcceptedInput (const juce::String& identifier)
{
    const juce::ScopedLock sl (replyRingLock);
    acceptedInputIdentifier = identifier;
}

void MidiController::receiveMidi (const juce::String& sourceIdentifier, const juce::MidiMessage& message)
{
    const juce::ScopedLock sl (replyRingLock);

    if (sourceIdentifier != acceptedInputIdentifier || acceptedInputIdentifier.isEmpty() || ! message.isSysEx())
        return;

    // A message cut short has no end byte of its own: it is dropped rather than completed.
    const auto* bytes = message.getRawData();
    const int length = message.getRawDataSize();

    // F0, 8 to 4094 data bytes, F7: the shortest reply is 10 bytes, the longest fills a slot.
    if (length < 10 || length > replyRingSlotSize || bytes[length - 1] != 0xF7)
        return;

    if (! hasReplyHeader (bytes, length))
        return;

    const int slot = replyRingWriteIndex & (replyRingSlots - 1);
    memcpy (replyRing[slot], bytes, (size_t) length);
    replyRingLengths[slot] = length;
    postAsyncMessage (replyReceived, juce::String (slot));
    replyRingWriteIndex = (slot + 1) & (replyRingSlots - 1);
}

int MidiController::getReplyLength (int slot) const
{
    if (! juce::isPositiveAndBelow (slot, replyRingSlots))
        return 0;

    const juce::ScopedLock sl (replyRingLock);
    return replyRingLengths[slot];
}

const juce::uint8* MidiController::getReplySlot (int slot) const
{
    return juce::isPositiveAndBelow (slot, replyRingSlots) ? replyRing[slot] : nullptr;
}

//==============================================================================
void MidiController::postAsyncMessage (int type, const juce::String& text)
{
    auto message = std::make_unique<AsyncMessage> (type, text);

    if (asyncMessageSink != nullptr)
        asyncMessageSink (std::move (message));
    else
        postMessage (message.release());
}

void MidiController::callAfterDelay (int milliseconds, std::function<void()> function)
{
    if (delayedCallSink != nullptr)
        delayedCallSink (milliseconds, std::move (function));
    else
        callAfterAtLeast (milliseconds, std::move (function));
}

void MidiController::showAlert (const juce::String& text, bool warningOnceOnly)
{
    postAsyncMessage (warningOnceOnly ? warningOnce : infoAlert, text);
}

void MidiController::handleMessage (const juce::Message& message)
{
    auto* async = dynamic_cast<const AsyncMessage*> (&message);

    if (async == nullptr)
        return;

    switch (async->type)
    {
        case replyReceived:
        {
            auto slotText = async->text.trim();

            if (! slotText.containsOnly ("0123456789") || slotText.isEmpty())
                return;

            auto slot = slotText.getIntValue();

            if (juce::isPositiveAndBelow (slot, replyRingSlots))
                handleReplyMessage (slot);
            break;
        }

        case statusText:
            if (userInterface != nullptr)
                userInterface->setStatusText (async->text);
            break;

        case deviceInfoText:
            // Posted while the product was there: once it is gone, the line says so and an
            // information text still queued from before must not bring the product back.
            if (userInterface != nullptr && productCode != productNone)
                userInterface->setInfoText (async->text);
            break;

        case infoAlert:
        case warningOnce:
        case infoOnce:
            showAlertMessage (async->type, async->text);
            break;

        default:
            break;
    }
}

void MidiController::showAlertMessage (int type, const juce::String& text)
{
    if (userInterface == nullptr)
        return;

    if (type == infoAlert)
    {
        userInterface->showDeviceAlert (false, text, nullptr);
        return;
    }

    auto& shownFlag = (type == warningOnce) ? warningShown : infoShown;

    if (shownFlag != 0)
        return;

    shownFlag = 1;
    juce::WeakReference<MidiController> safeThis (this);
    const bool isWarning = (type == warningOnce);

    userInterface->showDeviceAlert (isWarning, text, [safeThis, isWarning]
    {
        if (auto* device = safeThis.get())
            (isWarning ? device->warningShown : device->infoShown) = 0;
    });
}

bool MidiController::answersAwaitedRequest (const juce::uint8* reply, int length) const
{
    if (! isAwaitingReply() || length < 10)
        return false;

    const int type = reply[6] & 0x0F;
    const int kind = reply[7];

    if (type != awaitedReply.type || kind != awaitedReply.kind)
        return false;

    if (type == SYSX_TYPE_READ || type == SYSX_TYPE_WRITE)
        return reply[9] == awaitedReply.item;

    // A programming acknowledgement counts only while programming runs.
    if (type == SYSX_TYPE_ICSP)
        return isProgrammingFirmware();

    return true;
}

namespace
{
    /** What the product sends on its own (host-port records, descriptor pieces, reset and USB
        error notices): handled whenever it comes, and never taken as an answer. */
    bool isNotice (const juce::uint8* reply)
    {
        return (reply[6] & 0x0F) == SYSX_TYPE_INFO && reply[7] != SYSX_CMD_IDENTITY && reply[7] != SYSX_CMD_MODULE_INFO;
    }
}

void MidiController::handleReplyMessage (int slot)
{
    const int length = getReplyLength (slot);
    const auto* reply = replyRing[slot];

    if (! hasReplyHeader (reply, length))
        return;

    const bool answer = answersAwaitedRequest (reply, length);

    // A late, repeated or misdirected answer belongs to no request that is out: it changes nothing.
    if (! answer && ! isNotice (reply))
        return;

    if (answer)
        awaitedReply.answered = true;

    juce::uint8 nextType = 0xFF, nextKind = 0xFF;
    const int result = parseDeviceReply (slot, nextType, nextKind);

    if (result == SYSX_OK || result == SYSX_NOTHING_TO_SEND)
    {
        // The awaited reply is here. A request that the parse itself sent keeps its own timeout.
        if (answer && ! isAwaitingReply())
        {
            waitingForReply = 0;
            stopTimer();
        }

        if (result == SYSX_OK && nextType != 0xFF && nextKind != 0xFF)
            sendPending (nextKind);

        return;
    }

    // The reply timeout stays armed: unless another request goes out, it reports as well.
    if (userInterface != nullptr)
    {
        // A refused start request ends the upgrade like any later programming step.
        if (! isProgrammingFirmware())
            userInterface->reportSettingsError (result);
        else
            userInterface->reportUpgradeResult (result);
    }
}
