#include <gtest/gtest.h>

#include "app/HexFileParser.h"
#include "app/Upgrader.h"
#include "device/MidiController.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace
{
    using Bytes = std::vector<juce::uint8>;

    const juce::String ok;
    const juce::String error1  = "Error 1: Empty line";
    const juce::String error2  = "Error 2: Fw Hex line does not start with ':'";
    const juce::String error3  = "Error 3: Line with Base address should be lenght = 2";
    const juce::String error4  = "Error 4: Lenght of line does not match with data lenght";
    const juce::String error5  = "Error 5: Lenght of line is not multiple of word";
    const juce::String error6  = "Error 6: Base address is out of range";
    const juce::String error7  = "Error 7: Line checksum does not match";
    const juce::String error8  = "Error 8: Product ID Not found in firmware file";
    const juce::String error9  = "Error 9: Product ID in firmware does not match connected product ID";
    const juce::String error10 = "Error 10: Missing last line code 0x01";
    const juce::String cannotOpen = "Error: Cannot create file input stream";
    const juce::String deviceCoreRefusal = "The Device core of your Pv is in bootloader mode, please upgrade it first with the firmware file for Device core";
    const juce::String hostCoreRefusal   = "The Host core of your Pv is in bootloader mode, please upgrade it first with the firmware file for Host core";

    /** One record with a correct checksum. */
    juce::String record (int type, juce::uint32 address, const Bytes& data)
    {
        auto line = juce::String::formatted (":%02X%04X%02X", (int) data.size(), (int) (address & 0xFFFF), type);
        int sum = (int) data.size() + (int) ((address >> 8) & 0xFF) + (int) (address & 0xFF) + type;

        for (auto b : data)
        {
            line << juce::String::formatted ("%02X", b);
            sum += b;
        }

        return line + juce::String::formatted ("%02X", (-sum) & 0xFF);
    }

    juce::String data (juce::uint32 address, const Bytes& bytes)  { return record (0x00, address, bytes); }
    juce::String base (int upper)                                 { return record (0x04, 0, { (juce::uint8) (upper >> 8), (juce::uint8) upper }); }
    juce::String endRecord()                                      { return ":00000001FF"; }

    Bytes marker (juce::uint8 id)
    {
        return { 0xC0, 0xDE, 0xFA, 0xCE, id, 0x01, 0x02, 0x03, 0xC0, 0xDE, 0xFA, 0xCE };
    }

    juce::String join (const std::vector<juce::String>& lines, const char* lineBreak = "\n", bool finalBreak = true)
    {
        juce::String text;

        for (size_t i = 0; i < lines.size(); ++i)
            text << lines[i] << (i + 1 < lines.size() || finalBreak ? lineBreak : "");

        return text;
    }

    /** Text made of arbitrary bytes, which need not be valid UTF-8. */
    juce::String rawText (const char* bytes)
    {
        return juce::String (juce::CharPointer_UTF8 (bytes), juce::CharPointer_UTF8 (bytes + std::strlen (bytes)));
    }

    size_t countBytes (const MidiController& device, juce::uint8 value)
    {
        return (size_t) std::count (std::begin (device.firmwareImage), std::end (device.firmwareImage), value);
    }
}

//==============================================================================
class HexFileParserTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_NE (device, nullptr);
        device->resetDeviceState();
        connect (productDorvin, 1);
        installHooks (parser);
    }

    void TearDown() override
    {
        for (auto& file : files)
            file.deleteFile();

        device->resetDeviceState();
        device->setProductCode (productNone);
        device->firmwareImageSize = 0;
    }

    void connect (int code, int mode)
    {
        device->setProductCode (code);
        device->deviceMode = mode;
    }

    void installHooks (HexFileParser& p)
    {
        p.postStatus = [this] (const juce::String& text) { statuses.add (text); };
        p.showMismatchBox = [this] (std::function<void (int)> onResult) { pendingBox = std::move (onResult); };
        p.enableStartUpgrade = [this] (juce::Component& tab) { enabledTabs.push_back (&tab); };
    }

    /** Writes the text to a file in this test process's own home and returns its "file:" URL. */
    juce::String writeFile (const juce::String& text)
    {
        auto file = juce::File::getSpecialLocation (juce::File::userHomeDirectory).getNonexistentChildFile ("image", ".hex");
        file.replaceWithText (text, false, false, nullptr);
        files.add (file);
        return juce::URL (file).toString (false);
    }

    juce::String load (const juce::String& text)  { return parser.loadFile (writeFile (text)); }

    MidiController* device = MidiController::getInstance();
    HexFileParser parser;
    juce::StringArray statuses;
    std::function<void (int)> pendingBox;
    std::vector<juce::Component*> enabledTabs;
    juce::Array<juce::File> files;
};

