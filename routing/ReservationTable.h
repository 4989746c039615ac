#pragma once

#include "device/MidiController.h"

#include <bitset>

/** The host-port reservations as the reservation view edits them.

    While the view is open its edits are kept here, beside the device model: the model and the
    pending requests keep what the product has until the view closes with consistent rows, and only
    then do the edits go into the model and get marked for writing. Edits of a view closed with
    inconsistent rows stay here, unsent, for the next time it opens. Writes made while the view is
    closed (a reset of the routing, the cable panel's clean-up) go to the model at once.

    Entry i below A belongs to host input i, entry A + i to host output i; {-1, 0x007F} is empty.
*/
class ReservationTable
{
public:
    static constexpr PortReservation emptyEntry { -1, 0x007F };
    static constexpr int numEntries = MidiController::numPortReservations;

    /** The view opened or closed: edits are held here only while it is open. */
    void setStaging (bool shouldStage) noexcept  { staging = shouldStage; }
    bool isStaging() const noexcept              { return staging; }

    /** The entry as the view shows it: its edit, else the model's value. */
    PortReservation get (const MidiController& device, int entry) const;

    /** Stores an entry. Held as an edit while staging; otherwise it goes into the model and, with
        mark, is marked for writing when the product keeps reservations and the entry is one of its
        2A entries. */
    void set (MidiController& device, int entry, PortReservation value, bool mark);

    /** Empties the rows (A of each column, 24 without a product) and returns the entries that were
        not empty before; with queue those are marked (see set). */
    juce::Array<int> resetAll (MidiController& device, bool queue);

    bool hasEdits() const noexcept  { return edited.any(); }
    bool isEdited (int entry) const;

    /** The edits go into the model and those of the product's entries are marked for writing;
        true when any entry is marked. */
    bool commit (MidiController& device);
    /** The edits are forgotten (the product was lost, or every row was reset). */
    void discard() noexcept  { edited.reset(); }

    /** True when the product keeps reservations and the entry is one of its entries. */
    static bool isWritable (const MidiController& device, int entry);
    /** Rows of each column: A, or 24 without a product. */
    static int getRowCount (const MidiController& device);

private:
    bool staging = false;
    PortReservation staged[numEntries];
    std::bitset<numEntries> edited;
};

inline bool operator== (const PortReservation& a, const PortReservation& b) noexcept { return a.vidPid == b.vidPid && a.cable == b.cable; }
inline bool operator!= (const PortReservation& a, const PortReservation& b) noexcept { return ! (a == b); }
