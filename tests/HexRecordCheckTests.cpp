// Damaged firmware files: a record whose checksum does not match, or that holds a
// character which is not a hexadecimal digit, is refused on every road before
// anything reaches the product.

#include "support/SimTestSupport.h"
#include "app/AsyncMessageCallBacks.h"
#include "app/HexFileParser.h"
#include "app/Upgrader.h"
#include "app/WebEndpoints.h"

#include <functional>
#include <vector>

namespace
{
    using Bytes = std::vector<juce::uint8>;

    const juce::String damagedRecord ("Error 7: Line checksum does not match");
    const juce::String damagedRecordShown ("Error while parsing firmware file : Error 7: Line checksum does not match");

    juce::String record (int type, juce::uint32 address, const Bytes& bytes)
    {
        auto line = juce::String::formatted (":%02X%04X%02X", (int) bytes.size(), (int) (address & 0xFFFF), type);
        int sum = (int) bytes.size() + (int) ((address >> 8) & 0xFF) + (int) (address & 0xFF) + type;

        for (auto b : bytes)
        {
            line << juce::String::formatted ("%02X", b);
            sum += b;
        }

        return line + juce::String::formatted ("%02X", (-sum) & 0xFF);
    }

    juce::String dataRecord (juce::uint32 address, const Bytes& bytes)  { return record (0x00, address, bytes); }

    Bytes marker (juce::uint8 id)
    {
        return { 0xC0, 0xDE, 0xFA, 0xCE, id, 0x01, 0x02, 0x03, 0xC0, 0xDE, 0xFA, 0xCE };
    }

    /** The line with the characters from position on replaced by text. */
    juce::String replacedAt (const juce::String& line, int position, const juce::String& text)
    {
        return line.substring (0, position) + text + line.substring (position + text.length());
    }

    /** Position of data byte n of a record line. */
    int dataByte (int n)  { return 9 + 2 * n; }

    juce::String withChecksumPlusOne (const juce::String& line)
    {
        const auto checksum = line.getLastCharacters (2).getHexValue32();
        return line.dropLastCharacters (2) + juce::String::toHexString ((checksum + 1) & 0xFF).paddedLeft ('0', 2).toUpperCase();
    }

    juce::String joinLines (const juce::StringArray& lines, const char* lineBreak)
    {
        return lines.joinIntoString (lineBreak) + lineBreak;
    }

    /** A small image for the Dorvin's host core (id 31, flash from 0x3000): base, marker, data, end. */
    juce::StringArray dorvinImage()
    {
        return { record (0x04, 0, { 0, 0 }),
                 dataRecord (0x3000, marker (31)),
                 dataRecord (0x3010, { 0x11, 0x22, 0x03, 0x44, 0x55, 0x66, 0x77, 0x88 }),
                 ":00000001FF" };
    }

    constexpr juce::uint32 dorvinImageSize = 0x18;
    constexpr int dataLine = 2;
}

//==============================================================================
// One damage to one line of the valid image.
struct DamageCase
{
    const char* name;
    int line;
    std::function<juce::String (const juce::String&)> damage;
};

void PrintTo (const DamageCase& c, std::ostream* os)  { *os << c.name; }

