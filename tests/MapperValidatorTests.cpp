#include <gtest/gtest.h>
#include "device/MidiController.h"
#include "editors/MapperRecordCodec.h"
#include "editors/MapperValidator.h"

namespace
{
    float version (int major, int minor) { return MidiController::firmwareVersionFromDigits (major, minor); }

    using Edit = std::function<void (MapperChoices&)>;

    const juce::String noEffect = "This mapper has no effect (Output message will be identiqual to input)";
    const juce::String mapperOk = "\nMapper Ok";

    /** A Jorvek (16 host ports, 14 local ports) on host firmware 4.5 with the filters of one
        preset, and a "Note On" to "Note On" mapper on host input 3 that changes nothing. */
    class MapperValidation : public ::testing::Test
    {
    protected:
        MapperValidator::Result check (const Edit& edit = {})
        {
            const MapperRecordCodec codec (firmware, { numHostPorts, numLocalPorts, 8 });
            auto record = codec.makeDefault();
            auto choices = codec.load (record);
            choices.inStatus = 0;
            choices.outStatus = 0;
            choices.inputSelected.set (2, true);
            choices.disableInputs = false;

            if (edit)
                edit (choices);

            // The page packs before it validates: the stored statuses come from the same choices.
            codec.pack (choices, record);

            MapperValidator::Context context;
            context.hostFirmwareVersion = firmware;
            context.numHostPorts = numHostPorts;
            context.numLocalPorts = numLocalPorts;
            context.deviceMode = deviceMode;
            context.storedCfg1 = record.cfg1;
            context.channelFilters = channelFilters.data();
            context.statusFilters = statusFilters.data();
            context.numFilterEntries = entriesPerPreset;
            return MapperValidator (context).validate (choices);
        }

        /** Output entry of a port: the outputs follow the A + B inputs. */
        int outputEntry (int port) const { return numHostPorts + numLocalPorts + port; }

        float firmware = version (4, 5);
        int numHostPorts = 16, numLocalPorts = 14, deviceMode = 1;
        // The current preset's entries, followed by the next preset's as in the device's tables.
        static constexpr int entriesPerPreset = 72;
        std::vector<juce::uint16> channelFilters = std::vector<juce::uint16> (2 * entriesPerPreset, 0);
        std::vector<juce::uint32> statusFilters = std::vector<juce::uint32> (2 * entriesPerPreset, 0);
    };
}