//==============================================================================
// Downloaded text, with the Dorvin host core (id 31, flash 0x3000 to 0x40000) connected.
struct TextCase
{
    const char* name;
    std::vector<juce::String> lines;
    bool finalBreak;
    juce::String expected;
    juce::uint32 expectedSize;
};

class HexFileParserText : public HexFileParserTest,
                          public ::testing::WithParamInterface<TextCase> {};

TEST_P (HexFileParserText, ResultAndImageSize)
{
    const auto& c = GetParam();
    device->firmwareImageSize = 0x999;

    EXPECT_EQ (parser.parseText (join (c.lines, "\n", c.finalBreak)), c.expected);
    EXPECT_EQ (device->firmwareImageSize, c.expectedSize);
    EXPECT_FALSE (pendingBox) << "downloaded text never opens the mismatch box";
    EXPECT_TRUE (statuses.isEmpty());
}

static juce::String withExtraDataChar (const juce::String& line)
{
    return line.dropLastCharacters (2) + "7" + line.getLastCharacters (2);
}

INSTANTIATE_TEST_SUITE_P (HexFileParser, HexFileParserText, ::testing::Values (
    TextCase { "loads", { base (0), data (0x3000, marker (31)), data (0x3010, { 1, 2, 3, 4 }), endRecord() }, true, ok, 0x14 },
    TextCase { "loadsWithoutFinalBreak", { base (0), data (0x3000, marker (31)), endRecord() }, false, ok, 12 },
    TextCase { "sizeFollowsLastRecordInTextOrder", { data (0x3100, { 1, 2, 3, 4 }), data (0x3000, marker (31)), endRecord() }, true, ok, 12 },
    TextCase { "emptyRecordFixesSize", { data (0x3000, marker (31)), data (0x3040, {}), endRecord() }, true, ok, 0x40 },
    TextCase { "recordRunsPastFlashEnd", { data (0x3000, marker (31)), base (3), data (0xFFFC, Bytes (8, 0x55)), endRecord() }, true, ok, 0x3D004 },
    TextCase { "types020305Ignored", { data (0x3000, marker (31)), record (0x02, 0, { 0x10, 0x00 }), record (0x03, 0, { 0, 0, 0x30, 0 }),
                                       record (0x05, 0, { 0, 0, 0x30, 0 }), data (0x3010, { 1, 2, 3, 4 }), endRecord() }, true, ok, 0x14 },
    TextCase { "noBaseRecordMeansBaseZero", { data (0x3000, marker (31)), endRecord() }, true, ok, 12 },
    TextCase { "checksumMismatch", { data (0x3000, marker (31)).dropLastCharacters (2) + "00", endRecord() }, true, error7, 0 },
    TextCase { "oddExtraDataCharIgnored", { withExtraDataChar (data (0x3000, marker (31))), endRecord() }, true, ok, 12 },
    TextCase { "lowerCaseDigits", { data (0x3000, marker (31)).toLowerCase(), endRecord() }, true, ok, 12 },
    TextCase { "nothingReadAfterEndRecord", { data (0x3000, marker (31)), endRecord(), "garbage" }, true, ok, 12 },
    TextCase { "strayCharacterInCount", { ":1G30000000FF", endRecord() }, true, error7, 0 },
    TextCase { "emptyLine", { data (0x3000, marker (31)), "", endRecord() }, true, error1, 0 },
    TextCase { "noStartCode", { data (0x3000, marker (31)).substring (1), endRecord() }, true, error2, 0 },
    TextCase { "baseRecordNotTwoBytes", { record (0x04, 0, { 0, 0, 0, 0 }), endRecord() }, true, error3, 0 },
    TextCase { "countAboveData", { ":08300000010203040F", endRecord() }, true, error4, 0 },
    TextCase { "countNotWords", { data (0x3000, { 1, 2 }), endRecord() }, true, error5, 0 },
    TextCase { "belowFlashStart", { data (0x2FFC, { 1, 2, 3, 4 }), endRecord() }, true, error6, 0 },
    TextCase { "atFlashEnd", { base (4), data (0, { 1, 2, 3, 4 }), endRecord() }, true, error6, 0 },
    TextCase { "noMarker", { data (0x3000, { 1, 2, 3, 4 }), endRecord() }, true, error8, 0 },
    TextCase { "markerId255", { data (0x3000, marker (255)), endRecord() }, true, error8, 0 },
    TextCase { "otherProductId", { data (0x3000, marker (34)), endRecord() }, true, error9, 0 },
    TextCase { "noEndRecord", { data (0x3000, marker (31)) }, false, error10, 0 },
    TextCase { "noEndRecordWithFinalBreak", { data (0x3000, marker (31)) }, true, error1, 0 }),
    [] (const auto& info) { return std::string (info.param.name); });

