#include "support/DeviceTestSupport.h"
#include "settings/PresetName.h"

namespace
{
    float version (int major, int minor) { return MidiController::firmwareVersionFromDigits (major, minor); }

    juce::String wordsHex (const juce::uint32 (&words)[4])
    {
        juce::StringArray texts;
        for (auto w : words)
            texts.add (juce::String::toHexString (w).paddedLeft ('0', 8).toUpperCase());
        return texts.joinIntoString (" ");
    }
}

TEST (PresetNamePacking, SixteenCharactersOfSevenBits)
{
    struct Case { juce::String name; const char* words; const char* unpacked; };
    const Case cases[] = {
        { "Preset 1",                  "50726573 65742031 00000000 00000000", "Preset 1" },
        { "ABCDEFGHIJKLMNOPQ",         "41424344 45464748 494A4B4C 4D4E4F50", "ABCDEFGHIJKLMNOP" },
        { juce::String::fromUTF8 ("\xc3\xa9"), "69000000 00000000 00000000 00000000", "i" },
        { "",                          "00000000 00000000 00000000 00000000", "" },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name.toStdString());
        juce::uint32 words[4] = { 1, 2, 3, 4 };
        packPresetName (c.name, words);
        EXPECT_EQ (wordsHex (words), c.words);
        EXPECT_EQ (PresetName::unpack (words), c.unpacked);
    }

    const juce::uint32 withTopBits[4] = { 0xC1C20000, 0x41414141, 0, 0 };
    EXPECT_EQ (PresetName::unpack (withTopBits), "AB");
}

TEST (PresetNameFromFileName, AfterTheLastBackslashUpToTheLastDot)
{
    struct Case { const char* fileName; const char* name; };
    const Case cases[] = { { "My Set.pvp", "My Set" }, { "a.b.pvp", "a.b" }, { "noext", "noext" }, { ".pvp", ".pvp" },
                           { "dir\\Live.pvp", "Live" }, { "dir\\.pvp", ".pvp" }, { "", "" } };

    for (const auto& c : cases)
        EXPECT_EQ (PresetName::fromFileName (c.fileName), c.name) << c.fileName;
}

using PresetNameWrites = WiredDeviceFixture;

TEST_F (PresetNameWrites, ANewNameIsWrittenFromHostFirmware275)
{
    connectProduct (productCalder, version (2, 8));
    EXPECT_EQ (PresetName::getDevicePresetName (device(), 1), "");

    EXPECT_TRUE (PresetName::storeAndSend (device(), 1, "Live"));
    EXPECT_EQ (PresetName::getDevicePresetName (device(), 1), "Live");
    ASSERT_EQ (sent->size(), 1);
    EXPECT_TRUE (lastSentHex().startsWith ("F0 00 4B 1D 0F 22 03 07 04 01"));

    // The same name again changes and sends nothing.
    device().awaitedReply = {};
    EXPECT_FALSE (PresetName::storeAndSend (device(), 1, "Live"));
    EXPECT_EQ (sent->size(), 1);

    // Below 2.75 the name is only stored, and the product's names are not shown.
    device().hostFirmwareVersion = version (2, 7);
    EXPECT_TRUE (PresetName::storeAndSend (device(), 2, "Verse"));
    EXPECT_EQ (PresetName::unpack (device().presetNames[2]), "Verse");
    EXPECT_EQ (PresetName::getDevicePresetName (device(), 2), "");
    EXPECT_EQ (sent->size(), 1);
}
