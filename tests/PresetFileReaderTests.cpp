#include "support/PresetFileTestSupport.h"
#include "settings/PresetFileLoader.h"
#include "settings/PresetFileReader.h"
#include "settings/PresetFileWriter.h"
#include "settings/PresetName.h"

using namespace PresetFileTest;

namespace
{
    /** A small Calder file that changes something of every kind it carries. */
    const char* const calderFile = R"({ "ProductID": "22", "PresetName": "Live", "Router": [ "1", "2" ],
        "FilterChannels": [ "F" ], "FilterStatus": [ "3ffff" ], "Mapper": [ { "cfg1": "7" } ], "PresetSetting": "4320" })";

    juce::String fileWith (const char* members)
    {
        return juce::String ("{ \"ProductID\": \"22\", \"PresetName\": \"Live\"") + members + " }";
    }

    /** Marks as "write 0/3 (preset 2)", "read 1/4", one per line, kinds in order. */
    juce::String describeMarks (const MidiController& d)
    {
        juce::StringArray marks;

        for (int kind = 0; kind < PendingRequests::numKinds; ++kind)
        {
            for (int item = 0; item < PendingRequests::numItems; ++item)
            {
                if (! d.pendingRequests.isPending (kind, item))
                    continue;

                auto text = juce::String (d.pendingRequests.isWrite (kind, item) ? "write " : "read ") + juce::String (kind)
                          + "/" + juce::String (item);

                if (d.pendingRequests.getPreset (kind, item) != PendingRequests::noPreset)
                    text << " (preset " << d.pendingRequests.getPreset (kind, item) << ")";

                marks.add (text);
            }
        }

        return marks.joinIntoString ("\n");
    }

    /** A Jorvek file written from the model and edited. */
    juce::String editedFile (const MidiController& d, int preset, const juce::String& name,
                             std::function<void (juce::DynamicObject&)> edit)
    {
        auto parsed = juce::JSON::parse (PresetFileWriter::createText (d, preset, name));
        edit (*parsed.getDynamicObject());
        return juce::JSON::toString (parsed);
    }

    void setArrayValue (juce::DynamicObject& file, const char* key, int index, const juce::String& value)
    {
        file.getProperty (key).getArray()->set (index, value);
    }
}

class PresetFileLoading : public WiredDeviceFixture
{
protected:
    PresetFileLoader::Result load (const juce::String& text, int preset = -1, bool send = true)
    {
        const auto bytes = text.toRawUTF8();
        return PresetFileLoader::loadData (device(), records, bytes, text.getNumBytesAsUTF8(), source, preset, send);
    }

    PresetFileRecords records;
    const juce::File sourceFile { juce::File::getSpecialLocation (juce::File::userHomeDirectory).getChildFile ("My Live Set.pvp") };
    const juce::URL source { sourceFile };
};