TEST_F (HexFileParserTest, PlacesBytesAtFlashAddressMinusFlashStart)
{
    ASSERT_EQ (parser.parseText (join ({ data (0x3000, marker (31)), data (0x3010, { 1, 2, 3, 4 }), endRecord() })), ok);

    const auto& image = device->firmwareImage;
    EXPECT_TRUE (std::equal (image, image + 12, marker (31).begin()));
    EXPECT_EQ (image[12], 0xFF);
    EXPECT_EQ (image[0x10], 1);
    EXPECT_EQ (image[0x13], 4);
    EXPECT_EQ (image[0x14], 0xFF);
    EXPECT_EQ (countBytes (*device, 0xFF), (size_t) MidiController::firmwareImageCapacity - 16);
}

//==============================================================================
// The pre-scan of a file stops at the first malformed line, so loadFile reports
// a missing product id where the downloaded text gets the specific error.
struct MalformedCase
{
    const char* name;
    std::vector<juce::String> lines;
    bool finalBreak;
    juce::String textError;
};

class HexFileParserMalformed : public HexFileParserTest,
                               public ::testing::WithParamInterface<MalformedCase> {};

TEST_P (HexFileParserMalformed, FileGivesError8TextGivesSpecificError)
{
    const auto& c = GetParam();
    const auto text = join (c.lines, "\n", c.finalBreak);

    EXPECT_EQ (parser.parseText (text), c.textError);
    EXPECT_EQ (device->firmwareImageSize, 0u);

    device->firmwareImageSize = 0x999;
    EXPECT_EQ (load (text), error8);
    EXPECT_EQ (device->firmwareImageSize, 0u);
    EXPECT_EQ (device->productCode, (int) productDorvin);
}

INSTANTIATE_TEST_SUITE_P (HexFileParser, HexFileParserMalformed, ::testing::Values (
    MalformedCase { "emptyLine", { data (0x3000, marker (31)), "", endRecord() }, true, error1 },
    MalformedCase { "noStartCode", { data (0x3000, marker (31)), "00000001FF", endRecord() }, true, error2 },
    MalformedCase { "baseRecordNotTwoBytes", { data (0x3000, marker (31)), record (0x04, 0, { 0, 0, 0, 0 }), endRecord() }, true, error3 },
    MalformedCase { "countAboveData", { data (0x3000, marker (31)), ":08301000010203040F", endRecord() }, true, error4 },
    MalformedCase { "countNotWords", { data (0x3000, marker (31)), data (0x3010, { 1, 2 }), endRecord() }, true, error5 },
    MalformedCase { "noEndRecord", { data (0x3000, marker (31)) }, false, error10 },
    MalformedCase { "invalidUtf8", { data (0x3000, marker (31)), rawText ("\xFA\xCE:0"), endRecord() }, true, error2 },
    MalformedCase { "empty", {}, false, error10 }),
    [] (const auto& info) { return std::string (info.param.name); });

//==============================================================================
struct LineBreakCase
{
    const char* name;
    const char* lineBreak;
    bool finalBreak;
};

class HexFileParserLineBreaks : public HexFileParserTest,
                                public ::testing::WithParamInterface<LineBreakCase> {};

TEST_P (HexFileParserLineBreaks, FileLoadsWithoutBaseRecord)
{
    const auto& c = GetParam();
    const auto text = join ({ data (0x3000, marker (31)), data (0x3010, { 1, 2, 3, 4 }), endRecord() }, c.lineBreak, c.finalBreak);

    EXPECT_EQ (load (text), ok);
    EXPECT_EQ (device->firmwareImageSize, 0x14u);
    EXPECT_EQ (device->firmwareImage[4], 31);
    EXPECT_EQ (device->firmwareImage[0x13], 4);
    EXPECT_FALSE (pendingBox);
    EXPECT_TRUE (statuses.isEmpty());
}

INSTANTIATE_TEST_SUITE_P (HexFileParser, HexFileParserLineBreaks, ::testing::Values (
    LineBreakCase { "lf", "\n", true },
    LineBreakCase { "crlf", "\r\n", true },
    LineBreakCase { "cr", "\r", true },
    LineBreakCase { "noFinalBreak", "\n", false }),
    [] (const auto& info) { return std::string (info.param.name); });

