#include "device/MidiController.h"

namespace
{
    constexpr int wordsPerBlock = 64;
    constexpr int pauseBeforeStartMs = 500;
    constexpr int pauseBeforeEraseMs = 100;
}

bool MidiController::isProgrammingFirmware() const
{
    // The start request is out before the first acknowledgement moves the step on.
    const bool programmingRequestOut = waitingForReply != 0 && preparedRequest.getRawDataSize() > 6
                                        && (preparedRequest.getRawData()[6] & 0x0F) == SYSX_TYPE_ICSP;
    return programmingRuns || upgradeStep >= 1 || programmingRequestOut;
}

bool MidiController::imageFitsConnectedCore() const
{
    const int coreId = getProductIdByte();
    return firmwareImageProductId == coreId || firmwareImageAcceptance.isGivenFor (coreId, serialText);
}

void MidiController::endFirmwareProgramming()
{
    programmingRuns = false;
    upgradeStep = 0;
    programmingPause.cancel();
}

void MidiController::sendProgrammingRequestAfter (int delayMs, juce::uint8 kind, float timeoutSeconds)
{
    // The message thread goes on meanwhile, so the status text posted before the pause is shown.
    programmingPause.start (scaledPauseMs (delayMs), upgradeStep, kind, timeoutSeconds);
}

void MidiController::ProgrammingPause::start (int pauseMs, int programmingStep, juce::uint8 requestKind,
                                              float requestTimeoutSeconds)
{
    step = programmingStep;
    kind = requestKind;
    timeoutSeconds = requestTimeoutSeconds;
    startTimer (pauseMs);
}

void MidiController::ProgrammingPause::timerCallback()
{
    stopTimer();

    if (! device.programmingRuns || device.upgradeStep != step)
        return;

    if (device.buildCommand (SYSX_TYPE_ICSP, kind) == SYSX_OK)
        device.sendCommand (timeoutSeconds);
}

bool MidiController::hasProgrammableImage() const
{
    return flashEnd > flashStart && firmwareImageSize > 0 && firmwareImageSize <= flashSpan;
}

void MidiController::continueFirmwareUpgrade()
{
    switch (upgradeStep)
    {
        case 0:
            // A core without a programmable range, or an image that doesn't fit it, is never erased.
            if (! hasProgrammableImage())
            {
                if (userInterface != nullptr)
                    userInterface->reportUpgradeResult (SYSX_FIRMWARE_ERROR);
                return;
            }

            programmingRuns = true;
            postAsyncMessage (statusText, "Starting Fw upgrade (SYSX_CMD_ICSP_START)");
            sendProgrammingRequestAfter (pauseBeforeStartMs, SYSX_CMD_ICSP_START, 4.0f);
            break;

        case 1:
            postAsyncMessage (statusText, "Erasing device... Please wait");
            sendProgrammingRequestAfter (pauseBeforeEraseMs, SYSX_CMD_ICSP_ERASE, 12.0f);
            break;

        case 2:
        {
            const juce::uint32 address[] = { programAddress };

            if (buildCommand (SYSX_TYPE_ICSP, SYSX_CMD_ICSP_SET_ADDRESS, address, 1) == SYSX_OK)
                sendCommand (4.0f);
            break;
        }

        case 3:
        {
            juce::uint32 words[wordsPerBlock];

            if (fillFirmwareBlock (programAddress, words) == wordsPerBlock)
            {
                const juce::uint32 percent = (programAddress - flashStart) * 100u / firmwareImageSize;
                postAsyncMessage (statusText, juce::String::formatted ("Programming Flash at address %x (%d %%)",
                                                                       (unsigned) programAddress, (int) percent));

                if (buildCommand (SYSX_TYPE_ICSP, SYSX_CMD_ICSP_WRITE, words, wordsPerBlock) == SYSX_OK)
                    sendCommand (4.0f);
            }
            else
            {
                postAsyncMessage (statusText, "Finishing upgrade (SYSX_CMD_ICSP_FINISH_SUCCESS)");

                if (buildCommand (SYSX_TYPE_ICSP, SYSX_CMD_ICSP_FINISH_SUCCESS) == SYSX_OK)
                    sendCommand (4.0f);
            }
            break;
        }

        default:
            break;
    }
}

int MidiController::fillFirmwareBlock (juce::uint32 address, juce::uint32* words)
{
    if (address < flashStart || address >= flashEnd || programAddress - flashStart >= firmwareImageSize)
        return 0;

    const juce::uint32 offset = address - flashStart;

    for (juce::uint32 k = 0; k < (juce::uint32) wordsPerBlock; ++k)
    {
        const juce::uint32 o = offset + 4 * k;

        if (o < flashSpan && o + 3 < (juce::uint32) firmwareImageCapacity)
            words[k] = (juce::uint32) firmwareImage[o]
                     | ((juce::uint32) firmwareImage[o + 1] << 8)
                     | ((juce::uint32) firmwareImage[o + 2] << 16)
                     | ((juce::uint32) firmwareImage[o + 3] << 24);
        else
            words[k] = 0xFFFFFFFFu;
    }

    return wordsPerBlock;
}
