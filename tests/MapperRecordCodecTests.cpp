#include "support/DeviceTestSupport.h"
#include "editors/MapperRecordCodec.h"

namespace
{
    float version (int major, int minor) { return MidiController::firmwareVersionFromDigits (major, minor); }

    const MapperRecordCodec::Ports jorvekPorts { 16, 14, 8 };
    const MapperRecordCodec::Ports norrimPorts { 24, 20, 8 };

    juce::uint32 field (juce::uint32 word, int shift, int width) { return (word >> shift) & ((1u << width) - 1u); }

    /** A record as the page would leave it after the user chose statuses on a default mapper. */
    MapperRecord packed (const MapperRecordCodec& codec, std::function<void (MapperChoices&)> edit)
    {
        auto record = codec.makeDefault();
        auto choices = codec.load (record);
        edit (choices);
        codec.pack (choices, record);
        return record;
    }
}

TEST (MapperRecordCodec, DefaultsPerFirmware)
{
    struct Case { const char* name; float firmware; juce::uint32 cfg1; };
    const Case cases[] = {
        { "no product", 0.0f,          0x00000F00 },
        { "3.3",        version (3, 3), 0x00000F00 },
        { "3.4",        version (3, 4), 0x00F00F0F },
        { "4.5",        version (4, 5), 0x00F00F0F },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        const MapperRecordCodec codec (c.firmware, jorvekPorts);
        const auto record = codec.makeDefault();

        EXPECT_EQ (record.inVal1Val2, 0x7F007F00u);
        EXPECT_EQ (record.outVal1Val2, 0x7F007F00u);
        EXPECT_EQ (record.cfg1, c.cfg1);
        EXPECT_EQ (record.cfg2, 0x5A000187u);
        EXPECT_EQ (record.cfg3, 0u);
        EXPECT_EQ (record.cfg4, 0u);

        // A default mapper is disabled and has no status to map.
        const auto choices = codec.load (record);
        EXPECT_EQ (choices.inStatus, MapperChoices::noChoice);
        EXPECT_EQ (choices.outStatus, MapperChoices::noChoice);
        EXPECT_TRUE (choices.disableInputs);
        EXPECT_TRUE (choices.followChannel && choices.followValue1 && choices.followValue2);
        EXPECT_TRUE (choices.compressValue1 && choices.compressValue2);
        EXPECT_EQ (choices.inChannelMin, 0);
        EXPECT_EQ (choices.inChannelMax, 15);
    }
}

TEST (MapperRecordCodec, ResetSlotTouchesOnlyThatSlot)
{
    const MapperRecordCodec codec (version (4, 5), jorvekPorts);
    MapperRecord records[16][24];
    MapperRecord edited;
    edited.cfg1 = 0x12345678;

    for (auto& preset : records)
        for (auto& record : preset)
            record = edited;

    codec.resetSlot (records, 3, 2, false);
    EXPECT_EQ (records[2][3].cfg2, 0x5A000187u);
    EXPECT_EQ (records[1][3].cfg1, edited.cfg1);
    EXPECT_EQ (records[2][4].cfg1, edited.cfg1);

    codec.resetSlot (records, 5, 0, true);
    for (int p = 0; p < 16; ++p)
        EXPECT_EQ (records[p][5].cfg1, 0x00F00F0Fu) << p;
    EXPECT_EQ (records[0][6].cfg1, edited.cfg1);

    codec.resetSlot (records, 24, 0, true);     // no such slot: nothing written
    codec.resetSlot (records, -1, 0, true);
}

