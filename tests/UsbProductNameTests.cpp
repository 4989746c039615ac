#include "support/DeviceTestSupport.h"
#include "settings/UsbProductName.h"
#include "settings/PresetName.h"

namespace
{
    float version (int major, int minor) { return MidiController::firmwareVersionFromDigits (major, minor); }

    juce::String wordsHex (const juce::uint32* words, int count)
    {
        juce::StringArray texts;
        for (int w = 0; w < count; ++w)
            texts.add (juce::String::toHexString (words[w]).paddedLeft ('0', 8).toUpperCase());
        return texts.joinIntoString (" ");
    }

    juce::String utf8 (const char* text) { return juce::String::fromUTF8 (text); }
}

TEST (NameCharacterRule, WarningsAndTheCharacterThatIsTakenBack)
{
    struct Case { juce::String text; int maxLength; bool plain, valid; const char* warning; juce::String corrected; };

    const juce::String twentyFour ("ABCDEFGHIJKLMNOPQRSTUVWX");
    const Case cases[] = {
        { "",                     24, true,  false, "",                            "" },
        { "Norrim-Pro",           24, true,  true,  "",                            "Norrim-Pro" },
        { "Live 100% ~ok",        16, true,  true,  "",                            "Live 100% ~ok" },
        { "del\x7F",              24, true,  true,  "",                            "del\x7F" },
        { "ab/",                  24, false, false, "Please use only ASCII chars", "ab" },
        { "a/b",                  24, false, false, "Please use only ASCII chars", "a/" },
        { utf8 ("Caf\xc3\xa9"),   24, false, false, "Please use only ASCII chars", "Caf" },
        { "tab\t",                24, false, false, "Please use only ASCII chars", "tab" },
        { twentyFour,             24, true,  true,  "",                            twentyFour },
        { twentyFour + "Y",       24, true,  false, "Please use 24 chars max",     twentyFour },
        { twentyFour + "?",       24, false, false, "Please use 24 chars max",     twentyFour },
        { "ABCDEFGHIJKLMNOPQ",    16, true,  false, "Please use 16 chars max",     "ABCDEFGHIJKLMNOP" },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.text.toStdString());
        EXPECT_EQ (isPlainAsciiName (c.text), c.plain);

        const auto check = checkTypedName (c.text, c.maxLength);
        EXPECT_EQ (check.valid, c.valid);
        EXPECT_EQ (check.warning, c.warning);
        EXPECT_EQ (check.correctedText, c.corrected);
    }

    for (auto* refused : { "\"", "*", "+", "/", ":", "<", ">", "?", "\\", "|" })
    {
        SCOPED_TRACE (refused);
        EXPECT_FALSE (isPlainAsciiName (juce::String ("Name") + refused));
        EXPECT_EQ (UsbProductName::checkTypedText (juce::String ("Name") + refused).warning, "Please use only ASCII chars");
        EXPECT_EQ (PresetName::check (juce::String ("Name") + refused).warning, "Please use only ASCII chars");
    }
}

TEST (UsbProductNamePacking, TwentyFourCharactersInSixWords)
{
    struct Case { juce::String name; const char* words; juce::String unpacked; };
    const Case cases[] = {
        { "Norrim-Pro",                 "4E6F7272 696D2D50 726F0000 00000000 00000000 00000000", "Norrim-Pro" },
        { "ABCDEFGHIJKLMNOPQRSTUVWX",   "41424344 45464748 494A4B4C 4D4E4F50 51525354 55565758", "ABCDEFGHIJKLMNOPQRSTUVWX" },
        { "ABCDEFGHIJKLMNOPQRSTUVWXYZ", "41424344 45464748 494A4B4C 4D4E4F50 51525354 55565758", "ABCDEFGHIJKLMNOPQRSTUVWX" },
        { utf8 ("\xc3\xa9t\xc3\xa9"),   "E974E900 00000000 00000000 00000000 00000000 00000000", utf8 ("\xc3\xa9t\xc3\xa9") },
        { "",                           "00000000 00000000 00000000 00000000 00000000 00000000", "" },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name.toStdString());
        juce::uint32 words[6] = { 1, 2, 3, 4, 5, 6 };
        UsbProductName::pack (c.name, words);
        EXPECT_EQ (wordsHex (words, 6), c.words);
        EXPECT_EQ (UsbProductName::unpack (words), c.unpacked);
    }

    // A stored name ends at its first zero byte.
    juce::uint32 stored[6] = { 0x4D794E00, 0x41414141, 0, 0, 0, 0 };
    EXPECT_EQ (UsbProductName::unpack (stored), "MyN");
}

