#include "support/DeviceTestSupport.h"
#include "settings/FullMapLayout.h"
#include "settings/FullMapMapperTexts.h"
#include "settings/FullMapRouteLines.h"
#include "settings/FullMapRowTexts.h"

/* What the full-settings window says about each port and how it draws the routing, as the
   GUI-free units decide it from the device model. */

namespace
{
    float version (int major, int minor) { return MidiController::firmwareVersionFromDigits (major, minor); }

    const juce::String notAvailable ("Not available on this product");
    constexpr int jorvekHostPorts = 16, jorvekVirtualPorts = 8, jorvekPorts = 30;
    constexpr int norrimPorts = 44;
    const float current = version (4, 5);
}

using FullMapTexts = DeviceFixture;

//==============================================================================
TEST (FullMapFilterTexts, ChannelAndMessageListsOfAFilterWord)
{
    struct ChannelCase { juce::uint16 word; const char* text; };
    const ChannelCase channels[] = {
        { 0x0000, "No channel filtered" },
        { 0x8001, "1, 16" },
        { 0x8003, "1, 2, 16" },
        { 0x0010, "5" },
        { 0xFFFF, "1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16" },
    };

    for (const auto& c : channels)
        EXPECT_EQ (FullMapRowTexts::describeChannelFilter (c.word), c.text) << juce::String::toHexString (c.word);

    struct MessageCase { juce::uint32 word; const char* text; };
    const MessageCase messages[] = {
        { 0x00000000, "No message filtered" },
        { 1u << 12, "Clock" },
        { (1u << 0) | (1u << 7) | (1u << 17), "Note off, Sysex, Reset" },
        { (1u << 3) | (1u << 4), "Prog ch, Ctrl ch" },
        { 1u << 20, "No message filtered" },    // bits past System Reset mean nothing
    };

    for (const auto& c : messages)
        EXPECT_EQ (FullMapRowTexts::describeMessageFilter (c.word), c.text) << juce::String::toHexString ((juce::int64) c.word);
}

TEST_F (FullMapTexts, FilterEntriesOfInputsAndOutputsStayWithinTheTables)
{
    struct Case { int product; int port; bool output; int entry; };
    const Case cases[] = {
        { productJorvek, 0, false, 0 },   { productJorvek, 0, true, 30 },   { productJorvek, 29, true, 59 },
        { productJorvek, 30, false, -1 },
        { productLissar, 31, true, 71 },  { productLissar, 32, true, -1 },  { productLissar, 39, false, 39 },
        { productNorrim, 27, true, 71 },  { productNorrim, 28, true, -1 },  { productNorrim, 43, true, -1 },
        { productNorrim, 43, false, 43 },
        { productNone, 0, false, -1 },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (juce::String (c.product) + " port " + juce::String (c.port) + (c.output ? " out" : " in"));
        connectProduct (c.product, current);
        EXPECT_EQ (FullMapRowTexts::getFilterEntry (device(), c.port, c.output), c.entry);
    }
}

TEST_F (FullMapTexts, FiltersOfTheCurrentPresetOrNotAvailable)
{
    connectProduct (productNorrim, current);
    device().currentPreset = 2;
    device().filterChannels[2][5] = 0x8001;
    device().filterStatus[2][5] = 1u << 12;
    device().filterChannels[0][5] = 0x0002;     // another preset's entry is not shown
    device().filterChannels[2][norrimPorts + 5] = 0x0010;

    auto input = FullMapRowTexts::describeFilters (device(), 5, false);
    EXPECT_EQ (input.channels, "1, 16");
    EXPECT_EQ (input.messages, "Clock");

    auto output = FullMapRowTexts::describeFilters (device(), 5, true);
    EXPECT_EQ (output.channels, "5");
    EXPECT_EQ (output.messages, "No message filtered");

    // Output 28 of the Norrim would be entry 72: the tables end before it.
    auto beyond = FullMapRowTexts::describeFilters (device(), 28, true);
    EXPECT_EQ (beyond.channels, notAvailable);
    EXPECT_EQ (beyond.messages, notAvailable);
    EXPECT_EQ (FullMapRowTexts::describeFilters (device(), 28, false).channels, "No channel filtered");
}