TEST (MapperRecordCodec, StatusCodesInBothEncodings)
{
    struct Case { const char* name; float firmware; int position; bool isOutput; int code; };
    const Case cases[] = {
        { "new Note On",               version (3, 4), 0, false, 0 },
        { "new Note Off",              version (3, 4), 1, false, 1 },
        { "new Ctrl Change",           version (3, 4), 2, false, 2 },
        { "new Prog Change",           version (3, 4), 3, false, 3 },
        { "new Pitch bend",            version (3, 4), 4, false, 4 },
        { "new Chann Aftertouch",      version (3, 4), 5, false, 5 },
        { "new Key Aftertouch",        version (3, 4), 6, false, 6 },
        { "new Notes transpose",       version (3, 4), 7, false, 7 },
        { "new Global channel update", version (3, 4), 8, false, 8 },
        { "new out Note On",           version (3, 4), 0, true,  0 },
        { "new out Key Aftertouch",    version (3, 4), 6, true,  6 },
        { "new out Filter message",    version (3, 4), 7, true,  7 },
        { "old Note On",               version (3, 3), 0, false, 9 },
        { "old Note Off",              version (3, 3), 1, false, 8 },
        { "old Ctrl Change",           version (3, 3), 2, false, 0xB },
        { "old Prog Change",           version (3, 3), 3, false, 0xC },
        { "old Pitch bend",            version (3, 3), 4, false, 0xE },
        { "old Chann Aftertouch",      version (3, 3), 5, false, 0xD },
        { "old Key Aftertouch",        version (3, 3), 6, false, 0xA },
        { "old Notes transpose",       version (3, 3), 7, false, 7 },
        { "old out Note On",           version (3, 3), 0, true,  9 },
        { "old out Chann Aftertouch",  version (3, 3), 5, true,  0xD },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        const MapperRecordCodec codec (c.firmware, jorvekPorts);
        const auto record = packed (codec, [&] (MapperChoices& choices)
        {
            (c.isOutput ? choices.outStatus : choices.inStatus) = c.position;
            if (c.isOutput)
                choices.inStatus = 1;
        });

        EXPECT_EQ ((int) field (record.cfg1, c.isOutput ? 20 : 0, 4), c.code);

        const auto loaded = codec.load (record);
        EXPECT_EQ (c.isOutput ? loaded.outStatus : loaded.inStatus, c.position);
    }
}

TEST (MapperRecordCodec, StatusCodesWithoutListEntry)
{
    struct Case { const char* name; float firmware; int code; bool isOutput; };
    const Case cases[] = {
        { "new no status",                      version (3, 4), 15, false },
        { "new code 9",                         version (3, 4), 9,  false },
        { "new output code 8",                  version (3, 4), 8,  true },
        { "old no status",                      version (3, 3), 0,  false },
        { "old output code 7",                  version (3, 3), 7,  true },
        { "old code 15",                        version (3, 3), 15, false },
        { "Notes transpose before firmware 0.55", version (0, 5), 7, false },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        const MapperRecordCodec codec (c.firmware, jorvekPorts);
        EXPECT_EQ (codec.decodeStatus (c.code, c.isOutput), MapperChoices::noChoice);
    }

    // Positions the lists don't have at that firmware are not stored: the field keeps its code.
    EXPECT_EQ (MapperRecordCodec (version (3, 4), jorvekPorts).encodeStatus (8, true), -1);
    EXPECT_EQ (MapperRecordCodec (version (3, 3), jorvekPorts).encodeStatus (8, false), -1);
    EXPECT_EQ (MapperRecordCodec (version (3, 3), jorvekPorts).encodeStatus (7, true), -1);
    EXPECT_EQ (MapperRecordCodec (version (3, 4), jorvekPorts).encodeStatus (-1, false), -1);
}