TEST_F (MapperValidation, CodesInTheirOrder)
{
    struct Case { const char* name; Edit edit; int code; const char* text; };
    const Case cases[] = {
        { "fresh default mapper", [] (MapperChoices& c) { c.inStatus = -1; c.outStatus = -1; },
          1, "\nSelect an input message status to map" },
        { "input value 2 min missing", [] (MapperChoices& c) { c.inValue2Min = -1; },
          8, "\nSelect an input minimum value" },
        { "input value 2 max missing before its order", [] (MapperChoices& c) { c.inValue2Max = -1; },
          9, "\nSelect an input maximum value" },
        { "output value 2 min missing", [] (MapperChoices& c) { c.outValue2Min = -1; },
          10, "\nSelect an output minimum value" },
        { "output value 2 max missing", [] (MapperChoices& c) { c.outValue2Max = -1; },
          11, "\nSelect an output maximum value" },
        { "input value 1 reversed", [] (MapperChoices& c) { c.inValue1Min = 100; c.inValue1Max = 20; },
          2, "\nInput value 1 Min is higher than input value 1 Max" },
        { "input value 1 reversed before the output status", [] (MapperChoices& c) { c.inValue1Min = 100; c.inValue1Max = 20; c.outStatus = -1; },
          2, "\nInput value 1 Min is higher than input value 1 Max" },
        { "input value 1 max without choice", [] (MapperChoices& c) { c.inValue1Max = -1; },
          2, "\nInput value 1 Min is higher than input value 1 Max" },
        { "input value 2 reversed", [] (MapperChoices& c) { c.inValue2Min = 100; c.inValue2Max = 20; },
          3, "\nInput value 2 Min is higher than input value 2 Max" },
        { "output value 1 reversed", [] (MapperChoices& c) { c.followValue1 = false; c.outValue1Min = 9; c.outValue1Max = 8; },
          6, "\nOutput value 1 Min is higher than output value 1 Max" },
        { "output value 1 before input channel", [] (MapperChoices& c) { c.outValue1Min = 9; c.outValue1Max = 8; c.inChannelMin = 5; c.inChannelMax = 1; },
          6, "\nOutput value 1 Min is higher than output value 1 Max" },
        { "output value 2 reversed", [] (MapperChoices& c) { c.outValue2Min = 9; c.outValue2Max = 8; },
          7, "\nOutput value 2 Min is higher than output value 2 Max" },
        { "input channel reversed before output status", [] (MapperChoices& c) { c.inChannelMin = 5; c.inChannelMax = 1; c.outStatus = -1; },
          4, "\nInput channel Min is higher than input channel Max" },
        { "no output status before no channel", [] (MapperChoices& c) { c.outStatus = -1; c.followChannel = false; c.outChannel = -1; },
          5, "\nSelect an output message status to map to" },
        { "no output channel", [] (MapperChoices& c) { c.followChannel = false; c.outChannel = -1; },
          12, "\nSelect an output channel to map to" },
        { "disabled lists are not asked", [] (MapperChoices& c) { c.inValue2Min = -1; c.inValue2MinEnabled = false; },
          0, "\nMapper Ok" },
        { "Notes transpose needs no output status", [] (MapperChoices& c) { c.inStatus = 7; c.outStatus = -1; c.outValue1Min = 5; c.outValue1Max = 48; },
          0, "\nMapper Ok" },
        { "Global channel update needs no output status", [] (MapperChoices& c) { c.inStatus = 8; c.outStatus = -1; },
          0, "\nMapper Ok" },
        // Octave and semitone are not a range: a semitone position below the octave position is a valid shift.
        { "transpose down 46 semitones", [] (MapperChoices& c) { c.inStatus = 7; c.outValue1Min = 4; c.outValue1Max = 2; },
          0, "\nMapper Ok" },
        { "transpose still needs its value 2 choices", [] (MapperChoices& c) { c.inStatus = 7; c.outValue2Max = -1; },
          11, "\nSelect an output maximum value" },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        const auto result = check (c.edit);
        EXPECT_EQ (result.code, c.code);
        EXPECT_EQ (result.text, c.text);
        EXPECT_EQ (result.mayBeWritten(), c.code == 0);
    }
}

TEST_F (MapperValidation, NoDeviceAndDisabledMapper)
{
    struct Case { const char* name; int hostPorts, localPorts, mode; Edit edit; const char* text; };
    const Case cases[] = {
        { "no product",          0,  0,  255, {},                                                   "\nNo device connected" },
        { "no local ports",      16, 0,  1,   {},                                                   "\nNo device connected" },
        { "bootloader only",     16, 14, 0,   {},                                                   "\nNo device connected" },
        { "errors wait for a device", 0, 0, 255, [] (MapperChoices& c) { c.inStatus = -1; },        "\nNo device connected" },
        { "no input selected",   16, 14, 1,   [] (MapperChoices& c) { c.inputSelected.set (2, false); c.disableInputs = true; },
                                                                            "\nMapper is disabled (No MIDI/USB input is selected)" },
        { "errors before disabled", 16, 14, 1, [] (MapperChoices& c) { c.inStatus = -1; c.disableInputs = true; },
                                                                            "\nSelect an input message status to map" },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        numHostPorts = c.hostPorts;
        numLocalPorts = c.localPorts;
        deviceMode = c.mode;
        EXPECT_EQ (check (c.edit).text, c.text);
    }
}