class HexRecordCheck : public DeviceFixture,
                       public ::testing::WithParamInterface<DamageCase>
{
protected:
    void SetUp() override
    {
        DeviceFixture::SetUp();
        connectProduct (productDorvin, 4.0f);
    }

    void TearDown() override
    {
        for (auto& file : files)
            file.deleteFile();

        DeviceFixture::TearDown();
    }

    static juce::String damagedText (const char* lineBreak)
    {
        auto lines = dorvinImage();
        const auto& c = GetParam();
        lines.set (c.line, c.damage (lines[c.line]));
        return joinLines (lines, lineBreak);
    }

    /** Writes the text to a file in this test process's own home and returns its "file:" URL. */
    juce::String writeFile (const juce::String& text)
    {
        auto file = juce::File::getSpecialLocation (juce::File::userHomeDirectory).getNonexistentChildFile ("image", ".hex");
        file.replaceWithText (text, false, false, nullptr);
        files.add (file);
        return juce::URL (file).toString (false);
    }

    juce::String parseText (const juce::String& text)
    {
        HexFileParser parser;
        return parser.parseText (text);
    }

    juce::String loadFile (const juce::String& text)
    {
        HexFileParser parser;
        return parser.loadFile (writeFile (text));
    }

    juce::uint8 scan (const juce::String& text)
    {
        HexFileParser parser;
        juce::MemoryInputStream input (text.toRawUTF8(), text.getNumBytesAsUTF8(), false);
        return parser.scanProductId (input);
    }

    /** Loads the valid image, so that a refused load shows whether it left that image behind. */
    void loadValidImage()
    {
        ASSERT_EQ (parseText (joinLines (dorvinImage(), "\n")), juce::String());
        ASSERT_EQ (device().firmwareImageSize, dorvinImageSize);
    }

    juce::Array<juce::File> files;
};

TEST_F (HexRecordCheck, ValidImageLoadsOnEveryRoadWithEveryLineBreak)
{
    for (auto* lineBreak : { "\n", "\r\n", "\r" })
    {
        SCOPED_TRACE (juce::String (lineBreak).replace ("\r", "CR").replace ("\n", "LF").toStdString());
        const auto text = joinLines (dorvinImage(), lineBreak);

        EXPECT_EQ (scan (text), 31);

        device().firmwareImageSize = 0;
        EXPECT_EQ (parseText (text), juce::String());
        EXPECT_EQ (device().firmwareImageSize, dorvinImageSize);

        device().firmwareImageSize = 0;
        EXPECT_EQ (loadFile (text), juce::String());
        EXPECT_EQ (device().firmwareImageSize, dorvinImageSize);
        EXPECT_EQ (device().firmwareImage[0x12], 0x03);
    }
}

TEST_P (HexRecordCheck, RefusedByTextParseFileLoadAndPreScan)
{
    for (auto* lineBreak : { "\n", "\r\n" })
    {
        SCOPED_TRACE (lineBreak[0] == '\r' ? "CR LF" : "LF");
        const auto text = damagedText (lineBreak);

        loadValidImage();
        EXPECT_EQ (parseText (text), damagedRecord);
        EXPECT_EQ (device().firmwareImageSize, 0u);

        loadValidImage();
        EXPECT_EQ (loadFile (text), damagedRecord);
        EXPECT_EQ (device().firmwareImageSize, 0u);
        EXPECT_EQ (device().productCode, (int) productDorvin);

        EXPECT_EQ (scan (text), 255);
    }
}

TEST_P (HexRecordCheck, FirmwareTabShowsTheErrorAndLeavesStartDisabled)
{
    Upgrader tab (nullptr);
    const auto text = damagedText ("\n");

    // Chosen as a file: status line and information alert.
    tab.loadFirmwareFile (writeFile (joinLines (dorvinImage(), "\n")));
    ASSERT_TRUE (tab.startUpgradeButton->isEnabled());

    tab.loadFirmwareFile (writeFile (text));
    pump (20);

    EXPECT_FALSE (tab.startUpgradeButton->isEnabled());
    EXPECT_EQ (device().firmwareImageSize, 0u);
    EXPECT_EQ (ui.lastStatus(), damagedRecordShown);
    ASSERT_EQ (ui.alerts.size(), 1u);
    EXPECT_EQ (ui.alerts[0].text, damagedRecordShown);

    // Downloaded from the catalogue: the status line.
    ui.statusTexts.clear();
    loadValidImage();
    tab.loadFirmwareText (text);
    pump (20);

    EXPECT_FALSE (tab.startUpgradeButton->isEnabled());
    EXPECT_EQ (device().firmwareImageSize, 0u);
    EXPECT_EQ (ui.statusTexts, juce::StringArray (damagedRecordShown));
}

