#pragma once

#include "routing/PreviousDevices.h"
#include "device/MidiController.h"

/** The choices of one row of the reservation view: "Not reserved", the devices attached to the
    product's host ports, the devices remembered from earlier connections, possibly the device the
    stored reservation names, and last "Clear previous devices".

    Each item stands for a device, by its vidPid and its instance (255: any instance); item ids are
    the item's index + 1. Headings and separators are not items.
*/
class DeviceChoiceList
{
public:
    static constexpr juce::uint8 anyInstance = 255;
    static const juce::String notReserved, connectedHeading, previousHeading, clearPrevious;

    struct Entry
    {
        enum Kind { item, heading, separator };
        Kind kind = item;
        juce::String text;
        int id = 0;
    };

    DeviceChoiceList() { resetItems(); }

    /** Back to "Not reserved" and a separator. */
    void resetItems();
    /** Adds a device unless the name is empty or the device is listed already (a remembered device,
        instance 255, is listed already when any item has its vidPid). The second and later
        instances of a model carry "(n)" when instanceCount is 2 to 254. Returns the new item's id, or -1. */
    int addDevice (const juce::String& name, juce::int32 vidPid, juce::uint8 instance, juce::uint8 instanceCount);
    /** The item of the device: an item of instance 255 matches any instance asked for; 255 asked
        for matches only such items. -1 when none. */
    int findDevice (juce::int32 vidPid, juce::uint8 instance) const;
    void addSectionHeading (const juce::String& text);
    /** A separator and "Clear previous devices". */
    void addClearPreviousItem();

    int getNumItems() const noexcept { return vidPidTexts.size(); }
    /** The item's device (-1 for "Not reserved", "Clear previous devices" and any index past the items). */
    juce::int32 getVidPid (int itemIndex) const;
    /** The item's instance (255 when none). */
    juce::uint8 getInstance (int itemIndex) const;
    const std::vector<Entry>& getEntries() const noexcept { return entries; }

    //==============================================================================
    /** What a row shows after its choices were built again. */
    struct RowState
    {
        /** Selected item (-1: none). */
        int selectedIndex = -1;
        /** Cable item id to select (0: none, -1: the cable list keeps its selection), and whether
            the cable list is to be disabled. */
        int cableId = -1;
        bool cablesDisabled = false;
        /** When not negative: the cable items 1 to this number are enabled, the others disabled. */
        int usableCables = -1;
    };

    /** The current choice of a row, before the rebuild. */
    struct Choice
    {
        juce::int32 vidPid = -1;
        juce::uint8 instance = anyInstance;
        int cableId = 0;
    };

    /** Builds the choices of one row (inputs: host input row, else host output row) again, keeping
        the current choice where the new list still has it. entry: the row's reservation. */
    RowState build (const MidiController& device, const PreviousDevices& previous, bool inputs, int row,
                    const Choice& current, PortReservation entry);

private:
    int addItem (const juce::String& text, juce::int32 vidPid, juce::uint8 instance);

    std::vector<Entry> entries;
    juce::StringArray vidPidTexts, instanceTexts;
};
