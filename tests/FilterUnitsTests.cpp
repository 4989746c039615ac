#include "support/DeviceTestSupport.h"
#include "editors/FilterEdits.h"
#include "editors/FilterEnablement.h"
#include "editors/FilterPortList.h"

namespace
{
    /** A row as one readable line: "# heading", "---", or "id text" ("id text (unavailable)"). */
    juce::StringArray describe (const FilterPortList& list)
    {
        juce::StringArray lines;

        for (auto& row : list.rows)
        {
            switch (row.type)
            {
                case FilterPortList::Row::Type::heading:   lines.add ("# " + row.text); break;
                case FilterPortList::Row::Type::separator: lines.add ("---"); break;
                case FilterPortList::Row::Type::port:
                    lines.add (juce::String (row.itemId) + " " + row.text + (row.available ? "" : " (unavailable)"));
                    break;
            }
        }

        return lines;
    }

    juce::StringArray calderPorts (const juce::String& direction, int firstId)
    {
        juce::StringArray lines;

        for (int i = 0; i < 8; ++i)
            lines.add (juce::String (firstId + i) + " USB-A Host " + direction + " " + juce::String (i + 1));

        lines.add ("---");
        lines.add (juce::String (firstId + 8) + " USB-C Virtual " + direction + " 1");
        lines.add (juce::String (firstId + 9) + " USB-C Virtual " + direction + " 2");
        lines.add ("---");
        lines.add (juce::String (firstId + 10) + " MIDI " + direction + " 1");
        return lines;
    }

    std::vector<int> markedItems (const MidiController& d, int kind)
    {
        std::vector<int> items;

        for (int i = 0; i < PendingRequests::numItems; ++i)
            if (d.pendingRequests.isPending (kind, i))
                items.push_back (i);

        return items;
    }

    std::vector<int> range (int count)
    {
        std::vector<int> items;

        for (int i = 0; i < count; ++i)
            items.push_back (i);

        return items;
    }
}

//==============================================================================
class FilterPortListOf : public DeviceFixture
{
protected:
    void connect (int code, const char* name, int major, int minor)
    {
        connectProduct (code, MidiController::firmwareVersionFromDigits (major, minor));
        device().productName = name;
    }
};

TEST_F (FilterPortListOf, CalderListsItsInputsAndOutputsUnderHeadingsFromFirmware055)
{
    connect (productCalder, "Calder Pro", 4, 2);
    const FilterPortList list (device());

    juce::StringArray expected { "# Calder Pro Inputs", "---" };
    expected.addArray (calderPorts ("In", 2));
    expected.addArray ({ "# Calder Pro Outputs", "---" });
    expected.addArray (calderPorts ("Out", 13));

    EXPECT_EQ (describe (list).joinIntoString ("\n"), expected.joinIntoString ("\n"));
    EXPECT_EQ (list.getPlaceholder(), "Select USB / MIDI input or output to filter");
    EXPECT_EQ (list.getKindLabel(), "Input/Output");

    // Output 10, the Calder's MIDI output, is the item with id 23: entry 21.
    EXPECT_EQ (FilterPortList::getEntryOfItemId (23), 21);
    EXPECT_EQ (FilterPortList::getPortName (device(), 21), "MIDI Out 1");
    EXPECT_EQ (FilterPortList::getEntryOfItemId (0), -1) << "no item chosen";
}

TEST_F (FilterPortListOf, CalderBelowFirmware055ListsItsInputsOnly)
{
    connect (productCalder, "Calder Pro", 0, 5);
    const FilterPortList list (device());

    juce::StringArray expected { "# Calder Pro Inputs", "---" };
    expected.addArray (calderPorts ("In", 2));

    EXPECT_EQ (describe (list).joinIntoString ("\n"), expected.joinIntoString ("\n"));
    EXPECT_EQ (list.getPlaceholder(), "Select USB / MIDI input to filter");
    EXPECT_EQ (list.getKindLabel(), "Input");
}

