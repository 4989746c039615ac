#include "routing/RouterGridLayout.h"
#include "device/ProductTables.h"

namespace
{
    bool isEmptyRecord (const MidiController& device, int record)
    {
        return ! juce::isPositiveAndBelow (record, MidiController::numUsedHostRecords)
            || device.usbHostDevices[record].deviceHandle == -1;
    }

    bool hasNoGroups (int productCode)
    {
        return productCode == productNone || productCode == productUpgradeMode;
    }

    const juce::String notAvailable ("Not available on this product");
}

juce::Point<int> RouterGridLayout::getIconSize (int group) noexcept
{
    switch (group)
    {
        case usbDeviceGroup: return { 31, 16 };
        case bluetoothGroup: return { 15, 24 };
        case midiGroup:      return { 23, 32 };
        default:             return { 31, 16 };
    }
}

//==============================================================================
bool RouterGridLayout::isSlotOnHubPort (const MidiController& device, int record, juce::uint8 hubId, juce::uint8 hubPort)
{
    if (hubId == 0xFF || ! juce::isPositiveAndBelow (record, MidiController::numUsbHostRecords))
        return false;

    const auto& r = device.usbHostDevices[record];
    return r.hubId == hubId && r.hubPort == hubPort;
}

int RouterGridLayout::getHubPortCount (const MidiController& device, juce::uint8 hubId)
{
    if (hubId == 0xFF || ! ProductTables::isHostCode (device.productCode))
        return 0;

    for (int i = 0; i < 2 * device.getNumUsbHostPorts(); ++i)
        if (device.usbHostDevices[i].hubId == hubId)
            return device.usbHostDevices[i].hubPortCount;

    return 0;
}

juce::uint8 RouterGridLayout::getNthHubId (const MidiController& device, int n)
{
    if (! ProductTables::isHostCode (device.productCode))
        return 0xFF;

    juce::uint8 last = 0xFF;
    int count = 0;

    for (int i = 0; i < 2 * device.getNumUsbHostPorts(); ++i)
    {
        const auto& r = device.usbHostDevices[i];

        if (r.deviceHandle == -1 || r.hubId == 0xFF || r.hubId == last)
            continue;

        last = r.hubId;

        if (++count == n + 1)
            return r.hubId;
    }

    return 0xFF;
}

bool RouterGridLayout::isBuiltInHub (const MidiController& device, juce::uint8 hubId)
{
    if (hubId != 1)
        return false;

    const int ports = getHubPortCount (device, hubId);

    switch (device.productCode)
    {
        case productJorvek: return ports == 6;
        case productLissar: return ports == 8;
        case productNorrim: return ports == 12;
        default:            return false;
    }
}

int RouterGridLayout::getPortGroupGap (const MidiController& device, int portIndex)
{
    if (hasNoGroups (device.productCode))
        return 0;

    const int a = device.getNumUsbHostPorts();

    if (portIndex == 0 || portIndex == a + device.getNumUsbVirtualPorts())
        return groupGap;

    if (device.productCode == productDorvin && (portIndex == a + 4 || portIndex == a + 5))
        return groupGap;

    return 0;
}

juce::Array<juce::uint8> RouterGridLayout::getHubVisitOrder (const MidiController& device)
{
    juce::Array<juce::uint8> met;

    for (int n = 0; n < MidiController::numUsedHostRecords; ++n)
    {
        const auto hub = getNthHubId (device, n);

        if (hub == 0xFF)
            break;

        met.add (hub);
    }

    int start = 0;

    for (int n = 0; n < met.size(); ++n)
    {
        if (isBuiltInHub (device, met[n]))
        {
            start = n;
            break;
        }
    }

    juce::Array<juce::uint8> order;

    for (int step = 0; step < met.size(); ++step)
    {
        const auto hub = met[(start + step) % met.size()];

        if (! order.contains (hub) && getHubPortCount (device, hub) > 0)
            order.add (hub);
    }

    return order;
}

