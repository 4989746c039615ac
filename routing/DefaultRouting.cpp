#include "routing/DefaultRouting.h"
#include "device/ProductTables.h"

namespace
{
    /** The ports of one product in the port numbering, as the default pattern names them. */
    struct ProductPorts
    {
        int hostPorts = 0, virtualPorts = 0, midiPorts = 0;
        int wireless = -1;      // index of the wireless-module port (Dorvin only)
        int firstMidi = 0;

        int host (int h) const     { return h < hostPorts ? h : -1; }
        int usbC (int i) const     { return i < virtualPorts ? hostPorts + i : -1; }
        int midi (int i) const     { return i < midiPorts ? firstMidi + i : -1; }
    };

    ProductPorts portsOf (int productCode)
    {
        static constexpr int hostPorts[]    = { 8, 8, 12, 16, 24, 24 };
        static constexpr int virtualPorts[] = { 4, 2, 4, 8, 8, 8 };
        static constexpr int localPorts[]   = { 7, 3, 8, 14, 16, 20 };

        ProductPorts p;
        const int i = productCode - 1;
        p.hostPorts = hostPorts[i];
        p.virtualPorts = virtualPorts[i];
        const bool hasWireless = productCode == productDorvin;
        p.midiPorts = localPorts[i] - virtualPorts[i] - (hasWireless ? 1 : 0);
        p.wireless = hasWireless ? p.hostPorts + p.virtualPorts : -1;
        p.firstMidi = p.hostPorts + p.virtualPorts + (hasWireless ? 1 : 0);
        return p;
    }
}

bool DefaultRouting::isRoutable (int input, int output) noexcept
{
    return juce::isPositiveAndBelow (input, MidiController::numRouterRows) && juce::isPositiveAndBelow (output, 32);
}

void DefaultRouting::fillPreset (juce::uint32* rows, int productCode, float hostFirmware)
{
    if (! ProductTables::isHostCode (productCode))
        return;

    const auto p = portsOf (productCode);

    auto route = [rows] (int input, int output)
    {
        if (isRoutable (input, output))
            rows[input] |= 1u << output;
    };

    auto toEveryHost = [&] (int input) { for (int h = 0; h < p.hostPorts; ++h) route (input, p.host (h)); };
    auto toEveryMidi = [&] (int input) { for (int k = 0; k < p.midiPorts; ++k) route (input, p.midi (k)); };

    for (int i = 0; i < p.midiPorts; ++i)
        route (p.usbC (i), p.midi (i));

    if (productCode == productDorvin)
    {
        route (p.wireless, p.host (0));
        route (p.wireless, p.usbC (0));
        toEveryMidi (p.wireless);

        for (int k = 0; k < p.midiPorts; ++k)
            route (p.midi (k), p.wireless);

        for (int h = 0; h < p.hostPorts; ++h)
            route (p.host (h), p.wireless);

        route (p.usbC (0), p.wireless);
    }

    if (hostFirmware >= allToAllFirmware)
    {
        for (int i = 0; i < p.midiPorts; ++i)
        {
            route (p.midi (i), p.usbC (i));
            toEveryHost (p.midi (i));
        }

        for (int h = 0; h < p.hostPorts; ++h)
            toEveryMidi (p.host (h));

        if (productCode == productDorvin)
            toEveryHost (p.wireless);

        return;
    }

    for (int i = 0; i < p.midiPorts; ++i)
    {
        route (p.midi (i), p.host (i));
        route (p.midi (i), p.usbC (i));
    }

    if (productCode == productJorvek)
    {
        // The Jorvek pairs its ports by number.
        for (int i = 0; i < p.virtualPorts; ++i)
            route (p.usbC (i), p.host (i));

        for (int h = 0; h < p.hostPorts; ++h)
        {
            route (p.host (h), p.midi (h));
            route (p.host (h), p.usbC (h));
        }

        return;
    }

    for (int i = p.midiPorts; i < p.virtualPorts; ++i)
        route (p.usbC (i), p.host (i - p.midiPorts));

    for (int h = 0; h < p.hostPorts; ++h)
    {
        toEveryMidi (p.host (h));

        if (h < p.midiPorts)
            route (p.host (h), p.hostPorts + p.midiPorts + h);
    }
}

void DefaultRouting::resetPresets (MidiController& device, bool allPresets)
{
    const int first = allPresets ? 0 : (device.currentPreset & 0x0F);
    const int last = allPresets ? MidiController::numPresetRows - 1 : first;

    for (int preset = first; preset <= last; ++preset)
    {
        auto* rows = device.routerMasks[preset];
        std::fill (rows, rows + MidiController::numRouterRows, 0u);

        if (device.productCode != productNone && device.productCode != productUpgradeMode)
            fillPreset (rows, device.productCode, device.hostFirmwareVersion);
    }
}
