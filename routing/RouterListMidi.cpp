#include "routing/RouterListMidi.h"
#include "routing/DefaultRouting.h"
#include "routing/UsbPortsReservation.h"

RouterListMidi::RouterListMidi (juce::Component* ownerTab) : RouterListCommon (ownerTab)
{
    setName ("RouterListMidi");
}

void RouterListMidi::resetRouter (bool writeToDevice, bool allPresets)
{
    auto* device = MidiController::getInstance();

    if (device == nullptr)
        return;

    clearInputSelection();

    if (isReservationViewOpen())
        togglePortReservationView();

    DefaultRouting::resetPresets (*device, allPresets);
    rebuildGrid();
    refreshFullMap();

    if (auto* view = getUsbPortsReservation())
        view->resetAllReservations (writeToDevice);

    if (writeToDevice)
        writeRouterSettings();
}