TEST_F (PresetFileLoading, RefusedFilesChangeNothing)
{
    struct Case { const char* name; int product; juce::String text; const char* error; };

    const juce::String deep = juce::String::repeatedString ("[", 100000) + juce::String::repeatedString ("]", 100000);
    const juce::String tooLarge = juce::String (calderFile) + juce::String::repeatedString (" ", 1024 * 1024);

    const Case cases[] = {
        { "no product",           productNone,        calderFile, "Error: No product connected" },
        { "upgrade mode",         productUpgradeMode, calderFile, "Error: No product connected" },
        { "a device core",        productCalderDevice, calderFile, "Error: No product connected" },
        { "above 1 MiB",          productCalder,      tooLarge,   "Error: Preset file is larger than 1 MiB" },
        { "no JSON",              productCalder,      "Live",     "Error: ProductID not found in settings file" },
        { "an array",             productCalder,      "[ { \"ProductID\": \"22\" } ]", "Error: ProductID not found in settings file" },
        { "no product id",        productCalder,      "{ \"PresetName\": \"Live\" }", "Error: ProductID not found in settings file" },
        { "nested too deep",      productCalder,      fileWith ((", \"Extra\": " + deep).toRawUTF8()), "Error: ProductID not found in settings file" },
        { "a Jorvek's file",      productCalder,      "{ \"ProductID\": \"26\", \"PresetName\": \"Live\" }", "Error: ProductID does not match connected product" },
        { "an empty product id",  productCalder,      "{ \"ProductID\": \"\", \"PresetName\": \"Live\" }", "Error: ProductID does not match connected product" },
        { "no preset name",       productCalder,      "{ \"ProductID\": \"22\", \"Router\": [ \"1\" ] }", "Error: Preset name not found in settings file" },
        { "router rows as text",  productCalder,      fileWith (", \"Router\": \"1\""), "Error: Routers not found in settings file" },
        { "router rows null",     productCalder,      fileWith (", \"Router\": null"), "Error: Routers not found in settings file" },
        { "channel filters",      productCalder,      fileWith (", \"Router\": [ \"1\" ], \"FilterChannels\": { }"), "Error: Filter Channels not found in settings file" },
        { "message filters",      productCalder,      fileWith (", \"FilterChannels\": [ \"1\" ], \"FilterStatus\": 5"), "Error: Filter Status not found in settings file" },
        { "mappers",              productCalder,      fileWith (", \"Router\": [ \"1\" ], \"FilterStatus\": [ \"1\" ], \"Mapper\": \"x\", \"PresetSetting\": \"4320\""),
                                                      "Error: Mappers not found in settings file" },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        resetDeviceForTest (device());
        device().userInterface = &ui;
        connectProduct (c.product, version (2, 9));
        fillModel (device(), 1);

        // An editor's edit waits to be written and a read is under way.
        device().routerMasks[1][0] = 0x55;
        device().markForWrite (kindRouter, 0);
        device().markForRead (kindMessageFilter, 0);
        records.presetFileUrls[1] = "file:///home/earlier.pvp";
        records.presetFileNames[1] = "earlier.pvp";

        const auto modelBefore = modelImage (device());
        const auto pendingBefore = pendingImage (device());
        const auto recordsBefore = recordsImage (records);

        const auto result = load (c.text);

        EXPECT_EQ (result.error, c.error);
        EXPECT_TRUE (modelImage (device()) == modelBefore);
        EXPECT_TRUE (pendingImage (device()) == pendingBefore);
        EXPECT_EQ (recordsImage (records), recordsBefore);
        EXPECT_TRUE (sent->isEmpty());
    }
}

TEST_F (PresetFileLoading, RefusedFilesOnDisk)
{
    connectProduct (productCalder, version (2, 9));
    TemporaryFolder temporary;

    const auto large = temporary.folder.getChildFile ("Large.pvp");
    ASSERT_TRUE (large.replaceWithText (juce::String (calderFile) + juce::String::repeatedString (" ", 1024 * 1024), false, false, nullptr));

    const auto exact = temporary.folder.getChildFile ("Exact.pvp");
    ASSERT_TRUE (exact.replaceWithText (juce::String (calderFile)
                                        + juce::String::repeatedString (" ", 1024 * 1024 - (int) strlen (calderFile)),
                                        false, false, nullptr));

    struct Case { const char* name; juce::URL url; const char* error; };
    const Case cases[] = {
        { "no such file",    juce::URL (temporary.folder.getChildFile ("Missing.pvp")), "Error: Cannot create file input stream" },
        { "above 1 MiB",     juce::URL (large), "Error: Preset file is larger than 1 MiB" },
        { "exactly 1 MiB",   juce::URL (exact), "" },
        { "no URL",          juce::URL(), "" },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        EXPECT_EQ (PresetFileLoader::loadFile (device(), records, c.url, 0, false).error, c.error);
    }

    EXPECT_EQ (records.presetFileNames[0], "Exact.pvp");
}

