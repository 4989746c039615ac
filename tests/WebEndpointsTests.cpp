#include <gtest/gtest.h>

#include "app/AppUpdateOffer.h"
#include "app/DeviceReport.h"
#include "app/FirmwareUpdateOffer.h"
#include "app/InstallerDownload.h"
#include "app/WebAnswerParsers.h"
#include "app/WebEndpoints.h"
#include "device/MidiController.h"

//==============================================================================
TEST (WebEndpoints, AddressesJoinOriginAndFixedPath)
{
    EXPECT_EQ (WebEndpoints::getAddress (WebEndpoints::versionList),
               "https://updates.pellion.invalid/api/apps/pellion/" + juce::String (WebEndpoints::platformKey) + "/versions");
    EXPECT_EQ (WebEndpoints::getAddress (WebEndpoints::firmwareCatalogue),
               juce::String ("https://catalogue.pellion.invalid/sv/sv_midi_firmware_v4.json"));
    EXPECT_EQ (WebEndpoints::getAddress (WebEndpoints::deviceReport),
               juce::String ("https://report.pellion.invalid/custom/postPvDevice.php"));

    EXPECT_EQ (WebEndpoints::getAddress (WebEndpoints::firmwareCatalogue, juce::String ("http://127.0.0.1:8080/")),
               juce::String ("http://127.0.0.1:8080/sv/sv_midi_firmware_v4.json"));
    EXPECT_EQ (WebEndpoints::joinOriginAndPath ("http://a.b//", "//x/y"), juce::String ("http://a.b/x/y"));

    // Something that is not a whole origin leaves the built-in one in place.
    for (auto* unusable : { "", "127.0.0.1:8080", "ftp://host", "http://", "http://host/path", "http://host?q" })
        EXPECT_EQ (WebEndpoints::getAddress (WebEndpoints::deviceReport, juce::String (unusable)),
                   juce::String ("https://report.pellion.invalid/custom/postPvDevice.php")) << unusable;

    juce::PropertySet properties;
    properties.setValue ("UpdateServer", "http://127.0.0.1:9");
    EXPECT_EQ (WebEndpoints::getAddress (WebEndpoints::versionList, &properties),
               "http://127.0.0.1:9/api/apps/pellion/" + juce::String (WebEndpoints::platformKey) + "/versions");
    EXPECT_EQ (WebEndpoints::getAddress (WebEndpoints::deviceReport, &properties),
               juce::String ("https://report.pellion.invalid/custom/postPvDevice.php"));
}

TEST (WebEndpoints, VersionListIsThatOfTheRunningPlatform)
{
    const juce::String entries ("{\"items\":["
        "{\"app\":\"pellion\",\"platform\":\"linux\",\"version\":\"8.7\",\"url\":\"https://h/pellion-8.7.deb\",\"date\":\"d\"},"
        "{\"app\":\"pellion\",\"platform\":\"windows\",\"version\":\"8.9\",\"url\":\"https://h/setup-8.9.exe\",\"date\":\"d\"}]}");
    const juce::String windowsOnly ("{\"items\":["
        "{\"app\":\"pellion\",\"platform\":\"windows\",\"version\":\"8.9\",\"url\":\"https://h/setup-8.9.exe\",\"date\":\"d\"}]}");

   #if JUCE_LINUX
    EXPECT_EQ (juce::String (WebEndpoints::versionListPath), "/api/apps/pellion/linux/versions");
    EXPECT_EQ (juce::String (WebEndpoints::platformName), "Linux");

    // The newer installer for another platform is never offered.
    const auto offered = WebAnswerParsers::parseVersionList (entries);
    EXPECT_TRUE (offered.valid);
    EXPECT_EQ (offered.platform, "linux");
    EXPECT_EQ (offered.version, "8.7");
    EXPECT_EQ (offered.url, "https://h/pellion-8.7.deb");
    EXPECT_FALSE (WebAnswerParsers::parseVersionList (windowsOnly).valid);
   #elif JUCE_WINDOWS
    EXPECT_EQ (juce::String (WebEndpoints::versionListPath), "/api/apps/pellion/windows/versions");
    EXPECT_EQ (WebAnswerParsers::parseVersionList (entries).version, "8.9");
   #endif

    // The path and the accepted entries are always of the same platform.
    EXPECT_EQ (juce::String (WebEndpoints::versionListPath),
               "/api/apps/pellion/" + juce::String (WebEndpoints::platformKey) + "/versions");
}

TEST (WebEndpoints, CatalogueProductIdPerProductCode)
{
    const char* expected[] = { "dorvinbc", "calderpro", "gavrelpro", "jorvekpro", "lissarpro", "norrimpro",
                               "ramselprofordorvinbc", "ramselproforcalderpro", "ramselproforgavrelpro",
                               "tovaneproforjorvekpro", "tovaneproforlissarpro", "tovaneprofornorrimpro" };

    for (int code = 1; code <= 12; ++code)
        EXPECT_EQ (WebEndpoints::getCatalogueProductId (code), juce::String (expected[code - 1])) << code;

    for (int code : { 0, 13, 255, -1 })
        EXPECT_TRUE (WebEndpoints::getCatalogueProductId (code).isEmpty()) << code;
}