TEST (MapperRecordCodec, ChannelTransposePositions)
{
    struct Case { int position; juce::uint32 amount; bool upward; };
    const Case cases[] = {
        { 0,  15, true },     // "+15"
        { 14, 1,  true },     // "+1"
        { 15, 0,  true },     // "0"
        { 16, 1,  false },    // "-1"
        { 30, 15, false },    // "-15"
    };

    const MapperRecordCodec codec (version (4, 5), jorvekPorts);

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.position);
        const auto record = packed (codec, [&] (MapperChoices& choices)
        {
            choices.inStatus = 0;
            choices.followChannel = false;
            choices.transposeChannel = true;
            choices.outChannel = c.position;
        });

        EXPECT_EQ (field (record.cfg1, 24, 4), c.amount);
        EXPECT_EQ (field (record.cfg1, 29, 1), 1u);
        EXPECT_EQ (field (record.cfg1, 30, 1), c.upward ? 1u : 0u);
        EXPECT_EQ (field (record.cfg2, 0, 1), 0u);

        auto withFollowBit = record;
        withFollowBit.cfg2 |= 1;                // transposing wins over a stale follow bit
        const auto loaded = codec.load (withFollowBit);
        EXPECT_EQ (loaded.outChannel, c.position);
        EXPECT_TRUE (loaded.transposeChannel);
        EXPECT_FALSE (loaded.followChannel);
    }
}

using MapperRecordInputs = DeviceFixture;

TEST_F (MapperRecordInputs, InputWordsPerProduct)
{
    struct Case { int productCode; juce::uint32 cfg3; juce::uint32 cfg4; };
    const Case cases[] = {
        { productDorvin, 0x000000FF, 0x0070000F },
        { productCalder, 0x000000FF, 0x00040003 },
        { productGavrel, 0x00000FFF, 0x00F0000F },
        { productJorvek, 0x0000FFFF, 0x3F0000FF },
        { productLissar, 0x00FFFFFF, 0xFF0000FF },
        { productNorrim, 0x00FFFFFF, 0xFF0000FF },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.productCode);
        device().setProductCode (c.productCode);
        const MapperRecordCodec codec (version (4, 5), { device().getNumUsbHostPorts(), device().getNumLocalPorts(),
                                                         device().getNumUsbVirtualPorts() });
        const int numPorts = device().getNumUsbHostPorts() + device().getNumLocalPorts();

        const auto all = packed (codec, [&] (MapperChoices& choices)
        {
            for (int port = 0; port < numPorts; ++port)
                choices.inputSelected.set (port, true);
        });
        EXPECT_EQ (all.cfg3, c.cfg3);
        EXPECT_EQ (all.cfg4, c.cfg4);
        EXPECT_FALSE (codec.load (all).disableInputs);

        // Each storable port on its own sets one bit and loads back as the only selected entry.
        for (int port = 0; port < numPorts; ++port)
        {
            if (! codec.isInputStorable (port))
                continue;

            const auto one = packed (codec, [&] (MapperChoices& choices) { choices.inputSelected.set (port, true); });
            EXPECT_EQ (juce::countNumberOfBits (one.cfg3) + juce::countNumberOfBits (one.cfg4), 1) << port;

            const auto loaded = codec.load (one);
            for (int other = 0; other < numPorts; ++other)
                EXPECT_EQ (loaded.isInputSelected (other), other == port) << port << " " << other;
        }
    }
}

TEST (MapperRecordCodec, LocalPortBitsAfterTheVirtualPorts)
{
    MapperRecord record;
    MapperRecordCodec (version (4, 5), jorvekPorts).setInputSelected (record, 16 + 8, true);
    EXPECT_EQ (record.cfg4, 1u << 24);          // the first MIDI port of the Jorvek

    record = {};
    MapperRecordCodec (version (4, 5), { 8, 3, 2 }).setInputSelected (record, 8 + 2, true);
    EXPECT_EQ (record.cfg4, 1u << 18);          // the Calder's MIDI port

    record = {};
    MapperRecordCodec (0.0f, {}).setInputSelected (record, 0, true);
    EXPECT_EQ (record.cfg3, 0u);                // no product: no port
}