TEST_F (HexFileParserTest, UnreadableFileKeepsPreviousImage)
{
    device->firmwareImageSize = 0x40;
    const auto missing = juce::File::getSpecialLocation (juce::File::tempDirectory).getNonexistentChildFile ("missing", ".hex");

    EXPECT_EQ (parser.loadFile (juce::URL (missing).toString (false)), cannotOpen);
    EXPECT_EQ (device->firmwareImageSize, 0x40u);
}

//==============================================================================
TEST_F (HexFileParserTest, ProductsWithoutProgrammableRangeRefuseEveryRecord)
{
    for (int code : { 3, 5, 9, 11, 255 })
    {
        SCOPED_TRACE (code);
        connect (code, 1);
        const auto text = join ({ data (0x3000, marker ((juce::uint8) device->getProductIdByte())), endRecord() });

        EXPECT_EQ (parser.parseText (text), error6);
        EXPECT_EQ (load (text), error6);
        EXPECT_EQ (device->firmwareImageSize, 0u);
    }
}

//==============================================================================
// Extended addresses beyond the image, in both passes. The Norrim host core
// has the largest range (0x3000 to 0x80000), which ends with the image.
TEST_F (HexFileParserTest, HighExtendedAddressesNeverWriteOutsideImage)
{
    connect (productNorrim, 1);
    const auto text = join ({ data (0x3000, marker (42)),
                              base (0x0008), data (0x0000, Bytes (16, 0xAA)),
                              base (0x0010), data (0xFFF0, Bytes (16, 0xAA)),
                              endRecord() });

    const auto guardRing = device->replyRingWriteIndex;
    const auto guardStep = device->upgradeStep;

    juce::MemoryInputStream input (text.toRawUTF8(), text.getNumBytesAsUTF8(), false);
    EXPECT_EQ (parser.scanProductId (input), 42);
    EXPECT_EQ (countBytes (*device, 0xAA), 0u);
    EXPECT_EQ (device->firmwareImage[0x3004], 42) << "the pre-scan stores at absolute addresses";

    EXPECT_EQ (parser.parseText (text), error6);
    EXPECT_EQ (load (text), error6);

    EXPECT_EQ (countBytes (*device, 0xAA), 0u);
    EXPECT_EQ (device->firmwareImageSize, 0u);
    EXPECT_EQ (device->replyRingWriteIndex, guardRing);
    EXPECT_EQ (device->upgradeStep, guardStep);
    EXPECT_EQ (device->productCode, (int) productNorrim);
    EXPECT_EQ (device->flashEnd, 0x80000u);
}

TEST_F (HexFileParserTest, PreScanSkipsBytesPastImageEnd)
{
    connect (productNorrim, 1);
    const auto text = join ({ data (0x3000, marker (42)), base (0x0007), data (0xFFF8, Bytes (16, 0xAA)), endRecord() });

    juce::MemoryInputStream input (text.toRawUTF8(), text.getNumBytesAsUTF8(), false);
    EXPECT_EQ (parser.scanProductId (input), 42);
    EXPECT_EQ (countBytes (*device, 0xAA), 8u);

    // In the image proper the record starts below the flash end and fits.
    EXPECT_EQ (load (text), ok);
    EXPECT_EQ (device->firmwareImageSize, 0x7D008u);
    EXPECT_EQ (countBytes (*device, 0xAA), 16u);
}

TEST_F (HexFileParserTest, MarkerCrossingImageEndIsNotFound)
{
    connect (productNorrim, 1);
    const auto text = join ({ base (0x0007), data (0xFFF8, marker (42)), endRecord() });

    juce::MemoryInputStream input (text.toRawUTF8(), text.getNumBytesAsUTF8(), false);
    EXPECT_EQ (parser.scanProductId (input), 255);
}

//==============================================================================
// The switch between the host core and the device core of one product (the
// Jorvek: host id 38, device id 39).
struct SwitchCase
{
    const char* name;
    int connectedCode;
    int deviceMode;
    bool hostImage;
    juce::String expected;
    juce::String expectedStatus;
    int expectedCode;
    juce::uint32 expectedFlashStart, expectedFlashEnd;
};

class HexFileParserSwitch : public HexFileParserTest,
                            public ::testing::WithParamInterface<SwitchCase> {};