TEST (WebEndpoints, VersionValueIsTheLeadingDecimalNumber)
{
    EXPECT_FLOAT_EQ (WebEndpoints::getVersionValue ("8.7"), 8.7f);
    EXPECT_FLOAT_EQ (WebEndpoints::getVersionValue ("  -1.5beta"), -1.5f);
    EXPECT_FLOAT_EQ (WebEndpoints::getVersionValue ("v8.7"), 0.0f);
    EXPECT_FLOAT_EQ (WebEndpoints::getVersionValue ("1e1111111111"), 1.0f) << "no exponent is read";
    EXPECT_LT (WebEndpoints::getVersionValue ("8.10"), WebEndpoints::getVersionValue ("8.9"));
}

//==============================================================================
struct ParserCase
{
    const char* name;
    const char* json;
    const char* version;
    const char* url;
    const char* date;
    const char* changelog; // lines joined by '|'
    bool valid;
};

static void PrintTo (const ParserCase& c, std::ostream* os) { *os << c.name; }

class WebVersionListParser : public ::testing::TestWithParam<ParserCase> {};

TEST_P (WebVersionListParser, ReadsTheNewestMatchingEntry)
{
    const auto& c = GetParam();
    const auto info = WebAnswerParsers::parseVersionList (c.json, "windows");

    EXPECT_EQ (info.version, juce::String (c.version));
    EXPECT_EQ (info.url, juce::String (c.url));
    EXPECT_EQ (info.date, juce::String (c.date));
    EXPECT_EQ (info.changelog.joinIntoString ("|"), juce::String (c.changelog));
    EXPECT_EQ (info.valid, c.valid);

    if (c.valid)
    {
        EXPECT_EQ (info.app, juce::String ("pellion"));
        EXPECT_EQ (info.platform, juce::String ("windows"));
    }
}

#define ENTRY(fields) "{\"app\":\"pellion\",\"platform\":\"windows\"," fields "}"

INSTANTIATE_TEST_SUITE_P (Web, WebVersionListParser, ::testing::Values (
    ParserCase { "single", "{\"items\":[" ENTRY ("\"version\":\"8.7\",\"url\":\"https://h/s.exe\",\"date\":\"2024-01-01\",\"changelogs\":[\"a\",\"\",\"b\"]") "]}",
                 "8.7", "https://h/s.exe", "2024-01-01", "a|b", true },
    ParserCase { "equal versions: the later entry wins",
                 "{\"items\":[" ENTRY ("\"version\":\"8.7\",\"url\":\"u1\",\"date\":\"d1\",\"changelogs\":[\"one\"]") ","
                                 ENTRY ("\"version\":\"8.7\",\"url\":\"u2\",\"date\":\"d2\",\"changelogs\":[\"two\"]") "]}",
                 "8.7", "u2", "d2", "two", true },
    ParserCase { "older entry skipped, a later entry without version still sets the url",
                 "{\"items\":[" ENTRY ("\"version\":\"9.0\",\"url\":\"u9\",\"date\":\"d9\"") ","
                                 ENTRY ("\"version\":\"8.9\",\"url\":\"u8\",\"date\":\"d8\"") ","
                                 ENTRY ("\"url\":\"u-late\"") "]}",
                 "9.0", "u-late", "d9", "", true },
    ParserCase { "8.10 is older than 8.9",
                 "{\"items\":[" ENTRY ("\"version\":\"8.9\",\"date\":\"d\"") "," ENTRY ("\"version\":\"8.10\",\"date\":\"x\"") "]}",
                 "8.9", "", "d", "", true },
    ParserCase { "negative version skipped, a non-number counts as 0 and is taken",
                 "{\"items\":[" ENTRY ("\"version\":\"-1\",\"url\":\"neg\",\"date\":\"dn\"") ","
                                 ENTRY ("\"version\":\"beta\",\"url\":\"txt\",\"date\":\"dt\"") "]}",
                 "beta", "txt", "dt", "", true },
    ParserCase { "another app or platform contributes nothing; an entry without them is taken",
                 "{\"items\":[{\"app\":\"other\",\"version\":\"9.9\",\"url\":\"x\",\"date\":\"x\"},"
                 "{\"app\":\"pellion\",\"platform\":\"mac\",\"version\":\"9.8\",\"url\":\"y\",\"date\":\"y\"},"
                 "{\"app\":\"pellion\",\"platform\":\"windows\"},{\"version\":\"8.7\",\"url\":\"z\",\"date\":\"dz\"}]}",
                 "8.7", "z", "dz", "", true },
    ParserCase { "numbers are taken as text",
                 "{\"items\":[" ENTRY ("\"version\":8.7,\"url\":\"u\",\"date\":20240101,\"changelogs\":[1,\"\",\"x\"]") "]}",
                 "8.7", "u", "20240101", "1|x", true },
    ParserCase { "changelogs that is not an array replaces the lines with none",
                 "{\"items\":[" ENTRY ("\"version\":\"8.7\",\"date\":\"d\",\"changelogs\":[\"a\"]") ","
                                 ENTRY ("\"changelogs\":\"text\"") "]}",
                 "8.7", "", "d", "", true },
    ParserCase { "no date: not valid", "{\"items\":[" ENTRY ("\"version\":\"8.7\",\"url\":\"u\"") "]}",
                 "8.7", "u", "", "", false },
    ParserCase { "no app key anywhere: not valid", "{\"items\":[{\"platform\":\"windows\",\"version\":\"8.7\",\"date\":\"d\"}]}",
                 "8.7", "", "d", "", false },
    ParserCase { "items is not an array", "{\"items\":{\"version\":\"8.7\"}, \"padding\":\"...........................\"}",
                 "", "", "", "", false },
    ParserCase { "not JSON", "<html><body>Service temporarily unavailable, please retry</body></html>",
                 "", "", "", "", false },
    ParserCase { "entries that are not objects are passed over",
                 "{\"items\":[42,\"x\",null," ENTRY ("\"version\":\"8.7\",\"date\":\"d\"") "]}",
                 "8.7", "", "d", "", true }
));

