#pragma once

#include "device/MidiController.h"

/** What one row of the reservation view has chosen: a device (by its place in the device list,
    its vidPid and its instance) and a cable number. */
struct ReservationRow
{
    /** -1 nothing chosen, 0 "Not reserved", from 1 a device. */
    int deviceIndex = -1;
    juce::int32 vidPid = -1;
    /** 255: any instance (a remembered device). */
    juce::uint8 instance = 255;
    /** The device's cable number 0 to 15, -1 none. */
    int cableIndex = -1;

    /** A device is chosen for the port. */
    bool namesDevice() const noexcept  { return deviceIndex >= 1 && vidPid != -1; }
    /** The port is reserved: a device and its cable are chosen (the padlock closes). */
    bool isComplete() const noexcept   { return deviceIndex >= 1 && cableIndex >= 0; }

    /** The entry the row stands for. The instance counts only when the product tells instances
        apart (host firmware above 3.35); a row naming no known device keeps the previous cable. */
    PortReservation toEntry (PortReservation previous, bool instanceCounts) const;
};

/** Whether the rows of one column reserve consistently: every reserved port has a cable number,
    and no two ports are reserved for the same cable of the same device. */
struct ReservationChecks
{
    /** Empty when the column is consistent, else the message that names the first fault: the
        lowest row at fault, and for a twin the lowest row it shares its reservation with, given
        first. */
    static juce::String check (const ReservationRow* rows, int numRows, bool inputs, bool instanceCounts);
};
