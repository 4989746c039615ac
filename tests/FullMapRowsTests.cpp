#include "support/DeviceTestSupport.h"
#include "settings/FullMap.h"

/* The rows of the full-settings window as components: one per port in display order, the texts
   their labels show, their heights, padlocks, TRS label and the highlight a click toggles. */

namespace
{
    float version (int major, int minor) { return MidiController::firmwareVersionFromDigits (major, minor); }

    constexpr int jorvekHostPorts = 16, jorvekPorts = 30, norrimPorts = 44;
    constexpr int firstVirtualPort = jorvekHostPorts, firstMidiPort = jorvekHostPorts + 8;

    /** A Note On mapper taking one local port of the Jorvek as input. */
    MapperRecord noteMapperFromLocalPort (int port)
    {
        MapperRecord r;
        const int local = port - jorvekHostPorts;
        r.cfg1 = 0x00000F00;                     // Note On, channels 1-16, to Note On channel 1
        r.cfg2 = 0x5Au << 24;
        r.cfg4 = local < 8 ? 1u << local : 1u << (16 + local);
        r.inVal1Val2 = 0x7F007F00;
        r.outVal1Val2 = 0x7F007F00;
        return r;
    }
}

class FullMapRows : public DeviceFixture
{
protected:
    void SetUp() override
    {
        DeviceFixture::SetUp();
        connectProduct (productJorvek, version (4, 5));
    }

    /** The full-settings content built for the connected product. */
    std::unique_ptr<FullMap> makeMap()
    {
        auto map = std::make_unique<FullMap> (nullptr);
        map->setSize (1120, 600);
        return map;
    }

    static juce::String text (const juce::Label& label)   { return label.getText(); }
};

TEST_F (FullMapRows, OneRowPerPortLocalPortsFirst)
{
    auto map = makeMap();
    auto& list = map->getList();
    ASSERT_EQ (list.getNumRows(), jorvekPorts);

    EXPECT_EQ (list.getRow (firstVirtualPort)->getY(), 0);
    EXPECT_EQ (list.getRow (firstMidiPort)->getY(), 8 * 180);
    EXPECT_EQ (list.getRow (jorvekPorts - 1)->getY(), 13 * 180);
    EXPECT_EQ (list.getRow (0)->getY(), 14 * 180);
    EXPECT_EQ (list.getRow (15)->getY(), 29 * 180);
    EXPECT_EQ (list.getHeight(), jorvekPorts * 180);
    EXPECT_EQ (list.getRow (0)->getWidth(), 1120);

    EXPECT_EQ (text (list.getRow (firstMidiPort)->inputName), "MIDI In 1");
    EXPECT_EQ (text (list.getRow (firstMidiPort)->outputName), "MIDI Out 1");
    EXPECT_EQ (text (list.getRow (firstVirtualPort)->inputName), "USB-C Virtual In 1");
    EXPECT_EQ (text (list.getRow (2)->outputName), "USB-C Host Out 3");
    EXPECT_TRUE (list.getRow (2)->inputHighlightButton.getTooltip().endsWith ("\n\nClick to highlight routing"));
}

