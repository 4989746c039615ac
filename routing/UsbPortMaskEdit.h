#pragma once

#include "routing/ReservationTable.h"

/** The edit of one USB device's enabled cables, as the cable panel makes it.

    Every change goes into the device model's mask table at once; nothing is marked for writing
    until the panel closes with a mask that differs from the one it opened with. The device is
    known by its vidPid: instances of one model share one entry.
*/
class UsbPortMaskEdit
{
public:
    static constexpr juce::uint32 allEnabled = 0xFFFFFFFFu;
    /** Host firmware above which disabling a cable can also free its reservations. */
    static constexpr float instanceFirmware = 3.35f;

    /** What a click did. */
    enum class Result
    {
        stored,             ///< the mask table holds the new mask
        unchanged,          ///< the table held that mask already
        lastCableRefused,   ///< it would have left no cable enabled: undone
        tableFull           ///< all 16 entries are taken by other devices: undone
    };

    /** The panel opens on a copy of a host-slot record. */
    UsbPortMaskEdit (const MidiController& device, const UsbHostDevice& record);

    const UsbHostDevice& getRecord() const noexcept  { return record; }
    juce::uint32 getOpeningMask() const noexcept      { return openingMask; }

    /** The mask stored for the device, all enabled when it has none. */
    juce::uint32 getStoredMask (const MidiController& device) const;
    /** The entry of the device, else the first free one, else -1. */
    int findSlot (const MidiController& device) const;

    /** Cables the device has: input cables (mask bits 16-31) and output cables (bits 0-15). */
    bool hasInputCable (int cable) const noexcept   { return cable >= 0 && cable < record.inputCables && cable < 16; }
    bool hasOutputCable (int cable) const noexcept  { return cable >= 0 && cable < record.outputCables && cable < 16; }
    /** True when the mask leaves at least one of the device's cables enabled. */
    bool keepsSomeCable (juce::uint32 mask) const;

    /** Switches one cable on or off. */
    Result setCable (MidiController& device, bool inputCable, int cable, bool enabled);
    /** Every cable enabled. */
    Result resetAll (MidiController& device);

    /** The panel closes: a mask left without any cable goes back to the opening mask; a changed
        mask is marked for writing and, with freeReservations (and host firmware above 3.35), the
        reservations of this very device instance on cables just disabled are emptied. Returns the
        reservation entries emptied. A mask back at its opening value marks nothing. */
    juce::Array<int> close (MidiController& device, ReservationTable& reservations, bool freeReservations);

    /** True once close marked the mask for writing. */
    bool wasMarked() const noexcept { return marked; }

private:
    Result store (MidiController& device, juce::uint32 mask);

    UsbHostDevice record;
    juce::uint32 openingMask;
    bool marked = false;
};