//==============================================================================
class WebCatalogueParser : public ::testing::TestWithParam<ParserCase> {};

TEST_P (WebCatalogueParser, ReadsTheLastEntryOfTheProduct)
{
    const auto& c = GetParam();
    const auto info = WebAnswerParsers::parseFirmwareCatalogue (c.json, "jorvekpro");

    EXPECT_EQ (info.version, juce::String (c.version));
    EXPECT_EQ (info.url, juce::String (c.url));
    EXPECT_EQ (info.date, juce::String (c.date));
    EXPECT_EQ (info.changelog.joinIntoString ("|"), juce::String (c.changelog));
    EXPECT_EQ (info.valid, c.valid);

    if (c.valid)
        EXPECT_EQ (info.product, juce::String ("jorvekpro"));
}

#define FW_URL "https://h/fw.hex"
#define CHANGELOGS ",\"changelogs\":{\"jorvekpro\":{\"4.5\":{\"default\":[\"fix 4.5\",\"\"]},\"4.6\":{\"default\":[\"fix 4.6\"]}}," \
                   "\"lissarpro\":{\"4.5\":{\"default\":[\"other\"]}}}"

INSTANTIATE_TEST_SUITE_P (Web, WebCatalogueParser, ::testing::Values (
    ParserCase { "last entry wins, not the highest version",
                 "{\"versions\":[{\"product\":\"jorvekpro\",\"version\":\"4.6\",\"url\":\"https://h/46.hex\",\"date\":\"d46\"},"
                 "{\"product\":\"jorvekpro\",\"version\":\"4.5\",\"url\":\"https://h/45.hex\",\"date\":\"d45\"}]" CHANGELOGS "}",
                 "4.5", "https://h/45.hex", "d45", "fix 4.5", true },
    ParserCase { "another product is skipped; an entry without product is taken",
                 "{\"versions\":[{\"product\":\"jorvekpro\",\"version\":\"4.5\",\"url\":\"https://h/45.hex\",\"date\":\"d45\"},"
                 "{\"product\":\"lissarpro\",\"version\":\"9.9\",\"url\":\"https://h/99.hex\",\"date\":\"d99\"},"
                 "{\"version\":\"4.6\",\"url\":\"https://h/46.hex\"}]" CHANGELOGS "}",
                 "4.6", "https://h/46.hex", "d45", "fix 4.6", true },
    ParserCase { "negative version skipped; a non-number counts as 0 and is taken",
                 "{\"versions\":[{\"product\":\"jorvekpro\",\"version\":\"4.5\",\"url\":\"" FW_URL "\",\"date\":\"d\"},"
                 "{\"product\":\"jorvekpro\",\"version\":\"-2\",\"url\":\"https://h/neg.hex\"},"
                 "{\"product\":\"jorvekpro\",\"version\":\"next\"}]}",
                 "next", FW_URL, "d", "", true },
    ParserCase { "a short url makes the record not valid",
                 "{\"versions\":[{\"product\":\"jorvekpro\",\"version\":\"4.5\",\"url\":\"http://h/x\",\"date\":\"d\"}]}",
                 "4.5", "http://h/x", "d", "", false },
    ParserCase { "numbers are taken as text, also for the change-log look-up",
                 "{\"versions\":[{\"product\":\"jorvekpro\",\"version\":4.6,\"url\":\"" FW_URL "\",\"date\":20240101}]" CHANGELOGS "}",
                 "4.6", FW_URL, "20240101", "fix 4.6", true },
    ParserCase { "change log missing at any level gives none",
                 "{\"versions\":[{\"product\":\"jorvekpro\",\"version\":\"4.7\",\"url\":\"" FW_URL "\",\"date\":\"d\"}]" CHANGELOGS "}",
                 "4.7", FW_URL, "d", "", true },
    ParserCase { "no product key at all: not valid",
                 "{\"versions\":[{\"version\":\"4.5\",\"url\":\"" FW_URL "\",\"date\":\"d\"}]}",
                 "4.5", FW_URL, "d", "", false },
    ParserCase { "no date: not valid",
                 "{\"versions\":[{\"product\":\"jorvekpro\",\"version\":\"4.5\",\"url\":\"" FW_URL "\"}]}",
                 "4.5", FW_URL, "", "", false },
    ParserCase { "versions is not an array", "{\"versions\":\"4.5\",\"changelogs\":{},\"padding\":\"................\"}",
                 "", "", "", "", false },
    ParserCase { "not JSON", "Not found: the requested catalogue does not exist on this server",
                 "", "", "", "", false }
));

