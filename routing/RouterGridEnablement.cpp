#include "routing/RouterGridEnablement.h"

juce::uint32 RouterGridEnablement::getStoredMask (const MidiController& device, juce::int32 vidPid)
{
    if (vidPid != -1)
        for (auto& entry : device.usbDevicePortMasks)
            if (entry.vidPid == vidPid)
                return entry.mask;

    return 0xFFFFFFFFu;
}

RouterGridEnablement RouterGridEnablement::compute (const MidiController& device, bool enableInputs, bool enableOutputs,
                                                    bool reservationViewOpen)
{
    RouterGridEnablement e;

    int a = device.getNumUsbHostPorts();
    int b = device.getNumLocalPorts();

    if (device.productCode == productNone)
    {
        a = RouterGridLayout::hostSlotCapacity;
        b = 12;
    }

    const int ports = juce::jmin (a + b, RouterGridLayout::portSlotCapacity);
    const bool absentWireless = device.productCode == productDorvin && device.wirelessModule == 0;
    const bool open = ! reservationViewOpen;

    auto occupied = [&device] (int record)
    {
        return juce::isPositiveAndBelow (record, MidiController::numUsedHostRecords)
            && device.usbHostDevices[record].deviceHandle != -1;
    };

    for (int i = 0; i < ports; ++i)
    {
        if (absentWireless && i == a + 4)
            continue;

        if (i < a)
        {
            const bool inOccupied = occupied (i);
            const bool outOccupied = occupied (a + i);

            e.input[i] = inOccupied && enableInputs && open;
            e.output[i] = outOccupied && enableOutputs && open;

            if (i < RouterGridLayout::hostSlotCapacity)
            {
                auto& slot = e.hostSlots[i];
                const bool editable = enableInputs && enableOutputs;

                if (device.hostFirmwareVersion > 2.85f)
                {
                    slot.inPorts = inOccupied && editable;
                    slot.outPorts = outOccupied && editable;

                    // Bits 0-15: the device's output cables (host inputs); bits 16-31 its input cables.
                    if ((getStoredMask (device, device.usbHostDevices[i].vidPid) & 0xFFFFu) != 0xFFFFu)
                        slot.inPortsColour = portsSomeDisabledColour;

                    if ((getStoredMask (device, device.usbHostDevices[a + i].vidPid) >> 16) != 0xFFFFu)
                        slot.outPortsColour = portsSomeDisabledColour;
                }

                if (device.hostFirmwareVersion > 3.05f)
                {
                    slot.inLock = inOccupied && editable;
                    slot.outLock = outOccupied && editable;
                }
            }
        }
        else
        {
            e.input[i] = enableInputs && open;
            e.output[i] = enableOutputs && open;
        }

        if (i >= MidiController::numRouterRows)
            e.input[i] = false;

        if (i >= 32)
            e.output[i] = false;
    }

    return e;
}