TEST_F (FullMapRows, FiltersPadlocksAndTrsTypeOfTheCurrentPreset)
{
    auto map = makeMap();
    auto& list = map->getList();
    auto& midi3 = *list.getRow (firstMidiPort + 2);
    auto& host2 = *list.getRow (2);

    EXPECT_EQ (text (midi3.inputChannelList), "No channel filtered");
    EXPECT_EQ (text (midi3.inputMessageList), "No message filtered");
    EXPECT_TRUE (midi3.trsLabel.isVisible());
    EXPECT_EQ (text (midi3.trsLabel), "TRS Type B");

    device().currentPreset = 1;
    device().filterChannels[1][firstMidiPort + 2] = 0x8001;
    device().filterStatus[1][jorvekPorts + firstMidiPort + 2] = (1u << 12) | (1u << 15);
    device().trsType[1] = 1 << 18;
    device().portReservations[2] = { 0x0A4D1234, 0x0000 };
    list.refreshRows();

    EXPECT_EQ (text (midi3.inputChannelList), "1, 16");
    EXPECT_EQ (text (midi3.outputChannelList), "No channel filtered");
    EXPECT_EQ (text (midi3.outputMessageList), "Clock, Stop");
    EXPECT_TRUE (midi3.trsLabel.isVisible());
    EXPECT_EQ (text (midi3.trsLabel), "TRS Type A");
    EXPECT_FALSE (midi3.sync24SourceLabel.isVisible());
    EXPECT_FALSE (midi3.sync24OutputLabel.isVisible());

    EXPECT_FALSE (midi3.inputPadlock.isVisible()) << "a local port has no padlock";
    EXPECT_FALSE (midi3.outputPadlock.isVisible());
    EXPECT_TRUE (host2.inputPadlock.isVisible());
    EXPECT_TRUE (host2.outputPadlock.isVisible());
    EXPECT_TRUE (FullMapObject::isPadlockLocked (host2.inputPadlock));
    EXPECT_FALSE (FullMapObject::isPadlockLocked (host2.outputPadlock));
    EXPECT_TRUE (host2.inputPadlock.getNormalImage().isValid());
    EXPECT_FALSE (list.getRow (firstMidiPort - 1)->trsLabel.isVisible()) << "a USB-C virtual port is no TRS jack";
}

TEST_F (FullMapRows, ARowWithThreeMappersIs192HighAndPushesTheOthersDown)
{
    auto map = makeMap();
    auto& list = map->getList();
    const int port = firstVirtualPort + 1;
    auto& row = *list.getRow (port);

    EXPECT_TRUE (row.noMapperLabel.isVisible());
    EXPECT_FALSE (row.statusHeader.isVisible());
    EXPECT_EQ (row.getHeight(), 180);

    for (int mapper : { 2, 5, 9 })
        device().mapperRecords[0][mapper] = noteMapperFromLocalPort (port);

    device().mapperRecords[0][7] = noteMapperFromLocalPort (port + 1);
    list.refreshRows();

    EXPECT_EQ (row.shownMapperCount, 3);
    EXPECT_EQ (row.getShownMappers(), juce::Array<int> ({ 2, 5, 9 }));
    EXPECT_EQ (row.getHeight(), 192);
    EXPECT_EQ (row.mappersGroup.getHeight(), 172);
    EXPECT_FALSE (row.noMapperLabel.isVisible());
    EXPECT_TRUE (row.statusHeader.isVisible());
    EXPECT_TRUE (row.value2Header.isVisible());

    EXPECT_EQ (list.getRow (port + 1)->getY(), 2 * 180 + 12);
    EXPECT_EQ (list.getRow (0)->getY(), 14 * 180 + 12);
    EXPECT_EQ (list.getHeight(), jorvekPorts * 180 + 12);

    // The third mapper sits on the third pair of lines, numbered by its own index.
    auto* third = row.getShownMapperLabels (9);
    ASSERT_NE (third, nullptr);
    EXPECT_EQ (text (third->number), "10");
    EXPECT_EQ (third->number.getY(), 43 + 2 * 44);
    EXPECT_EQ (third->outStatus.getY(), 62 + 2 * 44);
    EXPECT_EQ (text (third->inStatus), "Note On");
    EXPECT_TRUE (third->inStatus.isVisible());
    EXPECT_FALSE (third->skip.isVisible());
    EXPECT_EQ (row.getShownMapperLabels (7), nullptr);

    // Taking the mappers away again: no label stays visible and the row shrinks back.
    for (int mapper : { 2, 5, 9 })
        device().mapperRecords[0][mapper] = {};

    list.refreshRows();
    EXPECT_EQ (row.shownMapperCount, 0);
    EXPECT_FALSE (third->number.isVisible());
    EXPECT_TRUE (row.noMapperLabel.isVisible());
    EXPECT_EQ (row.getHeight(), 180);
    EXPECT_EQ (list.getRow (port + 1)->getY(), 2 * 180);
}