// Both answers in one text, so that each row reads both parsers: the catalogue entry of the
// Jorvek's host core and the version list entry of this platform, beside a padding value.
static juce::String bothAnswersWith (const juce::String& padding)
{
    return "{\"versions\":[{\"product\":\"jorvekpro\",\"version\":\"4.6\",\"url\":\"https://h/fw.hex\",\"date\":\"d\"}],"
           "\"items\":[{\"app\":\"pellion\",\"platform\":\"" + juce::String (WebEndpoints::platformKey)
           + "\",\"version\":\"8.7\",\"url\":\"https://h/s.exe\",\"date\":\"d\"}],\"pad\":" + padding + "}";
}

static juce::String nestedArrays (int levels)
{
    return juce::String::repeatedString ("[", levels) + juce::String::repeatedString ("]", levels);
}

TEST (WebAnswerParsers, DeepNestingOrHugeNumbersAreNoAnswer)
{
    struct Case { const char* name; juce::String text; int depth; bool valid; };

    const Case cases[] = {
        { "100,000 [",                 juce::String::repeatedString ("[", 100000),         100000, false },
        { "{\"a\": 100,000 times",      juce::String::repeatedString ("{\"a\":", 100000),   100000, false },
        { "closed nesting of 40000",   nestedArrays (40000),                               40000,  false },
        { "answer with 33 levels",     bothAnswersWith (nestedArrays (32)),                33,     false },
        { "answer with 32 levels",     bothAnswersWith (nestedArrays (31)),                32,     true },
        { "brackets in strings",       bothAnswersWith ("\"" + juce::String::repeatedString ("[{", 5000) + "\\\"]\""), 3, true },
        { "plain answer",              bothAnswersWith ("0"),                              3,      true },
        // Numbers whose digits overflow the framework's 64-bit gathering are refused as well.
        { "number of 19 digits",       bothAnswersWith ("4444444444444444444"),            3,      false },
        { "number of 18 digits",       bothAnswersWith ("-444444444444444444.5e3"),        3,      true },
        { "long digits in a string",   bothAnswersWith ("\"" + juce::String::repeatedString ("9", 400) + "\""), 3, true },
        // An exponent is gathered in an int, which ten digits overflow: more than four are refused.
        { "exponent of 12 digits",     bothAnswersWith ("55555E555555000000"),             3,      false },
        { "signed exponent of 5",      bothAnswersWith ("1.5e-12345"),                     3,      false },
        { "exponent of 4 digits",      bothAnswersWith ("2.5E+1234"),                      3,      true },
        { "exponent after a point",    bothAnswersWith ("5555555.E555554999999"),          3,      false },
        { "letters e after a word",    bothAnswersWith ("\"e12345678901\""),              3,      true },
        // A '-' that no digit follows would make the framework's reader take the text's end for one.
        { "minus at the end",          "[1,-",                                             1,      false },
        { "minus before a letter",     bothAnswersWith ("[- x]"),                          3,      false },
        { "minus, blanks and a digit", bothAnswersWith ("[- 2, \"-\"]"),                  3,      true },
    };

    for (auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        EXPECT_EQ (WebAnswerParsers::getNestingDepth (c.text), c.depth);

        const auto firmware = WebAnswerParsers::parseFirmwareCatalogue (c.text, "jorvekpro");
        const auto application = WebAnswerParsers::parseVersionList (c.text);
        EXPECT_EQ (firmware.valid, c.valid);
        EXPECT_EQ (application.valid, c.valid);

        if (! c.valid)
        {
            EXPECT_TRUE (firmware.version.isEmpty() && firmware.url.isEmpty());
            EXPECT_TRUE (application.version.isEmpty() && application.url.isEmpty());
        }
    }
}