//==============================================================================
TEST_F (FullMapTexts, HostSlotReservations)
{
    struct Case { juce::int32 vidPid; juce::uint16 cable; bool reserved; };
    const Case cases[] = {
        { -1, 0x007F, false },
        { 0x12345678, 0x007F, false },
        { -1, 0x0003, false },
        { 0x12345678, 0x0003, true },
        { 0x12345678, 0x0103, true },
    };

    for (const auto& c : cases)
        EXPECT_EQ (FullMapRowTexts::isReserved ({ c.vidPid, c.cable }), c.reserved)
            << juce::String::toHexString (c.vidPid) << " " << c.cable;

    connectProduct (productJorvek, current);
    device().portReservations[2] = { 0x12345678, 0x0001 };              // host input slot 2
    device().portReservations[jorvekHostPorts + 5] = { 0x12345678, 0 }; // host output slot 5

    EXPECT_TRUE (FullMapRowTexts::isHostSlotReserved (device(), 2, false));
    EXPECT_FALSE (FullMapRowTexts::isHostSlotReserved (device(), 2, true));
    EXPECT_TRUE (FullMapRowTexts::isHostSlotReserved (device(), 5, true));
    EXPECT_FALSE (FullMapRowTexts::isHostSlotReserved (device(), 5, false));
    EXPECT_FALSE (FullMapRowTexts::isHostSlotReserved (device(), jorvekHostPorts + 2, false)) << "a local port has no slot";
}

TEST_F (FullMapTexts, TrsTypeOfTheTrsOutputsOnly)
{
    struct Case { int product; juce::uint32 word; int port; const char* text; };
    const Case cases[] = {
        // Jorvek: MIDI outputs 0..5 (ports 24..29) are TRS jacks, bit 16 + MIDI index.
        { productJorvek, 1u << 18, 26, "TRS Type A" },
        { productJorvek, 1u << 18, 25, "TRS Type B" },
        { productJorvek, 1u << 16, 24, "TRS Type A" },
        { productJorvek, 0xFFFFFFFF, 29, "TRS Type A" },
        { productJorvek, 0xFFFFFFFF, 23, "" },       // the last USB-C virtual port
        { productJorvek, 0xFFFFFFFF, 3, "" },        // a host slot
        // Norrim: MIDI outputs 10..12; with 24 host slots and 8 virtual ports, ports 42 and 43.
        { productNorrim, 1u << 26, 42, "TRS Type A" },
        { productNorrim, 0, 43, "TRS Type B" },
        { productNorrim, 0xFFFFFFFF, 41, "" },
        { productCalder, 0xFFFFFFFF, 9, "" },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (juce::String (c.product) + " port " + juce::String (c.port));
        connectProduct (c.product, current);
        device().currentPreset = 1;
        device().trsType[1] = (juce::int32) c.word;
        device().trsType[0] = (juce::int32) ~c.word;
        EXPECT_EQ (FullMapRowTexts::describeTrsType (device(), c.port), c.text);
    }
}

