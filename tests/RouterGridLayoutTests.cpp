#include "support/DeviceTestSupport.h"
#include "routing/RouterGridLayout.h"
#include "routing/RouterGridEnablement.h"
#include "routing/RouteLines.h"

namespace
{
    float version (int major, int minor) { return MidiController::firmwareVersionFromDigits (major, minor); }

    constexpr int gridWidth = 795;

    /** The y of every shown row of a column, in port order ("-" for a hidden one). */
    juce::String rowsOf (const RouterGridLayout::Row* rows, int from, int to)
    {
        juce::StringArray ys;

        for (int i = from; i < to; ++i)
            ys.add (rows[i].shown ? juce::String (rows[i].y) : "-");

        return ys.joinIntoString (" ");
    }

    juce::String headingsOf (const juce::Array<RouterGridLayout::HubHeading>& headings)
    {
        juce::StringArray texts;

        for (auto& h : headings)
            texts.add (h.text + " @" + juce::String (h.y));

        return texts.joinIntoString (" | ");
    }
}

/** A device model with host-slot records written as the product reports them. */
class RouterGridLayoutTest : public DeviceFixture
{
protected:
    /** Fills a host-slot record. */
    void occupy (int record, int handle, const char* name, juce::int32 vidPid, int hubId = 0xFF, int hubPort = 0xFF,
                 int hubPortCount = 0xFF, int cable = 0)
    {
        auto& r = device().usbHostDevices[record];
        r.deviceHandle = handle;
        r.hubId = (juce::uint8) hubId;
        r.hubPort = (juce::uint8) hubPort;
        r.hubPortCount = (juce::uint8) hubPortCount;
        r.cableIndex = (juce::uint8) cable;
        r.deviceInstance = 0;
        r.inputCables = r.outputCables = 1;
        r.vidPid = vidPid;
        juce::String (name).copyToUTF8 (r.name, sizeof (r.name));
    }

    RouterGridLayout layout() { return RouterGridLayout::compute (device(), gridWidth); }
};

TEST_F (RouterGridLayoutTest, RowsHeadingsAndHeightOfEachProductWithoutDevices)
{
    struct Case
    {
        const char* name;
        int product;
        const char* localRows;      // y of the product's own ports, inputs and outputs alike
        int groupY[RouterGridLayout::numGroups];
        bool groupShown[RouterGridLayout::numGroups];
        int noDeviceY, height;
    };

    const Case cases[] = {
        { "Dorvin", productDorvin, "52 84 116 148 224 300 332", { 24, 192, 268, 376 }, { true, true, true, true }, 408, 436 },
        { "Calder", productCalder, "52 84 160", { 24, 128, 128, 204 }, { true, false, true, true }, 236, 264 },
        { "Gavrel", productGavrel, "52 84 116 148 224 256 288 320", { 24, 192, 192, 364 }, { true, false, true, true }, 396, 424 },
        { "Jorvek", productJorvek, "52 84 116 148 180 212 244 276 352 384 416 448 480 512", { 24, 320, 320, 556 },
          { true, false, true, true }, 588, 616 },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        connectProduct (c.product, version (4, 6));
        const auto l = layout();
        const int a = device().getNumUsbHostPorts(), ports = a + device().getNumLocalPorts();

        EXPECT_EQ (rowsOf (l.inputs, a, ports), c.localRows);
        EXPECT_EQ (rowsOf (l.outputs, a, ports), c.localRows);
        juce::StringArray hidden;
        for (int i = 0; i < a; ++i)
            hidden.add ("-");
        EXPECT_EQ (rowsOf (l.inputs, 0, a), hidden.joinIntoString (" ")) << "no host slot without a device";

        for (int g = 0; g < RouterGridLayout::numGroups; ++g)
        {
            EXPECT_EQ (l.inputGroups[g].labelBounds.getY(), c.groupY[g]) << "group " << g;
            EXPECT_EQ (l.outputGroups[g].labelBounds.getY(), c.groupY[g]) << "group " << g;
            EXPECT_EQ (l.inputGroups[g].shown, c.groupShown[g]) << "group " << g;
        }

        // Each heading sits one row above the first row of its group.
        EXPECT_EQ (l.inputGroups[RouterGridLayout::midiGroup].labelBounds.getY() + 32,
                   l.inputs[ports - 1].y - 32 * (ports - 1 - a - device().getNumUsbVirtualPorts() - (c.product == productDorvin ? 1 : 0)));

        EXPECT_TRUE (l.noDeviceIn.shown);
        EXPECT_TRUE (l.noDeviceOut.shown);
        EXPECT_EQ (l.noDeviceIn.bounds, juce::Rectangle<int> (72, c.noDeviceY, 140, 24));
        EXPECT_EQ (l.noDeviceOut.bounds, juce::Rectangle<int> (gridWidth - 230, c.noDeviceY, 158, 24));
        EXPECT_FALSE (l.availableIn.shown);
        EXPECT_FALSE (l.availableOut.shown);
        EXPECT_EQ (l.height, c.height);
    }
}