//==============================================================================
RouterGridLayout RouterGridLayout::compute (MidiController& device, int gridWidth)
{
    RouterGridLayout layout;
    const int code = device.productCode;
    const bool known = ProductTables::isHostCode (code);
    const int w = gridWidth;

    int a = device.getNumUsbHostPorts();
    int b = device.getNumLocalPorts();

    if (code == productNone)
    {
        a = hostSlotCapacity;
        b = 12;
    }

    layout.hostPorts = a;
    layout.localPorts = b;
    const int ports = juce::jmin (a + b, portSlotCapacity);

    auto name = [&device] (int index, const char* direction, juce::String* tooltip, bool appendCable)
    {
        return device.getPortName (index, direction, tooltip, true, false, false, appendCable, true, true);
    };

    for (int i = 0; i < ports; ++i)
    {
        layout.inputNames[i] = name (i, "In", &layout.inputTooltips[i], true);
        layout.outputNames[i] = name (i, "Out", &layout.outputTooltips[i], true);

        // The routing table has no place for these ports of the two largest products.
        if (known && i >= MidiController::numRouterRows)
            layout.inputTooltips[i] = notAvailable;

        if (known && i >= 32)
            layout.outputTooltips[i] = notAvailable;
    }

    int yIn = firstRowY, yOut = firstRowY;

    // The product's own ports.
    for (int r = a; r < ports; ++r)
    {
        const int gap = getPortGroupGap (device, r);
        yIn += gap;
        yOut += gap;
        layout.inputs[r] = { true, yIn };
        layout.outputs[r] = { true, yOut };
        layout.nameButtonShown[r] = true;
        yIn += rowPitch;
        yOut += rowPitch;
    }

    // The host slots that a device occupies.
    const int gap = getPortGroupGap (device, 0);
    yIn += gap;
    yOut += gap;

    auto placeHostInput = [&] (int slot)
    {
        layout.inputs[slot] = { true, yIn };
        yIn += rowPitch;
        ++layout.shownHostInputs;
    };

    auto placeHostOutput = [&] (int slot)
    {
        layout.outputs[slot] = { true, yOut };
        yOut += rowPitch;
        ++layout.shownHostOutputs;
    };

    if (known)
    {
        for (auto hub : getHubVisitOrder (device))
        {
            const int portCount = getHubPortCount (device, hub);
            const bool builtIn = isBuiltInHub (device, hub);

            for (int p = 1; p <= portCount; ++p)
            {
                juce::Array<int> ins, outs;

                for (int s = 0; s < a; ++s)
                {
                    if (isSlotOnHubPort (device, s, hub, (juce::uint8) p))      ins.add (s);
                    if (isSlotOnHubPort (device, a + s, hub, (juce::uint8) p))  outs.add (s);
                }

                const auto portText = juce::String::formatted ("%d/%d]", p, portCount);

                if (! ins.isEmpty() && layout.hubHeadingsIn.size() < hubHeadingCapacity)
                {
                    layout.hubHeadingsIn.add ({ name (ins[0], "In", nullptr, false) + (builtIn ? " [In " : " [Hub ") + portText, yIn });
                    yIn += hubHeadingPitch;

                    for (auto s : ins)
                        placeHostInput (s);
                }

                if (! outs.isEmpty() && layout.hubHeadingsOut.size() < hubHeadingCapacity)
                {
                    layout.hubHeadingsOut.add ({ name (outs[0], "Out", nullptr, false) + (builtIn ? " [Out " : " [Hub ") + portText, yOut });
                    yOut += hubHeadingPitch;

                    for (auto s : outs)
                        placeHostOutput (s);
                }
            }
        }
    }

    const bool hubPassPlaced = layout.shownHostInputs > 0 || layout.shownHostOutputs > 0;

    if (! hasNoGroups (code))
    {
        // Without hubs the occupied slots are listed in order; with hubs, the occupied slots that
        // no hub heading took (a device on the host port itself) follow the hubs.
        if (! hubPassPlaced)
        {
            yIn += 4;
            yOut += 4;
        }

        for (int s = 0; s < a; ++s)
        {
            if (! layout.inputs[s].shown && ! isEmptyRecord (device, s))
                placeHostInput (s);

            if (! layout.outputs[s].shown && ! isEmptyRecord (device, a + s))
                placeHostOutput (s);
        }

        if (layout.shownHostInputs == 0)
        {
            layout.noDeviceIn = { true, { inputX, yIn, inputWidth, noticeHeight }, {} };
            yIn += noticeHeight;
        }

        if (layout.shownHostOutputs == 0)
        {
            layout.noDeviceOut = { true, { outputX (w), yOut, outputWidth, noticeHeight }, {} };
            yOut += noticeHeight;
        }

        if (layout.shownHostInputs > 0)
        {
            layout.availableIn = { true, { inputX, yIn, inputWidth, noticeHeight },
                                   juce::String::formatted ("Available host In ports: %d", a - layout.shownHostInputs) };
            yIn += noticeHeight;
        }

        if (layout.shownHostOutputs > 0)
        {
            layout.availableOut = { true, { outputX (w), yOut, inputWidth, noticeHeight },
                                    juce::String::formatted ("Available host Out ports: %d", a - layout.shownHostOutputs) };
            yOut += noticeHeight;
        }
    }

    layout.height = juce::jmax (yIn, yOut);

    // The group headings, 32 px above the first row of their group; the notices under the host
    // heading and the count lines at the foot of the grid.
    if (known)
    {
        const int c = device.getNumUsbVirtualPorts();
        const int m = b - c - (code == productDorvin ? 1 : 0);
        const int usbDeviceY = 24;
        const int bluetoothY = usbDeviceY + rowHeight / 2 + rowPitch * c + 28;
        const int midiY = bluetoothY + (code == productDorvin ? 76 : 0);
        const int hostY = midiY + groupGap + rowPitch * m;
        const int ys[numGroups] = { usbDeviceY, bluetoothY, midiY, hostY };
        const bool shown[numGroups] = { c > 0, code == productDorvin, m > 0, a > 0 };

        for (int g = 0; g < numGroups; ++g)
        {
            const auto icon = getIconSize (g);
            const int centreY = ys[g] + rowHeight / 2;
            const int outputIconShift = (g == usbDeviceGroup || g == midiGroup) ? 2 : 0;

            layout.inputGroups[g] = { shown[g], { inputX + icon.x, ys[g], headingWidth, rowHeight },
                                      { inputX + icon.x / 2, centreY } };
            layout.outputGroups[g] = { shown[g], { outputX (w) + icon.x, ys[g], headingWidth, rowHeight },
                                       { outputX (w) - outputIconShift + icon.x / 2, centreY } };
        }

        layout.usbCHost = code == productJorvek;
        layout.noDeviceIn.bounds = { inputX, hostY + rowPitch, inputWidth, noticeHeight };
        layout.noDeviceOut.bounds = { outputX (w), hostY + rowPitch, outputWidth, noticeHeight };
        layout.availableIn.bounds = { inputX, layout.height - noticeHeight, inputWidth, noticeHeight };
        layout.availableOut.bounds = { outputX (w), layout.height - noticeHeight, inputWidth, noticeHeight };
    }

    return layout;
}
