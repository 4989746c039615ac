#include "routing/RouterMidi.h"
#include "device/MidiController.h"

RouterMidi::RouterMidi (MainComponent* owner) : mainComponent (owner)
{
    setName ("RouterMidi");
    routerList = std::make_unique<RouterListCommon>();
}

void RouterMidi::resetRouter (bool, bool)
{
    if (auto* device = MidiController::getInstance())
        for (auto& entry : device->usbDevicePortMasks)
            entry = { -1, 0xFFFFFFFFu };
}

void RouterMidi::productLost()
{
    resetRouter (false, true);
    disableRouterButtons();

    if (auto* list = getRouterList())
        list->updateEnablement (0, 0);
}