TEST (WebCatalogueParser, ProductCodeWithoutIdGivesAnEmptyRecord)
{
    const juce::String json ("{\"versions\":[{\"version\":\"4.5\",\"url\":\"" FW_URL "\",\"date\":\"d\"}]}");

    for (auto id : { WebEndpoints::getCatalogueProductId (13), WebEndpoints::getCatalogueProductId (255) })
    {
        const auto info = WebAnswerParsers::parseFirmwareCatalogue (json, id);
        EXPECT_FALSE (info.valid);
        EXPECT_TRUE (info.version.isEmpty() && info.url.isEmpty() && info.date.isEmpty());
    }
}

//==============================================================================
static AppVersionInfo validAppInfo (const juce::String& version, juce::StringArray changelog = {})
{
    AppVersionInfo info;
    info.version = version;
    info.date = "2024-05-01";
    info.url = "https://h/setup.exe";
    info.app = "pellion";
    info.platform = "windows";
    info.changelog = changelog;
    info.valid = true;
    return info;
}

TEST (WebAppUpdateOffer, DecisionAgainstRunning86)
{
    struct Case { const char* offered; bool beta; bool offer; };

    const Case cases[] = {
        { "8.5",  true,  false },
        { "8.55", true,  false }, // 8.6f > 8.55f + 0.05 once both are floats
        { "8.6",  false, false },
        { "8.62", false, false },
        { "8.65", false, false }, // 8.65f < 8.6f + 0.05
        { "8.66", false, true },
        { "8.7",  false, true },
    };

    for (auto& c : cases)
    {
        const auto decision = AppUpdateOffer::decide (validAppInfo (c.offered), "8.6");
        EXPECT_EQ (decision.markAsBeta, c.beta) << c.offered;
        EXPECT_EQ (decision.offer, c.offer) << c.offered;
    }

    auto invalid = validAppInfo ("9.9");
    invalid.valid = false;
    const auto none = AppUpdateOffer::decide (invalid, "8.6");
    EXPECT_FALSE (none.markAsBeta || none.offer);
}

TEST (WebAppUpdateOffer, MessageTextsWithAndWithoutChangeLog)
{
    EXPECT_EQ (AppUpdateOffer::decide (validAppInfo ("8.7"), "8.6").message,
               juce::String ("A new application is available (Version 8.7), would you like to update your app "
                             "(current version is V8.6) ?"));

    EXPECT_EQ (AppUpdateOffer::decide (validAppInfo ("8.7", { "First fix", "Second fix" }), "8.6").message,
               juce::String ("A new application is available (Version 8.7), would you like to update your app "
                             "(current version is V8.6) ?\n\nChanges log:\n\n- First fix\n- Second fix\n"));

    // The version text is inserted as it is, never read as a format.
    EXPECT_EQ (AppUpdateOffer::decide (validAppInfo ("9.0 %s%n"), "8.6").message,
               juce::String ("A new application is available (Version 9.0 %s%n), would you like to update your app "
                             "(current version is V8.6) ?"));

    EXPECT_EQ (juce::String (AppUpdateOffer::title), juce::String ("New application version available"));
    EXPECT_EQ (juce::String (AppUpdateOffer::acceptButton), juce::String ("Yes, download new version"));
}

//==============================================================================
static FirmwareVersionInfo validFirmware (const juce::String& version, juce::StringArray changelog = {})
{
    FirmwareVersionInfo info;
    info.version = version;
    info.date = "2024-05-01";
    info.url = "https://h/fw.hex";
    info.product = "jorvekpro";
    info.changelog = changelog;
    info.valid = true;
    return info;
}

static FirmwareUpdateOffer::DeviceState runningState (int productCode, int deviceMode = 1)
{
    FirmwareUpdateOffer::DeviceState state;
    state.productCode = productCode;
    state.deviceMode = deviceMode;
    state.runningVersion = MidiController::firmwareVersionFromDigits (4, 5); // 4.505
    return state;
}

TEST (WebFirmwareUpdateOffer, DecisionAgainstRunning4505)
{
    struct Case { const char* offered; bool beta; bool offer; };
    const Case cases[] = { { "4.45", true, false }, { "4.5", false, false }, { "4.51", false, true } };

    for (int code : { 4, 10 })
    {
        for (auto& c : cases)
        {
            const auto decision = FirmwareUpdateOffer::decide (validFirmware (c.offered), runningState (code));
            EXPECT_EQ (decision.setDeviceCoreBeta, code == 10) << c.offered;
            EXPECT_EQ (decision.betaFlag, c.beta) << c.offered;
            EXPECT_EQ (decision.offer, c.offer) << c.offered;
            // Without an offer, only a device core in application mode moves on to the host core.
            EXPECT_EQ (decision.switchToHostCore, ! c.offer && code == 10) << c.offered;
        }
    }
}

