#pragma once

#include "routing/RouterGridLayout.h"

/** Which rows and host-slot buttons of the routing grid the user can click, and the colours of
    the "Ports" buttons, for the tab's mode.

    enableInputs is true while the tab is not locked, enableOutputs while it is idle. A host slot
    follows the same rule as the product's own ports, and only while a device occupies it. Ports
    that the routing table has no place for (inputs from 36, outputs from 32) are never enabled.
*/
struct RouterGridEnablement
{
    static constexpr juce::uint32 portsAllEnabledColour = 0xfff2f2f2;
    static constexpr juce::uint32 portsSomeDisabledColour = 0xffeb663e;

    struct HostSlot
    {
        bool inPorts = false, outPorts = false;
        bool inLock = false, outLock = false;
        juce::uint32 inPortsColour = portsAllEnabledColour, outPortsColour = portsAllEnabledColour;
    };

    bool input[RouterGridLayout::portSlotCapacity] = {};
    bool output[RouterGridLayout::portSlotCapacity] = {};
    HostSlot hostSlots[RouterGridLayout::hostSlotCapacity];

    static RouterGridEnablement compute (const MidiController& device, bool enableInputs, bool enableOutputs,
                                         bool reservationViewOpen);

    /** The mask stored for a device (all cables enabled when it has no entry). */
    static juce::uint32 getStoredMask (const MidiController& device, juce::int32 vidPid);
};
