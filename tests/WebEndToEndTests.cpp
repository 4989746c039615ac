#include "support/SimTestSupport.h"
#include "support/LocalHttpServer.h"

#include "app/MainComponent.h"
#include "app/WebEndpoints.h"

#include <deque>

// Every test here builds a MainComponent, whose destructor deletes the device object for good:
// run them one per process (ctest does).

namespace
{
    constexpr const char* hexError2 = "Error while parsing firmware file : Error 2: Fw Hex line does not start with ':'";
    constexpr const char* upgradeSuccess = "Firmware upgrade finished with SUCCESS, please disconnect the device";
    constexpr const char* firmwareDownloadFailed = "Error: firmware file download failed";

    constexpr juce::uint8 jorvekHostImageId = 38;

    /** One alert the tool asked for, with its answer still to give. */
    struct Box
    {
        juce::MessageBoxOptions options;
        std::function<void (int)> answer;
    };

    /** The requests a server received for one path. */
    juce::Array<LocalHttpServer::Request> requestsFor (const LocalHttpServer& server, const juce::String& path)
    {
        juce::Array<LocalHttpServer::Request> found;

        for (auto& request : server.getRequests())
            if (request.path == path)
                found.add (request);

        return found;
    }

    /** A version list whose one entry offers 8.7 with this installer address. */
    juce::String versionListOffering (const juce::String& installerUrl)
    {
        return "{\"items\":[{\"app\":\"pellion\",\"platform\":\"" + juce::String (WebEndpoints::platformKey)
               + "\",\"version\":\"8.7\",\"url\":\""
               + installerUrl + "\",\"date\":\"2024-05-01\",\"changelogs\":[\"Faster scans\"]}]}";
    }

    /** A catalogue with one entry, for this product id. */
    juce::String catalogueOffering (const juce::String& productId, const juce::String& version, const juce::String& url)
    {
        return "{\"versions\":[{\"product\":\"" + productId + "\",\"version\":\"" + version + "\",\"url\":\"" + url
               + "\",\"date\":\"2024-06-01\"}],\"changelogs\":{}}";
    }

    //==============================================================================
    /** One Intel HEX record with its checksum. */
    juce::String hexRecord (int type, int address, const std::vector<juce::uint8>& bytes)
    {
        auto line = juce::String::formatted (":%02X%04X%02X", (int) bytes.size(), address & 0xFFFF, type);
        int sum = (int) bytes.size() + ((address >> 8) & 0xFF) + (address & 0xFF) + type;

        for (auto b : bytes)
        {
            line << juce::String::formatted ("%02X", b);
            sum += b;
        }

        return line + juce::String::formatted ("%02X", (-sum) & 0xFF) + "\n";
    }

    /** A small image for the flash start of a core, carrying the core's product id marker. */
    struct HexImage
    {
        explicit HexImage (juce::uint8 productId)
        {
            bytes = { 0xC0, 0xDE, 0xFA, 0xCE, productId, 0x01, 0x02, 0x03, 0xC0, 0xDE, 0xFA, 0xCE, 0x10, 0x20, 0x30, 0x40 };

            for (int i = 0; i < 32; ++i)
                bytes.push_back ((juce::uint8) (0x80 + i));

            text = hexRecord (0x04, 0, { 0x00, 0x00 });

            for (int offset = 0; offset < (int) bytes.size(); offset += 16)
                text << hexRecord (0x00, flashStart + offset,
                                   std::vector<juce::uint8> (bytes.begin() + offset, bytes.begin() + offset + 16));

            text << ":00000001FF\n";
        }

        static constexpr int flashStart = 0x3000;
        std::vector<juce::uint8> bytes;
        juce::String text;
    };
}

//==============================================================================
/** The tool with its main component, simulated MIDI ports and local stand-ins for the maker's servers.
    Alerts go through the main component's hook and wait for the test to answer them. */
class WebEndToEnd : public SimulatedDeviceFixture
{
protected:
    void TearDown() override
    {
        main = nullptr;
        SimulatedDeviceFixture::TearDown();
    }