TEST_F (FullMapTexts, MapperInputsByTheRecordsInputBits)
{
    struct Case { int product; float firmware; int mapper; juce::uint32 cfg3, cfg4; int port; bool uses; };
    const Case cases[] = {
        { productJorvek, current, 0, 1u << 3, 0, 3, true },
        { productJorvek, current, 0, 1u << 3, 0, 4, false },
        { productJorvek, current, 0, 0, 1u << 0, jorvekHostPorts, true },                       // first USB-C virtual port
        { productJorvek, current, 0, 0, 1u << 24, jorvekHostPorts + jorvekVirtualPorts, true }, // first MIDI port
        { productJorvek, current, 0, 0, 1u << 8, jorvekHostPorts + jorvekVirtualPorts, false },
        { productJorvek, current, 23, 1u << 1, 0, 1, true },
        { productJorvek, version (4, 4), 16, 1u << 1, 0, 1, false },    // 16 mappers before 4.45
        { productNorrim, current, 0, 0, 0xFFFFFFFF, 24 + 16, false },   // local port 16 has no bit
        { productNorrim, current, 0, 0, 0xFFFFFFFF, 24 + 15, true },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (juce::String (c.product) + " mapper " + juce::String (c.mapper) + " port " + juce::String (c.port));
        connectProduct (c.product, c.firmware);
        device().currentPreset = 3;
        device().mapperRecords[3][c.mapper].cfg3 = c.cfg3;
        device().mapperRecords[3][c.mapper].cfg4 = c.cfg4;
        EXPECT_EQ (FullMapRowTexts::usesPortInMapper (device(), c.mapper, c.port), c.uses);
        device().mapperRecords[3][c.mapper] = {};
    }
}

TEST_F (FullMapTexts, WindowTitle)
{
    struct Case { int product; float firmware; int preset; const char* file; const char* title; };
    const Case cases[] = {
        { productNone, current, 0, "", "Full settings" },
        { productUpgradeMode, current, 0, "", "Full settings" },
        { productJorvek, version (1, 0), 0, "live.pvp", "Full settings" },
        { productJorvek, version (1, 1), 0, "", "Full settings [Active preset: 1]" },
        { productJorvek, current, 2, "live.pvp", "Full settings [Active preset: 3][live.pvp]" },
    };

    for (const auto& c : cases)
    {
        connectProduct (c.product, c.firmware);
        device().currentPreset = (juce::uint8) c.preset;
        EXPECT_EQ (FullMapRowTexts::windowTitle (device(), c.file), c.title);
    }
}

//==============================================================================
namespace
{
    /** A mapper record built field by field: statuses, channels, value ranges and option bits. */
    struct RecordFields
    {
        int inCode = 0, inChannelMin = 0, inChannelMax = 15, outCode = 0, outChannel = 0;
        int inValue1Min = 0, inValue1Max = 127, inValue2Min = 0, inValue2Max = 127;
        int outValue1Min = 0, outValue1Max = 127, outValue2Min = 0, outValue2Max = 127;
        juce::uint32 cfg1Flags = 0, cfg2Flags = 0;
        int skip = 0;

        MapperRecord make() const
        {
            MapperRecord r;
            r.cfg1 = (juce::uint32) inCode | ((juce::uint32) inChannelMin << 4) | ((juce::uint32) inChannelMax << 8)
                     | ((juce::uint32) outCode << 20) | ((juce::uint32) outChannel << 24) | cfg1Flags;
            r.cfg2 = (0x5Au << 24) | ((juce::uint32) skip << 9) | cfg2Flags;
            r.inVal1Val2 = (juce::uint32) inValue2Min | ((juce::uint32) inValue2Max << 8)
                           | ((juce::uint32) inValue1Min << 16) | ((juce::uint32) inValue1Max << 24);
            r.outVal1Val2 = (juce::uint32) outValue2Min | ((juce::uint32) outValue2Max << 8)
                            | ((juce::uint32) outValue1Min << 16) | ((juce::uint32) outValue1Max << 24);
            return r;
        }
    };

    struct ExpectedLines
    {
        const char* in[4];      // status, channel, value 1, value 2
        const char* out[4];
        const char* skip;       // "" when hidden
    };

    juce::uint32 bits (std::initializer_list<int> positions)
    {
        juce::uint32 word = 0;
        for (auto p : positions) word |= 1u << p;
        return word;
    }
}