TEST_F (FilterPortListOf, LargestProductsListTheirLastOutputsAsUnavailable)
{
    struct Case { int code; const char* name; int ports; };

    for (auto c : { Case { productLissar, "Lissar Pro", 40 }, Case { productNorrim, "Norrim Pro", 44 } })
    {
        connect (c.code, c.name, 4, 5);
        const FilterPortList list (device());

        int ports = 0;
        for (auto& row : list.rows)
        {
            if (row.type != FilterPortList::Row::Type::port)
                continue;

            ++ports;
            EXPECT_EQ (row.available, row.entry < MidiController::numFilterEntries) << c.name << " entry " << row.entry;
            EXPECT_EQ (row.itemId, row.entry + 2) << c.name;
        }

        EXPECT_EQ (ports, 2 * c.ports) << c.name << ": every port is listed";
    }
}

//==============================================================================
TEST (FilterEnablementRule, EveryDeviceModeAndEditorMode)
{
    struct Case { int deviceMode; int editorMode; bool portChosen; bool portList, reset, editing; };

    const Case cases[] = {
        // Only a product whose application answers can be edited.
        { 255, editorIdle,   true,  false, false, false },
        { 255, editorBusy,   true,  false, false, false },
        { 0,   editorIdle,   true,  false, false, false },
        { 0,   editorBusy,   false, false, false, false },
        { 1,   editorLocked, true,  false, false, false },
        { 1,   editorLocked, false, false, false, false },
        // Idle: everything, the edits once a port is chosen.
        { 1,   editorIdle,   false, true,  true,  false },
        { 1,   editorIdle,   true,  true,  true,  true  },
        // Busy: the port can still be changed, nothing else.
        { 1,   editorBusy,   false, true,  false, false },
        { 1,   editorBusy,   true,  true,  false, false },
    };

    for (auto c : cases)
    {
        const auto e = FilterEnablement::forMode (c.deviceMode, c.editorMode, c.portChosen);
        const auto where = ::testing::Message() << "deviceMode " << c.deviceMode << ", mode " << c.editorMode
                                                << (c.portChosen ? ", port chosen" : "");
        EXPECT_EQ (e.portList, c.portList) << where;
        EXPECT_EQ (e.resetButton, c.reset) << where;
        EXPECT_EQ (e.editing, c.editing) << where;
    }
}

//==============================================================================
class FilterEditsOf : public DeviceFixture
{
protected:
    void SetUp() override
    {
        DeviceFixture::SetUp();
        connectProduct (productDorvin, MidiController::firmwareVersionFromDigits (1, 1));
        device().currentPreset = 2;
    }
};

TEST_F (FilterEditsOf, ChannelClickedTwiceLeavesTheWordButKeepsItsWriteMark)
{
    device().filterChannels[2][5] = 0x0101;

    FilterEdits::toggleChannel (device(), 5, 4);
    EXPECT_EQ (device().filterChannels[2][5], 0x0111);
    FilterEdits::toggleChannel (device(), 5, 4);
    EXPECT_EQ (device().filterChannels[2][5], 0x0101);

    EXPECT_EQ (markedItems (device(), kindChannelFilter), std::vector<int> { 5 });
    EXPECT_TRUE (device().pendingRequests.isWrite (kindChannelFilter, 5));
    EXPECT_EQ (device().pendingRequests.getPreset (kindChannelFilter, 5), 2) << "the preset edited";
    EXPECT_EQ (device().filterChannels[0][5], 0) << "other presets stay";
}

TEST_F (FilterEditsOf, MessageTypesSetTheirOwnBitsNotTheOrderOfTheirStatusBytes)
{
    struct Case { juce::uint8 status; juce::uint32 word; };

    for (auto c : { Case { 0xC0, 1u << 3 }, Case { 0xB0, 1u << 4 }, Case { 0xF8, 1u << 12 }, Case { 0xFF, 1u << 17 } })
    {
        device().filterStatus[2][7] = 0;
        FilterEdits::setMessageFiltered (device(), 7, c.status, true);
        EXPECT_EQ (device().filterStatus[2][7], c.word) << juce::String::toHexString (c.status);

        FilterEdits::setMessageFiltered (device(), 7, c.status, false);
        EXPECT_EQ (device().filterStatus[2][7], 0u) << juce::String::toHexString (c.status);
    }

    // A status byte without a bit changes nothing, but the entry is marked all the same.
    device().pendingRequests.clearAll();
    device().filterStatus[2][3] = 0x11;
    FilterEdits::setMessageFiltered (device(), 3, 0xF4, true);
    EXPECT_EQ (device().filterStatus[2][3], 0x11u);
    EXPECT_EQ (markedItems (device(), kindMessageFilter), std::vector<int> { 3 });
}