    /** Points the tool at the servers and builds its main component (which starts the version check).
        The servers go into the tool's properties file before, written as the framework writes it. */
    void startTool (const LocalHttpServer& update, const LocalHttpServer& catalogue, const LocalHttpServer& report)
    {
        ASSERT_TRUE (update.isListening() && catalogue.isListening() && report.isListening());

        const auto file = writeServerOrigins (juce::File::getSpecialLocation (juce::File::userHomeDirectory),
                                              update.getOrigin(), catalogue.getOrigin(), report.getOrigin());
        main = std::make_unique<MainComponent>();
        ASSERT_EQ (main->propertiesFile->getFile().getFullPathName(), file.getFullPathName());

        // No message is handled before the loop runs, so no alert can slip past the hook.
        main->showAsyncBox = [this] (const juce::MessageBoxOptions& options, std::function<void (int)> answer)
        {
            boxes.push_back ({ options, std::move (answer) });
        };
    }

    /** Waits for an alert with this title; null when none came. */
    Box* waitForBox (const juce::String& title, int timeoutMs)
    {
        Box* found = nullptr;

        pumpUntil ([&]
        {
            for (auto& box : boxes)
                if (box.options.getTitle() == title)
                    found = &box;

            return found != nullptr;
        }, timeoutMs);

        return found;
    }

    juce::String status() const    { return main->statusLabel->getText(); }

    /** A simulated Jorvek (host core 4.5, device core 7.1), plugged in. */
    std::shared_ptr<SimulatedProductRunner> plugInJorvek()
    {
        SimulatedProduct::Config config;
        config.productCode = productJorvek;
        config.hostFirmware = { 4, 5 };
        config.deviceFirmware = { 7, 1 };
        return addProduct (config);
    }

    /** Waits until the monitor has connected the host core and its full read is done. */
    bool waitForHostCoreRead (int timeoutMs = 20000)
    {
        return pumpUntil ([this] { return device().productCode == productJorvek && device().deviceMode == 1
                                           && device().readCompleteSent == 1 && status() == "-"; }, timeoutMs);
    }

    std::unique_ptr<MainComponent> main;
    std::deque<Box> boxes;   // a deque, so that a box found stays put while more arrive
};

//==============================================================================
// The version list at start-up, the offer, and the installer download onto the desktop.

struct InstallerCase
{
    const char* name;
    const char* installerPath;    ///< appended to the server origin; may carry a query and a fragment
    const char* servedPath;       ///< the path the server answers (empty: none, so 404)
    int servedStatus;
    const char* expectedTitle;
    const char* expectedFile;     ///< the file on the desktop afterwards (empty: none)
    const char* expectedTarget;   ///< the request target the server saw (empty: no request)
};

void PrintTo (const InstallerCase& c, std::ostream* os)  { *os << c.name; }

class WebEndToEndInstaller : public WebEndToEnd,
                             public ::testing::WithParamInterface<InstallerCase>
{
};

