#include "support/DeviceTestSupport.h"
#include "routing/DeviceChoiceList.h"

namespace
{
    float version (int major, int minor) { return MidiController::firmwareVersionFromDigits (major, minor); }

    /** The list as one line: items by text, headings in brackets, separators as "--". */
    juce::String describe (const DeviceChoiceList& list)
    {
        juce::StringArray parts;

        for (auto& e : list.getEntries())
            parts.add (e.kind == DeviceChoiceList::Entry::item ? e.text
                         : e.kind == DeviceChoiceList::Entry::heading ? "[" + e.text + "]" : juce::String ("--"));

        return parts.joinIntoString (" | ");
    }

    constexpr juce::int32 keysVidPid = 0x05821234, padsVidPid = (juce::int32) 0x8A4D0001u;
}

class DeviceChoices : public DeviceFixture
{
protected:
    void SetUp() override
    {
        DeviceFixture::SetUp();
        folder = juce::File::getSpecialLocation (juce::File::tempDirectory).getNonexistentChildFile ("pellion-choices-", "", false);
        folder.createDirectory();
        juce::PropertiesFile::Options options;
        options.millisecondsBeforeSaving = -1;
        file = std::make_unique<juce::PropertiesFile> (folder.getChildFile ("p.pvProperties"), options);
    }

    void TearDown() override
    {
        file = nullptr;
        folder.deleteRecursively();
        DeviceFixture::TearDown();
    }

    void occupy (int record, int handle, const char* name, juce::int32 vidPid, int instance, int cable = 0)
    {
        auto& r = device().usbHostDevices[record];
        r.deviceHandle = handle;
        r.vidPid = vidPid;
        r.deviceInstance = (juce::uint8) instance;
        r.cableIndex = (juce::uint8) cable;
        r.inputCables = 2;
        r.outputCables = 3;
        juce::String (name).copyToUTF8 (r.name, sizeof (r.name));
    }

    juce::File folder;
    std::unique_ptr<juce::PropertiesFile> file;
};

TEST_F (DeviceChoices, ContentsAndOrderOfARow)
{
    struct Case
    {
        const char* name;
        float firmware;
        int secondInstance;     // what the product reports for the second KEYS
        bool remembered;
        PortReservation entry;
        const char* expected;
    };

    const Case cases[] = {
        { "two instances above 3.35", version (3, 4), 1, false, { -1, 0x7F },
          "Not reserved | -- | [Connected devices] | KEYS | KEYS(2) | -- | Clear previous devices" },
        { "no instances counted at 3.3", version (3, 3), 0, false, { -1, 0x7F },
          "Not reserved | -- | [Connected devices] | KEYS | -- | Clear previous devices" },
        { "a remembered device after the attached ones", version (4, 5), 1, true, { -1, 0x7F },
          "Not reserved | -- | [Connected devices] | KEYS | KEYS(2) | [Previous connected devices] | PADS | -- | Clear previous devices" },
        { "a reservation for a device neither attached nor remembered", version (4, 5), 1, false, { 0x0ABC00FF, 0x0003 },
          "Not reserved | -- | [Connected devices] | KEYS | KEYS(2) | [Previous connected devices] | VID:ABC PID:FF | -- | Clear previous devices" },
        { "a reservation for a remembered device's second instance", version (4, 5), 1, true, { padsVidPid, 0x0102 },
          "Not reserved | -- | [Connected devices] | KEYS | KEYS(2) | [Previous connected devices] | PADS | PADS(2) | -- | Clear previous devices" },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        connectProduct (productJorvek, c.firmware);
        occupy (0, 5, "KEYS", keysVidPid, 0);
        occupy (1, 6, "KEYS", keysVidPid, c.secondInstance);
        occupy (2, 5, "KEYS", keysVidPid, 0, 1);
        file->clear();

        if (c.remembered)
        {
            PreviousDevices (file.get()).store (PreviousDevices::textOf (keysVidPid), "KEYS", 2, 3);
            PreviousDevices (file.get()).store (PreviousDevices::textOf (padsVidPid), "PADS", 0, 2);
        }

        DeviceChoiceList list;
        const auto state = list.build (device(), PreviousDevices (file.get()), true, 0, {}, c.entry);

        EXPECT_EQ (describe (list), c.expected);
        EXPECT_EQ (state.selectedIndex, 0) << "nothing was chosen: \"Not reserved\"";
        EXPECT_TRUE (state.cablesDisabled);
        EXPECT_EQ (list.getVidPid (0), -1) << "\"Not reserved\"";
        EXPECT_EQ (list.getInstance (0), 255);
        EXPECT_EQ (list.getVidPid (list.getNumItems() - 1), -1) << "\"Clear previous devices\"";
        EXPECT_EQ (list.getInstance (list.getNumItems() - 1), 255);
        EXPECT_EQ (list.getVidPid (list.getNumItems()), -1) << "an index past the items";
    }
}

