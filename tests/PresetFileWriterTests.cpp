#include "support/PresetFileTestSupport.h"
#include "settings/PresetFileWriter.h"
#include "settings/PresetName.h"

using namespace PresetFileTest;

namespace
{
    juce::File goldenFile (const char* name)
    {
        return juce::File (PELLION_SOURCE_DIR).getChildFile ("tests/golden").getChildFile (name);
    }
}

class PresetFileWriting : public WiredDeviceFixture
{
protected:
    void connect (int code, float hostFirmware, const char* model)
    {
        connectProduct (code, hostFirmware);
        device().productName = model;
        fillModel (device(), 2);
    }

    PresetFileRecords records;
    TemporaryFolder temporary;
};

TEST_F (PresetFileWriting, GoldenFiles)
{
    struct Case { int code; float host; const char* model; const char* golden; };
    const Case cases[] = {
        { productCalder, version (2, 9), "Calder Pro", "calder_2.9.pvp" },   // 16 mappers, the preset setting
        { productJorvek, version (4, 5), "Jorvek Pro", "jorvek_4.5.pvp" },   // 24 mappers, TRS types, power-down
        { productNorrim, version (4, 5), "Norrim Pro", "norrim_4.5.pvp" },   // all four optional keys
        { productJorvek, version (3, 7), "Jorvek Pro", "jorvek_3.7.pvp" },   // 16 mappers, no power-down
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.golden);
        connect (c.code, c.host, c.model);

        const auto expected = goldenFile (c.golden);
        ASSERT_TRUE (expected.existsAsFile());
        EXPECT_EQ (PresetFileWriter::createText (device(), 2, "Stage Left"), expected.loadFileAsString());
    }
}

TEST_F (PresetFileWriting, SavingRecordsTheFileAndRenamesThePreset)
{
    connect (productJorvek, version (4, 5), "Jorvek Pro");
    const auto target = temporary.folder.getChildFile ("My Set.pvp");

    const auto result = PresetFileWriter::save (device(), records, juce::URL (target), 2);

    EXPECT_EQ (result.error, "");
    EXPECT_EQ (result.presetName, "My Set");
    EXPECT_TRUE (result.presetRenamed);
    EXPECT_EQ (target.loadFileAsString(), PresetFileWriter::createText (device(), 2, "My Set"));
    EXPECT_EQ (records.presetFileUrls[2], juce::URL (target).toString (false));
    EXPECT_EQ (records.presetFileNames[2], "My Set");
    EXPECT_EQ (records.fileSnapshot.filePresetNames[2], "My Set");

    // The preset takes the file's name, and the product gets it.
    EXPECT_EQ (PresetName::getDevicePresetName (device(), 2), "My Set");
    ASSERT_EQ (sent->size(), 1);
    EXPECT_TRUE (lastSentHex().startsWith ("F0 00 4B 1D 0F 26 03 07 04 02"));

    // What was written is what the preset holds: nothing to save any more.
    EXPECT_FALSE (records.checkPresetModified (device(), "My Set"));
    device().routerMasks[2][29] ^= 1;
    EXPECT_TRUE (records.checkPresetModified (device(), "My Set"));
    EXPECT_EQ (device().presetModified[2], 1);
}

TEST_F (PresetFileWriting, SavingOverAFileReplacesItsWholeContent)
{
    connect (productCalder, version (2, 9), "Calder Pro");
    device().presetNames[2][0] = 0x4F6C6400;   // "Old"
    const auto target = temporary.folder.getChildFile ("Old.pvp");
    target.replaceWithText (juce::String::repeatedString ("{ \"much longer\": \"than the preset\" }\n", 1000));

    EXPECT_EQ (PresetFileWriter::save (device(), records, juce::URL (target), 2).error, "");
    EXPECT_EQ (target.loadFileAsString(), PresetFileWriter::createText (device(), 2, "Old"));
    EXPECT_EQ (temporary.folder.getNumberOfChildFiles (juce::File::findFilesAndDirectories), 1);
}

TEST_F (PresetFileWriting, RefusedSavesChangeNothing)
{
    connect (productJorvek, version (4, 5), "Jorvek Pro");

    const auto occupied = temporary.folder.getChildFile ("Busy.pvp");
    ASSERT_TRUE (occupied.createDirectory());
    ASSERT_TRUE (occupied.getChildFile ("keep.txt").replaceWithText ("kept"));

    struct Case { const char* name; juce::File target; const char* error; const char* warning; };
    const Case cases[] = {
        { "17 characters", temporary.folder.getChildFile ("ABCDEFGHIJKLMNOPQ.pvp"),
          "Error: The file name must contain only ASCII (no accent, no special character) and be limited to 16 chars",
          "Please use 16 chars max" },
        { "a character outside the rule", temporary.folder.getChildFile ("Live|Set.pvp"),
          "Error: The file name must contain only ASCII (no accent, no special character) and be limited to 16 chars",
          "Please use only ASCII chars" },
        { "an accent", temporary.folder.getChildFile (juce::String::fromUTF8 ("Caf\xc3\xa9.pvp")),
          "Error: The file name must contain only ASCII (no accent, no special character) and be limited to 16 chars",
          "Please use only ASCII chars" },
        { "no folder", temporary.folder.getChildFile ("missing").getChildFile ("Live.pvp"),
          "Error: Cannot create output file", "" },
        { "a folder in the way", occupied, "Error: Cannot create output file", "" },
    };

    const auto recordsBefore = recordsImage (records);
    const auto modelBefore = modelImage (device());

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        const auto result = PresetFileWriter::save (device(), records, juce::URL (c.target), 2);

        EXPECT_EQ (result.error, c.error);
        EXPECT_EQ (result.nameWarning, c.warning);
        EXPECT_FALSE (c.target.existsAsFile());
        EXPECT_EQ (recordsImage (records), recordsBefore);
        EXPECT_TRUE (modelImage (device()) == modelBefore);
        EXPECT_TRUE (sent->isEmpty());
    }

    // Nothing was left behind: only the folder that stood in the way, with its content.
    EXPECT_EQ (temporary.folder.getNumberOfChildFiles (juce::File::findFilesAndDirectories), 1);
    EXPECT_EQ (occupied.getChildFile ("keep.txt").loadFileAsString(), "kept");

    // An empty URL does nothing.
    EXPECT_EQ (PresetFileWriter::save (device(), records, juce::URL(), 2).error, "");
    EXPECT_EQ (recordsImage (records), recordsBefore);
}