TEST_F (FullMapTexts, MapperSummaryByFirmware)
{
    struct Case { const char* name; float firmware; RecordFields fields; ExpectedLines expected; };

    auto fields = [] (std::function<void (RecordFields&)> edit) { RecordFields s; edit (s); return s; };

    const Case cases[] = {
        { "note on to control change", current,
          fields ([] (RecordFields& s) { s.outCode = 2; s.outChannel = 4; s.inValue1Min = 10; s.inValue1Max = 100; s.outValue1Min = 20; s.outValue1Max = 90; }),
          { { "Note On", "1-16", "10-100", "0-127" }, { "Ctl Ch.", "5", "20-90", "0-127" }, "" } },
        { "notes transpose, no shift", current,
          fields ([] (RecordFields& s) { s.inCode = 7; s.outValue1Min = 4; s.outValue1Max = 48; }),
          { { "Notes", "1-16", "0-127", "0-127" }, { "Transp.", "1", "+0o +0s", "0-127" }, "" } },
        { "notes transpose, up an octave and down three semitones", version (0, 6),
          fields ([] (RecordFields& s) { s.inCode = 7; s.outValue1Min = 5; s.outValue1Max = 45; }),
          { { "Notes", "1-16", "0-127", "0-127" }, { "Transp.", "1", "+1o -3s", "0-127" }, "" } },
        { "global channel update", current,
          fields ([] (RecordFields& s) { s.inCode = 8; s.outChannel = 9; s.inChannelMin = 2; s.inChannelMax = 3; }),
          { { "All", "3-4", "-", "-" }, { "All", "10", "-", "-" }, "" } },
        { "message filter", current,
          fields ([] (RecordFields& s) { s.inCode = 1; s.outCode = 7; s.outChannel = 3; }),
          { { "Note Off", "1-16", "0-127", "0-127" }, { "Filter", "-", "-", "-" }, "" } },
        { "inverted and compressed value 1", current,
          fields ([] (RecordFields& s) { s.outValue1Min = 10; s.outValue1Max = 100; s.cfg2Flags = bits ({ 5, 7 }); }),
          { { "Note On", "1-16", "0-127", "0-127" }, { "Note On", "1", "[100-10]", "0-127" }, "" } },
        { "inverted value 2 only", current,
          fields ([] (RecordFields& s) { s.outValue2Min = 1; s.outValue2Max = 2; s.cfg2Flags = bits ({ 6 }); }),
          { { "Note On", "1-16", "0-127", "0-127" }, { "Note On", "1", "0-127", "2-1" }, "" } },
        { "curves above 3.85", version (3, 9),
          fields ([] (RecordFields& s) { s.cfg2Flags = bits ({ 16, 18, 20, 21 }); }),
          { { "Note On", "1-16", "0-127", "0-127" }, { "Note On", "1", "Curve 3", "Curve 2" }, "" } },
        { "no curves at 3.8", version (3, 8),
          fields ([] (RecordFields& s) { s.cfg2Flags = bits ({ 16, 18, 20, 21 }); }),
          { { "Note On", "1-16", "0-127", "0-127" }, { "Note On", "1", "0-127", "0-127" }, "" } },
        { "following the input", current,
          fields ([] (RecordFields& s) { s.cfg2Flags = bits ({ 0, 1, 3, 2, 4 }); }),
          { { "Note On", "1-16", "0-127", "0-127" }, { "Note On", "Follow", "= In Val2", "= In Val1" }, "" } },
        { "values following their own", current,
          fields ([] (RecordFields& s) { s.cfg2Flags = bits ({ 1, 2 }); }),
          { { "Note On", "1-16", "0-127", "0-127" }, { "Note On", "1", "= In Val1", "= In Val2" }, "" } },
        { "channel transposed up", current,
          fields ([] (RecordFields& s) { s.outChannel = 3; s.cfg1Flags = bits ({ 29, 30 }); }),
          { { "Note On", "1-16", "0-127", "0-127" }, { "Note On", "Trsp. +3", "0-127", "0-127" }, "" } },
        { "channel transposed down", current,
          fields ([] (RecordFields& s) { s.outChannel = 3; s.cfg1Flags = bits ({ 29 }); }),
          { { "Note On", "1-16", "0-127", "0-127" }, { "Note On", "Trsp. -3", "0-127", "0-127" }, "" } },
        { "program change has one data byte", current,
          fields ([] (RecordFields& s) { s.inCode = 3; s.outCode = 3; }),
          { { "Prg Ch.", "1-16", "0-127", "-" }, { "Prg Ch.", "1", "0-127", "-" }, "" } },
        { "skipping from 2.5", version (2, 5),
          fields ([] (RecordFields& s) { s.inCode = 9; s.outCode = 9; s.skip = 25; }),
          { { "Note On", "1-16", "0-127", "0-127" }, { "Note On", "1", "0-127", "0-127" }, "Skip\n25%" } },
        { "no skipping at 2.4", version (2, 4),
          fields ([] (RecordFields& s) { s.inCode = 9; s.outCode = 9; s.skip = 25; }),
          { { "Note On", "1-16", "0-127", "0-127" }, { "Note On", "1", "0-127", "0-127" }, "" } },
        // Up to 3.35 a status is the high nibble of its byte: 9 is Note On, 8 Note Off, 7 nothing.
        { "status nibbles at 3.3", version (3, 3),
          fields ([] (RecordFields& s) { s.inCode = 8; s.outCode = 7; s.outChannel = 1; }),
          { { "Note Off", "1-16", "0-127", "0-127" }, { "Undef.", "2", "0-127", "-" }, "" } },
        { "unset status at 4.5", current,
          fields ([] (RecordFields& s) { s.inCode = 15; s.outCode = 15; }),
          { { "Undef.", "1-16", "0-127", "-" }, { "Undef.", "1", "0-127", "-" }, "" } },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        connectProduct (productJorvek, c.firmware);
        const auto t = FullMapMapperTexts::describe (device(), 4, c.fields.make());

        EXPECT_EQ (t.number, "5");
        EXPECT_EQ (juce::StringArray (t.inStatus, t.inChannel, t.inValue1, t.inValue2),
                   juce::StringArray (c.expected.in, 4));
        EXPECT_EQ (juce::StringArray (t.outStatus, t.outChannel, t.outValue1, t.outValue2),
                   juce::StringArray (c.expected.out, 4));
        EXPECT_EQ (t.skipShown, juce::String (c.expected.skip).isNotEmpty());

        if (t.skipShown)
            EXPECT_EQ (t.skip, c.expected.skip);
    }
}