TEST_P (WebEndToEndInstaller, OfferAcceptedDownloadsOnlyIntoTheDesktop)
{
    const auto& param = GetParam();
    const juce::String installerBody ("MZ-installer-bytes-0123456789");

    LocalHttpServer server;
    server.setResponse (WebEndpoints::versionListPath,
                        LocalHttpServer::Response::text (versionListOffering (server.getOrigin() + param.installerPath)));

    if (juce::String (param.servedPath).isNotEmpty())
        server.setResponse (param.servedPath, LocalHttpServer::Response::text (installerBody, param.servedStatus));

    const auto home = juce::File::getSpecialLocation (juce::File::userHomeDirectory);
    const auto filesBefore = home.findChildFiles (juce::File::findFilesAndDirectories, true, "*");
    // Where "Desktop/../../setup.exe" would land if an encoded name were decoded.
    const auto aboveHome = home.getParentDirectory().getChildFile ("setup.exe");
    const bool aboveHomeExisted = aboveHome.existsAsFile();

    ASSERT_NO_FATAL_FAILURE (startTool (server, server, server));

    auto* offer = waitForBox ("New application version available", 10000);
    ASSERT_NE (offer, nullptr);
    EXPECT_EQ (offer->options.getIconType(), juce::MessageBoxIconType::InfoIcon);
    EXPECT_EQ (offer->options.getMessage(), "A new application is available (Version 8.7), would you like to update your app "
                                            "(current version is V8.6) ?\n\nChanges log:\n\n- Faster scans\n");
    ASSERT_EQ (offer->options.getNumButtons(), 2);
    EXPECT_EQ (offer->options.getButtonText (0), "No");
    EXPECT_EQ (offer->options.getButtonText (1), "Yes, download new version");

    offer->answer (0);

    auto* result = waitForBox (param.expectedTitle, 10000);
    ASSERT_NE (result, nullptr);
    pump (300);
    EXPECT_EQ (boxes.size(), 2u) << "one offer and one result";

    // The version list was asked for once, by GET.
    const auto listRequests = requestsFor (server, WebEndpoints::versionListPath);
    ASSERT_EQ (listRequests.size(), 1);
    EXPECT_EQ (listRequests[0].method, "GET");

    // The installer request, when one was allowed, keeps the query of the offered address.
    juce::StringArray installerTargets;

    for (auto& request : server.getRequests())
        if (request.path != WebEndpoints::versionListPath)
            installerTargets.add (request.target);

    EXPECT_EQ (installerTargets.joinIntoString (" "), param.expectedTarget);

    // Only the desktop gained a file, and only the expected one (no temporary or partial file either).
    // The tool's properties and the framework's own dot folders in HOME (font caches) don't count.
    const auto desktop = juce::File::getSpecialLocation (juce::File::userDesktopDirectory);
    const auto propertiesFolder = main->propertiesFile->getFile().getParentDirectory();
    juce::StringArray newFiles;

    for (auto& file : home.findChildFiles (juce::File::findFilesAndDirectories, true, "*"))
        if (! filesBefore.contains (file) && file != propertiesFolder && ! file.isAChildOf (propertiesFolder)
             && ! file.getRelativePathFrom (home).startsWithChar ('.'))
            newFiles.add (file.getRelativePathFrom (home));

    EXPECT_EQ (aboveHome.existsAsFile(), aboveHomeExisted);

    if (juce::String (param.expectedFile).isEmpty())
    {
        EXPECT_EQ (newFiles.joinIntoString (", "), "");
    }
    else
    {
        EXPECT_EQ (newFiles.joinIntoString (", "), "Desktop/" + juce::String (param.expectedFile));
        EXPECT_EQ (desktop.getChildFile (param.expectedFile).loadFileAsString(), installerBody);
    }
}

