#include <gtest/gtest.h>
#include <juce_events/juce_events.h>

#include "app/AppVersionCheckThread.h"
#include "app/FileDownloadThread.h"
#include "app/SendDevicesToKelmoraServerThread.h"
#include "app/WebEndpoints.h"
#include "support/LocalHttpServer.h"

namespace
{
    /** The fields of one worker message. */
    struct Received
    {
        int type;
        juce::String text;
        FirmwareVersionInfo firmwareInfo;
        AppVersionInfo appInfo;
        juce::Array<juce::int32> acceptedDevices;
    };

    /** Keeps a copy of every worker message it receives on the message thread. */
    class RecordingListener : public juce::MessageListener
    {
    public:
        void handleMessage (const juce::Message& message) override
        {
            if (auto* m = dynamic_cast<const AsyncMessageCallBacks*> (&message))
                received.push_back ({ m->type, m->text, m->firmwareInfo, m->appInfo, m->acceptedDevices });
        }

        /** Pumps the message loop until count messages arrived or the time is up. */
        bool waitFor (size_t count, int timeoutMs = 10000)
        {
            const auto end = juce::Time::getMillisecondCounter() + (juce::uint32) timeoutMs;

            while (received.size() < count && juce::Time::getMillisecondCounter() < end)
                juce::MessageManager::getInstance()->runDispatchLoopUntil (10);

            return received.size() >= count;
        }

        /** Pumps the message loop for a while, so that a message posted by mistake would show. */
        void drain (int ms = 200)   { juce::MessageManager::getInstance()->runDispatchLoopUntil (ms); }

        std::vector<Received> received;
    };

    const juce::String versionList (
        "{\"items\":[{\"app\":\"pellion\",\"platform\":\"" + juce::String (WebEndpoints::platformKey) + "\",\"version\":\"8.7\","
        "\"url\":\"https://h/setup-8.7.exe\",\"date\":\"2024-05-01\",\"changelogs\":[\"Faster\"]}]}");

    const juce::String catalogue (
        "{\"versions\":[{\"product\":\"jorvekpro\",\"version\":\"4.6\",\"url\":\"https://h/jk46.hex\",\"date\":\"2024-05-01\"},"
        "{\"product\":\"norrimpro\",\"version\":\"4.7\",\"url\":\"https://h/nm47.hex\",\"date\":\"2024-06-01\"}]}");

    const juce::String hexFile (":020000040000FA\n:10000000000102030405060708090A0B0C0D0E0F78\n:00000001FF\n");

    juce::String padTo (juce::String json, int length)
    {
        // Pads a JSON object with a key whose value fills it up to the length.
        json = json.dropLastCharacters (1) + ",\"pad\":\"";
        return json + juce::String::repeatedString ("x", length - json.length() - 2) + "\"}";
    }
}

//==============================================================================
TEST (WebAppVersionCheckThread, GetsTheListAndPostsTheNewestEntry)
{
    LocalHttpServer server;
    ASSERT_TRUE (server.isListening());
    server.setResponse (WebEndpoints::versionListPath, LocalHttpServer::Response::text (versionList));

    RecordingListener listener;
    AppVersionCheckThread thread (listener, WebEndpoints::getAddress (WebEndpoints::versionList, server.getOrigin()));
    EXPECT_EQ (thread.getThreadName(), juce::String ("appVersionCheckThread"));
    thread.startThread();

    ASSERT_TRUE (listener.waitFor (1));
    const auto& message = listener.received[0];
    EXPECT_EQ (message.type, (int) appVersionOffer);
    EXPECT_TRUE (message.appInfo.valid);
    EXPECT_EQ (message.appInfo.version, juce::String ("8.7"));
    EXPECT_EQ (message.appInfo.url, juce::String ("https://h/setup-8.7.exe"));
    EXPECT_EQ (message.appInfo.changelog, juce::StringArray ("Faster"));
    EXPECT_FALSE (message.firmwareInfo.valid);

    const auto requests = server.getRequests();
    ASSERT_EQ (requests.size(), 1);
    EXPECT_EQ (requests[0].method, juce::String ("GET"));
    EXPECT_EQ (requests[0].target, "/api/apps/pellion/" + juce::String (WebEndpoints::platformKey) + "/versions");
    EXPECT_TRUE (requests[0].body.isEmpty());

    listener.drain();
    EXPECT_EQ (listener.received.size(), 1u);
}

