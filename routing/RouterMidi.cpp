#include "routing/RouterMidi.h"
#include "device/MidiController.h"

RouterMidi::RouterMidi (MainComponent* owner) : RouterCommon (owner)
{
    setName ("RouterMidi");
}

void RouterMidi::resetRouter (bool writeToDevice, bool allPresets)
{
    if (auto* list = getRouterList())
        list->resetRouter (writeToDevice, allPresets);

    if (auto* device = MidiController::getInstance())
        for (auto& entry : device->usbDevicePortMasks)
            entry = { -1, 0xFFFFFFFFu };
}

void RouterMidi::productLost()
{
    if (auto* list = getRouterList())
        list->productLost();

    resetRouter (false, true);
    disableRouterButtons();

    if (auto* list = getRouterList())
        list->updateEnablement (false, false);
}

void RouterMidi::flushEdits()
{
    if (auto* list = getRouterList())
        list->flushEdits();
}