INSTANTIATE_TEST_SUITE_P (Cases, WebEndToEndInstaller, ::testing::Values (
    InstallerCase { "Saved",          "/dl/setup-8.7.exe?channel=stable&os=win#notes", "/dl/setup-8.7.exe", 200,
                    "File downloaded", "setup-8.7.exe", "/dl/setup-8.7.exe?channel=stable&os=win" },
    InstallerCase { "NotFound",       "/dl/setup-8.7.exe", "", 404,
                    "Error while downloading file", "", "/dl/setup-8.7.exe" },
    InstallerCase { "ServerError",    "/dl/setup-8.7.exe", "/dl/setup-8.7.exe", 500,
                    "Error while downloading file", "", "/dl/setup-8.7.exe" },
    InstallerCase { "DotDot",         "/dl/..", "", 200,
                    "Error while downloading file", "", "" },
    InstallerCase { "SlashEnding",    "/dl/setup/", "", 200,
                    "Error while downloading file", "", "" },
    InstallerCase { "HiddenName",     "/dl/.bashrc", "/dl/.bashrc", 200,
                    "Error while downloading file", "", "" },
    InstallerCase { "EncodedSlash",   "/dl/..%2F..%2Fsetup.exe", "/dl/..%2F..%2Fsetup.exe", 200,
                    "Error while downloading file", "", "" },
    InstallerCase { "EncodedSlashInside", "/dl/a%2F..%2F..%2Fsetup.exe", "/dl/a%2F..%2F..%2Fsetup.exe", 200,
                    "File downloaded", "a%2F..%2F..%2Fsetup.exe", "/dl/a%2F..%2F..%2Fsetup.exe" },
    InstallerCase { "EncodedBackslash", "/dl/..%5C..%5Csetup.exe", "/dl/..%5C..%5Csetup.exe", 200,
                    "Error while downloading file", "", "" },
    InstallerCase { "EncodedBackslashInside", "/dl/a%5C..%5C..%5Csetup.exe", "/dl/a%5C..%5C..%5Csetup.exe", 200,
                    "File downloaded", "a%5C..%5C..%5Csetup.exe", "/dl/a%5C..%5C..%5Csetup.exe" }),
    [] (const auto& info) { return std::string (info.param.name); });

//==============================================================================
// The firmware catalogue after the identity reply, the offer, and the firmware file.

struct FirmwareCase
{
    const char* name;
    bool offerToDeviceCore;  ///< else the device core finds nothing and the host core is offered
    enum Body { image, notHex } body;
    int status;              ///< 0: the file is not served (404)
    const char* expectedStatus;
};

void PrintTo (const FirmwareCase& c, std::ostream* os)  { *os << c.name; }

class WebEndToEndFirmware : public WebEndToEnd,
                            public ::testing::WithParamInterface<FirmwareCase>
{
};

TEST_P (WebEndToEndFirmware, OfferAcceptedDownloadsAndLoadsTheFile)
{
    const auto& param = GetParam();
    const HexImage image (jorvekHostImageId);
    const juce::String filePath ("/fw/jorvek.hex");

    LocalHttpServer server;
    const auto offeredId = param.offerToDeviceCore ? "tovaneproforjorvekpro" : "jorvekpro";
    const auto offeredVersion = param.offerToDeviceCore ? "7.5" : "4.6";
    server.setResponse (WebEndpoints::firmwareCataloguePath,
                        LocalHttpServer::Response::text (catalogueOffering (offeredId, offeredVersion, server.getOrigin() + filePath)));

    if (param.status != 0)
        server.setResponse (filePath, LocalHttpServer::Response::text (param.body == FirmwareCase::image
                                                                            ? image.text
                                                                            : juce::String ("<html><body>This page is text, not a firmware image at all.</body></html>\n"),
                                                                        param.status));

    auto product = plugInJorvek();
    ASSERT_NO_FATAL_FAILURE (startTool (server, server, server));

    const auto expectedCode = param.offerToDeviceCore ? productJorvek + 6 : productJorvek;
    const juce::String suffix = param.offerToDeviceCore ? " (Device core)" : " (Host core)";

    auto* offer = waitForBox ("New firmware available" + suffix, 20000);
    ASSERT_NE (offer, nullptr);
    EXPECT_TRUE (offer->options.getMessage().startsWith ("A new firmware is available (Version " + juce::String (offeredVersion)
                                                         + ") for the connected product" + suffix));
    ASSERT_EQ (offer->options.getNumButtons(), 2);
    EXPECT_EQ (offer->options.getButtonText (0), "No");
    EXPECT_EQ (offer->options.getButtonText (1), "Yes, upgrade");
    EXPECT_EQ (device().productCode, expectedCode);

    // Each identity reply asked for the catalogue once: the device core's, then (without an offer) the host core's.
    const auto catalogueRequests = requestsFor (server, WebEndpoints::firmwareCataloguePath);
    EXPECT_EQ (catalogueRequests.size(), param.offerToDeviceCore ? 1 : 2);

    for (auto& request : catalogueRequests)
        EXPECT_EQ (request.method, "GET");

    if (! param.offerToDeviceCore)
        ASSERT_TRUE (waitForHostCoreRead());

    // Both beta flags set, so that a failed download that touched them would show.
    device().hostFirmwareBeta = 1;
    device().deviceFirmwareBeta = 1;
    offer->answer (0);

    ASSERT_TRUE (pumpUntil ([&] { return status() == param.expectedStatus; }, 30000)) << status();
    EXPECT_EQ (boxes.size(), 1u) << "the offer only";

    const auto fileRequests = requestsFor (server, filePath);
    ASSERT_EQ (fileRequests.size(), 1);
    EXPECT_EQ (fileRequests[0].method, "GET");

    if (juce::String (param.expectedStatus) == upgradeSuccess)
    {
        EXPECT_EQ (device().deviceMode, 0);
        const auto flash = product->getProduct().readFlash ((juce::uint32) HexImage::flashStart, (int) image.bytes.size());
        EXPECT_EQ (hexBytes (static_cast<const juce::uint8*> (flash.getData()), (int) flash.getSize()),
                   hexBytes (image.bytes.data(), (int) image.bytes.size()));
        return;
    }

    // Nothing was programmed, and the connected core and its beta flags stay as they were:
    // no switch to the host core follows.
    pump (1500);
    EXPECT_EQ (status(), param.expectedStatus);
    EXPECT_EQ (device().productCode, expectedCode);
    EXPECT_EQ (device().deviceMode, 1);
    EXPECT_FALSE (product->getProduct().isBootloaderRunning());
    EXPECT_EQ (device().hostFirmwareBeta, 1);
    EXPECT_EQ (device().deviceFirmwareBeta, 1);
}

