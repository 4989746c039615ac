#include <gtest/gtest.h>

#include "app/InstallerDownload.h"
#include "support/LocalHttpServer.h"

#include <cstdlib>
#include <juce_events/juce_events.h>

/** Points HOME at a fresh folder with a "Desktop", so the user's desktop folder lies inside it. */
class WebInstallerDownload : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (auto* home = std::getenv ("HOME"))
            savedHome = home;

        home = juce::File::createTempFile ("home");
        ASSERT_TRUE (home.createDirectory());
        ::setenv ("HOME", home.getFullPathName().toRawUTF8(), 1);

        desktop = home.getChildFile ("Desktop");
        ASSERT_TRUE (desktop.createDirectory());
        ASSERT_EQ (juce::File::getSpecialLocation (juce::File::userDesktopDirectory), desktop);
    }

    void TearDown() override
    {
        if (savedHome.isNotEmpty())
            ::setenv ("HOME", savedHome.toRawUTF8(), 1);
        else
            ::unsetenv ("HOME");

        home.deleteRecursively();
    }

    /** Polls like the caller's timer until the download has ended. */
    static InstallerDownload::State waitForEnd (InstallerDownload& download, int timeoutMs = 10000)
    {
        const auto end = juce::Time::getMillisecondCounter() + (juce::uint32) timeoutMs;

        while (download.getState() == InstallerDownload::State::running && juce::Time::getMillisecondCounter() < end)
            juce::Thread::sleep (20);

        return download.poll();
    }

    /** Every file below HOME, as paths relative to it. */
    juce::StringArray filesUnderHome() const
    {
        juce::StringArray paths;

        // Hidden files count too: a left-over temporary file would show here.
        for (auto& entry : juce::RangedDirectoryIterator (home, true, "*", juce::File::findFilesAndDirectories))
            paths.add (entry.getFile().getRelativePathFrom (home));

        paths.sort (false);
        return paths;
    }

    juce::String savedHome;
    juce::File home, desktop;
    LocalHttpServer server;
};

TEST_F (WebInstallerDownload, SavesUnderTheLastPathSegmentAndKeepsTheQueryInTheRequest)
{
    server.setResponse ("/dl/setup-8.7.exe", LocalHttpServer::Response::text ("new installer"));
    ASSERT_TRUE (desktop.getChildFile ("setup-8.7.exe").replaceWithText ("old installer"));

    InstallerDownload download (server.getOrigin() + "/dl/setup-8.7.exe?token=a%2Fb&x=1#part");
    EXPECT_EQ (download.getTargetFile(), desktop.getChildFile ("setup-8.7.exe"));

    testing::internal::CaptureStdout();
    EXPECT_EQ (download.poll(), InstallerDownload::State::running);
    const auto printed = testing::internal::GetCapturedStdout();
    EXPECT_EQ (printed, std::string ("downloading...\n"));

    ASSERT_EQ (waitForEnd (download), InstallerDownload::State::finished);
    EXPECT_EQ (desktop.getChildFile ("setup-8.7.exe").loadFileAsString(), juce::String ("new installer"));
    EXPECT_EQ (filesUnderHome(), juce::StringArray ("Desktop", "Desktop/setup-8.7.exe"));

    const auto requests = server.getRequests();
    ASSERT_EQ (requests.size(), 1);
    EXPECT_EQ (requests[0].method, juce::String ("GET"));
    EXPECT_EQ (requests[0].target, juce::String ("/dl/setup-8.7.exe?token=a%2Fb&x=1"));
}

TEST_F (WebInstallerDownload, PollingOnTheMessageThreadReportsTheEndOnce)
{
    server.setResponse ("/dl/setup.exe", LocalHttpServer::Response::text ("payload"));

    auto download = std::make_unique<InstallerDownload> (server.getOrigin() + "/dl/setup.exe");
    std::vector<InstallerDownload::State> ends;
    download->pollOnMessageThread ([&] (InstallerDownload::State s) { ends.push_back (s); download.reset(); });

    for (int i = 0; i < 100 && ends.empty(); ++i)
        juce::MessageManager::getInstance()->runDispatchLoopUntil (50);

    EXPECT_EQ (ends, std::vector<InstallerDownload::State> { InstallerDownload::State::finished });
    EXPECT_EQ (download, nullptr);
    EXPECT_EQ (desktop.getChildFile ("setup.exe").loadFileAsString(), juce::String ("payload"));
}

TEST_F (WebInstallerDownload, ErrorStatusFailsAndLeavesNoFile)
{
    server.setResponse ("/dl/setup.exe", LocalHttpServer::Response::text ("<html>not here</html>", 404));

    InstallerDownload download (server.getOrigin() + "/dl/setup.exe");
    EXPECT_EQ (waitForEnd (download), InstallerDownload::State::failed);
    EXPECT_EQ (filesUnderHome(), juce::StringArray ("Desktop"));

    // No server at all.
    InstallerDownload unreachable ("http://127.0.0.1:1/dl/setup.exe");
    EXPECT_EQ (waitForEnd (unreachable), InstallerDownload::State::failed);
    EXPECT_EQ (filesUnderHome(), juce::StringArray ("Desktop"));
}