using UsbProductNames = DeviceFixture;

TEST_F (UsbProductNames, DefaultAndCurrentNames)
{
    struct Case { const char* name; juce::String model; int deviceMode; float host, deviceCore; juce::String stored;
                  const char* defaultName; const char* currentName; };

    const Case cases[] = {
        { "each model",              "Calder Pro", 1, version (4, 5), version (7, 1), "",        "Calder-Pro", "Calder-Pro" },
        { "Dorvin",                  "Dorvin BC",  1, version (4, 5), version (7, 1), "",        "Dorvin-BC",  "Dorvin-BC" },
        { "Norrim",                  "Norrim Pro", 1, version (4, 5), version (7, 1), "",        "Norrim-Pro", "Norrim-Pro" },
        { "a stored name",           "Jorvek Pro", 1, version (4, 5), version (7, 1), "Stage B", "Jorvek-Pro", "Stage B" },
        { "stored below device 6.95", "Jorvek Pro", 1, version (4, 5), version (6, 9), "Stage B", "Jorvek-Pro", "Jorvek-Pro" },
        { "an unknown model",        "Jorvek-Pro", 1, version (4, 5), version (7, 1), "",        "",           "" },
        { "case counts",             "norrim pro", 1, version (4, 5), version (7, 1), "",        "",           "" },
        { "bootloader",              "Calder Pro", 0, version (4, 5), version (7, 1), "",        "",           "" },
        { "host firmware 0.0",       "Calder Pro", 1, version (0, 0), version (7, 1), "Stage B", "",           "" },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        device().productName = c.model;
        device().deviceMode = c.deviceMode;
        device().hostFirmwareVersion = c.host;
        device().deviceFirmwareVersion = c.deviceCore;
        UsbProductName::pack (c.stored, device().usbProductName);

        EXPECT_EQ (getDefaultUsbProductName (device()), c.defaultName);
        EXPECT_EQ (getCurrentUsbProductName (device()), c.currentName);
    }
}

TEST_F (UsbProductNames, ApplyAndResetFollowTheTextAndTheStoredName)
{
    struct Case { const char* name; float deviceCore; juce::String model, stored, text; bool apply, reset; const char* warning; };

    const Case cases[] = {
        { "the default, nothing stored",        version (7, 1), "Jorvek Pro", "",        "Jorvek-Pro", false, false, "" },
        { "a new name",                          version (7, 1), "Jorvek Pro", "",        "Stage B",    true,  true,  "" },
        { "the stored name shown",               version (7, 1), "Jorvek Pro", "Stage B", "Stage B",    false, true,  "" },
        { "the default over a stored name",      version (7, 1), "Jorvek Pro", "Stage B", "Jorvek-Pro", true,  true,  "" },
        { "stored name equals the default",      version (7, 1), "Jorvek Pro", "Jorvek-Pro", "Jorvek-Pro", false, false, "" },
        { "empty editor",                        version (7, 1), "Jorvek Pro", "",        "",           false, true,  "" },
        { "a failing text",                      version (7, 1), "Jorvek Pro", "",        "Stage/B",    false, true,  "Please use only ASCII chars" },
        { "25 characters",                       version (7, 1), "Jorvek Pro", "",        "ABCDEFGHIJKLMNOPQRSTUVWXY", false, true, "Please use 24 chars max" },
        { "no product name",                     version (7, 1), "",           "",        "Stage B",    false, false, "" },
        { "device core below 6.95",              version (6, 9), "Jorvek Pro", "",        "Stage B",    false, false, "" },
    };

    connectProduct (productJorvek, version (4, 5));

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        device().deviceFirmwareVersion = c.deviceCore;
        device().productName = c.model;
        UsbProductName::pack (c.stored, device().usbProductName);

        const auto buttons = UsbProductName::getButtons (device(), c.text);
        EXPECT_EQ (buttons.applyEnabled, c.apply);
        EXPECT_EQ (buttons.resetEnabled, c.reset);
        EXPECT_EQ (buttons.warning, c.warning);
    }
}