TEST_F (FilterEditsOf, ResetMarksEveryInputAndFromFirmware055EveryOutput)
{
    struct Case { int major, minor; int entries; };

    for (auto c : { Case { 1, 1, 30 }, Case { 0, 5, 15 } })
    {
        device().pendingRequests.clearAll();
        device().hostFirmwareVersion = MidiController::firmwareVersionFromDigits (c.major, c.minor);

        FilterEdits::markAllForWrite (device());

        EXPECT_EQ (markedItems (device(), kindChannelFilter), range (c.entries)) << c.major << "." << c.minor;
        EXPECT_EQ (markedItems (device(), kindMessageFilter), range (c.entries)) << c.major << "." << c.minor;
        EXPECT_TRUE (device().pendingRequests.isWrite (kindMessageFilter, c.entries - 1));
    }
}

TEST_F (FilterEditsOf, ClearingOnePresetLeavesTheOthers)
{
    for (int p = 0; p < MidiController::numPresetRows; ++p)
        for (int e = 0; e < MidiController::numFilterEntries; ++e)
        {
            device().filterChannels[p][e] = 0xFFFF;
            device().filterStatus[p][e] = 0x3FFFF;
        }

    FilterEdits::clearFilters (device(), false);
    EXPECT_EQ (device().filterChannels[2][71], 0);
    EXPECT_EQ (device().filterStatus[2][0], 0u);
    EXPECT_EQ (device().filterChannels[1][71], 0xFFFF);
    EXPECT_EQ (device().filterStatus[3][0], 0x3FFFFu);

    FilterEdits::clearFilters (device(), true);
    EXPECT_EQ (device().filterChannels[15][71], 0);
    EXPECT_EQ (device().filterStatus[0][0], 0u);
    EXPECT_TRUE (markedItems (device(), kindChannelFilter).empty()) << "clearing marks nothing";
}

// Run under the sanitizers too: every access beyond a preset's 72 entries would be reported there.
TEST_F (FilterEditsOf, LargestProductsNeverReachBeyondAPresetsEntries)
{
    for (int code : { (int) productLissar, (int) productNorrim })
    {
        connectProduct (code, MidiController::firmwareVersionFromDigits (4, 5));
        device().pendingRequests.clearAll();

        for (int p = 0; p < MidiController::numPresetRows; ++p)
            for (int e = 0; e < MidiController::numFilterEntries; ++e)
            {
                device().filterChannels[p][e] = (juce::uint16) (p * 100 + e);
                device().filterStatus[p][e] = (juce::uint32) (p * 100 + e);
            }

        device().currentPreset = 0;
        const int entries = FilterEdits::getNumProductEntries (device());
        EXPECT_GT (entries, MidiController::numFilterEntries);

        for (int entry = 0; entry < entries + 4; ++entry)
        {
            FilterEdits::toggleChannel (device(), entry, 15);
            FilterEdits::setMessageFiltered (device(), entry, 0xFE, true);
            EXPECT_EQ (FilterEdits::getChannelWord (device(), entry) != 0, entry < MidiController::numFilterEntries);
        }

        FilterEdits::markAllForWrite (device());

        EXPECT_EQ (markedItems (device(), kindChannelFilter), range (MidiController::numFilterEntries)) << code;
        EXPECT_EQ (markedItems (device(), kindMessageFilter), range (MidiController::numFilterEntries)) << code;

        // The next preset's entries are untouched.
        bool nextPresetKept = true;
        for (int e = 0; e < MidiController::numFilterEntries; ++e)
            nextPresetKept = nextPresetKept && device().filterChannels[1][e] == 100 + e && device().filterStatus[1][e] == (juce::uint32) (100 + e);
        EXPECT_TRUE (nextPresetKept) << code;
    }
}