TEST (MapperRecordCodec, NorrimInputsWithoutBit)
{
    const MapperRecordCodec codec (version (4, 5), norrimPorts);
    const int firstUnavailable = 24 + 16;

    for (int port = firstUnavailable; port < firstUnavailable + 4; ++port)
    {
        SCOPED_TRACE (port);
        EXPECT_FALSE (codec.isInputStorable (port));

        // Chosen alone they leave the mapper without input and touch no other port's bit.
        const auto alone = packed (codec, [&] (MapperChoices& choices) { choices.inputSelected.set (port, true); });
        EXPECT_EQ (alone.cfg3, 0u);
        EXPECT_EQ (alone.cfg4, 0u);
        EXPECT_TRUE (MapperRecordCodec::hasNoInput (alone));

        auto record = codec.makeDefault();
        record.cfg4 = 0x00000001;
        codec.setInputSelected (record, port, true);
        EXPECT_EQ (record.cfg4, 0x00000001u);
        codec.setInputSelected (record, port, false);
        EXPECT_EQ (record.cfg4, 0x00000001u);
    }

    EXPECT_TRUE (codec.isInputStorable (firstUnavailable - 1));
    EXPECT_FALSE (codec.isInputStorable (firstUnavailable + 4));

    // A record with every bit set never shows them selected.
    auto full = codec.makeDefault();
    full.cfg3 = full.cfg4 = 0xFFFFFFFF;
    const auto loaded = codec.load (full);
    EXPECT_EQ (loaded.inputSelected.size(), 44);
    for (int port = 0; port < 44; ++port)
        EXPECT_EQ (loaded.isInputSelected (port), port < firstUnavailable) << port;

    EXPECT_STREQ (MapperRecordCodec::unavailableInputTooltip, "Not available on this product");
}

TEST (MapperRecordCodec, MarkerKeptAndCurvesOnlyAboveTheirFirmware)
{
    struct Case { const char* name; float firmware; bool curves; };
    const Case cases[] = {
        { "3.8", version (3, 8), false },
        { "3.9", version (3, 9), true },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        const MapperRecordCodec codec (c.firmware, jorvekPorts);
        const auto record = packed (codec, [] (MapperChoices& choices)
        {
            choices.inStatus = 0;
            choices.followValue1 = choices.followValue2 = false;
            choices.curveValue1 = choices.curveValue2 = true;
            choices.userCurve1 = 2;
            choices.userCurve2 = 3;
        });

        EXPECT_EQ (field (record.cfg2, 24, 8), 0x5Au);
        EXPECT_EQ (field (record.cfg2, 16, 1), c.curves ? 1u : 0u);
        EXPECT_EQ (field (record.cfg2, 20, 1), c.curves ? 1u : 0u);
        EXPECT_EQ (field (record.cfg2, 17, 2), c.curves ? 2u : 0u);
        EXPECT_EQ (field (record.cfg2, 21, 2), c.curves ? 3u : 0u);

        auto stored = record;
        stored.cfg2 |= (1u << 16) | (1u << 20) | (1u << 17);
        const auto loaded = codec.load (stored);
        EXPECT_EQ (loaded.curveValue1, c.curves);
        EXPECT_EQ (loaded.curveValue2, c.curves);
        EXPECT_EQ (loaded.userCurve1, c.curves ? 3 : 1);    // the list shows the stored curve either way
    }

    // No combination of toggles clears the marker.
    const MapperRecordCodec codec (version (4, 5), jorvekPorts);
    for (bool ticked : { false, true })
    {
        const auto record = packed (codec, [&] (MapperChoices& choices)
        {
            choices.keepOriginal = choices.followChannel = choices.transposeChannel = ticked;
            choices.followValue1 = choices.followValue2 = choices.invertValue1 = choices.invertValue2 = ticked;
            choices.compressValue1 = choices.compressValue2 = choices.curveValue1 = choices.curveValue2 = ticked;
            choices.useInValue1 = choices.useInValue2 = ticked;
            choices.skip = ticked ? 100 : 0;
            choices.userCurve1 = choices.userCurve2 = 3;
        });
        EXPECT_EQ (field (record.cfg2, 24, 8), 0x5Au) << ticked;
    }
}