TEST_F (PresetFileLoading, AFileIsTakenWhereItDiffersAndMarkedForThePresetLoaded)
{
    connectProduct (productCalder, version (2, 9));
    fillModel (device(), 1);
    device().routerMasks[1][1] = 2;         // already as in the file
    device().markForWrite (kindChannelFilter, 9);   // another editor's edit

    const auto result = load (calderFile, 1);

    EXPECT_EQ (result.error, "");
    EXPECT_EQ (result.preset, 1);
    EXPECT_EQ (result.presetName, "Live");
    EXPECT_EQ (result.firstKind, kindPresetName);
    EXPECT_EQ (result.changedKinds, (1u << kindPresetName) | (1u << kindRouter) | (1u << kindChannelFilter)
                                    | (1u << kindMessageFilter) | (1u << kindMapper) | (1u << kindPresetSetting));
    EXPECT_EQ (result.saveDialogTitle, "");

    EXPECT_EQ (device().routerMasks[1][0], 1u);
    EXPECT_EQ (device().filterChannels[1][0], 0xF);
    EXPECT_EQ (device().filterStatus[1][0], 0x3FFFFu);
    EXPECT_EQ (device().mapperRecords[1][0].cfg1, 7u);
    EXPECT_EQ (device().mapperRecords[1][0].cfg2, 0x5A000000u);   // not in the file: kept
    EXPECT_EQ (device().presetSetting, 0x4321u);
    EXPECT_EQ (PresetName::getDevicePresetName (device(), 1), "Live");
    EXPECT_EQ (device().routerMasks[1][2], 0xA0000002u);

    EXPECT_EQ (describeMarks (device()), juce::StringArray ({ "write 0/0 (preset 1)", "write 1/0 (preset 1)", "write 1/9 (preset 1)",
                                                              "write 2/0 (preset 1)", "write 3/0 (preset 1)", "write 4/0",
                                                              "write 7/1" }).joinIntoString ("\n"));
    ASSERT_EQ (sent->size(), 1);
    EXPECT_TRUE (lastSentHex().startsWith ("F0 00 4B 1D 0F 22 03 07 04 01"));

    // The file became the preset's file, under its decoded name.
    EXPECT_EQ (records.presetFileUrls[1], source.toString (false));
    EXPECT_TRUE (records.presetFileUrls[1].contains ("My%20Live%20Set.pvp"));
    EXPECT_EQ (records.presetFileNames[1], "My Live Set.pvp");
    EXPECT_EQ (records.fileSnapshot.filePresetNames[1], "Live");
    EXPECT_EQ (records.fileSnapshot.fileRouterMasks[1][1], 2u);
    EXPECT_EQ (records.fileSnapshot.filePresetSetting, 0x4320u);
}

TEST_F (PresetFileLoading, TheFirstWriteIsTheNameThenTheLowestChangedKind)
{
    connectProduct (productNorrim, version (4, 5));
    fillModel (device(), 2);

    using Edit = std::function<void (juce::DynamicObject&)>;
    struct Case { const char* name; juce::String presetName; Edit edit; int firstKind; juce::uint32 changedKinds; };

    const Case cases[] = {
        { "nothing differs",    "",      [] (juce::DynamicObject&) {}, -1, 0 },
        { "only the TRS types", "",      [] (juce::DynamicObject& f) { f.setProperty ("TrsType", "FFFFFFFE"); }, kindTrsType, 1u << kindTrsType },
        { "Sync-24 and power-down", "",  [] (juce::DynamicObject& f) { f.setProperty ("Sync-24", "5"); f.setProperty ("Power-Down", "0"); },
          kindSync24, (1u << kindSync24) | (1u << kindPowerDown) },
        { "a mapper and a row", "",      [] (juce::DynamicObject& f)
                                         {
                                             setArrayValue (f, "Router", 30, "7");
                                             f.getProperty ("Mapper")[23].getDynamicObject()->setProperty ("cfg4", "0");
                                         }, kindRouter, (1u << kindRouter) | (1u << kindMapper) },
        { "a name and a filter", "Chorus", [] (juce::DynamicObject& f) { setArrayValue (f, "FilterStatus", 71, "0"); },
          kindPresetName, (1u << kindPresetName) | (1u << kindMessageFilter) },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        fillModel (device(), 2);
        const auto file = editedFile (device(), 2, c.presetName, c.edit);
        device().pendingRequests.clearAll();

        const auto result = load (file, 2, false);

        EXPECT_EQ (result.error, "");
        EXPECT_EQ (result.firstKind, c.firstKind);
        EXPECT_EQ (result.changedKinds, c.changedKinds);
        EXPECT_EQ (describeMarks (device()), "");   // without sending, the load takes its marks back
    }

    EXPECT_TRUE (sent->isEmpty());
}

