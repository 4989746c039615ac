#pragma once

#include <juce_gui_basics/juce_gui_basics.h>
#include "routing/ReservationTable.h"

class RouterListCommon;

/** The host-port reservation view of the routing grid.

    It shows no rows yet: it keeps the reservation table, empties it when the routing is reset,
    and its checks always pass.
*/
class UsbPortsReservation : public juce::Component
{
public:
    UsbPortsReservation (RouterListCommon* grid, int routerKind);

    void updateForProduct() {}
    int layoutRows (int) { return 0; }
    void showReservation (int) {}
    bool checkInputReservations()  { return true; }
    bool checkOutputReservations() { return true; }
    void fillInputDeviceChoices (int) {}
    void fillOutputDeviceChoices (int) {}
    void scheduleDeviceChoicesRefill() {}
    bool storePreviousDevice (const juce::String&, const juce::String&, int, int) { return false; }

    /** Empties every reservation of the product; with queue the changed entries are marked for writing. */
    void resetAllReservations (bool queue);
    /** The view opens or closes: while it is open its edits are held apart from the device model. */
    void setOpen (bool open);
    /** The view closes with consistent rows: its edits go into the model and are marked for writing. */
    void applyReservations();
    /** The product is gone: edits are dropped. */
    void productLost();

    ReservationTable& getTable() noexcept { return table; }

private:
    void markReservationChanged (int entry);

    RouterListCommon* grid;
    int routerKind;
    ReservationTable table;
};
