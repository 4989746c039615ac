#include "routing/UsbPortsReservation.h"
#include "routing/RouterListCommon.h"
#include "routing/RouterCommon.h"

UsbPortsReservation::UsbPortsReservation (RouterListCommon* gridThatOwnsIt, int kind)
    : grid (gridThatOwnsIt), routerKind (kind)
{
    setName ("UsbPortsReservation");
    setSize (360, 280);
}

void UsbPortsReservation::markReservationChanged (int entry)
{
    auto* device = MidiController::getInstance();

    if (device == nullptr || ! juce::isPositiveAndBelow (entry, 2 * device->getNumUsbHostPorts()))
        return;

    if (auto* tab = grid != nullptr ? grid->getTab() : nullptr)
        tab->setPortReservationButtonText (TRANS ("Apply ports reservation"));

    if (grid != nullptr)
        grid->refreshFullMap();
}

void UsbPortsReservation::resetAllReservations (bool queue)
{
    auto* device = MidiController::getInstance();

    if (device == nullptr)
        return;

    if (auto* tab = grid != nullptr ? grid->getTab() : nullptr)
        tab->setPortReservationButtonText ({});

    for (auto entry : table.resetAll (*device, queue))
        if (queue)
            markReservationChanged (entry);
}

void UsbPortsReservation::setOpen (bool open)
{
    table.setStaging (open);
}

void UsbPortsReservation::applyReservations()
{
    if (auto* device = MidiController::getInstance())
        if (table.commit (*device) && grid != nullptr)
            grid->refreshFullMap();
}

void UsbPortsReservation::productLost()
{
    table.discard();
}