TEST_F (RouterGridLayoutTest, WithoutAProductTheLastTwelvePortsAreLaidOutAlone)
{
    const auto l = layout();

    EXPECT_EQ (rowsOf (l.inputs, 24, 36), "52 84 116 148 180 212 244 276 308 340 372 404");
    EXPECT_EQ (rowsOf (l.outputs, 24, 36), "52 84 116 148 180 212 244 276 308 340 372 404");
    EXPECT_EQ (l.inputNames[24], "USB-C Virtual In 1");
    EXPECT_EQ (l.outputNames[35], "MIDI Out 4");
    EXPECT_EQ (l.height, 436);

    for (auto& group : l.inputGroups)
        EXPECT_FALSE (group.shown);

    EXPECT_FALSE (l.noDeviceIn.shown);
    EXPECT_FALSE (l.availableIn.shown);
    EXPECT_EQ (l.shownHostInputs, 0);
}

TEST_F (RouterGridLayoutTest, DevicesOnTheHostPortItselfAreListedInOrderWithTheirCount)
{
    connectProduct (productDorvin, version (4, 6));
    occupy (2, 5, "KEYS", 0x05821234);
    occupy (0, 5, "KEYS", 0x05821234, 0xFF, 0xFF, 0xFF, 1);
    occupy (5, 7, "PADS", 0x1C75A0B2);
    occupy (8 + 1, 5, "KEYS", 0x05821234);

    const auto l = layout();

    EXPECT_EQ (rowsOf (l.inputs, 0, 8), "412 - 444 - - 476 - -") << "408 + 4, in slot order";
    EXPECT_EQ (rowsOf (l.outputs, 0, 8), "- 412 - - - - - -");
    EXPECT_EQ (l.inputNames[0], "KEYS-2");
    EXPECT_EQ (l.inputNames[2], "KEYS-1");
    EXPECT_TRUE (l.hubHeadingsIn.isEmpty());
    EXPECT_FALSE (l.noDeviceIn.shown);
    EXPECT_FALSE (l.noDeviceOut.shown);
    EXPECT_TRUE (l.availableIn.shown);
    EXPECT_EQ (l.availableIn.text, "Available host In ports: 5");
    EXPECT_EQ (l.availableOut.text, "Available host Out ports: 7");
    EXPECT_EQ (l.height, 532) << "three rows and the count line";
    EXPECT_EQ (l.availableIn.bounds, juce::Rectangle<int> (72, 508, 140, 24));
    EXPECT_EQ (l.availableOut.bounds, juce::Rectangle<int> (gridWidth - 230, 508, 140, 24)) << "both count lines at the foot of the grid";
}

TEST_F (RouterGridLayoutTest, HubsAreGroupedWithTheBuiltInHubFirst)
{
    connectProduct (productJorvek, version (4, 6));
    const int a = 16;

    // An external hub's device comes first in the records; the built-in hub is listed first anyway.
    occupy (0, 3, "SYNTH", 0x11112222, 2, 3, 4);
    occupy (1, 4, "KEYS", 0x33334444, 1, 2, 6);
    occupy (2, 4, "KEYS", 0x33334444, 1, 2, 6, 1);
    occupy (3, 6, "DRUMS", 0x55556666, 1, 5, 6);
    occupy (a + 0, 4, "KEYS", 0x33334444, 1, 2, 6);
    occupy (a + 1, 3, "SYNTH", 0x11112222, 2, 3, 4);

    EXPECT_EQ (RouterGridLayout::getNthHubId (device(), 0), 2);
    EXPECT_EQ (RouterGridLayout::getNthHubId (device(), 1), 1);
    EXPECT_EQ (RouterGridLayout::getNthHubId (device(), 2), 2) << "the hub met again in the output records";
    EXPECT_EQ (RouterGridLayout::getNthHubId (device(), 3), 0xFF);
    EXPECT_TRUE (RouterGridLayout::isBuiltInHub (device(), 1));
    EXPECT_FALSE (RouterGridLayout::isBuiltInHub (device(), 2));
    EXPECT_EQ (RouterGridLayout::getHubPortCount (device(), 2), 4);
    EXPECT_EQ (RouterGridLayout::getHubPortCount (device(), 0xFF), 0);
    EXPECT_EQ (RouterGridLayout::getHubVisitOrder (device()), juce::Array<juce::uint8> ({ 1, 2 }));

    const auto l = layout();

    // Host section from 588: built-in port 2 (heading, two slots), built-in port 5, then hub 2's port 3.
    EXPECT_EQ (headingsOf (l.hubHeadingsIn), "KEYS [In 2/6] @588 | DRUMS [In 5/6] @686 | SYNTH [Hub 3/4] @752");
    EXPECT_EQ (rowsOf (l.inputs, 0, 4), "786 622 654 720");
    EXPECT_EQ (headingsOf (l.hubHeadingsOut), "KEYS [Out 2/6] @588 | SYNTH [Hub 3/4] @654");
    EXPECT_EQ (rowsOf (l.outputs, 0, 2), "622 688");
    EXPECT_EQ (l.availableIn.text, "Available host In ports: 12");
    EXPECT_EQ (l.availableOut.text, "Available host Out ports: 14");
    EXPECT_EQ (l.height, 818 + 24);
    EXPECT_EQ (l.inputGroups[RouterGridLayout::hostGroup].labelBounds.getY(), 556);
    EXPECT_TRUE (l.usbCHost);
}