TEST_F (WebInstallerDownload, UntrustedNamesNeverWriteOutsideTheDesktop)
{
    struct Case { const char* path; InstallerDownload::State state; const char* savedAs; };

    const Case cases[] = {
        { "/dl/..",                  InstallerDownload::State::refused,  nullptr },
        { "/dl/",                    InstallerDownload::State::refused,  nullptr },
        { "/dl/..\\evil.exe",        InstallerDownload::State::refused,  nullptr },
        { "/dl/.bashrc",             InstallerDownload::State::refused,  nullptr },
        { "/dl/.profile",            InstallerDownload::State::refused,  nullptr },
        { "/dl/..%2F..%2Fevil.exe",  InstallerDownload::State::refused,  nullptr },
        { "/dl/a%2F..%2F..%2Fevil.exe", InstallerDownload::State::finished, "Desktop/a%2F..%2F..%2Fevil.exe" },
        { "/dl/%2e%2e",              InstallerDownload::State::finished, "Desktop/%2e%2e" },
    };

    for (auto& c : cases)
    {
        server.setResponse (c.path, LocalHttpServer::Response::text ("payload"));
        const auto before = server.getNumRequests();

        InstallerDownload download (server.getOrigin() + c.path);
        EXPECT_EQ (waitForEnd (download), c.state) << c.path;

        juce::StringArray expected ("Desktop");
        if (c.savedAs != nullptr)
            expected.add (c.savedAs);

        EXPECT_EQ (filesUnderHome(), expected) << c.path;
        EXPECT_EQ (server.getNumRequests() - before, c.savedAs != nullptr ? 1 : 0) << c.path;

        for (auto& f : desktop.findChildFiles (juce::File::findFiles, false))
            f.deleteFile();
    }
}

TEST_F (WebInstallerDownload, NeverReplacesADirectoryOrALink)
{
    server.setResponse ("/dl/setup.exe", LocalHttpServer::Response::text ("payload"));

    const auto outside = home.getChildFile ("precious.txt");
    ASSERT_TRUE (outside.replaceWithText ("keep me"));
    ASSERT_TRUE (outside.createSymbolicLink (desktop.getChildFile ("setup.exe"), true));

    InstallerDownload throughLink (server.getOrigin() + "/dl/setup.exe");
    EXPECT_EQ (throughLink.getState(), InstallerDownload::State::refused);
    EXPECT_EQ (outside.loadFileAsString(), juce::String ("keep me"));
    EXPECT_TRUE (desktop.getChildFile ("setup.exe").isSymbolicLink());

    ASSERT_TRUE (desktop.getChildFile ("setup.exe").deleteFile());
    ASSERT_TRUE (desktop.getChildFile ("setup.exe").createDirectory());

    InstallerDownload ontoFolder (server.getOrigin() + "/dl/setup.exe");
    EXPECT_EQ (ontoFolder.getState(), InstallerDownload::State::refused);
    EXPECT_TRUE (desktop.getChildFile ("setup.exe").isDirectory());
    EXPECT_EQ (server.getNumRequests(), 0);
}

TEST_F (WebInstallerDownload, RefusedWhereTheDesktopFolderIsTheHomeFolder)
{
    // A desktop without a folder of its own: the user's folder settings name the home folder.
    ASSERT_TRUE (home.getChildFile (".config").createDirectory());
    ASSERT_TRUE (home.getChildFile (".config/user-dirs.dirs").replaceWithText ("XDG_DESKTOP_DIR=\"$HOME/\"\n"));
    ASSERT_EQ (juce::File::getSpecialLocation (juce::File::userDesktopDirectory), home);
    ASSERT_TRUE (home.getChildFile (".profile").replaceWithText ("user's own"));

    for (auto* path : { "/dl/setup.exe", "/dl/.profile", "/dl/.bashrc" })
    {
        server.setResponse (path, LocalHttpServer::Response::text ("payload"));
        InstallerDownload download (server.getOrigin() + path);
        EXPECT_EQ (download.getState(), InstallerDownload::State::refused) << path;
    }

    EXPECT_EQ (server.getNumRequests(), 0);
    EXPECT_EQ (home.getChildFile (".profile").loadFileAsString(), juce::String ("user's own"));
    EXPECT_EQ (filesUnderHome(), juce::StringArray (".config", ".config/user-dirs.dirs", ".profile", "Desktop"));
}

TEST_F (WebInstallerDownload, ShortUrlIsIgnoredAndMissingDesktopRefused)
{
    EXPECT_EQ (InstallerDownload ("http://a/b?with-a-long-query").getState(), InstallerDownload::State::ignored);

    ASSERT_TRUE (desktop.deleteRecursively());
    EXPECT_EQ (InstallerDownload (server.getOrigin() + "/dl/setup.exe").getState(), InstallerDownload::State::refused);
}

TEST_F (WebInstallerDownload, DeletingWhileTheServerStallsReturnsPromptlyAndLeavesNoFile)
{
    server.setResponse ("/dl/setup.exe", LocalHttpServer::Response::stall (30000));

    auto download = std::make_unique<InstallerDownload> (server.getOrigin() + "/dl/setup.exe");
    ASSERT_TRUE (server.waitForRequests (1, 10000));
    juce::Thread::sleep (200);
    EXPECT_EQ (download->getState(), InstallerDownload::State::running);

    const auto start = juce::Time::getMillisecondCounter();
    download.reset();
    EXPECT_LT (juce::Time::getMillisecondCounter() - start, 2500u);
    EXPECT_EQ (filesUnderHome(), juce::StringArray ("Desktop"));
}
