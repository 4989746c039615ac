#include "routing/UsbPortMaskEdit.h"

UsbPortMaskEdit::UsbPortMaskEdit (const MidiController& device, const UsbHostDevice& hostRecord)
    : record (hostRecord), openingMask (getStoredMask (device))
{
}

juce::uint32 UsbPortMaskEdit::getStoredMask (const MidiController& device) const
{
    if (record.vidPid != -1)
        for (auto& entry : device.usbDevicePortMasks)
            if (entry.vidPid == record.vidPid)
                return entry.mask;

    return allEnabled;
}

int UsbPortMaskEdit::findSlot (const MidiController& device) const
{
    for (int i = 0; i < MidiController::numUsbDevicePortMasks; ++i)
        if (device.usbDevicePortMasks[i].vidPid == record.vidPid)
            return i;

    for (int i = 0; i < MidiController::numUsbDevicePortMasks; ++i)
        if (device.usbDevicePortMasks[i].vidPid == -1)
            return i;

    return -1;
}

bool UsbPortMaskEdit::keepsSomeCable (juce::uint32 mask) const
{
    for (int cable = 0; cable < 16; ++cable)
        if ((hasOutputCable (cable) && (mask >> cable) & 1) || (hasInputCable (cable) && (mask >> (16 + cable)) & 1))
            return true;

    return false;
}

UsbPortMaskEdit::Result UsbPortMaskEdit::store (MidiController& device, juce::uint32 mask)
{
    if (findSlot (device) < 0)
        return Result::tableFull;

    return device.setUsbDevicePortMask (record.vidPid, mask, true) ? Result::stored : Result::unchanged;
}

UsbPortMaskEdit::Result UsbPortMaskEdit::setCable (MidiController& device, bool inputCable, int cable, bool enabled)
{
    if (inputCable ? ! hasInputCable (cable) : ! hasOutputCable (cable))
        return Result::unchanged;

    const juce::uint32 bit = 1u << (inputCable ? 16 + cable : cable);
    const auto mask = enabled ? (getStoredMask (device) | bit) : (getStoredMask (device) & ~bit);

    if (! keepsSomeCable (mask))
        return Result::lastCableRefused;

    return store (device, mask);
}

UsbPortMaskEdit::Result UsbPortMaskEdit::resetAll (MidiController& device)
{
    return store (device, allEnabled);
}

juce::Array<int> UsbPortMaskEdit::close (MidiController& device, ReservationTable& reservations, bool freeReservations)
{
    juce::Array<int> emptied;
    const int slot = findSlot (device);

    if (slot < 0)
        return emptied;

    auto& entry = device.usbDevicePortMasks[slot];

    if (entry.vidPid == record.vidPid && ! keepsSomeCable (entry.mask))
        entry.mask = openingMask;

    const auto mask = getStoredMask (device);

    // Back where it started: nothing to write. A write of the device's mask that still waits from
    // an earlier change, and every other mark, stay.
    if (mask == openingMask)
        return emptied;

    if (freeReservations && device.hostFirmwareVersion > instanceFirmware)
    {
        const int a = device.getNumUsbHostPorts();

        for (int cable = 0; cable < 16; ++cable)
        {
            // Output cables reach the product on host inputs, input cables leave it on host outputs.
            for (int direction = 0; direction < 2; ++direction)
            {
                const bool inputSide = direction == 0;

                if (((mask >> (inputSide ? cable : 16 + cable)) & 1) != 0)
                    continue;

                for (int k = 0; k < a; ++k)
                {
                    const int e = inputSide ? k : a + k;
                    const auto reservation = reservations.get (device, e);

                    if (reservation.vidPid == record.vidPid && (reservation.cable & 0xFF) == cable
                         && (reservation.cable >> 8) == record.deviceInstance)
                    {
                        reservations.set (device, e, ReservationTable::emptyEntry, true);
                        emptied.add (e);
                    }
                }
            }
        }
    }

    device.markForWrite (kindUsbDevicePorts, slot);
    marked = true;
    return emptied;
}
