#include "routing/ReservationTable.h"
#include "routing/RouterEdits.h"

bool ReservationTable::isWritable (const MidiController& device, int entry)
{
    return device.hostFirmwareVersion > RouterEdits::reservationFirmware
        && juce::isPositiveAndBelow (entry, 2 * device.getNumUsbHostPorts());
}

int ReservationTable::getRowCount (const MidiController& device)
{
    return device.productCode == productNone ? numEntries / 2 : device.getNumUsbHostPorts();
}

bool ReservationTable::isEdited (int entry) const
{
    return juce::isPositiveAndBelow (entry, numEntries) && edited.test ((size_t) entry);
}

PortReservation ReservationTable::get (const MidiController& device, int entry) const
{
    if (! juce::isPositiveAndBelow (entry, numEntries))
        return emptyEntry;

    return edited.test ((size_t) entry) ? staged[entry] : device.portReservations[entry];
}

void ReservationTable::set (MidiController& device, int entry, PortReservation value, bool mark)
{
    if (! juce::isPositiveAndBelow (entry, numEntries))
        return;

    if (staging)
    {
        staged[entry] = value;
        edited.set ((size_t) entry);
        return;
    }

    // A write while the view is closed replaces an edit that a failed check left here.
    edited.reset ((size_t) entry);
    device.portReservations[entry] = value;

    if (mark && isWritable (device, entry))
        device.markForWrite (kindPortReservation, entry);
}

juce::Array<int> ReservationTable::resetAll (MidiController& device, bool queue)
{
    juce::Array<int> changed;
    const int rows = getRowCount (device);

    if (! staging)
        discard();

    for (int entry = 0; entry < 2 * rows; ++entry)
    {
        if (get (device, entry) != emptyEntry)
        {
            changed.add (entry);
            set (device, entry, emptyEntry, queue);
        }
    }

    return changed;
}

bool ReservationTable::commit (MidiController& device)
{
    bool marked = false;

    for (int entry = 0; entry < numEntries; ++entry)
    {
        if (! edited.test ((size_t) entry))
            continue;

        device.portReservations[entry] = staged[entry];

        if (isWritable (device, entry))
        {
            device.markForWrite (kindPortReservation, entry);
            marked = true;
        }
    }

    discard();
    return marked;
}