INSTANTIATE_TEST_SUITE_P (Cases, WebEndToEndFirmware, ::testing::Values (
    FirmwareCase { "HostImageUpgrades",        false, FirmwareCase::image,  200, upgradeSuccess },
    FirmwareCase { "NotHexIsAParseError",      false, FirmwareCase::notHex, 200, hexError2 },
    FirmwareCase { "ErrorStatusFailsTheFile",  false, FirmwareCase::image,  500, firmwareDownloadFailed },
    FirmwareCase { "MissingFileKeepsTheDeviceCore", true, FirmwareCase::image, 0, firmwareDownloadFailed }),
    [] (const auto& info) { return std::string (info.param.name); });

//==============================================================================
// The device report, about 5 s after the first attached device.

namespace
{
    /** A parsed JSON value as one line: objects keep their key order, strings are bare, anything else is marked. */
    juce::String describe (const juce::var& value)
    {
        if (auto* object = value.getDynamicObject())
        {
            juce::StringArray fields;

            for (auto& property : object->getProperties())
                fields.add (property.name.toString() + "=" + describe (property.value));

            return "{" + fields.joinIntoString (";") + "}";
        }

        if (auto* array = value.getArray())
        {
            juce::StringArray items;

            for (auto& item : *array)
                items.add (describe (item));

            return "[" + items.joinIntoString (",") + "]";
        }

        return value.isString() ? value.toString() : "#" + value.toString();
    }

    SimulatedProduct::UsbDeviceSpec usbDevice (juce::int32 vidPid, const juce::String& name, int ins, int outs)
    {
        SimulatedProduct::UsbDeviceSpec spec;
        spec.vidPid = vidPid;
        spec.name = name;
        spec.inputCables = ins;
        spec.outputCables = outs;
        return spec;
    }

    const juce::String keysObject ("{Type=Midi;Name=Keys 49;VidPid=a1b2c3d;HubId=ff;NbIns=2;NbOuts=1}");
    const juce::String padsObject ("{Type=Midi;Name=Pads;VidPid=1234abcd;HubId=ff;NbIns=1;NbOuts=1}");
    constexpr juce::int32 keysVidPid = 0x0A1B2C3D;
    constexpr juce::int32 padsVidPid = 0x1234ABCD;
}