TEST_F (RouterGridLayoutTest, ADeviceBesideTheHubsIsListedAfterThem)
{
    connectProduct (productNorrim, version (4, 6));
    occupy (0, 3, "SYNTH", 0x11112222, 1, 1, 12);
    occupy (1, 4, "DIRECT", 0x33334444);

    const auto l = layout();
    const int hostStart = l.inputGroups[RouterGridLayout::hostGroup].labelBounds.getY() + 32;

    EXPECT_EQ (headingsOf (l.hubHeadingsIn), "SYNTH [In 1/12] @" + juce::String (hostStart));
    EXPECT_EQ (l.inputs[0].y, hostStart + 34);
    EXPECT_EQ (l.inputs[1].y, hostStart + 66) << "a slot without a hub is not left out";
    EXPECT_EQ (l.availableIn.text, "Available host In ports: 22");
}

TEST_F (RouterGridLayoutTest, GroupGaps)
{
    connectProduct (productDorvin, version (4, 6));
    EXPECT_EQ (RouterGridLayout::getPortGroupGap (device(), 0), 44);
    EXPECT_EQ (RouterGridLayout::getPortGroupGap (device(), 8), 0);
    EXPECT_EQ (RouterGridLayout::getPortGroupGap (device(), 12), 44);
    EXPECT_EQ (RouterGridLayout::getPortGroupGap (device(), 13), 44);
    EXPECT_EQ (RouterGridLayout::getPortGroupGap (device(), 14), 0);

    connectProduct (productCalder, version (4, 6));
    EXPECT_EQ (RouterGridLayout::getPortGroupGap (device(), 10), 44);
    EXPECT_EQ (RouterGridLayout::getPortGroupGap (device(), 12), 0);

    device().setProductCode (productUpgradeMode);
    EXPECT_EQ (RouterGridLayout::getPortGroupGap (device(), 0), 0);
}

