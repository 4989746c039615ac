#pragma once

#include <juce_gui_basics/juce_gui_basics.h>
#include "routing/UsbPortsReservation.h"

/** The routing grid of input and output buttons. */
class RouterListCommon : public juce::Component
{
public:
    void rebuildGrid() {}
    void updateHostPortName (int) {}
    void updateEnablement (int, int) {}
    /** The reservation view, when it exists. */
    UsbPortsReservation* getUsbPortsReservation() { return nullptr; }

    /** A USB port or reservation change waits for the next write, which rebuilds the host list. */
    bool hostListRefreshPending = false;
};
