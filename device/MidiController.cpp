#include "device/MidiController.h"

std::atomic<MidiController*> MidiController::instance { nullptr };
bool MidiController::instanceWasDeleted = false;
bool MidiController::creatingInstance = false;

juce::CriticalSection& MidiController::getSingletonLock()
{
    static juce::CriticalSection lock;
    return lock;
}

MidiController* MidiController::getInstance()
{
    if (auto* existing = instance.load())
        return existing;

    const juce::ScopedLock sl (getSingletonLock());

    if (instance.load() == nullptr && ! instanceWasDeleted && ! creatingInstance)
    {
        creatingInstance = true;
        auto* created = new MidiController();
        creatingInstance = false;
        instance.store (created);
    }

    return instance.load();
}

void MidiController::deleteInstance()
{
    const juce::ScopedLock sl (getSingletonLock());

    // The pointer is cleared before the object is torn down: nobody reaches it half-deleted.
    if (auto* old = instance.exchange (nullptr))
    {
        instanceWasDeleted = true;
        delete old;
    }
}

namespace
{
    const juce::uint8 emptySysex[] = { 0xF0, 0xF7 };
}

MidiController::MidiController()
    : preparedRequest (emptySysex, (int) sizeof (emptySysex), 0.0)
{
    std::fill (std::begin (firmwareImage), std::end (firmwareImage), (juce::uint8) 0xFF);
    preparedRequest.setTimeStamp (0);
    manualConnect = 0;
    replyRingWriteIndex = 0;
    reportScheduled = 0;
    resetDeviceState();
    warningShown = 0;
    upgradeInProgress = 0;
}

MidiController::~MidiController()
{
    stopTimer();
    closeInput();
    closeOutput();

    auto* self = this;

    if (instance.compare_exchange_strong (self, nullptr))
        instanceWasDeleted = true;
}

//==============================================================================
static void writeDefaultPresetName (juce::uint32* words, int preset)
{
    for (int w = 0; w < 4; ++w)
        words[w] = 0;

    auto name = "Preset " + juce::String (preset + 1);

    for (int i = 0; i < juce::jmin (16, name.length()); ++i)
        words[i / 4] |= ((juce::uint32) name[i] & 0xFF) << (24 - 8 * (i % 4));
}

void MidiController::resetDeviceState()
{
    waitingForReply = 0;
    awaitedReply = {};
    fullReadRunning = false;
    presetSetting = 0x4300;
    currentPreset = (juce::uint8) (presetSetting & 0x1F);

    if (productCode >= 1 && productCode <= 6)
        for (int p = 0; p < getNumPresets(); ++p)
            writeDefaultPresetName (presetNames[p], p);

    productCode = productNone;
    deviceMode = 255;
    wirelessModule = 0;
    readCompleteSent = 0;
    hostFirmwareVersion = 0.0f;
    productName.clear();
    serialText.clear();
    hostFirmwareText.clear();
    std::fill (std::begin (presetModified), std::end (presetModified), (juce::uint8) 0);
    userCurvesRead = 0;
    pendingRequests.clearAll();
    descriptorDumpActive = 0;
    deviceFirmwareText.clear();
    deviceFirmwareVersion = 0.0f;
    reportScheduled = 0;
    reportedDevices.clear();
    reportedDevices.minimiseStorageOverheads();

    for (int i = 0; i < numUsedHostRecords; ++i)
        clearHostDevice (i);
}

void MidiController::resetPresetNames()
{
    presetSetting = 0x4300;
    currentPreset = (juce::uint8) (presetSetting & 0x1F);

    if (productCode >= 1 && productCode <= 6)
        for (int p = 0; p < getNumPresets(); ++p)
            writeDefaultPresetName (presetNames[p], p);
}

void MidiController::resetEditorsToDefaults()
{
    if (events != nullptr)
        events->settingsReset();
}

void MidiController::closeOutput()
{
    if (midiOutput != nullptr)
    {
        midiOutput->discardPendingMessages();
        midiOutput.reset();
    }
}

void MidiController::closeInput()
{
    if (midiInput != nullptr)
    {
        midiInput->stop();
        midiInput.reset();
    }
}

bool MidiController::setUsbDevicePortMask (juce::int32 vidPid, juce::uint32 mask, bool allowNew)
{
    for (auto& entry : usbDevicePortMasks)
    {
        if (entry.vidPid == vidPid)
        {
            if (entry.mask == mask)
                return false;

            entry.mask = mask;
            return true;
        }
    }

    if (allowNew)
    {
        for (auto& entry : usbDevicePortMasks)
        {
            if (entry.vidPid == -1)
            {
                entry.vidPid = vidPid;
                entry.mask = mask;
                return true;
            }
        }
    }

    return false;
}

int MidiController::countDeviceInstances (juce::int32 vidPid) const
{
    if (hostFirmwareVersion < 3.35f)
        return -1;

    if (productCode < 1 || productCode > 6)
        return 0;

    juce::Array<juce::int32> handles;

    for (int i = 0; i < getNumUsbHostPorts(); ++i)
        if (usbHostDevices[i].vidPid == vidPid)
            handles.addIfNotAlreadyThere (usbHostDevices[i].deviceHandle);

    return handles.size();
}

void MidiController::clearHostDevice (int index)
{
    if (juce::isPositiveAndBelow (index, numUsbHostRecords))
        usbHostDevices[index].clear();
}