TEST (MapperRecordCodec, EveryFieldRoundTrips)
{
    const MapperRecordCodec codec (version (4, 5), jorvekPorts);

    MapperChoices choices;
    choices.inStatus = 0;
    choices.inChannelMin = 2;   choices.inChannelMax = 11;
    choices.inValue1Min = 10;   choices.inValue1Max = 100;
    choices.inValue2Min = 20;   choices.inValue2Max = 90;
    choices.outStatus = 2;
    choices.outChannel = 6;
    choices.outValue1Min = 30;  choices.outValue1Max = 40;
    choices.outValue2Min = 50;  choices.outValue2Max = 60;
    choices.skip = 37;
    choices.userCurve1 = 0;     choices.userCurve2 = 2;   // a curve is stored only while it is on
    choices.curveValue2 = true;
    choices.invertValue1 = choices.invertValue2 = true;
    choices.compressValue2 = true;
    choices.useInValue1 = choices.useInValue2 = true;
    choices.disableInputs = false;
    choices.inputSelected.resize (30);
    choices.inputSelected.set (3, true);
    choices.inputSelected.set (17, true);
    choices.inputSelected.set (29, true);

    auto record = codec.makeDefault();
    codec.pack (choices, record);

    EXPECT_EQ (record.inVal1Val2, 0x640A5A14u);
    EXPECT_EQ (record.outVal1Val2, 0x281E3C32u);
    EXPECT_EQ (record.cfg1, 0x06200B20u);
    EXPECT_EQ (record.cfg2, 0x5A504B78u);
    EXPECT_EQ (record.cfg3, 0x00000008u);
    EXPECT_EQ (record.cfg4, 0x20000002u);

    const auto loaded = codec.load (record);
    const auto asTuple = [] (const MapperChoices& c)
    {
        return std::make_tuple (c.inStatus, c.inChannelMin, c.inChannelMax, c.inValue1Min, c.inValue1Max,
                                c.inValue2Min, c.inValue2Max, c.outStatus, c.outChannel, c.outValue1Min,
                                c.outValue1Max, c.outValue2Min, c.outValue2Max, c.skip, c.userCurve1, c.userCurve2,
                                std::make_tuple (c.keepOriginal, c.followChannel, c.transposeChannel, c.followValue1,
                                                 c.followValue2, c.invertValue1, c.invertValue2, c.compressValue1,
                                                 c.compressValue2, c.curveValue1, c.curveValue2, c.useInValue1,
                                                 c.useInValue2, c.disableInputs));
    };
    EXPECT_EQ (asTuple (loaded), asTuple (choices));

    for (int port = 0; port < 30; ++port)
        EXPECT_EQ (loaded.isInputSelected (port), choices.isInputSelected (port)) << port;
}