//==============================================================================
TEST (FullMapLayout, LocalPortsFirstThenHostSlots)
{
    struct Case { int port, hostPorts, localPorts, position; };
    const Case cases[] = {
        { 16, 16, 14, 0 }, { 29, 16, 14, 13 }, { 0, 16, 14, 14 }, { 15, 16, 14, 29 },    // Jorvek
        { 8, 8, 7, 0 }, { 7, 8, 7, 14 },                                                  // Dorvin
    };

    for (const auto& c : cases)
        EXPECT_EQ (FullMapLayout::getRowPosition (c.port, c.hostPorts, c.localPorts), c.position) << c.port;
}

TEST (FullMapLayout, ARowWithThreeMappersIs192HighAndPushesTheRowsBelowIt)
{
    EXPECT_EQ (FullMapLayout::getRowHeight (0), 180);
    EXPECT_EQ (FullMapLayout::getRowHeight (2), 180);
    EXPECT_EQ (FullMapLayout::getRowHeight (3), 192);
    EXPECT_EQ (FullMapLayout::getMapperBoxHeight (3), 172);
    EXPECT_EQ (FullMapLayout::getRowHeight (24), 24 * 44 + 60);

    juce::Array<int> heights;
    for (int port = 0; port < jorvekPorts; ++port)
        heights.add (180);

    heights.set (17, FullMapLayout::getRowHeight (3));
    const auto tops = FullMapLayout::getRowTops (heights, jorvekHostPorts);

    EXPECT_EQ (tops[16], 0);
    EXPECT_EQ (tops[17], 180);
    EXPECT_EQ (tops[18], 360 + 12);
    EXPECT_EQ (tops[29], 13 * 180 + 12);
    EXPECT_EQ (tops[0], 14 * 180 + 12) << "the host slots follow the last local port";
    EXPECT_EQ (tops[15], 29 * 180 + 12);
}