INSTANTIATE_TEST_SUITE_P (HexRecordCheck, HexRecordCheck, ::testing::Values (
    // A flipped digit (0x22 read as 0x2A) under the checksum that was right before.
    DamageCase { "flippedDataDigit", dataLine, [] (const juce::String& l) { return replacedAt (l, dataByte (1) + 1, "A"); } },
    DamageCase { "checksumChanged", dataLine, withChecksumPlusOne },
    // The checksum agrees with what the digits would say once the stray character is skipped (03).
    DamageCase { "letterInData", dataLine, [] (const juce::String& l) { return replacedAt (l, dataByte (2), "G"); } },
    DamageCase { "spaceInData", dataLine, [] (const juce::String& l) { return replacedAt (l, dataByte (2), " "); } },
    DamageCase { "flippedAddressDigit", 1, [] (const juce::String& l) { return replacedAt (l, 4, "1"); } },
    DamageCase { "flippedBaseDigit", 0, [] (const juce::String& l) { return replacedAt (l, 12, "1"); } },
    DamageCase { "letterInCount", dataLine, [] (const juce::String& l) { return replacedAt (l, 1, "G"); } },
    DamageCase { "letterInChecksum", dataLine, [] (const juce::String& l) { return l.dropLastCharacters (1) + "Z"; } },
    DamageCase { "trailingSpace", dataLine, [] (const juce::String& l) { return l + " "; } },
    DamageCase { "tabAfterStartCode", 1, [] (const juce::String& l) { return ":\t" + l.substring (1); } },
    DamageCase { "endRecordChecksum", 3, [] (const juce::String&) { return juce::String (":00000001FE"); } },
    DamageCase { "endRecordWithoutChecksum", 3, [] (const juce::String&) { return juce::String (":00000001"); } },
    DamageCase { "ignoredTypeChecksum", 3, [] (const juce::String& l) { return withChecksumPlusOne (record (0x05, 0, { 0, 0, 0x30, 0 })) + "\n" + l; } },
    DamageCase { "invalidUtf8InRecord", 3, [] (const juce::String&)
    {
        const char bytes[] = ":0000000\xF0";
        return juce::String (juce::CharPointer_UTF8 (bytes), juce::CharPointer_UTF8 (bytes + sizeof (bytes) - 1));
    } }),
    [] (const auto& info) { return std::string (info.param.name); });

//==============================================================================
// Against the simulated product: a damaged image, loaded over a valid one the way
// the user loads it, and then started, sends nothing to program and leaves the flash
// as it was. The main component deletes the device object for good, so each case
// runs in a process of its own (ctest does so).
struct DamagedUpgradeCase
{
    const char* name;
    bool startInBootloader;
    bool downloaded;   ///< else chosen as a file
};

void PrintTo (const DamagedUpgradeCase& c, std::ostream* os)  { *os << c.name; }

class DamagedFirmwareUpgrade : public SimulatedAppFixture,
                               public ::testing::WithParamInterface<DamagedUpgradeCase>
{
protected:
    void SetUp() override
    {
        SimulatedAppFixture::SetUp();

        // The firmware catalogue check after each identification fails at once.
        main->propertiesFile->setValue (WebEndpoints::catalogueServerKey, "http://127.0.0.1:9");
    }

    void TearDown() override
    {
        hexFile.deleteFile();
        SimulatedAppFixture::TearDown();
    }

    /** The Jorvek's host core image (id 38, flash from 0x3000) as lines of 32 bytes. */
    static juce::StringArray jorvekImage()
    {
        auto bytes = marker (38);

        for (int i = (int) bytes.size(); i < 256; ++i)
            bytes.push_back ((juce::uint8) (i * 37 + 11));

        juce::StringArray lines { record (0x04, 0, { 0, 0 }) };

        for (size_t offset = 0; offset < bytes.size(); offset += 32)
            lines.add (dataRecord (0x3000 + (juce::uint32) offset, Bytes (bytes.begin() + (long) offset, bytes.begin() + (long) offset + 32)));

        lines.add (":00000001FF");
        return lines;
    }

    juce::String writeFirmwareFile (const juce::String& text)
    {
        hexFile.replaceWithText (text, false, false, nullptr);
        return juce::URL (hexFile).toString (false);
    }

    /** The firmware programming requests and restart commands the tool sent, to any port. */
    size_t programmingSent() const
    {
        size_t count = 0;

        for (auto& s : ports->getSent())
        {
            const auto* d = s.message.getRawData();

            if (s.message.isSysEx() && s.message.getRawDataSize() >= 10
                 && ((d[6] & 0x0F) == SYSX_TYPE_ICSP || ((d[6] & 0x0F) == SYSX_TYPE_COMMAND && d[7] == SYSX_CMD_RESTART_BOOTLOADER)))
                ++count;
        }

        return count;
    }

    Upgrader& firmwareTab()  { return *main->getUpgrader(); }

    juce::File hexFile { juce::File::getSpecialLocation (juce::File::userHomeDirectory).getChildFile ("firmware.hex") };
};

