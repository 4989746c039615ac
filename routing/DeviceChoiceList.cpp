#include "routing/DeviceChoiceList.h"

const juce::String DeviceChoiceList::notReserved ("Not reserved");
const juce::String DeviceChoiceList::connectedHeading ("Connected devices");
const juce::String DeviceChoiceList::previousHeading ("Previous connected devices");
const juce::String DeviceChoiceList::clearPrevious ("Clear previous devices");

void DeviceChoiceList::resetItems()
{
    entries.clear();
    vidPidTexts.clear();
    instanceTexts.clear();
    addItem (TRANS (notReserved), -1, anyInstance);
    entries.push_back ({ Entry::separator, {}, 0 });
}

int DeviceChoiceList::addItem (const juce::String& text, juce::int32 vidPid, juce::uint8 instance)
{
    const int id = getNumItems() + 1;
    entries.push_back ({ Entry::item, text, id });
    vidPidTexts.add (PreviousDevices::textOf (vidPid));
    instanceTexts.add (juce::String ((int) instance));
    return id;
}

int DeviceChoiceList::addDevice (const juce::String& name, juce::int32 vidPid, juce::uint8 instance, juce::uint8 instanceCount)
{
    if (name.isEmpty())
        return -1;

    for (int i = 1; i < getNumItems(); ++i)
        if (getVidPid (i) == vidPid && (getInstance (i) == instance || instance == anyInstance))
            return -1;

    auto text = name;

    if (instanceCount >= 2 && instanceCount <= 254 && instance >= 1 && instance <= 254)
        text << "(" << (instance + 1) << ")";

    return addItem (text, vidPid, instance);
}

int DeviceChoiceList::findDevice (juce::int32 vidPid, juce::uint8 instance) const
{
    for (int i = 1; i < getNumItems(); ++i)
        if (getVidPid (i) == vidPid && (getInstance (i) == instance || getInstance (i) == anyInstance))
            return i;

    return -1;
}

void DeviceChoiceList::addSectionHeading (const juce::String& text)
{
    entries.push_back ({ Entry::heading, text, 0 });
}

void DeviceChoiceList::addClearPreviousItem()
{
    entries.push_back ({ Entry::separator, {}, 0 });
    addItem (TRANS (clearPrevious), -1, anyInstance);
}

juce::int32 DeviceChoiceList::getVidPid (int itemIndex) const
{
    return itemIndex >= 1 && itemIndex < vidPidTexts.size() ? PreviousDevices::readVidPid (vidPidTexts[itemIndex]) : -1;
}

juce::uint8 DeviceChoiceList::getInstance (int itemIndex) const
{
    return itemIndex >= 1 && itemIndex < instanceTexts.size() ? (juce::uint8) instanceTexts[itemIndex].getIntValue() : anyInstance;
}

//==============================================================================
DeviceChoiceList::RowState DeviceChoiceList::build (const MidiController& device, const PreviousDevices& previous, bool inputs,
                                                    int row, const Choice& current, PortReservation entry)
{
    RowState state;
    const int a = device.getNumUsbHostPorts();
    resetItems();

    // Devices attached now.
    bool restored = false, headed = false;

    for (int k = 0; k < a; ++k)
    {
        const auto& record = device.usbHostDevices[inputs ? k : a + k];

        if (record.deviceHandle == -1 || record.name[0] == 0)
            continue;

        if (! headed)
        {
            addSectionHeading (TRANS (connectedHeading));
            headed = true;
        }

        addDevice (record.getName(), record.vidPid, record.deviceInstance,
                   (juce::uint8) device.countDeviceInstances (record.vidPid));

        if (record.vidPid == current.vidPid && record.deviceInstance == current.instance)
        {
            const int found = findDevice (current.vidPid, current.instance);

            if (found >= 0)
                state.selectedIndex = found;

            state.cableId = current.cableId;
            state.usableCables = inputs ? record.outputCables : record.inputCables;
            restored = true;
        }
    }

    // Devices remembered from earlier connections.
    bool previousHeaded = false;

    for (auto& text : previous.list())
    {
        juce::String name;
        int inputCables = 0, outputCables = 0;

        if (! previous.find (text, name, inputCables, outputCables))
            continue;

        if (! previousHeaded)
        {
            addSectionHeading (TRANS (previousHeading));
            previousHeaded = true;
        }

        const auto vidPid = PreviousDevices::readVidPid (text);
        addDevice (name, vidPid, anyInstance, anyInstance);

        if (! restored && vidPid == current.vidPid)
        {
            const int found = findDevice (current.vidPid, anyInstance);

            if (found >= 0)
                state.selectedIndex = found;

            state.cableId = current.cableId;
            state.usableCables = inputs ? outputCables : inputCables;
        }
    }

    if (current.vidPid == -1)
    {
        state.selectedIndex = 0;
        state.cableId = 0;
        state.cablesDisabled = true;
    }

    // A reservation for a device that is neither attached nor remembered still shows.
    if (state.selectedIndex < 1 && entry.vidPid != -1)
    {
        const auto instance = (juce::uint8) (device.hostFirmwareVersion > 3.35f ? entry.cable >> 8 : 0);

        if (! previousHeaded)
            addSectionHeading (TRANS (previousHeading));

        juce::String name;
        int inputCables = 0, outputCables = 0;
        juce::String text;

        if (previous.find (PreviousDevices::textOf (entry.vidPid), name, inputCables, outputCables))
            text = instance != 0 ? name + "(" + juce::String (instance + 1) + ")" : name;
        else
            text = juce::String::formatted ("VID:%0X PID:%0X", ((juce::uint32) entry.vidPid >> 16) & 0xFFFF,
                                            (juce::uint32) entry.vidPid & 0xFFFF);

        addDevice (text, entry.vidPid, instance, anyInstance);

        if (current.vidPid != -1)
        {
            const int found = findDevice (entry.vidPid, instance);

            if (found >= 0)
                state.selectedIndex = found;
        }
    }

    addClearPreviousItem();
    return state;
}