TEST (FullMapLayout, LinesRunInTheGapBeforeTheOutputFilters)
{
    EXPECT_EQ (FullMapLayout::getLineStartX (1120), 644);
    EXPECT_EQ (FullMapLayout::getLineEndX (1120), 762);
    EXPECT_EQ (FullMapLayout::getLineStartX (980), 564);
    EXPECT_EQ (FullMapLayout::getLineEndX (980), 667);
}

//==============================================================================
using FullMapRouting = DeviceFixture;

TEST_F (FullMapRouting, EveryRouteIsAFaintLineUntilSomethingIsHighlighted)
{
    connectProduct (productJorvek, current);
    FullMapRouteLines routes;
    EXPECT_TRUE (routes.getLines (device(), jorvekPorts).empty()) << "an empty matrix draws no line";

    device().currentPreset = 1;
    device().routerMasks[1][16] = (1u << 16) | (1u << 17);     // to its own output too
    device().routerMasks[1][20] = 1u << 0;
    device().routerMasks[0][3] = 1u << 3;                      // another preset

    auto describe = [&]
    {
        juce::StringArray lines;
        for (const auto& line : routes.getLines (device(), jorvekPorts))
            lines.add (juce::String (line.input) + ">" + juce::String (line.output) + " "
                       + juce::String (line.getOpacity(), 2) + " " + juce::String ((int) line.getWidth()));
        return lines.joinIntoString (", ");
    };

    EXPECT_EQ (describe(), "16>16 0.15 1, 16>17 0.15 1, 20>0 0.15 1");
    EXPECT_EQ (routes.getInputNameColour (16), 0xffffffffu);

    routes.toggleInput (16);
    EXPECT_EQ (describe(), "16>16 1.00 2, 16>17 1.00 2, 20>0 0.15 1");
    EXPECT_EQ (routes.getInputNameColour (16), 0xffeb663eu);
    EXPECT_EQ (routes.getInputNameColour (20), 0xffffffffu);
    EXPECT_EQ (routes.getOutputNameColour (16), 0xffffffffu);

    routes.toggleOutput (0);
    EXPECT_EQ (routes.getHighlightedInput(), -1) << "an output highlight clears the input's";
    EXPECT_EQ (describe(), "16>16 0.15 1, 16>17 0.15 1, 20>0 1.00 2");
    EXPECT_EQ (routes.getOutputNameColour (0), 0xffeb663eu);
    EXPECT_EQ (routes.getInputNameColour (16), 0xffffffffu);

    routes.toggleInput (3);
    EXPECT_EQ (routes.getHighlightedOutput(), -1);
    EXPECT_EQ (routes.getHighlightedInput(), 3);
    routes.toggleInput (3);
    EXPECT_EQ (routes.getHighlightedInput(), -1) << "a second click clears it";
    EXPECT_EQ (describe(), "16>16 0.15 1, 16>17 0.15 1, 20>0 0.15 1");
}

TEST_F (FullMapRouting, LargestProductsDrawOnlyWhatTheRouterTableHolds)
{
    connectProduct (productNorrim, current);

    for (auto& row : device().routerMasks[0])
        row = 0xFFFFFFFF;

    const auto lines = FullMapRouteLines().getLines (device(), norrimPorts);
    ASSERT_EQ (lines.size(), (size_t) (MidiController::numRouterRows * 32));
    EXPECT_EQ (lines.back().input, 35);
    EXPECT_EQ (lines.back().output, 31);
}