TEST_F (UsbProductNames, EditorIsGreyedOutBelowDeviceFirmware695)
{
    connectProduct (productJorvek, version (4, 5), version (6, 9));
    auto state = UsbProductName::getEditorState (device(), editorIdle);
    EXPECT_FALSE (state.enabled);
    EXPECT_FLOAT_EQ (state.alpha, 0.4f);
    EXPECT_TRUE (state.tooltip.endsWith ("Connected device firmware must be upgraded to a higher version to enable this feature"));

    device().deviceFirmwareVersion = version (7, 1);
    state = UsbProductName::getEditorState (device(), editorIdle);
    EXPECT_TRUE (state.enabled);
    EXPECT_FLOAT_EQ (state.alpha, 1.0f);
    EXPECT_TRUE (state.tooltip.startsWith ("Use this editor to change the USB string name"));

    state = UsbProductName::getEditorState (device(), editorBusy);
    EXPECT_FALSE (state.enabled);
    EXPECT_FLOAT_EQ (state.alpha, 0.4f);
}

//==============================================================================
using UsbProductNameWrites = WiredDeviceFixture;

TEST_F (UsbProductNameWrites, TheNameGoesToTheDeviceCore)
{
    connectProduct (productJorvek, version (4, 5), version (7, 1));
    device().productName = "Jorvek Pro";

    ASSERT_TRUE (UsbProductName::store (device(), "Stage B"));
    ASSERT_EQ (sent->size(), 1);
    EXPECT_TRUE (lastSentHex().startsWith ("F0 00 4B 1D 0F 27 03 0D 06 00"));
    EXPECT_EQ (wordsHex (device().usbProductName, 6), "53746167 65204200 00000000 00000000 00000000 00000000");
    EXPECT_EQ (getCurrentUsbProductName (device()), "Stage B");

    // Reset on a model without a default name writes six zero words.
    device().awaitedReply = {};
    device().productName = "Prototype";
    ASSERT_TRUE (UsbProductName::store (device(), getDefaultUsbProductName (device())));
    EXPECT_EQ (lastSentHex(), "F0 00 4B 1D 0F 27 03 0D 06 00 " + juce::String::repeatedString ("00 00 00 00 00 ", 6) + "16 F7");
}

TEST_F (UsbProductNameWrites, ARefusedWriteKeepsOnlyTheWords)
{
    struct Case { const char* name; int product; float deviceCore; int deviceMode, upgradeStep; };
    const Case cases[] = {
        { "device core 6.9",  productJorvek, version (6, 9), 1, 0 },
        { "bootloader",       productJorvek, version (7, 1), 0, 0 },
        { "upgrading",        productJorvek, version (7, 1), 1, 2 },
        { "a device core",    productJorvekDevice, version (7, 1), 1, 0 },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        connectProduct (c.product, version (4, 5), c.deviceCore);
        device().deviceMode = c.deviceMode;
        device().upgradeStep = c.upgradeStep;

        EXPECT_FALSE (UsbProductName::store (device(), "Stage B"));
        EXPECT_EQ (UsbProductName::unpack (device().usbProductName), "Stage B");
        EXPECT_FALSE (device().pendingRequests.isPending (kindUsbProductName, 0));
        EXPECT_TRUE (sent->isEmpty());
    }
}