struct ReportCase
{
    const char* name;
    int status;
};

void PrintTo (const ReportCase& c, std::ostream* os)  { *os << c.name; }

class WebEndToEndReport : public WebEndToEnd,
                          public ::testing::WithParamInterface<ReportCase>
{
protected:
    /** Waits for the report number n (from 1) and checks it is the only new one; its body, parsed. */
    juce::var waitForReport (const LocalHttpServer& server, int n)
    {
        if (! pumpUntil ([&] { return requestsFor (server, WebEndpoints::deviceReportPath).size() >= n; }, 9000))
            return {};

        pump (1000);
        const auto reports = requestsFor (server, WebEndpoints::deviceReportPath);
        EXPECT_EQ (reports.size(), n);

        const auto& request = reports.getReference (n - 1);
        EXPECT_EQ (request.method, "POST");
        EXPECT_EQ (request.getHeader ("Content-Type"), "application/x-www-form-urlencoded");

        const auto body = request.getBodyText();
        const auto report = juce::JSON::parse (body);
        EXPECT_EQ (body, juce::JSON::toString (report)) << "the framework's multi-line layout";
        return report;
    }

    juce::String expectedReport (const juce::StringArray& deviceObjects)
    {
        return "{SwVer=8.6;FwVerDev=" + device().deviceFirmwareText + ";FwVerHost=" + device().hostFirmwareText
               + ";Serial=" + device().serialText + ";Product=Jorvek Pro;Devices=["
               + deviceObjects.joinIntoString (",") + "];Platform=" + WebEndpoints::platformName + "}";
    }
};

TEST_P (WebEndToEndReport, OneReportAfterTheFirstDeviceThenOnlyWhatWasNotAccepted)
{
    const bool accepted = GetParam().status == 200;

    LocalHttpServer server;
    server.setResponse (WebEndpoints::deviceReportPath, LocalHttpServer::Response::text ("done", GetParam().status));

    auto product = plugInJorvek();
    ASSERT_NO_FATAL_FAILURE (startTool (server, server, server));
    ASSERT_TRUE (waitForHostCoreRead()) << status();
    ASSERT_TRUE (device().serialText.isNotEmpty() && device().hostFirmwareText.isNotEmpty()
                 && device().deviceFirmwareText.isNotEmpty());

    const auto attachedAt = juce::Time::getMillisecondCounter();
    product->attachUsbDevice (usbDevice (keysVidPid, "Keys 49", 2, 1));

    ASSERT_TRUE (pumpUntil ([&] { return requestsFor (server, WebEndpoints::deviceReportPath).size() == 1; }, 9000));
    const auto delay = juce::Time::getMillisecondCounter() - attachedAt;
    EXPECT_GE (delay, 4900u);
    EXPECT_LT (delay, 7500u);

    EXPECT_EQ (describe (waitForReport (server, 1)), expectedReport ({ keysObject }));
    EXPECT_EQ (device().reportedDevices, accepted ? juce::Array<juce::int32> { keysVidPid } : juce::Array<juce::int32>());

    // A later device schedules the next report: accepted devices are left out of it, refused ones sent again.
    product->attachUsbDevice (usbDevice (padsVidPid, "Pads", 1, 1));

    EXPECT_EQ (describe (waitForReport (server, 2)),
               expectedReport (accepted ? juce::StringArray (padsObject) : juce::StringArray (keysObject, padsObject)));
    const juce::Array<juce::int32> bothAccepted { keysVidPid, padsVidPid };
    EXPECT_EQ (device().reportedDevices, accepted ? bothAccepted : juce::Array<juce::int32>());
}

INSTANTIATE_TEST_SUITE_P (Cases, WebEndToEndReport, ::testing::Values (ReportCase { "Accepted", 200 },
                                                                       ReportCase { "Refused", 500 }),
                          [] (const auto& info) { return std::string (info.param.name); });

using WebEndToEndDeviceCore = WebEndToEnd;