TEST_F (FullMapRows, ClickingANameTogglesItsHighlight)
{
    auto map = makeMap();
    auto& list = map->getList();
    auto& row3 = *list.getRow (3);
    auto& row20 = *list.getRow (20);
    const auto orange = juce::Colour (0xffeb663e), white = juce::Colours::white;
    auto colourOf = [] (juce::Label& label) { return label.findColour (juce::Label::textColourId); };

    EXPECT_EQ (colourOf (row3.inputName), white);

    row20.buttonClicked (&row20.outputHighlightButton);
    EXPECT_EQ (list.getHighlightedOutput(), 20);
    EXPECT_EQ (colourOf (row20.outputName), orange);

    row3.buttonClicked (&row3.inputHighlightButton);
    EXPECT_EQ (list.getHighlightedInput(), 3);
    EXPECT_EQ (list.getHighlightedOutput(), -1) << "highlighting an input clears the output's";
    EXPECT_EQ (colourOf (row3.inputName), orange);
    EXPECT_EQ (colourOf (row20.outputName), white);

    row3.buttonClicked (&row3.inputHighlightButton);
    EXPECT_EQ (list.getHighlightedInput(), -1);
    EXPECT_EQ (colourOf (row3.inputName), white);

    row3.buttonClicked (&row3.inputPadlock);
    EXPECT_EQ (list.getHighlightedInput(), -1) << "the padlock is no highlight button";
}

TEST_F (FullMapRows, HighlightedLinesAreDrawnFullyOpaque)
{
    auto map = makeMap();
    auto& list = map->getList();

    // A route from the first virtual port to its own output: a flat line through its row's middle.
    device().routerMasks[0][firstVirtualPort] = 1u << firstVirtualPort;
    list.refreshRows();

    auto redAt = [&] (int x, int y) { return map->createComponentSnapshot ({ 0, 0, 1120, 200 }).getPixelAt (x, y).getRed(); };

    EXPECT_LT (redAt (700, 90), 0x80) << "a faint line";
    EXPECT_LT (redAt (700, 120), 0x40) << "nothing away from the line";

    list.toggleInputHighlight (firstVirtualPort);
    EXPECT_GT (redAt (700, 90), 0xF0);
    EXPECT_GT (redAt (700, 89), 0xF0) << "2 pixels wide";
}

TEST_F (FullMapRows, RowsFollowTheConnectedProduct)
{
    auto map = makeMap();
    auto& list = map->getList();
    list.toggleInputHighlight (20);

    EXPECT_FALSE (list.matchConnectedProduct()) << "the rows already fit the Jorvek";

    connectProduct (productCalder, version (4, 5));
    EXPECT_TRUE (list.matchConnectedProduct());
    EXPECT_EQ (list.getNumRows(), 8 + 3);
    EXPECT_EQ (list.getHighlightedInput(), -1) << "a highlight of the former rows goes with them";
    EXPECT_EQ (list.getRow (8)->getY(), 0);
    EXPECT_EQ (list.getHeight(), 11 * 180);

    // A product that is gone leaves the rows as they are; they show no routing any more.
    device().routerMasks[0][8] = 0xFFFFFFFF;
    device().setProductCode (productNone);
    EXPECT_TRUE (map->createComponentSnapshot (map->getLocalBounds()).isValid());
    map->refreshPortName (3);
    map->refreshHostPortName (3);
    EXPECT_EQ (list.getNumRows(), 11);
}

TEST_F (FullMapRows, WithoutAProductThereAreNoRows)
{
    device().setProductCode (productNone);
    auto map = makeMap();

    EXPECT_EQ (map->getList().getNumRows(), 0);
    EXPECT_EQ (map->getRow (0), nullptr);
    EXPECT_TRUE (map->createComponentSnapshot (map->getLocalBounds()).isValid());
    map->refreshPortName (0);
    map->refreshHostPortName (0);
}

