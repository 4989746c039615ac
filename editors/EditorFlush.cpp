#include "editors/EditorFlush.h"
#include "device/MidiController.h"

bool flushEditorWrites (juce::Timer& editorTimer)
{
    editorTimer.stopTimer();

    if (auto* device = MidiController::getInstance())
        return flushEditorWrites (editorTimer, *device);

    return false;
}

bool flushEditorWrites (juce::Timer& editorTimer, MidiController& device)
{
    editorTimer.stopTimer();

    if (device.upgradeStep > 0 || device.deviceMode == 0)
        return false;

    const int firstWriteKind = device.pendingRequests.lowestWriteKind();

    if (firstWriteKind == 0xFF)
        return false;

    return device.sendPending (firstWriteKind);
}