TEST_P (HexFileParserSwitch, SwitchesOrRefuses)
{
    const auto& c = GetParam();
    connect (c.connectedCode, c.deviceMode);
    device->firmwareImageSize = 0x999;

    const auto text = c.hostImage ? join ({ data (0x3000, marker (38)), endRecord() })
                                  : join ({ data (0x2800, marker (39)), endRecord() });

    EXPECT_EQ (load (text), c.expected);
    EXPECT_EQ (statuses.joinIntoString ("|"), c.expectedStatus);
    EXPECT_EQ (device->productCode, c.expectedCode);
    EXPECT_EQ (device->flashStart, c.expectedFlashStart);
    EXPECT_EQ (device->flashEnd, c.expectedFlashEnd);
    EXPECT_EQ (device->firmwareImageSize, c.expected.isEmpty() ? 12u : 0u);
    EXPECT_FALSE (pendingBox);

    if (c.expected.isEmpty())
        EXPECT_EQ (device->firmwareImage[4], c.hostImage ? 38 : 39);
}

INSTANTIATE_TEST_SUITE_P (HexFileParser, HexFileParserSwitch, ::testing::Values (
    SwitchCase { "toHostCore", productJorvekDevice, 1, true, ok, "Switched product to Pv host", productJorvek, 0x3000, 0x78000 },
    SwitchCase { "deviceCoreInBootloader", productJorvekDevice, 0, true, deviceCoreRefusal, "", productJorvekDevice, 0x2800, 0x20000 },
    SwitchCase { "toDeviceCore", productJorvek, 1, false, ok, "Switched product to Sv device", productJorvekDevice, 0x2800, 0x20000 },
    SwitchCase { "hostCoreInBootloader", productJorvek, 0, false, hostCoreRefusal, "", productJorvek, 0x3000, 0x78000 }),
    [] (const auto& info) { return std::string (info.param.name); });

//==============================================================================
// An image for another product (the Calder, id 34) while the Dorvin is connected.
struct MismatchCase
{
    const char* name;
    int answer;
    bool ownerIsFirmwareTab;
    bool expectLoaded;
};

class HexFileParserMismatch : public HexFileParserTest,
                              public ::testing::WithParamInterface<MismatchCase> {};

TEST_P (HexFileParserMismatch, BoxDecidesAfterReaderIsGone)
{
    const auto& c = GetParam();
    Upgrader firmwareTab (nullptr);
    juce::Component otherOwner;
    const auto url = writeFile (join ({ data (0x3000, marker (34)), endRecord() }));

    {
        HexFileParser reader;
        installHooks (reader);
        reader.owner = c.ownerIsFirmwareTab ? static_cast<juce::Component*> (&firmwareTab) : &otherOwner;

        EXPECT_EQ (reader.loadFile (url), error9);
    }

    ASSERT_TRUE (pendingBox);
    EXPECT_EQ (device->firmwareImageSize, 12u) << "the image stays loaded while the box is open";
    EXPECT_TRUE (statuses.isEmpty());

    pendingBox (c.answer);

    EXPECT_EQ (device->firmwareImageSize, c.expectLoaded ? 12u : 0u);
    EXPECT_EQ (statuses.joinIntoString ("|"), c.answer == 1 ? "Firmware file loaded with warning" : "");
    EXPECT_EQ (enabledTabs, (c.answer == 1 && c.ownerIsFirmwareTab ? std::vector<juce::Component*> { &firmwareTab }
                                                                 : std::vector<juce::Component*> {}));
}

INSTANTIATE_TEST_SUITE_P (HexFileParser, HexFileParserMismatch, ::testing::Values (
    MismatchCase { "upgradeAnyway", 1, true, true },
    MismatchCase { "cancel", 0, true, false },
    MismatchCase { "upgradeAnywayWithoutFirmwareTab", 1, false, true }),
    [] (const auto& info) { return std::string (info.param.name); });

TEST (HexFileParserBox, MismatchBoxOptions)
{
    const auto options = HexFileParser::makeMismatchBoxOptions();

    EXPECT_EQ (options.getIconType(), juce::MessageBoxIconType::WarningIcon);
    EXPECT_EQ (options.getTitle(), "Warning");
    EXPECT_EQ (options.getMessage(), "Product ID in firmware does not match connected product ID, upgrading may result "
                                     "in a bricked product, would you like to upgrade anyway?");
    ASSERT_EQ (options.getNumButtons(), 2);
    EXPECT_EQ (options.getButtonText (0), "Yes: Upgrade anyway");
    EXPECT_EQ (options.getButtonText (1), "Cancel");
}