TEST_F (FullMapRows, PortAndHostNamesAreRefreshedOneRowAtATime)
{
    auto map = makeMap();
    auto& row = *map->getRow (1);
    auto& record = device().usbHostDevices[jorvekHostPorts + 1];   // host output slot 1
    record.deviceHandle = 3;
    std::strcpy (record.name, "Pad Grid");
    record.cableIndex = 1;

    EXPECT_EQ (text (row.outputName), "USB-C Host Out 2") << "names change only when told";
    map->refreshHostPortName (jorvekHostPorts + 1);
    EXPECT_EQ (text (row.outputName), "Pad Grid-2");
    EXPECT_EQ (text (row.inputName), "USB-C Host In 2");

    ui.properties[device().serialText + "::MIDI In 2"] = "Drum Brain";
    map->refreshPortName (firstMidiPort + 1);
    EXPECT_EQ (text (map->getRow (firstMidiPort + 1)->inputName), "Drum Brain");
    EXPECT_EQ (text (map->getRow (firstMidiPort + 1)->outputName), "MIDI Out 2");

    ui.properties[device().serialText + "::MIDI Out 2"] = "Synth";
    map->refreshPortName (jorvekPorts + firstMidiPort + 1);
    EXPECT_EQ (text (map->getRow (firstMidiPort + 1)->outputName), "Synth");

    map->refreshPortName (2 * jorvekPorts);         // past the last output
    map->refreshHostPortName (2 * jorvekHostPorts); // past the last host record
}

//==============================================================================
TEST_F (FullMapRows, NorrimRowsReadNothingBeyondTheTables)
{
    connectProduct (productNorrim, version (4, 5));

    // Everything set: every table the rows read is full of ones, up to its last entry.
    for (int p = 0; p < MidiController::numPresetRows; ++p)
    {
        for (auto& row : device().routerMasks[p])      row = 0xFFFFFFFF;
        for (auto& entry : device().filterChannels[p]) entry = 0xFFFF;
        for (auto& entry : device().filterStatus[p])   entry = 0xFFFFFFFF;

        for (auto& mapper : device().mapperRecords[p])
            mapper = { 0xFFFFFFFF, 0xFFFFFFFF, 0x00F00F00, 0x5A000000, 0xFFFFFFFF, 0xFFFFFFFF };

        device().trsType[p] = -1;
    }

    for (auto& reservation : device().portReservations)
        reservation = { 0x12345678, 0 };

    device().currentPreset = 11;

    auto map = makeMap();
    auto& list = map->getList();
    ASSERT_EQ (list.getNumRows(), norrimPorts);
    list.toggleOutputHighlight (43);
    list.refreshRows();
    EXPECT_TRUE (map->createComponentSnapshot ({ 0, 0, 1120, 600 }).isValid());

    EXPECT_EQ (text (list.getRow (27)->outputChannelList), "1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16");
    EXPECT_EQ (text (list.getRow (28)->outputChannelList), "Not available on this product");
    EXPECT_EQ (text (list.getRow (43)->outputMessageList), "Not available on this product");
    EXPECT_EQ (text (list.getRow (43)->inputChannelList), "1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16");
    EXPECT_EQ (list.getRow (40)->shownMapperCount, 0) << "local port 16 cannot be a mapper input";
    EXPECT_EQ (list.getRow (39)->shownMapperCount, 24);
    EXPECT_EQ (list.getRow (39)->getHeight(), 24 * 44 + 60);
    EXPECT_TRUE (list.getRow (43)->trsLabel.isVisible());
    EXPECT_TRUE (list.getRow (23)->outputPadlock.isVisible());
    EXPECT_FALSE (list.getRow (24)->outputPadlock.isVisible());
}