TEST_F (PresetFileLoading, AFileEqualToThePresetQueuesNothingAndLeavesItUnmodified)
{
    connectProduct (productJorvek, version (4, 5));
    fillModel (device(), 2);
    PresetName::storeWords (device(), 2, "Stage Left");

    const auto result = load (PresetFileWriter::createText (device(), 2, "Stage Left"), 2);

    EXPECT_EQ (result.error, "");
    EXPECT_EQ (result.changedKinds, 0u);
    EXPECT_EQ (describeMarks (device()), "");
    EXPECT_TRUE (sent->isEmpty());
    EXPECT_FALSE (records.checkPresetModified (device(), "Stage Left"));

    // Bits 0-4 of the preset setting alone don't count.
    device().presetSetting = (device().presetSetting & ~0x1Fu) | 3;
    EXPECT_FALSE (records.checkPresetModified (device(), "Stage Left"));
    device().presetSetting ^= 0x20;
    EXPECT_TRUE (records.checkPresetModified (device(), "Stage Left"));
}

TEST_F (PresetFileLoading, ThePresetSettingKeepsThePresetLoadedAndNeverTheChangeFlag)
{
    connectProduct (productCalder, version (2, 9));
    device().presetSetting = 0x4302;
    device().currentPreset = 2;

    const auto result = load (fileWith (", \"PresetSetting\": \"80014325\""));

    EXPECT_EQ (result.preset, 2);
    EXPECT_EQ (device().presetSetting, 0x00014322u);
    EXPECT_EQ (records.fileSnapshot.filePresetSetting, 0x00014325u);
    EXPECT_TRUE (device().pendingRequests.isWrite (kindPresetSetting, 0));

    // Below host firmware 1.05 files carry no preset setting for this product.
    device().hostFirmwareVersion = version (1, 0);
    device().pendingRequests.clearAll();
    EXPECT_EQ (load (fileWith (", \"PresetSetting\": \"4320\"")).changedKinds, 0u);
    EXPECT_EQ (device().presetSetting, 0x00014322u);
}

TEST_F (PresetFileLoading, OldMapperFormatIsConvertedAboveHostFirmware385)
{
    const char* const oldFile = R"({ "ProductID": "26", "PresetName": "Old",
        "Mapper": [ { "cfg2": "12345678" }, { "cfg2": "5A000001" } ] })";

    struct Case { float host; juce::uint32 cfg2; const char* title; };
    const Case cases[] = { { version (4, 5), 0x5A005678, "Update preset file with new format..." },
                           { version (3, 8), 0x12345678, "" } };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.host);
        connectProduct (productJorvek, c.host);
        const auto result = load (oldFile, 0, false);

        EXPECT_EQ (result.error, "");
        EXPECT_EQ (device().mapperRecords[0][0].cfg2, c.cfg2);
        EXPECT_EQ (device().mapperRecords[0][1].cfg2, 0x5A000001u);
        EXPECT_EQ (records.fileSnapshot.fileMapperRecords[0][0].cfg2, c.cfg2);
        EXPECT_EQ (result.saveDialogTitle, c.title);
    }
}

