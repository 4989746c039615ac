#pragma once

#include "device/MidiController.h"

#include <bitset>

/** The routing edits of the grid and how they reach the product.

    A click flips one route in the device model at once and notes its row, with the preset it was
    made in. When the grid's debounce expires the noted rows are marked for writing, whatever input
    is selected by then, and the first waiting write goes out: the USB device cable masks first,
    then the host-port reservations, then the routing rows; the request chain sends the rest.

    Nothing here touches a widget: the grid calls it, and tests drive it on the device model alone.
*/
class RouterEdits
{
public:
    /** Host firmware above which the product keeps cable masks, and reservations. */
    static constexpr float cableMaskFirmware = 2.85f;
    static constexpr float reservationFirmware = 3.05f;

    static const juce::String writingRouter, writingUsbPorts, writingReservation;

    /** What one send attempt did. */
    enum class Outcome
    {
        nothingWaiting,     ///< no write was waiting
        usbPortsSent,
        reservationSent,
        routerRowSent,
        otherSent,          ///< the chain sent a waiting request of another kind first
        queued,             ///< a reply is awaited: the chain sends the marks after it
        refused             ///< nothing could go out; reported as a settings error
    };

    /** Flips the route from input to output in the current preset and notes the row. False (and
        nothing changed) when the routing table has no place for the route. */
    bool toggleRoute (MidiController& device, int input, int output);

    bool hasChangedRows() const noexcept;
    /** Marks the noted rows for writing, each for the preset it was edited in, and forgets them.
        Rows beyond the product's ports are dropped. Nothing is sent. */
    void markChangedRows (MidiController& device);
    void forgetChangedRows() noexcept;

    /** The debounce's pass: marks the noted rows, then sends the first waiting write in stage
        order. A product whose firmware lacks cable masks or reservations never hears of them:
        such marks are dropped. */
    Outcome writePendingChanges (MidiController& device);

    /** Marks every row of the product's ports in the current preset and sends the first. */
    Outcome writeRouterSettings (MidiController& device);

    /** Sets the 36 rows of the current preset to 0. Nothing is marked or sent. */
    static void clearCurrentPreset (MidiController& device);

    /** Sends the first waiting write (firstKind first), and shows on the status line what went out;
        a refused request goes to the settings error report. */
    static Outcome send (MidiController& device, int firstKind);

private:
    std::bitset<MidiController::numRouterRows> changedRows[MidiController::numPresetRows];
};
