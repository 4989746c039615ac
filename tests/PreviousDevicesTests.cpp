#include "support/DeviceTestSupport.h"
#include "routing/PreviousDevices.h"

namespace
{
    juce::PropertiesFile::Options optionsIn (const juce::File& folder)
    {
        juce::PropertiesFile::Options options;
        options.applicationName = "Pellion Tools";
        options.filenameSuffix = ".pvProperties";
        options.folderName = folder.getFullPathName();
        options.storageFormat = juce::PropertiesFile::storeAsXML;
        options.millisecondsBeforeSaving = -1;
        return options;
    }
}

class RememberedDevices : public ::testing::Test
{
protected:
    void SetUp() override
    {
        folder = juce::File::getSpecialLocation (juce::File::tempDirectory).getNonexistentChildFile ("pellion-previous-", "", false);
        folder.createDirectory();
        file = std::make_unique<juce::PropertiesFile> (folder.getChildFile ("Pellion Tools.pvProperties"), optionsIn (folder));
    }

    void TearDown() override
    {
        file = nullptr;
        folder.deleteRecursively();
    }

    juce::File folder;
    std::unique_ptr<juce::PropertiesFile> file;
};

TEST_F (RememberedDevices, KeysValuesAndLookups)
{
    PreviousDevices previous (file.get());
    file->setValue ("00A1B2C344556677::USB-C Host In 1", "My keys");

    // A device reported again replaces what was kept of it.
    EXPECT_TRUE (previous.store ("93458996", "SYNTH", 1, 1));
    EXPECT_TRUE (previous.store ("93458996", "SYNTH 2", 2, 1));
    EXPECT_EQ (file->getValue ("VidPid::93458996"), "Name::SYNTH 2::CnInNb::2::CnOutNb::1");
    EXPECT_EQ (file->getAllProperties().size(), 2) << "no second key for the same device";

    // A VID of 0x8000 or more: the key holds the unsigned value, which reads back bit for bit.
    const juce::int32 highVid = (juce::int32) 0x8A4D0001u;
    const auto highText = PreviousDevices::textOf (highVid);
    EXPECT_EQ (highText, "2320302081");
    EXPECT_TRUE (previous.store (highText, "PADS", 0, 2));
    EXPECT_EQ (PreviousDevices::readVidPid (highText), highVid);
    EXPECT_EQ (PreviousDevices::readVidPid ("4294967295"), -1);
    EXPECT_EQ (PreviousDevices::readVidPid ("not a number"), 0);

    // A key that merely begins with the text is another device.
    EXPECT_TRUE (previous.store ("1234", "LONG KEY", 3, 3));
    juce::String name;
    int ins = -1, outs = -1;
    EXPECT_FALSE (previous.find ("123", name, ins, outs));
    EXPECT_EQ (ins, -1) << "nothing written when not found";
    ASSERT_TRUE (previous.find ("1234", name, ins, outs));
    EXPECT_EQ (name, "LONG KEY");
    ASSERT_TRUE (previous.find (highText, name, ins, outs));
    EXPECT_EQ (name, "PADS");
    EXPECT_EQ (ins, 0);
    EXPECT_EQ (outs, 2);

    EXPECT_EQ (previous.list(), juce::StringArray ("93458996", highText, "1234"));

    // A value without its markers is no remembered device.
    file->setValue ("VidPid::77", "Name::BROKEN::CnInNb::1");
    EXPECT_FALSE (previous.find ("77", name, ins, outs));
    EXPECT_TRUE (previous.list().contains ("77"));

    previous.clear();
    EXPECT_TRUE (previous.list().isEmpty());
    EXPECT_EQ (file->getValue ("00A1B2C344556677::USB-C Host In 1"), "My keys") << "other properties stay";
    EXPECT_EQ (file->getAllProperties().size(), 1);
}

TEST_F (RememberedDevices, NothingWhileTheFileCannotBeRead)
{
    auto unreadable = folder.getChildFile ("broken.pvProperties");
    unreadable.replaceWithText ("<?xml version=\"1.0\"?><PROPERTIES><VALUE name=");
    juce::PropertiesFile broken (unreadable, optionsIn (folder));
    ASSERT_FALSE (broken.isValidFile());

    for (auto* properties : { &broken, (juce::PropertiesFile*) nullptr })
    {
        PreviousDevices previous (properties);
        juce::String name;
        int ins = 0, outs = 0;

        EXPECT_FALSE (previous.store ("42", "KEYS", 1, 1));
        EXPECT_FALSE (previous.find ("42", name, ins, outs));
        EXPECT_TRUE (previous.list().isEmpty());
        previous.clear();
    }

    EXPECT_FALSE (broken.containsKey ("VidPid::42"));
}