TEST_F (PresetFileLoading, ArraysAreTakenAsFarAsTheProductAndTheTablesReach)
{
    auto arrayOf = [] (int count, const char* value)
    {
        juce::StringArray values;
        for (int i = 0; i < count; ++i)
            values.add (juce::String ("\"") + value + "\"");
        return "[ " + values.joinIntoString (", ") + " ]";
    };

    auto mappersOf = [] (int count)
    {
        juce::StringArray objects;
        for (int i = 0; i < count; ++i)
            objects.add ("{ \"cfg1\": \"1\" }");
        return "[ " + objects.joinIntoString (", ") + " ]";
    };

    auto fileFor = [&] (const char* id, int rows, int entries, int mappers)
    {
        return juce::String ("{ \"ProductID\": \"") + id + "\", \"PresetName\": \"\", \"Router\": " + arrayOf (rows, "1")
             + ", \"FilterChannels\": " + arrayOf (entries, "1") + ", \"FilterStatus\": " + arrayOf (entries, "1")
             + ", \"Mapper\": " + mappersOf (mappers) + " }";
    };

    struct Case { const char* name; int product; float host; juce::String file; int rows, entries, mappers; };
    const Case cases[] = {
        { "Calder",                          productCalder, version (2, 9), fileFor ("22", 36, 72, 16), 11, 22, 16 },
        { "Calder below 0.55",               productCalder, version (0, 5), fileFor ("22", 36, 72, 16), 11, 11, 0 },
        { "24 mappers on 16 slots",          productJorvek, version (4, 4), fileFor ("26", 36, 72, 24), 30, 60, 16 },
        { "16 mappers on 24 slots",          productJorvek, version (4, 5), fileFor ("26", 36, 72, 16), 30, 60, 16 },
        { "a short file",                    productJorvek, version (4, 5), fileFor ("26", 3, 5, 2),    3, 5, 2 },
        { "Norrim, more than the tables",    productNorrim, version (4, 5), fileFor ("2A", 100, 200, 40), 36, 72, 24 },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        resetDeviceForTest (device());
        device().userInterface = &ui;
        connectProduct (c.product, c.host);
        device().currentPreset = 3;

        ASSERT_EQ (load (c.file, -1, false).error, "");

        for (int i = 0; i < MidiController::numRouterRows; ++i)
            EXPECT_EQ (device().routerMasks[3][i], i < c.rows ? 1u : 0u) << "row " << i;

        for (int i = 0; i < MidiController::numFilterEntries; ++i)
        {
            EXPECT_EQ (device().filterChannels[3][i], i < c.entries ? 1 : 0) << "entry " << i;
            EXPECT_EQ (device().filterStatus[3][i], i < c.entries ? 1u : 0u) << "entry " << i;
        }

        for (int m = 0; m < MidiController::numMapperSlots; ++m)
            EXPECT_EQ (device().mapperRecords[3][m].cfg1, m < c.mappers ? 1u : 0u) << "mapper " << m;

        for (int p : { 2, 4 })
            EXPECT_EQ (device().routerMasks[p][0], 0u);
    }
}

TEST_F (PresetFileLoading, LoadingWithoutSendingTakesBackOnlyItsOwnMarks)
{
    connectProduct (productCalder, version (2, 9));
    device().currentPreset = 1;
    device().presetSetting = 0x4301;
    device().routerMasks[1][5] = 0x55;
    device().markForWrite (kindRouter, 5);       // an editor's edit, not in the file
    device().markForWrite (kindRouter, 1);       // an editor's edit the file overwrites
    device().markForRead (kindChannelFilter, 0); // a read the file's value overtakes

    load (calderFile, 1, false);

    EXPECT_EQ (describeMarks (device()), juce::StringArray ({ "write 0/1 (preset 1)", "write 0/5 (preset 1)", "read 1/0" })
                                             .joinIntoString ("\n"));
    EXPECT_TRUE (sent->isEmpty());
}

TEST_F (PresetFileLoading, AnotherPresetsWaitingEditKeepsItsPlace)
{
    connectProduct (productCalder, version (2, 9));
    device().currentPreset = 1;
    device().presetSetting = 0x4301;
    device().routerMasks[1][0] = 0x55;
    device().markForWrite (kindRouter, 0);

    // The product went to preset 1 while the load dialog was open for preset 0.
    EXPECT_EQ (load (calderFile, 0).error, "");

    EXPECT_EQ (device().routerMasks[0][0], 1u);
    EXPECT_EQ (device().routerMasks[1][0], 0x55u);
    EXPECT_EQ (device().pendingRequests.getPreset (kindRouter, 0), 1);
    EXPECT_EQ (device().pendingRequests.getPreset (kindChannelFilter, 0), 0);
}

TEST_F (PresetFileLoading, ASavedFileLoadsBackExactly)
{
    auto presetImage = [this] (int p)
    {
        const auto& d = device();
        std::vector<juce::uint32> image (std::begin (d.routerMasks[p]), std::end (d.routerMasks[p]));
        image.insert (image.end(), std::begin (d.filterChannels[p]), std::end (d.filterChannels[p]));
        image.insert (image.end(), std::begin (d.filterStatus[p]), std::end (d.filterStatus[p]));
        image.insert (image.end(), std::begin (d.presetNames[p]), std::end (d.presetNames[p]));

        for (const auto& mapper : d.mapperRecords[p])
            for (int w = 0; w < 6; ++w)
                image.push_back (mapper.getWord (w));

        image.insert (image.end(), { (juce::uint32) d.trsType[p], (juce::uint32) d.sync24[p], (juce::uint32) d.powerDown[p],
                                     d.presetSetting });
        return image;
    };

    connectProduct (productNorrim, version (4, 5));
    device().productName = "Norrim Pro";
    fillModel (device(), 2);
    TemporaryFolder temporary;
    const juce::URL file (temporary.folder.getChildFile ("Round.pvp"));

    ASSERT_EQ (PresetFileWriter::save (device(), records, file, 2).error, "");
    const auto saved = presetImage (2);

    // Other values everywhere, then the file again.
    fillModel (device(), 5);
    device().presetNames[2][0] = 0;
    ASSERT_NE (presetImage (2), saved);

    ASSERT_EQ (PresetFileLoader::loadFile (device(), records, file, 2, false).error, "");
    EXPECT_EQ (presetImage (2), saved);
}