TEST (WebAppVersionCheckThread, NoUsableAnswerPostsAnEmptyRecord)
{
    struct Case { const char* name; LocalHttpServer::Response response; };

    const Case cases[] = {
        { "50 characters", LocalHttpServer::Response::text (juce::String::repeatedString ("x", 50)) },
        { "error status", LocalHttpServer::Response::text (juce::String::repeatedString ("<p>gone</p>", 10), 404) },
        { "over the cap", LocalHttpServer::Response::text (padTo (versionList, (1 << 20) + 1)) },
    };

    for (auto& c : cases)
    {
        LocalHttpServer server;
        server.setResponse (WebEndpoints::versionListPath, c.response);

        RecordingListener listener;
        AppVersionCheckThread thread (listener, WebEndpoints::getAddress (WebEndpoints::versionList, server.getOrigin()));
        thread.startThread();

        ASSERT_TRUE (listener.waitFor (1)) << c.name;
        EXPECT_EQ (listener.received[0].type, (int) appVersionOffer) << c.name;
        EXPECT_FALSE (listener.received[0].appInfo.valid) << c.name;
        EXPECT_TRUE (listener.received[0].appInfo.version.isEmpty()) << c.name;
    }

    // No server at all.
    RecordingListener listener;
    AppVersionCheckThread thread (listener, "http://127.0.0.1:1/api/apps/pellion/windows/versions");
    thread.startThread();
    ASSERT_TRUE (listener.waitFor (1));
    EXPECT_FALSE (listener.received[0].appInfo.valid);
}

TEST (WebAppVersionCheckThread, ListAtTheCapIsStillRead)
{
    LocalHttpServer server;
    server.setResponse (WebEndpoints::versionListPath, LocalHttpServer::Response::text (padTo (versionList, 1 << 20)));

    RecordingListener listener;
    AppVersionCheckThread thread (listener, WebEndpoints::getAddress (WebEndpoints::versionList, server.getOrigin()));
    thread.startThread();

    ASSERT_TRUE (listener.waitFor (1));
    EXPECT_TRUE (listener.received[0].appInfo.valid);
}

//==============================================================================
TEST (WebFileDownloadThread, CatalogueFollowsRedirectAndPicksTheProductsEntry)
{
    LocalHttpServer server;
    server.setResponse (WebEndpoints::firmwareCataloguePath, LocalHttpServer::Response::redirect ("/moved/catalogue.json"));
    server.setResponse ("/moved/catalogue.json", LocalHttpServer::Response::text (catalogue));

    RecordingListener listener;
    FileDownloadThread thread (listener, 6, WebEndpoints::getAddress (WebEndpoints::firmwareCatalogue, server.getOrigin()),
                               FileDownloadThread::catalogueMode);
    EXPECT_EQ (thread.getThreadName(), juce::String ("fileDwthread"));
    thread.startThread();

    ASSERT_TRUE (listener.waitFor (1));
    const auto& message = listener.received[0];
    EXPECT_EQ (message.type, (int) firmwareOffer);
    EXPECT_TRUE (message.firmwareInfo.valid);
    EXPECT_EQ (message.firmwareInfo.product, juce::String ("norrimpro"));
    EXPECT_EQ (message.firmwareInfo.version, juce::String ("4.7"));
    EXPECT_EQ (message.firmwareInfo.url, juce::String ("https://h/nm47.hex"));

    const auto requests = server.getRequests();
    ASSERT_EQ (requests.size(), 2);
    EXPECT_EQ (requests[0].method, juce::String ("GET"));
    EXPECT_EQ (requests[0].path, juce::String ("/sv/sv_midi_firmware_v4.json"));
    EXPECT_EQ (requests[1].path, juce::String ("/moved/catalogue.json"));
}

TEST (WebFileDownloadThread, CatalogueWithoutUsableAnswerPostsAnEmptyOffer)
{
    struct Case { const char* name; int productCode; LocalHttpServer::Response response; };

    const Case cases[] = {
        { "short answer", 4, LocalHttpServer::Response::text ("{\"versions\":[]}") },
        { "over the cap", 4, LocalHttpServer::Response::text (padTo (catalogue, (1 << 20) + 1)) },
        { "no catalogue id for the code", 255, LocalHttpServer::Response::text (catalogue) },
    };

    for (auto& c : cases)
    {
        LocalHttpServer server;
        server.setResponse (WebEndpoints::firmwareCataloguePath, c.response);

        RecordingListener listener;
        FileDownloadThread thread (listener, c.productCode,
                                   WebEndpoints::getAddress (WebEndpoints::firmwareCatalogue, server.getOrigin()),
                                   FileDownloadThread::catalogueMode);
        thread.startThread();

        ASSERT_TRUE (listener.waitFor (1)) << c.name;
        EXPECT_EQ (listener.received[0].type, (int) firmwareOffer) << c.name;
        EXPECT_FALSE (listener.received[0].firmwareInfo.valid) << c.name;
    }
}