TEST_F (DeviceChoices, TheChoiceIsKeptAcrossRebuilds)
{
    connectProduct (productJorvek, version (4, 5));
    occupy (16 + 0, 5, "KEYS", keysVidPid, 0);
    occupy (16 + 1, 6, "KEYS", keysVidPid, 1);
    PreviousDevices (file.get()).store (PreviousDevices::textOf (padsVidPid), "PADS", 0, 2);
    const PreviousDevices previous (file.get());

    DeviceChoiceList list;
    list.build (device(), previous, false, 0, {}, { -1, 0x7F });

    // The second KEYS on an output row, with cable 2: found again, its cables those of the device's inputs.
    const int second = list.findDevice (keysVidPid, 1);
    ASSERT_EQ (second, 2);
    DeviceChoiceList::Choice chosen { keysVidPid, 1, 2 };
    auto state = list.build (device(), previous, false, 0, chosen, { keysVidPid, 0x0101 });
    EXPECT_EQ (state.selectedIndex, 2);
    EXPECT_EQ (state.cableId, 2);
    EXPECT_EQ (state.usableCables, 2);
    EXPECT_FALSE (state.cablesDisabled);

    // The device is unplugged: the remembered one stands in only when remembered; here it is not.
    device().usbHostDevices[16 + 1].clear();
    state = list.build (device(), previous, false, 0, chosen, { keysVidPid, 0x0101 });
    EXPECT_EQ (list.getVidPid (state.selectedIndex), keysVidPid) << "the stored reservation still shows";
    EXPECT_EQ (list.getInstance (state.selectedIndex), 1);

    // A remembered device chosen while not attached.
    DeviceChoiceList::Choice remembered { padsVidPid, 255, 1 };
    state = list.build (device(), previous, false, 0, remembered, { padsVidPid, 0x0000 });
    EXPECT_EQ (list.getVidPid (state.selectedIndex), padsVidPid);
    EXPECT_EQ (state.usableCables, 0) << "PADS has no input cable for a host output";
}

TEST_F (DeviceChoices, AddingAndFinding)
{
    DeviceChoiceList list;
    EXPECT_EQ (list.addDevice ({}, keysVidPid, 0, 1), -1) << "an empty name adds nothing";
    EXPECT_EQ (list.getNumItems(), 1);
    EXPECT_EQ (list.addDevice ("KEYS", keysVidPid, 0, 2), 2);
    EXPECT_EQ (list.addDevice ("KEYS", keysVidPid, 0, 2), -1) << "listed already";
    EXPECT_EQ (list.addDevice ("KEYS", keysVidPid, 1, 255), 3) << "no count: no number appended";
    EXPECT_EQ (list.getEntries().back().text, "KEYS");
    EXPECT_EQ (list.addDevice ("KEYS", keysVidPid, 255, 255), -1) << "a remembered device listed already";

    EXPECT_EQ (list.findDevice (keysVidPid, 1), 2);
    EXPECT_EQ (list.findDevice (keysVidPid, 255), -1) << "255 asked for matches only items of any instance";
    EXPECT_EQ (list.addDevice ("PADS", padsVidPid, 255, 255), 4);
    EXPECT_EQ (list.findDevice (padsVidPid, 3), 3) << "an item of any instance matches every instance";
    EXPECT_EQ (list.getVidPid (3), padsVidPid);
}