//==============================================================================
TEST_F (RouterGridLayoutTest, EnablementFollowsTheModeForEveryRow)
{
    connectProduct (productDorvin, version (3, 1));
    occupy (0, 5, "KEYS", 0x05821234);
    occupy (8 + 1, 5, "KEYS", 0x05821234);
    device().wirelessModule = 0;
    device().setUsbDevicePortMask (0x05821234, 0xFFFEFFFFu, true);    // input cable 1 off

    struct Case { const char* name; bool inputs, outputs, viewOpen; };
    const Case cases[] = {
        { "idle", true, true, false }, { "busy", true, false, false }, { "locked", false, false, false },
        { "reservation view open", true, true, true },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        const auto e = RouterGridEnablement::compute (device(), c.inputs, c.outputs, c.viewOpen);
        const bool open = ! c.viewOpen;

        EXPECT_EQ (e.input[0], c.inputs && open) << "an occupied host slot follows the local rows";
        EXPECT_EQ (e.output[1], c.outputs && open);
        EXPECT_FALSE (e.input[1]) << "no device on host input 2";
        EXPECT_FALSE (e.output[0]) << "no device on host output 1";
        EXPECT_EQ (e.input[8], c.inputs && open);
        EXPECT_EQ (e.output[8], c.outputs && open);
        EXPECT_FALSE (e.input[12]) << "the absent wireless port";
        EXPECT_FALSE (e.output[12]) << "the absent wireless port";

        const bool editable = c.inputs && c.outputs;
        EXPECT_EQ (e.hostSlots[0].inPorts, editable);
        EXPECT_EQ (e.hostSlots[1].outPorts, editable);
        EXPECT_EQ (e.hostSlots[0].inLock, editable);
        EXPECT_FALSE (e.hostSlots[1].inPorts);
        EXPECT_EQ (e.hostSlots[0].inPortsColour, RouterGridEnablement::portsAllEnabledColour);
        EXPECT_EQ (e.hostSlots[1].outPortsColour, RouterGridEnablement::portsSomeDisabledColour)
            << "the output \"Ports\" colour follows the device of the output slot's own record";
    }

    device().hostFirmwareVersion = version (3, 0);
    auto e = RouterGridEnablement::compute (device(), true, true, false);
    EXPECT_TRUE (e.hostSlots[0].inPorts);
    EXPECT_FALSE (e.hostSlots[0].inLock) << "padlocks need firmware above 3.05";

    device().hostFirmwareVersion = version (2, 8);
    e = RouterGridEnablement::compute (device(), true, true, false);
    EXPECT_FALSE (e.hostSlots[0].inPorts) << "\"Ports\" needs firmware above 2.85";
    EXPECT_FALSE (e.hostSlots[1].outPorts);
}

TEST_F (RouterGridLayoutTest, PortsBeyondTheTableAreShownDisabled)
{
    for (int product : { (int) productLissar, (int) productNorrim })
    {
        SCOPED_TRACE (product);
        connectProduct (product, version (4, 6));
        const int ports = device().getNumUsbHostPorts() + device().getNumLocalPorts();
        const auto l = layout();
        const auto e = RouterGridEnablement::compute (device(), true, true, false);

        for (int i = 24; i < ports; ++i)
        {
            EXPECT_TRUE (l.inputs[i].shown) << i;
            EXPECT_TRUE (l.outputs[i].shown) << i;
            EXPECT_EQ (e.input[i], i < 36) << i;
            EXPECT_EQ (e.output[i], i < 32) << i;
            EXPECT_EQ (l.inputTooltips[i] == "Not available on this product", i >= 36) << i;
            EXPECT_EQ (l.outputTooltips[i] == "Not available on this product", i >= 32) << i;
        }
    }
}

//==============================================================================
TEST_F (RouterGridLayoutTest, RouteLinesAndTicksOfTheSelectedInput)
{
    connectProduct (productDorvin, version (4, 6));
    occupy (0, 5, "KEYS", 0x05821234);
    device().wirelessModule = 0;
    const int v0 = 8, w = 12, d0 = 13;
    auto& rows = device().routerMasks[0];
    std::fill (std::begin (rows), std::end (rows), 0u);
    rows[v0] = (1u << d0) | (1u << w) | (1u << 1);   // host output 2 has no device: not drawn
    rows[0] = 1u << d0;
    rows[1] = 1u << d0;                                // host input 2 has no device: not drawn

    const auto l = layout();
    const auto lines = RouteLines::compute (device(), l, gridWidth, v0, false);

    ASSERT_EQ (lines.lines.size(), 3u);
    EXPECT_EQ (lines.lines[0].line, juce::Line<float> (212.0f, (float) l.inputs[0].centreY(), gridWidth - 230.0f, (float) l.outputs[d0].centreY()));
    EXPECT_EQ (lines.lines[0].opacity, 0.25f);
    EXPECT_EQ (lines.lines[1].opacity, 0.25f) << "the absent wireless port stays faint for the selected input";
    EXPECT_EQ (lines.lines[1].thickness, 1.0f);
    EXPECT_EQ (lines.lines[2].opacity, 1.0f);
    EXPECT_EQ (lines.lines[2].thickness, 2.0f);
    EXPECT_TRUE (lines.ticked[d0]);
    EXPECT_TRUE (lines.ticked[w]);
    EXPECT_FALSE (lines.ticked[1]) << "an output without a device is neither drawn nor ticked";
    EXPECT_EQ (rows[v0] & 2u, 2u) << "its route stays in the table";

    EXPECT_TRUE (RouteLines::compute (device(), l, gridWidth, v0, true).lines.empty()) << "the reservation view is open";
    device().setProductCode (productUpgradeMode);
    EXPECT_TRUE (RouteLines::compute (device(), l, gridWidth, v0, false).lines.empty());
}