TEST_F (PresetFileLoading, ARejectedFileIsNeverWrittenBackAtQuit)
{
    connectProduct (productCalder, version (2, 9));
    device().presetModified[0] = 1;

    EXPECT_EQ (load ("{ \"ProductID\": \"26\", \"PresetName\": \"Jorvek\" }", 0).error,
               "Error: ProductID does not match connected product");
    EXPECT_TRUE (records.getPresetsToSaveOnQuit (device()).isEmpty());

    ASSERT_EQ (load (calderFile, 0).error, "");
    EXPECT_EQ (records.getPresetsToSaveOnQuit (device()), juce::Array<int> ({ 0 }));

    device().deviceMode = 0;
    EXPECT_TRUE (records.getPresetsToSaveOnQuit (device()).isEmpty());
}

//==============================================================================
class PresetFileText : public DeviceFixture
{
protected:
    void SetUp() override
    {
        DeviceFixture::SetUp();
        connectProduct (productCalder, version (2, 9));
    }

    juce::String read (const juce::String& text, PresetFileContents& contents)
    {
        return PresetFileReader::read (text.toRawUTF8(), text.getNumBytesAsUTF8(), device(), contents);
    }
};

TEST_F (PresetFileText, JsonSyntax)
{
    const juce::String notFound ("Error: ProductID not found in settings file");
    const juce::String routers ("Error: Routers not found in settings file");

    auto nested = [] (int depth)
    {
        return "{ \"ProductID\": \"22\", \"PresetName\": \"\", \"Extra\": " + juce::String::repeatedString ("[", depth - 1)
             + juce::String::repeatedString ("]", depth - 1) + " }";
    };

    struct Case { const char* name; juce::String text; juce::String error; juce::uint32 firstRow; };
    const Case cases[] = {
        { "compact",                    "{\"ProductID\":\"22\",\"PresetName\":\"\",\"Router\":[\"5\"]}", "", 5 },
        { "all kinds of whitespace",    juce::String::fromUTF8 ("\xEF\xBB\xBF \t\r\n{ \"ProductID\" :\n\"22\" ,\t\"PresetName\": \"\" , \"Router\" : [ \"5\" ] } "), "", 5 },
        { "escapes in keys and values", R"({ "Product\u0049D": "\u0032\u0032", "PresetName": "", "Router": [ "\u0041\n" ] })", "", 0xA },
        { "numbers as values",          R"({ "ProductID": 22, "PresetName": "", "Router": [ 10, -1.5e3, 0 ] })", "", 0x10 },
        { "other values read as 0",     R"({ "ProductID": "22", "PresetName": "", "Router": [ true, 7 ] })", "", 0 },
        { "unknown nested values",      R"({ "ProductID": "22", "Extra": { "a": [ 1, { "b": null } ], "c": false }, "PresetName": "", "Router": [ "1" ] })", "", 1 },
        { "the last of a repeated key", R"({ "ProductID": "22", "PresetName": "", "Router": "1", "Router": [ "2" ] })", "", 2 },
        { "a repeated key, refused",    R"({ "ProductID": "22", "PresetName": "", "Router": [ "2" ], "Router": "1" })", routers, 0 },
        { "nested 16 deep",             nested (16), "", 0 },
        { "nested 17 deep",             nested (17), notFound, 0 },
        { "empty",                      "", notFound, 0 },
        { "a trailing comma",           R"({ "ProductID": "22", "PresetName": "", })", notFound, 0 },
        { "a missing colon",            R"({ "ProductID" "22", "PresetName": "" })", notFound, 0 },
        { "an open string",             R"({ "ProductID": "22", "PresetName": ")", notFound, 0 },
        { "a broken escape",            R"({ "ProductID": "22", "PresetName": "\u12G4" })", notFound, 0 },
        { "a leading zero",             R"({ "ProductID": "22", "PresetName": "", "Router": [ 01 ] })", notFound, 0 },
        { "a bare word",                R"({ "ProductID": "22", "PresetName": tru })", notFound, 0 },
        { "single quotes",              R"({ 'ProductID': '22', 'PresetName': '' })", notFound, 0 },
        { "an open object",             R"({ "ProductID": "22", "PresetName": "" )", notFound, 0 },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        PresetFileContents contents;
        EXPECT_EQ (read (c.text, contents), c.error);

        if (c.error.isEmpty())
            EXPECT_EQ (contents.numRouterRows > 0 ? contents.routerMasks[0] : 0u, c.firstRow);
    }
}

