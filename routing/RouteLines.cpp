#include "routing/RouteLines.h"

RouteLines RouteLines::compute (const MidiController& device, const RouterGridLayout& layout, int gridWidth,
                                int selectedInput, bool reservationViewOpen)
{
    RouteLines result;

    if (reservationViewOpen || device.productCode == productNone || device.productCode == productUpgradeMode)
        return result;

    const int a = device.getNumUsbHostPorts();
    const int ports = device.getNumUsbHostPorts() + device.getNumLocalPorts();
    const int inputs = juce::jmin (ports, MidiController::numRouterRows, RouterGridLayout::portSlotCapacity);
    const int outputs = juce::jmin (ports, 32);
    const int wireless = device.productCode == productDorvin ? a + 4 : -1;
    const bool wirelessAbsent = device.wirelessModule == 0;
    const auto* rows = device.routerMasks[device.currentPreset & 0x0F];
    const float endX = (float) RouterGridLayout::outputX (gridWidth);

    auto emptyRecord = [&device] (int record) { return device.usbHostDevices[record].deviceHandle == -1; };

    for (int i = 0; i < inputs; ++i)
    {
        if (i < a && emptyRecord (i))
            continue;

        for (int j = 0; j < outputs; ++j)
        {
            if ((j < a && emptyRecord (a + j)) || (rows[i] & (1u << j)) == 0)
                continue;

            const bool selected = i == selectedInput;

            if (selected)
                result.ticked[j] = true;

            const int yIn = layout.inputs[i].centreY();
            const int yOut = layout.outputs[j].centreY();

            if (yIn == 0 || yOut == 0)
                continue;

            Line line;
            line.line = { (float) RouterGridLayout::lineStartX, (float) yIn, endX, (float) yOut };

            if (selected && ! (wirelessAbsent && (i == wireless || j == wireless)))
            {
                line.opacity = 1.0f;
                line.thickness = 2.0f;
            }

            result.lines.push_back (line);
        }
    }

    return result;
}
