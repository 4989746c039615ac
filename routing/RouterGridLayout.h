#pragma once

#include "device/MidiController.h"

/** Where the routing grid puts its rows, headings and notices for the connected product and the
    devices on its host slots, and the names the rows show.

    The left column holds the inputs, the right column the outputs, grouped under headings: the
    USB-C virtual ports, the wireless port (Dorvin), the MIDI ports, then the host slots that a
    device occupies, grouped by the hub port they sit on. Only the placement is decided here; the
    grid applies it to its widgets.
*/
struct RouterGridLayout
{
    /** Buttons per column: every port of the largest product. */
    static constexpr int portSlotCapacity = 44;
    static constexpr int hostSlotCapacity = 24;
    /** Hub headings per column: one per hub port that carries a slot, so never more than the slots. */
    static constexpr int hubHeadingCapacity = hostSlotCapacity;

    static constexpr int inputX = 72, inputWidth = 140, outputWidth = 158, rowHeight = 24;
    static constexpr int firstRowY = 52, rowPitch = 32, groupGap = 44, hubHeadingPitch = 34, noticeHeight = 24;
    static constexpr int headingWidth = 112;
    static constexpr int lineStartX = 212;

    static int outputX (int gridWidth) noexcept   { return gridWidth - 230; }

    /** One row: shown or not, and its top. */
    struct Row
    {
        bool shown = false;
        int y = 0;

        int centreY() const noexcept { return shown ? y + rowHeight / 2 : 0; }
    };

    struct HubHeading
    {
        juce::String text;
        int y = 0;
    };

    struct Notice
    {
        bool shown = false;
        juce::Rectangle<int> bounds;
        juce::String text;
    };

    /** The heading of one group of ports: its label and the icon to its left. */
    struct GroupHeading
    {
        bool shown = false;
        juce::Rectangle<int> labelBounds;
        juce::Point<int> iconCentre;
    };

    enum Group { usbDeviceGroup, bluetoothGroup, midiGroup, hostGroup, numGroups };

    /** Sizes of the group icons, in the order of Group. */
    static juce::Point<int> getIconSize (int group) noexcept;

    //==============================================================================
    int hostPorts = 0, localPorts = 0;
    Row inputs[portSlotCapacity], outputs[portSlotCapacity];
    /** Pencil buttons (local ports only). */
    bool nameButtonShown[portSlotCapacity] = {};
    juce::String inputNames[portSlotCapacity], outputNames[portSlotCapacity];
    juce::String inputTooltips[portSlotCapacity], outputTooltips[portSlotCapacity];
    juce::Array<HubHeading> hubHeadingsIn, hubHeadingsOut;
    GroupHeading inputGroups[numGroups], outputGroups[numGroups];
    /** "USB-C Host Ins" on the Jorvek, "USB-A Host Ins" otherwise. */
    bool usbCHost = false;
    Notice noDeviceIn, noDeviceOut, availableIn, availableOut;
    int shownHostInputs = 0, shownHostOutputs = 0;
    /** Where the grid's rows end, before any row of the reservation view. */
    int height = 0;

    /** Lays out the grid of the given width for the connected product. */
    static RouterGridLayout compute (MidiController& device, int gridWidth);

    //==============================================================================
    // Queries on the host-slot records
    static bool isSlotOnHubPort (const MidiController& device, int record, juce::uint8 hubId, juce::uint8 hubPort);
    /** The port count of the hub (from the first record that names it); 0 when there is none. */
    static int getHubPortCount (const MidiController& device, juce::uint8 hubId);
    /** The n-th hub met in the records (0xFF when there are fewer). */
    static juce::uint8 getNthHubId (const MidiController& device, int n);
    /** The hub built into the Jorvek, Lissar and Norrim. */
    static bool isBuiltInHub (const MidiController& device, juce::uint8 hubId);
    /** 44 before a new group of ports (host slots, the ports after the USB-C ports, around the
        Dorvin's wireless port), else 0; always 0 without a product or in firmware-upgrade mode. */
    static int getPortGroupGap (const MidiController& device, int portIndex);

    /** The order in which the hub pass visits hubs: the built-in hub first, then the others in the
        order they appear in the records. */
    static juce::Array<juce::uint8> getHubVisitOrder (const MidiController& device);
};