TEST_F (MapperValidation, FilterConflicts)
{
    using Filters = std::function<void()>;
    struct Case { const char* name; Filters filters; Edit edit; const char* text; };

    const auto channel = [this] (int entry, int k) { return [this, entry, k] { channelFilters[(size_t) entry] |= (juce::uint16) (1u << k); }; };
    const auto status = [this] (int entry, int bit) { return [this, entry, bit] { statusFilters[(size_t) entry] |= 1u << bit; }; };
    const auto all = [this] (int entry)             { return [this, entry] { statusFilters[(size_t) entry] = 0xFFFFFFFF; }; };
    const auto both = [] (Filters first, Filters second) { return [=] { first(); second(); }; };
    const Edit hasEffect = [] (MapperChoices& c) { c.invertValue2 = true; };
    const auto then = [=] (Edit more) { return [=] (MapperChoices& c) { hasEffect (c); more (c); }; };

    const int hostInput3 = 2, firstLocal = 16;
    const int hostOutput3 = 30 + hostInput3, firstLocalOutput = 30 + firstLocal;
    const int noteOff = 0, noteOn = 1, ctrlChange = 4, systemReset = 17;

    const Case cases[] = {
        { "channel 5 on USB input 3", channel (hostInput3, 4), hasEffect,
          "Input channel 5 is filtered on USB input 3, this mapper may be affected" },
        { "channel outside the range", channel (hostInput3, 4), then ([] (MapperChoices& c) { c.inChannelMin = 5; }),
          "\nMapper Ok" },
        { "lowest channel reported", both (channel (hostInput3, 9), channel (hostInput3, 6)), hasEffect,
          "Input channel 7 is filtered on USB input 3, this mapper may be affected" },
        { "port not selected", channel (4, 0), hasEffect,
          "\nMapper Ok" },
        { "first local port is MIDI input 1", channel (firstLocal, 0), then ([=] (MapperChoices& c) { c.inputSelected.set (firstLocal, true); c.inputSelected.set (hostInput3, false); }),
          "Input channel 1 is filtered on MIDI input 1, this mapper may be affected" },
        { "transposed Notes Off", both (status (hostInput3, noteOff), status (hostInput3, noteOn)), [] (MapperChoices& c) { c.inStatus = 7; c.outValue1Min = 5; },
          "Notes Off are filtered on USB input 3, transposing Notes Off will have no effect" },
        { "transposed Notes On", status (hostInput3, noteOn), [] (MapperChoices& c) { c.inStatus = 7; c.outValue1Min = 5; },
          "Notes On are filtered on USB input 3, transposing Notes On will have no effect" },
        { "input status", status (hostInput3, noteOn), hasEffect,
          "'Note On' are filtered on USB input 3, this mapper may be affected" },
        { "output status", status (hostOutput3, ctrlChange), then ([] (MapperChoices& c) { c.outStatus = 2; }),
          "'Ctrl Change' are filtered on USB output 3, this mapper may be affected" },
        { "output text replaces input text", both (status (hostInput3, noteOn), status (hostOutput3, ctrlChange)), then ([] (MapperChoices& c) { c.outStatus = 2; }),
          "'Ctrl Change' are filtered on USB output 3, this mapper may be affected" },
        { "kept original wins", both (status (hostInput3, noteOn), both (status (hostOutput3, ctrlChange), status (hostOutput3, noteOn))),
          then ([] (MapperChoices& c) { c.outStatus = 2; c.keepOriginal = true; }),
          "'Note On' are filtered on USB output 3, and original message is kept, this mapper may be affected" },
        { "local output", status (firstLocalOutput, ctrlChange), then ([=] (MapperChoices& c) { c.outStatus = 2; c.inputSelected.set (firstLocal, true); c.inputSelected.set (hostInput3, false); }),
          "'Ctrl Change' are filtered on MIDI output 1, this mapper may be affected" },
        // Positions without a filter bit never match, whatever the port filters.
        { "no output choice", all (hostOutput3),
          [] (MapperChoices& c) { c.inStatus = 8; c.outStatus = -1; },
          "\nMapper Ok" },
        { "Global channel update", all (hostInput3),
          [] (MapperChoices& c) { c.inStatus = 8; c.outStatus = -1; c.keepOriginal = true; },
          "\nMapper Ok" },
        { "Filter message", both (status (hostOutput3, noteOn), status (hostOutput3, systemReset)),
          [] (MapperChoices& c) { c.outStatus = 7; },
          "\nMapper Ok" },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        std::fill (channelFilters.begin(), channelFilters.end(), 0);
        std::fill (statusFilters.begin(), statusFilters.end(), 0);
        c.filters();
        EXPECT_EQ (check (c.edit).text, c.text);
    }
}