TEST (WebFirmwareUpdateOffer, OfferTextsPerCore)
{
    const auto host = FirmwareUpdateOffer::decide (validFirmware ("4.6", { "Faster", "Safer" }),
                                                   runningState (4));
    EXPECT_EQ (host.title, juce::String ("New firmware available (Host core)"));
    EXPECT_EQ (host.message, juce::String ("A new firmware is available (Version 4.6) for the connected product (Host core)\n"
                                           "Would you like to upgrade your product (current firmware is V4.5) ?"
                                           "\n\nChanges log:\n\n- Faster\n- Safer\n"));

    const auto device = FirmwareUpdateOffer::decide (validFirmware ("4.6"), runningState (10));
    EXPECT_EQ (device.title, juce::String ("New firmware available (Device core)"));
    EXPECT_EQ (device.message, juce::String ("A new firmware is available (Version 4.6) for the connected product (Device core)\n"
                                             "Would you like to upgrade your product (current firmware is V4.5) ?"));
}

TEST (WebFirmwareUpdateOffer, BootloaderAlwaysOffersWithItsOwnTexts)
{
    auto state = runningState (4, 0);
    const auto decision = FirmwareUpdateOffer::decide (validFirmware ("1.0", { "ignored" }), state);

    EXPECT_TRUE (decision.offer);
    EXPECT_EQ (decision.title, juce::String ("Firmware available (Host core)"));
    EXPECT_EQ (decision.message, juce::String ("Your product is in bootloader mode, would you like to upgrade it ?"));
    EXPECT_FALSE (decision.switchToHostCore);
    EXPECT_FALSE (FirmwareUpdateOffer::switchesToHostCoreOnDecline (10, 0));
    EXPECT_TRUE (FirmwareUpdateOffer::switchesToHostCoreOnDecline (10, 1));
    EXPECT_FALSE (FirmwareUpdateOffer::switchesToHostCoreOnDecline (4, 1));
}

TEST (WebFirmwareUpdateOffer, RestoreOffersAnOlderFirmwareOnlyForABetaCore)
{
    auto state = runningState (4);
    state.restoreRequested = true;

    // 4.45 marks the host core beta in the same step, so the restore offers it.
    const auto restore = FirmwareUpdateOffer::decide (validFirmware ("4.45"), state);
    EXPECT_TRUE (restore.betaFlag);
    EXPECT_TRUE (restore.offer);

    // 4.5 is no beta: nothing to restore.
    EXPECT_FALSE (FirmwareUpdateOffer::decide (validFirmware ("4.5"), state).offer);

    // The other core's flag counts as well.
    state.deviceFirmwareBeta = true;
    EXPECT_TRUE (FirmwareUpdateOffer::decide (validFirmware ("4.5"), state).offer);
}

TEST (WebFirmwareUpdateOffer, NoValidEntryClearsTheConnectedCoresFlagOnly)
{
    auto* device = MidiController::getInstance();
    ASSERT_NE (device, nullptr);
    const auto savedDevice = device->deviceFirmwareBeta, savedHost = device->hostFirmwareBeta;

    device->deviceFirmwareBeta = 1;
    device->hostFirmwareBeta = 1;

    auto state = runningState (productNone);
    const auto decision = FirmwareUpdateOffer::decide (FirmwareVersionInfo(), state);
    EXPECT_FALSE (decision.offer);
    EXPECT_FALSE (decision.switchToHostCore);
    decision.applyBetaFlag (*device);
    EXPECT_EQ (device->hostFirmwareBeta, 0);
    EXPECT_EQ (device->deviceFirmwareBeta, 1);

    device->deviceFirmwareBeta = savedDevice;
    device->hostFirmwareBeta = savedHost;
}

//==============================================================================
TEST (WebInstallerFileName, UntrustedNamesAreRefusedOrMadeLegal)
{
    struct Case { const char* url; const char* name; };

    const Case cases[] = {
        { "https://h/dl/setup-8.7.exe?token=a/b#part", "setup-8.7.exe" },
        { "https://h/dl/setup-8.7.exe#frag?x", "setup-8.7.exe" },
        { "https://h/dl/", "" },
        { "https://h/dl/..", "" },
        { "https://h/dl/.", "" },
        { "https://h/dl/..\\..\\evil.exe", "" },
        { "https://h/dl/c:evil.exe", "" },
        { "https://h/dl/evil\x01.exe", "" },
        { "https://h/dl/evil\x7f.exe", "" },
        { "https://h/dl/..%2F..%2Fevil.exe", "" },
        { "https://h/dl/a..%2F..%2Fevil.exe", "a..%2F..%2Fevil.exe" },
        { "https://h/dl/a<b>|c*.exe", "abc.exe" },
        { "https://h/dl/<>", "" },
        { "https://h/dl/setup 8.7.exe", "setup 8.7.exe" },
        // Hidden names, which where the desktop is the home folder would replace the user's own files.
        { "https://h/dl/.bashrc", "" },
        { "https://h/dl/.profile", "" },
        { "https://h/dl/.setup.exe?x=1", "" },
        { "https://h/dl/<.profile", "" },
        { "https://h/dl/setup.exe.", "setup.exe." },
    };

    for (auto& c : cases)
        EXPECT_EQ (InstallerDownload::getSafeFileName (c.url), juce::String (c.name)) << c.url;
}

