#pragma once

#include "device/MidiController.h"

/** The factory routing of each product and host firmware.

    Rows and outputs use the port index: the host slots, the USB-C virtual ports, the wireless
    port on the Dorvin, then the MIDI ports. The routing table holds rows 0 to 35 and outputs 0 to
    31: a route from or to a port beyond them (the MIDI ports of the Lissar and the Norrim) has no
    place in it and is left out, never folded onto another port.
*/
struct DefaultRouting
{
    /** Host firmware from which the pattern connects every MIDI port with every host port. */
    static constexpr float allToAllFirmware = 4.25f;

    /** Sets the default routes of a product into rows that are all zero (rows 0 to 35). Product
        codes other than 1 to 6 have no routes. */
    static void fillPreset (juce::uint32* rows, int productCode, float hostFirmware);

    /** Clears the 36 rows of the current preset, or of all 16 presets, and gives them the
        product's default routing. Nothing is marked or sent. */
    static void resetPresets (MidiController& device, bool allPresets);

    /** True when the table has a place for the route: row below 36, output below 32. */
    static bool isRoutable (int input, int output) noexcept;
};