TEST_F (MapperValidation, OutputEntriesBeyondThePresetFilterNothing)
{
    // A Norrim: the outputs of local ports 4 to 19 (entries 72 to 87) are not held in a preset's row;
    // what follows the row belongs to the next preset and must not be taken for them.
    numHostPorts = 24;
    numLocalPorts = 20;
    std::fill (statusFilters.begin(), statusFilters.end(), 0x7Fu);
    std::fill (channelFilters.begin(), channelFilters.end(), 0xFFFF);

    const auto localOnly = [this] (std::vector<int> locals)
    {
        return [this, locals] (MapperChoices& c)
        {
            c.outStatus = 2;
            c.invertValue2 = true;
            c.inputSelected.set (2, false);
            for (int j : locals)
            {
                c.inputSelected.set (numHostPorts + j, true);
                channelFilters[(size_t) (numHostPorts + j)] = 0;
                statusFilters[(size_t) (numHostPorts + j)] = 0;
            }
        };
    };

    EXPECT_EQ (outputEntry (numHostPorts + 3), 71);
    EXPECT_EQ (check (localOnly ({ 3 })).text, "'Ctrl Change' are filtered on MIDI output 4, this mapper may be affected");
    EXPECT_EQ (check (localOnly ({ 4, 15 })).text, "\nMapper Ok");
}

TEST_F (MapperValidation, RangesThatDoNotOverlap)
{
    struct Case { const char* name; Edit edit; const char* text; };
    const Case cases[] = {
        { "output below, touching the input minimum", [] (MapperChoices& c) { c.outValue1Min = 0; c.outValue1Max = 10; },
          "Value 1 Output range does not overlap with Value 1 Input range\nA fixed value 1 output will be generated if compress/expand mode is not used" },
        { "output from the input maximum", [] (MapperChoices& c) { c.outValue1Min = 20; c.outValue1Max = 30; },
          "Value 1 Output range does not overlap with Value 1 Input range\nA fixed value 1 output will be generated if compress/expand mode is not used" },
        { "one shared value overlaps", [] (MapperChoices& c) { c.outValue1Min = 0; c.outValue1Max = 11; },
          "\nMapper Ok" },
        { "inside the input range", [] (MapperChoices& c) { c.outValue1Min = 11; c.outValue1Max = 19; },
          "\nMapper Ok" },
        { "a single output value", [] (MapperChoices& c) { c.outValue1Min = 5; c.outValue1Max = 5; },
          "\nMapper Ok" },
        { "compressed", [] (MapperChoices& c) { c.outValue1Min = 0; c.outValue1Max = 10; c.compressValue1 = true; },
          "\nMapper Ok" },
        { "value 1 from input value 2", [] (MapperChoices& c) { c.useInValue2 = true; c.inValue2Min = 30; c.inValue2Max = 40; c.outValue2Min = 30; c.outValue2Max = 40; c.outValue1Min = 0; c.outValue1Max = 10; },
          "Value 1 Output range does not overlap with Value 2 Input range\nA fixed value 1 output will be generated if compress/expand mode is not used" },
        { "value 2", [] (MapperChoices& c) { c.outValue1Min = 10; c.outValue1Max = 20; c.compressValue2 = false; c.inValue2Min = 10; c.inValue2Max = 20; c.outValue2Min = 0; c.outValue2Max = 10; },
          "Value 2 Output range does not overlap with Value 2 Input range\nA fixed value 2 output will be generated if compress/expand mode is not used" },
        { "value 2 from input value 1", [] (MapperChoices& c) { c.outValue1Min = 10; c.outValue1Max = 20; c.compressValue2 = false; c.useInValue1 = true; c.outValue2Min = 50; c.outValue2Max = 60; },
          "Value 2 Output range does not overlap with Value 1 Input range\nA fixed value 2 output will be generated if compress/expand mode is not used" },
        { "octave and semitone are not a range", [] (MapperChoices& c) { c.inStatus = 7; c.outValue1Min = 5; c.outValue1Max = 46; },
          "\nMapper Ok" },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        EXPECT_EQ (check ([&] (MapperChoices& choices)
        {
            choices.followValue1 = false;
            choices.compressValue1 = false;
            choices.inValue1Min = 10;
            choices.inValue1Max = 20;
            c.edit (choices);
        }).text, c.text);
    }
}