TEST_P (DamagedFirmwareUpgrade, SendsNothingAndLeavesTheFlashAsItWas)
{
    const auto& c = GetParam();

    SimulatedProduct::Config config;
    config.productCode = productJorvek;
    config.hostFirmware = { 4, 6 };
    config.startInBootloader = c.startInBootloader;
    auto product = addProduct (config);

    if (c.startInBootloader)
        ASSERT_TRUE (pumpUntil ([this] { return device().deviceMode == 0 && device().waitingForReply == 0
                                              && main->statusWasShown ("Bootloader connected"); }, 5000));
    else
        ASSERT_TRUE (pumpUntilReadEnds (8000));

    const auto flashBefore = product->getProduct().readFlash (0, SimulatedProduct::flashSize);

    // One flipped data digit under the old checksum, in the middle of the image.
    auto lines = jorvekImage();
    const auto valid = joinLines (lines, "\r\n");
    lines.set (4, replacedAt (lines[4], dataByte (5), lines[4][dataByte (5)] == '7' ? "8" : "7"));
    const auto damaged = joinLines (lines, "\r\n");

    // The manual update mode, a valid image first, then the damaged one over it.
    firmwareTab().manualUpdateToggle->triggerClick();
    pump (20);
    firmwareTab().loadFirmwareFile (writeFirmwareFile (valid));
    ASSERT_TRUE (firmwareTab().startUpgradeButton->isEnabled());

    if (c.downloaded)
        AsyncMessageCallBacks::post (*main, firmwareFile, damaged, {}, {});
    else
        firmwareTab().loadFirmwareFile (writeFirmwareFile (damaged));

    ASSERT_TRUE (pumpUntil ([this] { return main->statusWasShown (damagedRecordShown); }, 2000));
    EXPECT_EQ (main->deviceAlerts.contains (damagedRecordShown), ! c.downloaded) << "a file's error also shows in an alert";
    EXPECT_EQ (device().firmwareImageSize, 0u);
    EXPECT_FALSE (firmwareTab().startUpgradeButton->isEnabled());

    // The user clicks "Start upgrade"; a start that got past the disabled button is refused too.
    firmwareTab().startUpgradeButton->triggerClick();
    pump (300);
    firmwareTab().buttonClicked (firmwareTab().startUpgradeButton.get());
    pump (1500);

    EXPECT_TRUE (main->statusWasShown ("Error: Please select a firmware"));
    EXPECT_EQ (programmingSent(), 0u) << "nothing erased, nothing programmed, no restart";
    EXPECT_EQ (device().upgradeInProgress, 0);
    EXPECT_EQ (product->getProduct().isBootloaderRunning(), c.startInBootloader);

    const auto flashAfter = product->getProduct().readFlash (0, SimulatedProduct::flashSize);
    EXPECT_TRUE (flashAfter == flashBefore) << "the simulated flash is unchanged";
}

INSTANTIATE_TEST_SUITE_P (HexRecordCheck, DamagedFirmwareUpgrade, ::testing::Values (
    DamagedUpgradeCase { "fileToBootloader",        true,  false },
    DamagedUpgradeCase { "fileToRunningProduct",    false, false },
    DamagedUpgradeCase { "downloadToBootloader",    true,  true },
    DamagedUpgradeCase { "downloadToRunningProduct", false, true }),
    [] (const auto& info) { return std::string (info.param.name); });