TEST (WebFileDownloadThread, FirmwareFileTextOrFailure)
{
    struct Case { const char* name; LocalHttpServer::Response response; int type; juce::String text; };

    const Case cases[] = {
        { "file", LocalHttpServer::Response::text (hexFile), firmwareFile, hexFile },
        { "error status with a long body", LocalHttpServer::Response::text (hexFile, 404), firmwareFileFailed,
          "Error: firmware file download failed" },
        { "50 characters", LocalHttpServer::Response::text (hexFile.substring (0, 50)), firmwareFileFailed,
          "Error: firmware file download failed" },
    };

    for (auto& c : cases)
    {
        LocalHttpServer server;
        server.setResponse ("/fw/jk46.hex", c.response);

        RecordingListener listener;
        FileDownloadThread thread (listener, 4, server.getOrigin() + "/fw/jk46.hex?build=7",
                                   FileDownloadThread::firmwareFileMode);
        thread.startThread();

        ASSERT_TRUE (listener.waitFor (1)) << c.name;
        EXPECT_EQ (listener.received[0].type, c.type) << c.name;
        EXPECT_EQ (listener.received[0].text, c.text) << c.name;
        EXPECT_FALSE (listener.received[0].firmwareInfo.valid) << c.name;

        const auto requests = server.getRequests();
        ASSERT_EQ (requests.size(), 1) << c.name;
        EXPECT_EQ (requests[0].target, juce::String ("/fw/jk46.hex?build=7")) << c.name;
    }
}

TEST (WebFileDownloadThread, FirmwareFileOverTheCapFails)
{
    LocalHttpServer server;
    LocalHttpServer::Response big;
    big.body.assign ((16 << 20) + 1, ':');
    server.setResponse ("/fw/big.hex", big);

    RecordingListener listener;
    FileDownloadThread thread (listener, 4, server.getOrigin() + "/fw/big.hex", FileDownloadThread::firmwareFileMode);
    thread.startThread();

    ASSERT_TRUE (listener.waitFor (1, 30000));
    EXPECT_EQ (listener.received[0].type, (int) firmwareFileFailed);
}

//==============================================================================
namespace
{
    DeviceReport::Snapshot reportSnapshot()
    {
        DeviceReport::Snapshot s;
        s.productCode = 2;
        s.numHostPorts = 8;
        s.records.resize (16);
        s.applicationVersion = "8.6";
        s.deviceFirmwareText = "7.1";
        s.hostFirmwareText = "4.5";
        s.serialText = "AABBCCDD0000000100000002";
        s.productName = "Calder Pro";

        UsbHostDevice keys;
        keys.deviceHandle = 3;
        keys.vidPid = 0x0a1b2c3d;
        keys.inputCables = 2;
        keys.outputCables = 16;
        strncpy (keys.name, "Keys", 16);
        s.records.set (2, keys);
        s.records.set (10, keys);
        return s;
    }
}

TEST (WebSendDevicesThread, PostsTheReportAndHandsAcceptedDevicesBack)
{
    LocalHttpServer server;
    server.setResponse (WebEndpoints::deviceReportPath, LocalHttpServer::Response::text ("ok"));

    // Enough devices for a body of more than 1 KiB, which some clients send after "Expect: 100-continue".
    auto snapshot = reportSnapshot();

    for (int i = 0; i < 10; ++i)
    {
        auto record = snapshot.records[2];
        record.vidPid = 0x10000 + i;
        snapshot.records.set (4 + i, record);
    }

    juce::Array<juce::int32> reported;
    const auto expectedBody = DeviceReport::buildBody (snapshot, reported);
    ASSERT_GT (expectedBody.getNumBytesAsUTF8(), 1024u);
    ASSERT_EQ (reported.size(), 11);

    RecordingListener listener;
    SendDevicesToKelmoraServerThread thread (listener, WebEndpoints::getAddress (WebEndpoints::deviceReport, server.getOrigin()),
                                             snapshot);
    EXPECT_EQ (thread.getThreadName(), juce::String ("sendDevicesToKelmoraServerThread"));
    thread.startThread();

    ASSERT_TRUE (listener.waitFor (1));
    const auto& message = listener.received[0];
    EXPECT_EQ (message.type, (int) reportAccepted);
    EXPECT_EQ (message.text, juce::String ("AABBCCDD0000000100000002"));
    EXPECT_EQ (message.acceptedDevices, reported);
    EXPECT_EQ (message.acceptedDevices[0], 0x0a1b2c3d);

    const auto requests = server.getRequests();
    ASSERT_EQ (requests.size(), 1);
    const auto& request = requests[0];
    EXPECT_EQ (request.method, juce::String ("POST"));
    EXPECT_EQ (request.target, juce::String ("/custom/postPvDevice.php"));
    EXPECT_EQ (request.getHeader ("Content-Type"), juce::String ("application/x-www-form-urlencoded"));

    EXPECT_EQ (request.getBodyText(), expectedBody);
    EXPECT_EQ ((size_t) expectedBody.getNumBytesAsUTF8(), request.body.getSize()); // no terminating zero
    EXPECT_EQ (request.getHeader ("Content-Length"), juce::String (request.body.getSize()));

    const auto parsed = juce::JSON::parse (request.getBodyText());
    EXPECT_EQ (parsed["Devices"][0]["VidPid"].toString(), juce::String ("a1b2c3d"));
    EXPECT_EQ (parsed["Devices"][0]["NbOuts"].toString(), juce::String ("10"));
}