TEST_F (WebEndToEndDeviceCore, SendsNoReportAndItsOfferOutlivesTheTool)
{
    // The device core is offered a firmware; the offer stays open, so the device core stays connected.
    LocalHttpServer server;
    server.setResponse (WebEndpoints::firmwareCataloguePath,
                        LocalHttpServer::Response::text (catalogueOffering ("tovaneproforjorvekpro", "7.5",
                                                                            server.getOrigin() + "/fw/device.hex")));
    server.setResponse (WebEndpoints::deviceReportPath, LocalHttpServer::Response::text ("done"));

    auto product = plugInJorvek();
    ASSERT_NO_FATAL_FAILURE (startTool (server, server, server));
    auto* offer = waitForBox ("New firmware available (Device core)", 20000);
    ASSERT_NE (offer, nullptr);
    ASSERT_EQ (device().productCode, productJorvek + 6);

    product->attachUsbDevice (usbDevice (keysVidPid, "Keys 49", 2, 1));

    // Even with a filled record, a report started for the device core sends nothing.
    device().usbHostDevices[0].deviceHandle = 1;
    device().usbHostDevices[0].vidPid = keysVidPid;
    main->startDeviceReport();

    pump (6500);
    EXPECT_EQ (device().productCode, productJorvek + 6);
    EXPECT_TRUE (requestsFor (server, WebEndpoints::deviceReportPath).isEmpty());

    // The offer outlives the tool: answering it once the tool has closed starts nothing.
    main = nullptr;
    offer->answer (0);
    offer->answer (1);
    pump (300);
    EXPECT_TRUE (requestsFor (server, "/fw/device.hex").isEmpty());
}

//==============================================================================
// Closing the tool while every server stalls.

TEST_F (WebEndToEnd, ClosingWhileEveryServerStallsIsPromptAndClean)
{
    const auto stall = LocalHttpServer::Response::stall (30000);

    LocalHttpServer update, catalogue, report, installer;
    update.setResponse (WebEndpoints::versionListPath, stall);
    report.setResponse (WebEndpoints::deviceReportPath, stall);
    installer.setResponse ("/dl/setup-8.7.exe", stall);

    // The device core's catalogue answers nothing usable, so the tool moves on to the host core,
    // whose catalogue request then stalls.
    catalogue.setResponse (WebEndpoints::firmwareCataloguePath, LocalHttpServer::Response::text ("{}"));

    auto product = plugInJorvek();
    ASSERT_NO_FATAL_FAILURE (startTool (update, catalogue, report));

    ASSERT_TRUE (pumpUntil ([&] { return catalogue.getNumRequests() == 1; }, 20000));
    catalogue.setResponse (WebEndpoints::firmwareCataloguePath, stall);

    ASSERT_TRUE (waitForHostCoreRead());
    product->attachUsbDevice (usbDevice (keysVidPid, "Keys 49", 2, 1));
    main->downloadAppUpdate (installer.getOrigin() + "/dl/setup-8.7.exe");

    // Every worker now waits on its server: version list, host core catalogue, report and installer.
    ASSERT_TRUE (pumpUntil ([&] { return update.getNumRequests() == 1 && catalogue.getNumRequests() == 2
                                          && report.getNumRequests() == 1 && installer.getNumRequests() == 1; }, 9000));
    pump (200);

    const auto start = juce::Time::getMillisecondCounter();
    main = nullptr;
    const auto elapsed = juce::Time::getMillisecondCounter() - start;
    RecordProperty ("closeMs", (int) elapsed);
    EXPECT_LT (elapsed, 3000u);

    // Whatever was still queued for the main component is dropped; the stalled answers never arrive.
    pump (500);
    EXPECT_EQ (MidiController::getInstance(), nullptr);
    EXPECT_TRUE (juce::File::getSpecialLocation (juce::File::userDesktopDirectory)
                     .findChildFiles (juce::File::findFilesAndDirectories, false, "*").isEmpty());
    EXPECT_TRUE (boxes.empty());
}