TEST (MapperRecordCodec, PackingRules)
{
    using Edit = std::function<void (MapperChoices&)>;
    struct Case { const char* name; float firmware; Edit edit; int word; juce::uint32 mask; juce::uint32 expected; };

    const float fw = version (4, 5);
    const Case cases[] = {
        { "skip 100",                         fw, [] (MapperChoices& c) { c.skip = 100; },                 3, 0x0000FE00, 100u << 9 },
        { "skip without choice is 0",         fw, [] (MapperChoices& c) { c.skip = -1; },                  3, 0x0000FE00, 0 },
        { "skip held at 100",                 fw, [] (MapperChoices& c) { c.skip = 127; },                 3, 0x0000FE00, 100u << 9 },
        { "keep original",                    fw, [] (MapperChoices& c) { c.inStatus = 0; c.keepOriginal = true; },
                                                                                                            2, 1u << 28, 1u << 28 },
        { "no keep original when transposing", fw, [] (MapperChoices& c) { c.inStatus = 7; c.keepOriginal = true; },
                                                                                                            2, 1u << 28, 0 },
        { "transposing clears the output status", fw, [] (MapperChoices& c) { c.inStatus = 7; c.outStatus = 3; },
                                                                                                            2, 0x00F00000, 0 },
        { "output status without choice kept", fw, [] (MapperChoices& c) { c.inStatus = 8; c.outStatus = -1; },
                                                                                                            2, 0x00F00000, 0x00F00000 },
        { "input value without choice kept",  fw, [] (MapperChoices& c) { c.inValue1Min = -1; c.inValue1Max = 20; },
                                                                                                            0, 0xFFFF0000, 0x14000000 },
        { "position out of range kept",       fw, [] (MapperChoices& c) { c.inValue1Max = 200; c.inChannelMax = 16; },
                                                                                                            0, 0xFFFF0000, 0x7F000000 },
        { "channel out of range kept",        fw, [] (MapperChoices& c) { c.inChannelMax = 16; },          2, 0x00000FF0, 0x00000F00 },
        { "follow channel keeps the channel", fw, [] (MapperChoices& c) { c.outChannel = 9; c.followChannel = true; },
                                                                                                            2, 0x2F000000, 0 },
        { "fixed output channel",             fw, [] (MapperChoices& c) { c.outChannel = 9; c.followChannel = false; },
                                                                                                            2, 0x2F000000, 0x09000000 },
        { "follow value 1 keeps its outputs", fw, [] (MapperChoices& c) { c.outValue1Min = 5; c.outValue1Max = 6; },
                                                                                                            1, 0xFFFF0000, 0x7F000000 },
        { "output value 1 clears follow",     fw, [] (MapperChoices& c) { c.followValue1 = false; c.outValue1Min = 5; c.outValue1Max = 6; },
                                                                                                            3, 1u << 1, 0 },
        { "octave and semitone positions",    fw, [] (MapperChoices& c) { c.inStatus = 7; c.followValue1 = false; c.outValue1Min = 5; c.outValue1Max = 46; },
                                                                                                            1, 0xFFFF0000, 0x2E050000 },
        { "follow value 2 keeps its outputs", fw, [] (MapperChoices& c) { c.outValue2Min = 5; c.outValue2Max = 6; },
                                                                                                            1, 0x0000FFFF, 0x00007F00 },
        { "output value 2 clears follow",     fw, [] (MapperChoices& c) { c.followValue2 = false; c.outValue2Min = 5; },
                                                                                                            3, 1u << 2, 0 },
        { "swaps and inverts",                fw, [] (MapperChoices& c) { c.useInValue2 = true; c.invertValue2 = true; },
                                                                                                            3, 0x78, 0x48 },
        { "compress both off",                fw, [] (MapperChoices& c) { c.compressValue1 = c.compressValue2 = false; },
                                                                                                            3, 0x180, 0 },
        { "curve 1 clears follow 1",          fw, [] (MapperChoices& c) { c.curveValue1 = true; c.userCurve1 = 3; },
                                                                                                            3, 0x70002, 0x70000 },
        { "follow clears curve 2",            fw, [] (MapperChoices& c) { c.followValue2 = true; c.curveValue2 = false; },
                                                                                                            3, 0x700004, 0x4 },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        const MapperRecordCodec codec (c.firmware, jorvekPorts);
        auto record = codec.makeDefault();
        record.cfg2 |= (1u << 16) | (1u << 20);     // curve bits that the choices may clear
        auto choices = codec.load (record);
        c.edit (choices);
        codec.pack (choices, record);
        EXPECT_EQ (record.getWord (c.word) & c.mask, c.expected);
    }

    EXPECT_EQ (MapperRecordCodec::transposeSemitones (5, 46), 10);
    EXPECT_EQ (MapperRecordCodec::transposeSemitones (4, 48), 0);
}