TEST (WebInstallerFileName, TargetStaysInTheDesktopAndReplacesOnlyRegularFiles)
{
    juce::TemporaryFile folder;
    const auto home = folder.getFile();
    const auto desktop = home.getChildFile ("Desktop");
    ASSERT_TRUE (desktop.createDirectory());
    const auto chooseTarget = [&home] (const juce::String& url, const juce::File& desktopFolder)
    {
        return InstallerDownload::chooseTarget (url, desktopFolder, home);
    };

    EXPECT_EQ (chooseTarget ("https://h/setup.exe", desktop), desktop.getChildFile ("setup.exe"));
    EXPECT_EQ (chooseTarget ("https://h/a%2F..%2Fsetup.exe", desktop).getParentDirectory(), desktop);

    ASSERT_TRUE (desktop.getChildFile ("old.exe").replaceWithText ("old"));
    EXPECT_EQ (chooseTarget ("https://h/old.exe", desktop), desktop.getChildFile ("old.exe"));

    ASSERT_TRUE (desktop.getChildFile ("folder.exe").createDirectory());
    EXPECT_EQ (chooseTarget ("https://h/folder.exe", desktop), juce::File());

    ASSERT_TRUE (desktop.getChildFile ("old.exe").createSymbolicLink (desktop.getChildFile ("link.exe"), true));
    EXPECT_EQ (chooseTarget ("https://h/link.exe", desktop), juce::File());

    EXPECT_EQ (chooseTarget ("https://h/setup.exe", desktop.getChildFile ("missing")), juce::File());
    EXPECT_EQ (chooseTarget ("https://h/dl/", desktop), juce::File());

    // A desktop folder that is the home folder takes no download, whatever its name.
    EXPECT_EQ (chooseTarget ("https://h/setup.exe", home), juce::File());
    EXPECT_EQ (chooseTarget ("https://h/.profile", home), juce::File());

    home.deleteRecursively();
}

//==============================================================================
class WebDeviceReportBody : public ::testing::Test
{
protected:
    static UsbHostDevice makeRecord (juce::int32 vidPid, const char* name, juce::uint8 hubId,
                                     juce::uint8 ins, juce::uint8 outs)
    {
        UsbHostDevice record;
        record.deviceHandle = 1;
        record.vidPid = vidPid;
        record.hubId = hubId;
        record.inputCables = ins;
        record.outputCables = outs;
        strncpy (record.name, name, 16);
        return record;
    }

    DeviceReport::Snapshot snapshot()
    {
        DeviceReport::Snapshot s;
        s.productCode = productCalder;
        s.numHostPorts = 8;
        s.records.resize (16);
        s.applicationVersion = "8.6";
        s.deviceFirmwareText = "7.1";
        s.hostFirmwareText = "4.5";
        s.serialText = "000000010000000200000003";
        s.productName = "Calder Pro";
        return s;
    }
};

TEST_F (WebDeviceReportBody, KeysInOrderHexValuesAndOneObjectPerDevice)
{
    auto s = snapshot();
    s.records.set (0, makeRecord (0x0123abcd, "Keys", 0xFF, 2, 1));
    s.records.set (3, makeRecord (0x0123abcd, "Keys again", 0, 1, 1)); // same model: reported once
    s.records.set (9, makeRecord ((juce::int32) 0xfedc0001u, "Pads", 1, 16, 0));
    s.records.set (10, makeRecord (0, "Zero", 1, 1, 1));
    s.records.set (11, makeRecord (-1, "None", 1, 1, 1));

    juce::Array<juce::int32> reported;
    const auto body = DeviceReport::buildBody (s, reported);

    EXPECT_EQ (reported, (juce::Array<juce::int32> { 0x0123abcd, (juce::int32) 0xfedc0001u }));

    const auto parsed = juce::JSON::parse (body);
    auto* root = parsed.getDynamicObject();
    ASSERT_NE (root, nullptr);

    juce::StringArray keys;
    for (auto& p : root->getProperties())
        keys.add (p.name.toString());
    EXPECT_EQ (keys.joinIntoString (","), juce::String ("SwVer,FwVerDev,FwVerHost,Serial,Product,Devices,Platform"));

    EXPECT_EQ (parsed["SwVer"].toString(), juce::String ("8.6"));
    EXPECT_EQ (parsed["FwVerDev"].toString(), juce::String ("7.1"));
    EXPECT_EQ (parsed["FwVerHost"].toString(), juce::String ("4.5"));
    EXPECT_EQ (parsed["Serial"].toString(), juce::String ("000000010000000200000003"));
    EXPECT_EQ (parsed["Product"].toString(), juce::String ("Calder Pro"));
    EXPECT_EQ (parsed["Platform"].toString(), juce::String (WebEndpoints::platformName));
   #if JUCE_LINUX
    EXPECT_EQ (parsed["Platform"].toString(), juce::String ("Linux"));
   #endif

    auto* devices = parsed["Devices"].getArray();
    ASSERT_NE (devices, nullptr);
    ASSERT_EQ (devices->size(), 2);

    juce::StringArray deviceKeys;
    for (auto& p : (*devices)[0].getDynamicObject()->getProperties())
        deviceKeys.add (p.name.toString());
    EXPECT_EQ (deviceKeys.joinIntoString (","), juce::String ("Type,Name,VidPid,HubId,NbIns,NbOuts"));

    const auto& keysDevice = (*devices)[0];
    EXPECT_EQ (keysDevice["Type"].toString(), juce::String ("Midi"));
    EXPECT_EQ (keysDevice["Name"].toString(), juce::String ("Keys"));
    EXPECT_EQ (keysDevice["VidPid"].toString(), juce::String ("123abcd"));
    EXPECT_EQ (keysDevice["HubId"].toString(), juce::String ("ff"));
    EXPECT_EQ (keysDevice["NbIns"].toString(), juce::String ("2"));
    EXPECT_EQ (keysDevice["NbOuts"].toString(), juce::String ("1"));

    const auto& pads = (*devices)[1];
    EXPECT_EQ (pads["VidPid"].toString(), juce::String ("fedc0001"));
    EXPECT_EQ (pads["HubId"].toString(), juce::String ("1"));
    EXPECT_EQ (pads["NbIns"].toString(), juce::String ("10"));
    EXPECT_EQ (pads["NbOuts"].toString(), juce::String ("0"));

    // Every value is a JSON string, in the framework's multi-line layout.
    EXPECT_TRUE (body.contains ("\"VidPid\": \"123abcd\""));
    EXPECT_TRUE (body.containsChar ('\n'));
}