TEST_F (MapperValidation, KeepingTheOriginalWhileSkipping)
{
    EXPECT_EQ (check ([] (MapperChoices& c) { c.skip = 10; c.keepOriginal = true; }).text,
               "Both 'Keep original message' and 'skip notes' are enabled, this will result in notes not being skipped");
    EXPECT_EQ (check ([] (MapperChoices& c) { c.skip = 10; }).text, mapperOk);
}

TEST_F (MapperValidation, NoEffectAgainstMapperOk)
{
    struct Case { const char* name; float firmware; Edit edit; bool effect; };
    const float fw = version (4, 5);
    const Case cases[] = {
        { "Note On to Note On, all following",  fw, {},                                                        false },
        { "invert value 2",                     fw, [] (MapperChoices& c) { c.invertValue2 = true; },          true },
        { "skip",                               fw, [] (MapperChoices& c) { c.skip = 1; },                     true },
        { "another status",                     fw, [] (MapperChoices& c) { c.outStatus = 1; },                true },
        { "fixed channel",                      fw, [] (MapperChoices& c) { c.followChannel = false; c.outChannel = 0; }, true },
        { "invert value 1",                     fw, [] (MapperChoices& c) { c.invertValue1 = true; },          true },
        { "value 1 from value 2",               fw, [] (MapperChoices& c) { c.useInValue2 = true; },           true },
        { "other value 1 outputs",              fw, [] (MapperChoices& c) { c.outValue1Max = 100; },           true },
        { "curve on value 2",                   fw, [] (MapperChoices& c) { c.curveValue2 = true; },           true },
        { "curve before its firmware",          version (3, 8), [] (MapperChoices& c) { c.curveValue2 = true; }, false },
        { "value 2 from value 1",               fw, [] (MapperChoices& c) { c.useInValue1 = true; },           true },
        { "other value 2 outputs",              fw, [] (MapperChoices& c) { c.outValue2Min = 1; },             true },
        { "Prog Change to Chann Aftertouch",    fw, [] (MapperChoices& c) { c.inStatus = 3; c.outStatus = 5; }, true },
        { "Prog Change to Prog Change",         fw, [] (MapperChoices& c) { c.inStatus = 3; c.outStatus = 3; c.invertValue2 = true; }, false },
        { "Prog Change, old status codes",      version (3, 3), [] (MapperChoices& c) { c.inStatus = 3; c.outStatus = 3; c.invertValue2 = true; }, false },
        { "transpose by nothing",               fw, [] (MapperChoices& c) { c.inStatus = 7; c.outValue1Min = 4; c.outValue1Max = 48; }, false },
        { "transpose by 10 semitones",          fw, [] (MapperChoices& c) { c.inStatus = 7; c.outValue1Min = 5; c.outValue1Max = 46; }, true },
        { "Global channel update",              fw, [] (MapperChoices& c) { c.inStatus = 8; c.outStatus = -1; }, true },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        firmware = c.firmware;
        const auto result = check (c.edit);
        EXPECT_EQ (result.code, 0);
        EXPECT_EQ (result.text, c.effect ? mapperOk : noEffect);
        EXPECT_EQ (result.mapperOk, c.effect);
    }
}