TEST_F (PresetFileText, PresetNamesAndOptionalWords)
{
    struct Case { const char* name; juce::String members; juce::String presetName; bool hasPresetSetting; juce::uint32 presetSetting; };
    const Case cases[] = {
        { "plain",               R"("PresetName": "Live", "PresetSetting": "4321")",  "Live", true, 0x4321 },
        { "escaped accent",      R"("PresetName": "Caf\u00e9", "PresetSetting": "")", juce::String::fromUTF8 ("Caf\xc3\xa9"), false, 0 },
        { "raw UTF-8",           juce::String::fromUTF8 ("\"PresetName\": \"Caf\xc3\xa9\""),                  juce::String::fromUTF8 ("Caf\xc3\xa9"), false, 0 },
        { "a surrogate pair",    R"("PresetName": "\ud83c\udfb9 Keys")",             juce::String::fromUTF8 ("\xf0\x9f\x8e\xb9 Keys"), false, 0 },
        { "a lone surrogate",    R"("PresetName": "a\ud83cb")",                      juce::String::fromUTF8 ("a\xef\xbf\xbd" "b"), false, 0 },
        { "a number",            R"("PresetName": 42, "PresetSetting": 4300)",        "42", true, 0x4300 },
        { "null",                R"("PresetName": null, "PresetSetting": null)",      "", false, 0 },
        { "no digits",           R"("PresetName": "", "PresetSetting": "zz")",        "", true, 0 },
        { "the change flag",     R"("PresetName": "", "PresetSetting": "FFFFFFFF")",  "", true, 0x7FFFFFFF },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        PresetFileContents contents;
        ASSERT_EQ (read ("{ \"ProductID\": \"22\", " + c.members + " }", contents), "");
        EXPECT_EQ (contents.presetName, c.presetName);
        EXPECT_EQ (contents.hasPresetSetting, c.hasPresetSetting);
        EXPECT_EQ (contents.presetSetting, c.presetSetting);
    }
}

TEST_F (PresetFileText, BytesThatAreNoUtf8AreTakenOneCharacterEach)
{
    // Also when they look like a UTF-16 byte order mark.
    const char file[] = "{ \"ProductID\": \"22\", \"PresetName\": \"\xFF\xFE" "ab\\u0063\xE9\" }";
    PresetFileContents contents;

    ASSERT_EQ (PresetFileReader::read (file, sizeof (file) - 1, device(), contents), "");
    EXPECT_EQ (contents.presetName, juce::String::fromUTF8 ("\xC3\xBF\xC3\xBE" "abc\xC3\xA9"));

    // So are UTF-8's overlong forms, which the framework would keep as they are ("\xC0\x80" for a
    // null) and a copy of the name would then overrun.
    const char overlong[] = "{ \"ProductID\": \"22\", \"PresetName\": \"a\xC0\x80" "b\" }";
    ASSERT_EQ (PresetFileReader::read (overlong, sizeof (overlong) - 1, device(), contents), "");
    EXPECT_EQ (contents.presetName, juce::String::fromUTF8 ("a\xC3\x80\xC2\x80" "b"));
    EXPECT_EQ (juce::String (contents.presetName.getCharPointer()), contents.presetName);
}