TEST (MapperRecordCodec, LoadingRules)
{
    using Change = std::function<void (MapperRecord&)>;
    using Check = std::function<void (const MapperChoices&)>;
    struct Case { const char* name; float firmware; Change change; Check check; };

    const auto withCodes = [] (int in, int out) { return (juce::uint32) (in | (out << 20)); };
    const Case cases[] = {
        { "filter message drops keep original", version (3, 4),
          [&] (MapperRecord& r) { r.cfg1 = withCodes (0, 7) | (1u << 28); },
          [] (const MapperChoices& c) { EXPECT_EQ (c.outStatus, 7); EXPECT_FALSE (c.keepOriginal); } },
        { "old firmware has no filter message", version (3, 3),
          [&] (MapperRecord& r) { r.cfg1 = withCodes (9, 7) | (1u << 28); },
          [] (const MapperChoices& c) { EXPECT_EQ (c.outStatus, -1); EXPECT_TRUE (c.keepOriginal); } },
        { "skip shown for Note On",             version (2, 5),
          [&] (MapperRecord& r) { r.cfg1 = withCodes (9, 9); r.cfg2 |= 42u << 9; },
          [] (const MapperChoices& c) { EXPECT_EQ (c.skip, 42); } },
        { "skip shown for Notes transpose",     version (3, 4),
          [&] (MapperRecord& r) { r.cfg1 = withCodes (7, 0); r.cfg2 |= 42u << 9; },
          [] (const MapperChoices& c) { EXPECT_EQ (c.skip, 42); } },
        { "no skip before firmware 2.45",       version (2, 4),
          [&] (MapperRecord& r) { r.cfg1 = withCodes (9, 9); r.cfg2 |= 42u << 9; },
          [] (const MapperChoices& c) { EXPECT_EQ (c.skip, 0); } },
        { "no skip while keeping the original", version (3, 4),
          [&] (MapperRecord& r) { r.cfg1 = withCodes (0, 0) | (1u << 28); r.cfg2 |= 42u << 9; },
          [] (const MapperChoices& c) { EXPECT_EQ (c.skip, 0); } },
        { "no skip for Ctrl Change",            version (3, 4),
          [&] (MapperRecord& r) { r.cfg1 = withCodes (2, 2); r.cfg2 |= 42u << 9; },
          [] (const MapperChoices& c) { EXPECT_EQ (c.skip, 0); } },
        { "octave and semitone positions",      version (3, 4),
          [&] (MapperRecord& r) { r.cfg1 = withCodes (7, 0); r.outVal1Val2 = 0x2E057F00; },
          [] (const MapperChoices& c) { EXPECT_EQ (c.outValue1Min, 5); EXPECT_EQ (c.outValue1Max, 46); EXPECT_EQ (c.outStatus, -1); } },
        { "positions beyond the transpose lists", version (3, 4),
          [&] (MapperRecord& r) { r.cfg1 = withCodes (7, 0); },
          [] (const MapperChoices& c) { EXPECT_EQ (c.outValue1Min, 0); EXPECT_EQ (c.outValue1Max, -1); } },
        { "stored outputs shown while following", version (3, 4),
          [&] (MapperRecord& r) { r.outVal1Val2 = 0x14057F00; },
          [] (const MapperChoices& c) { EXPECT_TRUE (c.followValue1); EXPECT_EQ (c.outValue1Min, 5); EXPECT_EQ (c.outValue1Max, 20); } },
        { "values above 127 show no choice",    version (3, 4),
          [&] (MapperRecord& r) { r.inVal1Val2 = 0xFF00FF80; },
          [] (const MapperChoices& c) { EXPECT_EQ (c.inValue1Max, -1); EXPECT_EQ (c.inValue2Min, -1); } },
        { "fixed channel while following",      version (3, 4),
          [&] (MapperRecord& r) { r.cfg1 |= 0x0B000000; },
          [] (const MapperChoices& c) { EXPECT_TRUE (c.followChannel); EXPECT_EQ (c.outChannel, 11); } },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        const MapperRecordCodec codec (c.firmware, jorvekPorts);
        auto record = codec.makeDefault();
        c.change (record);
        c.check (codec.load (record));
    }
}