TEST (WebSendDevicesThread, NonOkAnswerOrNothingToReportRecordsNothing)
{
    for (int status : { 201, 404, 500 })
    {
        LocalHttpServer server;
        server.setResponse (WebEndpoints::deviceReportPath, LocalHttpServer::Response::text ("no", status));

        RecordingListener listener;
        {
            SendDevicesToKelmoraServerThread thread (listener, WebEndpoints::getAddress (WebEndpoints::deviceReport, server.getOrigin()),
                                                     reportSnapshot());
            thread.startThread();
            ASSERT_TRUE (server.waitForRequests (1, 10000)) << status;
            while (thread.isThreadRunning())
                juce::Thread::sleep (5);
        }

        listener.drain();
        EXPECT_TRUE (listener.received.empty()) << status;
    }

    // Every device already accepted, a device core, or an empty port list: no request at all.
    auto accepted = reportSnapshot();
    accepted.reportedDevices.add (0x0a1b2c3d);
    auto deviceCore = reportSnapshot();
    deviceCore.productCode = 8;
    deviceCore.records.clear();
    auto upgradeMode = reportSnapshot();
    upgradeMode.productCode = 13;

    for (auto& snapshot : { accepted, deviceCore, upgradeMode })
    {
        LocalHttpServer server;
        server.setResponse (WebEndpoints::deviceReportPath, LocalHttpServer::Response::text ("ok"));

        RecordingListener listener;
        {
            SendDevicesToKelmoraServerThread thread (listener, WebEndpoints::getAddress (WebEndpoints::deviceReport, server.getOrigin()),
                                                     snapshot);
            thread.startThread();
            while (thread.isThreadRunning())
                juce::Thread::sleep (5);
        }

        listener.drain (100);
        EXPECT_EQ (server.getNumRequests(), 0);
        EXPECT_TRUE (listener.received.empty());
    }
}

//==============================================================================
TEST (WebThreadCancellation, DeletingAThreadWhileTheServerStallsReturnsPromptly)
{
    // A cancelled exchange ends when the framework's next wait on its socket does, at most about
    // one second later; a thread given two seconds and then killed could not pass.
    constexpr int cancelBoundMs = 1500;
    constexpr int cancelGraceMs = 1500;

    LocalHttpServer server (16, 120000);
    const auto stall = LocalHttpServer::Response::stall (30000);
    server.setResponse (WebEndpoints::versionListPath, stall);
    server.setResponse (WebEndpoints::firmwareCataloguePath, stall);
    server.setResponse ("/fw/file.hex", stall);
    server.setResponse (WebEndpoints::deviceReportPath, stall);

    RecordingListener listener;

    const std::function<std::unique_ptr<juce::Thread>()> makers[] = {
        [&] { return std::make_unique<AppVersionCheckThread> (listener, WebEndpoints::getAddress (WebEndpoints::versionList, server.getOrigin())); },
        [&] { return std::make_unique<FileDownloadThread> (listener, 4, WebEndpoints::getAddress (WebEndpoints::firmwareCatalogue, server.getOrigin()), 0); },
        [&] { return std::make_unique<FileDownloadThread> (listener, 4, server.getOrigin() + "/fw/file.hex", 1); },
        [&] { return std::make_unique<SendDevicesToKelmoraServerThread> (listener, WebEndpoints::getAddress (WebEndpoints::deviceReport, server.getOrigin()), reportSnapshot()); },
    };

    int expectedRequests = 0;

    for (auto& make : makers)
    {
        auto thread = make();
        thread->startThread();
        ASSERT_TRUE (server.waitForRequests (++expectedRequests, 10000)) << thread->getThreadName();
        juce::Thread::sleep (200);
        ASSERT_TRUE (thread->isThreadRunning()) << thread->getThreadName();

        // The exit signal cancels the exchange, so run() returns by itself at once; a thread
        // that had to be killed after a grace period would fail both checks.
        const auto name = thread->getThreadName();
        const auto start = juce::Time::getMillisecondCounter();
        const bool returnedByItself = thread->stopThread (cancelGraceMs);
        thread.reset();
        const auto elapsed = juce::Time::getMillisecondCounter() - start;

        EXPECT_TRUE (returnedByItself) << name;
        EXPECT_LT (elapsed, (juce::uint32) cancelBoundMs) << expectedRequests;
    }

    listener.drain();
    EXPECT_TRUE (listener.received.empty());
}