TEST_F (WebDeviceReportBody, AcceptedDevicesAreLeftOut)
{
    auto s = snapshot();
    s.records.set (0, makeRecord (0x11112222, "A", 0xFF, 1, 1));
    s.records.set (1, makeRecord (0x33334444, "B", 0xFF, 1, 1));
    s.reportedDevices.add (0x11112222);

    juce::Array<juce::int32> reported;
    const auto report = DeviceReport::buildReport (s, reported);
    EXPECT_EQ (reported, juce::Array<juce::int32> { 0x33334444 });
    EXPECT_EQ (report["Devices"].getArray()->size(), 1);

    s.reportedDevices.add (0x33334444);
    DeviceReport::buildReport (s, reported);
    EXPECT_TRUE (reported.isEmpty());
}

TEST_F (WebDeviceReportBody, NothingToReportWithoutAKnownProductOrOccupiedPorts)
{
    auto s = snapshot();
    EXPECT_FALSE (DeviceReport::hasOccupiedHostPorts (s));

    s.records.set (15, makeRecord (0x11112222, "A", 0xFF, 1, 1));
    EXPECT_TRUE (DeviceReport::hasOccupiedHostPorts (s));

    for (int code : { (int) productUpgradeMode, (int) productNone })
    {
        s.productCode = code;
        EXPECT_FALSE (DeviceReport::hasOccupiedHostPorts (s)) << code;
    }
}

TEST_F (WebDeviceReportBody, SnapshotAndRecordingGoThroughTheDeviceObject)
{
    auto* device = MidiController::getInstance();
    ASSERT_NE (device, nullptr);

    const auto savedCode = device->productCode;
    const auto savedSerial = device->serialText;
    const auto savedReported = device->reportedDevices;
    const auto savedRecord = device->usbHostDevices[9];

    device->productCode = productCalder;
    device->serialText = "S1";
    device->usbHostDevices[9] = makeRecord (0x12345678, "Out", 0xFF, 0, 1);
    device->reportedDevices.clear();

    auto s = DeviceReport::takeSnapshot (*device, "8.6");
    EXPECT_EQ (s.numHostPorts, 8);
    EXPECT_EQ (s.records.size(), 16);
    EXPECT_EQ (s.records[9].vidPid, 0x12345678);

    // Device cores have no host ports in a report.
    device->productCode = productCalderDevice;
    EXPECT_FALSE (DeviceReport::hasOccupiedHostPorts (DeviceReport::takeSnapshot (*device, "8.6")));
    device->productCode = productCalder;

    DeviceReport::recordAccepted (*device, "another serial", { 0x12345678 });
    EXPECT_TRUE (device->reportedDevices.isEmpty());
    DeviceReport::recordAccepted (*device, "S1", { 0x12345678 });
    DeviceReport::recordAccepted (*device, "S1", { 0x12345678 });
    EXPECT_EQ (device->reportedDevices, juce::Array<juce::int32> { 0x12345678 });

    device->productCode = savedCode;
    device->serialText = savedSerial;
    device->reportedDevices = savedReported;
    device->usbHostDevices[9] = savedRecord;
}
