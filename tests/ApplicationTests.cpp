// The window tests build a main component, whose destructor deletes the device object for good,
// and the quit tests stop the message loop: run them one per process (ctest does).

#include "support/SimTestSupport.h"
#include "app/brisaHostAppApplication.h"
#include "app/MainComponent.h"
#include "app/AppVersionCheckThread.h"
#include "app/WebEndpoints.h"

#include <cstring>
#include <stdexcept>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace
{
    const juce::Colour backgroundColour (0xff323e44);
    const juce::Colour buttonColour (0xffff7f50);
    constexpr auto localEndpoint = "http://127.0.0.1:9";

    /** Points the web endpoints at a closed local port, so that nothing waits for the network. */
    void writeLocalEndpoints (const juce::File& home)
    {
        writeServerOrigins (home, localEndpoint, localEndpoint, localEndpoint);
    }

    juce::File testHome()
    {
        return juce::File::getSpecialLocation (juce::File::userHomeDirectory);
    }

}

//==============================================================================
class ApplicationWindowTest : public SimulatedDeviceFixture
{
protected:
    void TearDown() override
    {
        window = nullptr;
        SimulatedDeviceFixture::TearDown();
    }

    void openWindow()
    {
        writeLocalEndpoints (testHome());
        window = std::make_unique<brisaHostAppApplication::MainWindow> ("Pellion Tools");
    }

    MainComponent& main() { return *dynamic_cast<MainComponent*> (window->getContentComponent()); }

    /** A child of the main component, found by its component name. */
    template <typename ComponentType>
    ComponentType& child (const juce::String& name)
    {
        for (auto* c : main().getChildren())
            if (c->getName() == name)
                if (auto* typed = dynamic_cast<ComponentType*> (c))
                    return *typed;

        throw std::runtime_error ("no child named " + name.toStdString());
    }

    static bool quitRequested() { return juce::MessageManager::getInstance()->hasStopMessageBeenSent(); }

    std::unique_ptr<brisaHostAppApplication::MainWindow> window;
};

//==============================================================================
using ApplicationStartUp = ApplicationWindowTest;

TEST_F (ApplicationStartUp, WindowShowsTheRouterTabEmptyLinesAndDisabledButtons)
{
    openWindow();

    EXPECT_TRUE (window->isOnDesktop());
    EXPECT_TRUE (window->isVisible());
    EXPECT_EQ (window->getName(), "Pellion Tools");
    EXPECT_EQ (main().getBounds().getWidth(), 800);
    EXPECT_EQ (main().getBounds().getHeight(), 600);
    EXPECT_EQ (device().baseContentWidth, (float) window->getWidth());
    EXPECT_EQ (device().baseContentHeight, (float) window->getHeight());

    EXPECT_EQ (child<juce::Label> ("status").getText().trim(), "-");
    EXPECT_EQ (child<juce::Label> ("usbInfoLabel").getText().trim(), "Information: -");
    EXPECT_EQ (child<juce::Label> ("new label").getText(), "Version 8.6");

    for (auto [name, text] : { std::pair { "buttonReset", "Reset all to factory defaults" },
                               std::pair { "buttonViewFullSettings", "View full settings" } })
    {
        auto& button = child<juce::TextButton> (name);
        EXPECT_EQ (button.getButtonText(), text);
        EXPECT_FALSE (button.isEnabled()) << name;
    }

    auto& tabs = *main().tabs;
    EXPECT_EQ (tabs.getTabNames(), juce::StringArray ({ "MIDI Filter", "MIDI Mapper", "MIDI Router", "Firmware", "Settings" }));
    EXPECT_EQ (tabs.getCurrentTabName(), "MIDI Router");

    juce::StringArray contentNames;
    for (int i = 0; i < tabs.getNumTabs(); ++i)
        contentNames.add (tabs.getTabContentComponent (i)->getName());
    EXPECT_EQ (contentNames, juce::StringArray ({ "Filter", "Mapper", "RouterMidi", "Upgrader", "Settings" }));

    EXPECT_EQ (device().midiInput, nullptr);
    EXPECT_EQ (device().midiOutput, nullptr);

    // The version check finds no server; that must not open any box.
    ASSERT_TRUE (pumpUntil ([this] { return ! main().appVersionCheckThread->isThreadRunning(); }, 5000));
    pump (50);
    EXPECT_EQ (juce::ModalComponentManager::getInstance()->getNumModalComponents(), 0);
}

TEST_F (ApplicationStartUp, SnapshotShowsBackgroundButtonsAndLogo)
{
    openWindow();
    const auto image = main().createComponentSnapshot (main().getLocalBounds());
    ASSERT_EQ (image.getBounds(), juce::Rectangle<int> (800, 600));

    // Between the tabs and the lower controls, and in the lower right corner, nothing is drawn.
    for (auto point : { juce::Point<int> (400, 455), juce::Point<int> (5, 455), juce::Point<int> (795, 595) })
        EXPECT_EQ (image.getPixelAt (point.x, point.y), backgroundColour) << point.toString();

    // The two (disabled) buttons are filled in their coral colour, however the look and feel shades it.
    for (auto* name : { "buttonReset", "buttonViewFullSettings" })
    {
        const auto bounds = child<juce::TextButton> (name).getBounds();
        const auto pixel = image.getPixelAt (bounds.getX() + 8, bounds.getY() + 5);
        EXPECT_NE (pixel, backgroundColour) << name;
        EXPECT_NEAR (pixel.getHue(), buttonColour.getHue(), 0.03f) << name << " " << pixel.toDisplayString (true);
        EXPECT_TRUE (pixel.getRed() > pixel.getGreen() && pixel.getGreen() > pixel.getBlue()) << name << " " << pixel.toDisplayString (true);
    }

    // The logo's area: x 640..760, y 536..600 at this size.
    int drawn = 0;
    const juce::Rectangle<int> logoArea (640, 536, 120, 64);
    for (int y = logoArea.getY(); y < logoArea.getBottom(); ++y)
        for (int x = logoArea.getX(); x < logoArea.getRight(); ++x)
            drawn += image.getPixelAt (x, y) != backgroundColour ? 1 : 0;

    EXPECT_GT (drawn, logoArea.getWidth() * logoArea.getHeight() / 10);
}

//==============================================================================
using ApplicationWindow = ApplicationWindowTest;

TEST_F (ApplicationWindow, ResizingStaysWithinTheLimitsAtFourToThree)
{
    openWindow();

    auto* constrainer = window->getConstrainer();
    ASSERT_NE (constrainer, nullptr);
    EXPECT_EQ (juce::Rectangle<int> (constrainer->getMinimumWidth(), constrainer->getMinimumHeight(),
                                     constrainer->getMaximumWidth(), constrainer->getMaximumHeight()),
               juce::Rectangle<int> (654, 490, 1680, 1260));
    EXPECT_DOUBLE_EQ (constrainer->getFixedAspectRatio(), 4.0 / 3.0);

    // Sizes asked for: far too small, in between, and far too large.
    for (auto wanted : { juce::Rectangle<int> (0, 0, 300, 200), juce::Rectangle<int> (0, 0, 1000, 600),
                         juce::Rectangle<int> (0, 0, 4000, 3000) })
    {
        window->setBoundsConstrained (wanted);
        const int w = window->getWidth(), h = window->getHeight();
        SCOPED_TRACE (wanted.toString() + " gave " + juce::String (w) + " x " + juce::String (h));

        EXPECT_GE (w, 654);
        EXPECT_GE (h, 490);
        EXPECT_LE (w, 1680);
        EXPECT_LE (h, 1260);
        EXPECT_NEAR (w * 3, h * 4, 4);
        EXPECT_EQ (main().getBounds().getWidth(), w);
        EXPECT_EQ (main().getBounds().getHeight(), h);
    }
}

//==============================================================================
using ApplicationQuit = ApplicationWindowTest;

TEST_F (ApplicationQuit, WithoutProductNothingGoesOutAndTheToolQuitsAtOnce)
{
    openWindow();
    ASSERT_FALSE (quitRequested());

    window->closeButtonPressed();

    EXPECT_TRUE (quitRequested());
    EXPECT_EQ (device().midiOutput, nullptr);
    EXPECT_EQ (child<juce::Label> ("status").getText().trim(), "-");
}

class ApplicationQuitConnected : public ApplicationWindowTest
{
protected:
    /** Opens the window with a simulated Jorvek plugged in and waits until the monitor has connected
        it and the whole read is done; then forgets what the product received so far. */
    void SetUp() override
    {
        ApplicationWindowTest::SetUp();

        SimulatedProduct::Config config;
        config.productCode = productJorvek;
        config.hostFirmware = { 4, 5 };
        product = addProduct (config);

        openWindow();
        ASSERT_TRUE (pumpUntil ([this] { return device().readCompleteSent == 1 && device().waitingForReply == 0
                                                && device().getFirstPendingKind() == 0xFF; }, 10000))
            << child<juce::Label> ("status").getText();
        ASSERT_EQ (device().productCode, productJorvek);
        ASSERT_TRUE (product->waitUntilIdle (2000));
        product->clearLogs();
    }

    /** The system-exclusive requests the product received since then. */
    juce::StringArray receivedRequests()
    {
        EXPECT_TRUE (product->waitUntilIdle (2000));
        juce::StringArray requests;

        for (auto& message : product->getReceivedMessages())
            if (message.getSize() > 8 && static_cast<const juce::uint8*> (message.getData())[0] == 0xF0)
                requests.add (hexBytes (static_cast<const juce::uint8*> (message.getData()), (int) message.getSize()));

        return requests;
    }

    std::shared_ptr<SimulatedProductRunner> product;
};

TEST_F (ApplicationQuitConnected, CloseButtonSendsOneCloseConnectionThenQuitsHalfASecondLater)
{
    const auto start = juce::Time::getMillisecondCounter();
    window->closeButtonPressed();
    EXPECT_FALSE (quitRequested());

    ASSERT_TRUE (pumpUntil ([] { return quitRequested(); }, 3000));
    const auto elapsed = (int) (juce::Time::getMillisecondCounter() - start);
    EXPECT_GE (elapsed, 480);
    EXPECT_LE (elapsed, 1500);

    // F0 00 4B 1D 0F, the Jorvek's id, command type 00, close-connection 07.
    const auto requests = receivedRequests();
    ASSERT_EQ (requests.size(), 1) << requests.joinIntoString ("\n");
    EXPECT_TRUE (requests[0].startsWith ("F0 00 4B 1D 0F 26 00 07")) << requests[0];
}

TEST_F (ApplicationQuitConnected, SecondPressWhileClosingDoesNothing)
{
    const auto start = juce::Time::getMillisecondCounter();
    window->closeButtonPressed();
    pump (200);
    window->closeButtonPressed();

    ASSERT_TRUE (pumpUntil ([] { return quitRequested(); }, 3000));
    EXPECT_LE ((int) (juce::Time::getMillisecondCounter() - start), 1500);
    pump (700);

    const auto requests = receivedRequests();
    ASSERT_EQ (requests.size(), 1) << requests.joinIntoString ("\n");
    EXPECT_TRUE (requests[0].startsWith ("F0 00 4B 1D 0F 26 00 07")) << requests[0];
}

TEST_F (ApplicationQuitConnected, SystemQuitRequestQuitsAtOnceWithoutClosingTheConnection)
{
    // The application object as the framework's start-up makes it (which marks the process as an application).
    juce::JUCEApplicationBase::createInstance = [] () -> juce::JUCEApplicationBase* { return nullptr; };
    {
        brisaHostAppApplication application;
        application.systemRequestedQuit();
        EXPECT_TRUE (quitRequested());
    }
    juce::JUCEApplicationBase::createInstance = nullptr;

    EXPECT_TRUE (receivedRequests().isEmpty()) << receivedRequests().joinIntoString ("\n");
}

//==============================================================================
// Both application targets, run as the user would: each gets a home of its own and the current
// X display; its window's close button is pressed the way a window manager does it.

#include <X11/Xlib.h>
#include <X11/Xatom.h>

namespace
{
    /** Creates the atoms of the close protocol, as a window manager would have done before the
        application starts; the framework only looks them up. */
    void internWindowManagerAtoms (::Display* display)
    {
        for (auto* name : { "WM_PROTOCOLS", "WM_TAKE_FOCUS", "WM_DELETE_WINDOW", "_NET_WM_PING", "WM_CHANGE_STATE",
                            "WM_STATE", "_NET_WM_WINDOW_TYPE", "_NET_WM_STATE", "_NET_WM_STATE_HIDDEN" })
            XInternAtom (display, name, False);

        XSync (display, False);
    }

    /** The mapped top-level windows of one process on the display. */
    std::vector<::Window> findWindowsOf (::Display* display, pid_t pid)
    {
        std::vector<::Window> result;
        const auto pidAtom = XInternAtom (display, "_NET_WM_PID", False);
        ::Window root = 0, parent = 0, *children = nullptr;
        unsigned int count = 0;

        if (XQueryTree (display, DefaultRootWindow (display), &root, &parent, &children, &count) == 0)
            return result;

        for (unsigned int i = 0; i < count; ++i)
        {
            Atom type = 0;
            int format = 0;
            unsigned long items = 0, remaining = 0;
            unsigned char* data = nullptr;

            if (XGetWindowProperty (display, children[i], pidAtom, 0, 1, False, XA_CARDINAL, &type, &format,
                                    &items, &remaining, &data) == Success && data != nullptr)
            {
                XWindowAttributes attributes {};

                if (items == 1 && (pid_t) *reinterpret_cast<unsigned long*> (data) == pid
                     && XGetWindowAttributes (display, children[i], &attributes) != 0
                     && attributes.map_state == IsViewable)
                    result.push_back (children[i]);

                XFree (data);
            }
        }

        if (children != nullptr)
            XFree (children);

        return result;
    }

    /** Asks every mapped window of the process to close, as the window manager's close button does. */
    void pressCloseButtons (::Display* display, const std::vector<::Window>& windows)
    {
        for (auto window : windows)
        {
            XEvent event {};
            event.xclient.type = ClientMessage;
            event.xclient.window = window;
            event.xclient.message_type = XInternAtom (display, "WM_PROTOCOLS", False);
            event.xclient.format = 32;
            event.xclient.data.l[0] = (long) XInternAtom (display, "WM_DELETE_WINDOW", False);
            event.xclient.data.l[1] = CurrentTime;
            XSendEvent (display, window, False, NoEventMask, &event);
        }

        XSync (display, False);
    }

    void exposeWindows (::Display* display, const std::vector<::Window>& windows)
    {
        for (auto window : windows)
            XClearArea (display, window, 0, 0, 1, 1, True);

        XFlush (display);
    }

    /** One run of an application binary, with its standard output and error in a log file. */
    class ChildApplication
    {
    public:
        ChildApplication (const juce::String& binary, const juce::File& home, const juce::File& log)
            : ChildApplication (std::vector<std::string> { binary.toStdString() },
                                std::vector<std::string> { "HOME=" + home.getFullPathName().toStdString() }, log)
        {
        }

        /** Runs a command with the environment of this process, where each override ("NAME=value")
            replaces the variable of its name. */
        ChildApplication (std::vector<std::string> arguments, const std::vector<std::string>& overrides, const juce::File& log)
            : path (arguments.front()), logPath (log.getFullPathName().toStdString())
        {
            auto isOverridden = [&overrides] (const char* variable)
            {
                for (auto& o : overrides)
                    if (std::strncmp (variable, o.c_str(), o.find ('=') + 1) == 0)
                        return true;

                return false;
            };

            for (auto** variable = environ; *variable != nullptr; ++variable)
                if (! isOverridden (*variable))
                    environment.emplace_back (*variable);

            environment.insert (environment.end(), overrides.begin(), overrides.end());

            std::vector<char*> envp;
            for (auto& variable : environment)
                envp.push_back (variable.data());
            envp.push_back (nullptr);

            std::vector<char*> argv;
            for (auto& argument : arguments)
                argv.push_back (argument.data());
            argv.push_back (nullptr);

            posix_spawn_file_actions_t actions;
            posix_spawn_file_actions_init (&actions);
            posix_spawn_file_actions_addopen (&actions, 1, logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
            posix_spawn_file_actions_adddup2 (&actions, 1, 2);
            posix_spawn_file_actions_addclosefrom_np (&actions, 3);
            running = posix_spawnp (&pid, path.c_str(), &actions, nullptr, argv.data(), envp.data()) == 0;
            posix_spawn_file_actions_destroy (&actions);
        }

        ~ChildApplication()
        {
            if (running)
            {
                kill (pid, SIGKILL);
                waitpid (pid, nullptr, 0);
            }
        }

        /** Waits for the process to end; false while it still runs after the time-out. */
        bool waitForExit (int timeoutMs)
        {
            const auto end = juce::Time::getMillisecondCounter() + (juce::uint32) timeoutMs;

            while (running)
            {
                if (waitpid (pid, &status, WNOHANG) == pid)
                    running = false;
                else if (juce::Time::getMillisecondCounter() >= end)
                    return false;
                else
                    juce::Thread::sleep (20);
            }

            return true;
        }

        pid_t pid = 0;
        bool running = false;
        int status = 0;

    private:
        std::string path, logPath;
        std::vector<std::string> environment;
    };

    /** Starts the binary, lets it run for a while after its window shows, closes it and checks its end. */
    void runAndCloseCleanly (const juce::String& binary, int runMs, int minimumQuitDelayMs)
    {
        std::unique_ptr<::Display, int (*) (::Display*)> display (XOpenDisplay (nullptr), XCloseDisplay);

        if (display == nullptr)
            GTEST_SKIP() << "no X display";

        internWindowManagerAtoms (display.get());

        const auto home = testHome().getChildFile ("child-" + juce::File (binary).getFileNameWithoutExtension().removeCharacters (" "));
        ASSERT_TRUE (home.createDirectory().wasOk());
        writeLocalEndpoints (home);
        const auto log = home.getChildFile ("output.txt");

        ChildApplication child (binary, home, log);
        ASSERT_TRUE (child.running) << binary;

        std::vector<::Window> windows;
        const auto end = juce::Time::getMillisecondCounter() + 30000;
        while (windows.empty() && child.running && juce::Time::getMillisecondCounter() < end)
        {
            windows = findWindowsOf (display.get(), child.pid);

            if (windows.empty())
                child.waitForExit (50);
        }

        ASSERT_FALSE (windows.empty()) << "no window appeared\n" << log.loadFileAsString();

        EXPECT_FALSE (child.waitForExit (runMs)) << "ended by itself\n" << log.loadFileAsString();
        windows = findWindowsOf (display.get(), child.pid);
        pressCloseButtons (display.get(), windows);
        const auto closedAt = juce::Time::getMillisecondCounter();

        // Under load the request can sit unread in the framework's X queue until more X traffic comes;
        // an exposure now and then wakes its event loop, as the further activity of a desktop would.
        while (! child.waitForExit (250) && juce::Time::getMillisecondCounter() - closedAt < 30000)
            exposeWindows (display.get(), windows);

        ASSERT_TRUE (child.waitForExit (0)) << "still running after the close button\n" << log.loadFileAsString();
        EXPECT_GE ((int) (juce::Time::getMillisecondCounter() - closedAt), minimumQuitDelayMs);
        const auto output = log.loadFileAsString();
        EXPECT_TRUE (WIFEXITED (child.status)) << "status " << child.status << "\n" << output;
        EXPECT_EQ (WEXITSTATUS (child.status), 0) << output;

        for (auto* failure : { "ERROR: AddressSanitizer", "LeakSanitizer", "runtime error:", "JUCE Assertion",
                               "Leaked objects detected" })
            EXPECT_FALSE (output.contains (failure)) << output;

        juce::PropertiesFile saved (toolPropertiesFileIn (home), {});
        EXPECT_TRUE (saved.isValidFile());
        EXPECT_EQ (saved.getValue (WebEndpoints::updateServerKey), localEndpoint);
    }
}

// The window shows before the tool has settled (its tabs are still being laid out and the ports
// scanned); under the sanitizers that takes a few seconds, and a close request pressed meanwhile
// is not seen. The close button is pressed once the tool has settled.
TEST (ApplicationProcess, ApplicationStartsAndQuitsCleanlyFromTheCloseButton)
{
    runAndCloseCleanly (PELLION_APP_BINARY, 4000, 0);
}

// The demo plugs its simulated product in two seconds after start. Once it is connected, the
// close button first tells the product that the tool goes away and quits half a second later.
TEST (ApplicationProcess, DemoConnectsAndQuitsCleanlyFromTheCloseButton)
{
    runAndCloseCleanly (PELLION_DEMO_BINARY, 6000, 480);
}

//==============================================================================
// The demo under a real window manager, with local stand-ins for the maker's servers: once the
// web traffic is done (offers answered, or none shown), the window manager's close request ends
// the tool promptly and cleanly.

#include "support/LocalHttpServer.h"
#include <poll.h>
#include <X11/Xutil.h>

namespace
{
    /** An X server of this test's own, on a display number that it picks itself. */
    class PrivateXServer
    {
    public:
        explicit PrivateXServer (const juce::File& log)
        {
            int fds[2] = { -1, -1 };

            if (pipe (fds) != 0)
                return;

            const auto logPath = log.getFullPathName().toStdString();
            std::vector<std::string> arguments { "Xvfb", "-displayfd", "3", "-screen", "0", "1680x1260x24", "-nolisten", "tcp" };
            std::vector<char*> argv;
            for (auto& a : arguments)
                argv.push_back (a.data());
            argv.push_back (nullptr);

            posix_spawn_file_actions_t actions;
            posix_spawn_file_actions_init (&actions);
            posix_spawn_file_actions_addopen (&actions, 1, logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
            posix_spawn_file_actions_adddup2 (&actions, 1, 2);
            posix_spawn_file_actions_adddup2 (&actions, fds[1], 3);
            posix_spawn_file_actions_addclosefrom_np (&actions, 4);
            running = posix_spawnp (&pid, "Xvfb", &actions, nullptr, argv.data(), environ) == 0;
            posix_spawn_file_actions_destroy (&actions);
            close (fds[1]);

            // The server writes its display number once it accepts connections.
            std::string number;
            const auto end = juce::Time::getMillisecondCounter() + 15000;

            while (running && juce::Time::getMillisecondCounter() < end)
            {
                pollfd p { fds[0], POLLIN, 0 };

                if (poll (&p, 1, 100) > 0)
                {
                    char c = 0;

                    if (read (fds[0], &c, 1) != 1 || c == '\n')
                        break;

                    number += c;
                }
            }

            close (fds[0]);

            if (! number.empty())
                display = ":" + number;
        }

        ~PrivateXServer()
        {
            if (running)
            {
                kill (pid, SIGTERM);
                waitpid (pid, nullptr, 0);
            }
        }

        std::string display;

    private:
        pid_t pid = 0;
        bool running = false;
    };

    bool isProgramInstalled (const char* name)
    {
        return juce::File::getSpecialLocation (juce::File::globalApplicationsDirectory)
                   .getChildFile ("bin").getChildFile (name).existsAsFile();
    }

    long readCardinal (::Display* display, ::Window window, const char* property)
    {
        Atom type = 0;
        int format = 0;
        unsigned long items = 0, remaining = 0;
        unsigned char* data = nullptr;
        long value = -1;

        if (XGetWindowProperty (display, window, XInternAtom (display, property, False), 0, 1, False, AnyPropertyType,
                                &type, &format, &items, &remaining, &data) == Success && data != nullptr)
        {
            if (items == 1 && format == 32)
                value = (long) *reinterpret_cast<unsigned long*> (data);

            XFree (data);
        }

        return value;
    }

    /** The window manager's managed, mapped client windows of one process, in its list order. */
    std::vector<::Window> findManagedWindowsOf (::Display* display, pid_t pid)
    {
        std::vector<::Window> result;
        Atom type = 0;
        int format = 0;
        unsigned long items = 0, remaining = 0;
        unsigned char* data = nullptr;

        if (XGetWindowProperty (display, DefaultRootWindow (display), XInternAtom (display, "_NET_CLIENT_LIST", False),
                                0, 1024, False, XA_WINDOW, &type, &format, &items, &remaining, &data) != Success
             || data == nullptr)
            return result;

        auto* windows = reinterpret_cast<unsigned long*> (data);

        for (unsigned long i = 0; i < items; ++i)
        {
            XWindowAttributes attributes {};

            if (readCardinal (display, (::Window) windows[i], "_NET_WM_PID") == (long) pid
                 && XGetWindowAttributes (display, (::Window) windows[i], &attributes) != 0
                 && attributes.map_state == IsViewable)
                result.push_back ((::Window) windows[i]);
        }

        XFree (data);
        return result;
    }

    /** Asks the window manager to close a window, as its close button or a desktop's pager does. */
    void requestCloseFromWindowManager (::Display* display, ::Window window)
    {
        XEvent event {};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = XInternAtom (display, "_NET_CLOSE_WINDOW", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] = CurrentTime;
        event.xclient.data.l[1] = 2;   // from a pager: the user's own request
        XSendEvent (display, DefaultRootWindow (display), False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
        XSync (display, False);
    }

    /** Asks the window manager to move a window's frame to (x, y). */
    void requestMoveFromWindowManager (::Display* display, ::Window window, int x, int y)
    {
        XEvent event {};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = XInternAtom (display, "_NET_MOVERESIZE_WINDOW", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] = (1 << 8) | (1 << 9) | (2 << 12) | 1;   // x and y given, from a pager, north-west gravity
        event.xclient.data.l[1] = x;
        event.xclient.data.l[2] = y;
        XSendEvent (display, DefaultRootWindow (display), False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
        XSync (display, False);
    }

    /** The window's title as its WM_NAME carries it. */
    juce::String getWindowName (::Display* display, ::Window window)
    {
        XTextProperty property {};
        juce::String name;

        if (XGetWMName (display, window, &property) != 0 && property.value != nullptr)
        {
            name = juce::String::fromUTF8 (reinterpret_cast<const char*> (property.value), (int) property.nitems);
            XFree (property.value);
        }

        return name;
    }

    juce::Point<int> positionOnScreen (::Display* display, ::Window window)
    {
        int x = 0, y = 0;
        ::Window child = 0;
        XTranslateCoordinates (display, window, DefaultRootWindow (display), 0, 0, &x, &y, &child);
        return { x, y };
    }

    bool waitUntil (std::function<bool()> condition, int timeoutMs)
    {
        const auto end = juce::Time::getMillisecondCounter() + (juce::uint32) timeoutMs;

        while (! condition())
        {
            if (juce::Time::getMillisecondCounter() >= end)
                return false;

            juce::Thread::sleep (50);
        }

        return true;
    }

    int countRequests (const LocalHttpServer& server, const juce::String& path)
    {
        int count = 0;

        for (auto& request : server.getRequests())
            count += request.path == path ? 1 : 0;

        return count;
    }
}

struct WindowManagerCase
{
    const char* name;
    bool offers;   ///< the servers offer a new application and new firmware for both cores
};

void PrintTo (const WindowManagerCase& c, std::ostream* os)  { *os << c.name; }

class ApplicationUnderWindowManager : public ::testing::TestWithParam<WindowManagerCase> {};

TEST_P (ApplicationUnderWindowManager, CloseRequestEndsTheToolAfterTheWebTraffic)
{
    for (auto* program : { "Xvfb", "openbox", "xdotool" })
        if (! isProgramInstalled (program))
            GTEST_SKIP() << program << " is not installed (scripts/setup installs it)";

    const auto home = testHome().getChildFile (juce::String ("wm-") + GetParam().name);
    ASSERT_TRUE (home.createDirectory().wasOk());
    const auto log = home.getChildFile ("output.txt");

    PrivateXServer xServer (home.getChildFile ("xvfb.txt"));
    ASSERT_FALSE (xServer.display.empty()) << home.getChildFile ("xvfb.txt").loadFileAsString();
    const std::vector<std::string> onDisplay { "DISPLAY=" + xServer.display };

    std::unique_ptr<::Display, int (*) (::Display*)> display (XOpenDisplay (xServer.display.c_str()), XCloseDisplay);
    ASSERT_NE (display, nullptr);

    ChildApplication windowManager ({ "openbox", "--sm-disable" }, onDisplay, home.getChildFile ("openbox.txt"));
    ASSERT_TRUE (waitUntil ([&] { return readCardinal (display.get(), DefaultRootWindow (display.get()),
                                                       "_NET_SUPPORTING_WM_CHECK") > 0; }, 15000))
        << home.getChildFile ("openbox.txt").loadFileAsString();

    // The maker's servers, answered locally.
    const bool offers = GetParam().offers;
    LocalHttpServer server (64, 120000);
    server.setResponse (WebEndpoints::versionListPath, LocalHttpServer::Response::text (
        "{\"items\":[{\"app\":\"pellion\",\"platform\":\"" + juce::String (WebEndpoints::platformKey) + "\",\"version\":\""
        + (offers ? "8.7" : "8.6") + "\",\"url\":\"" + server.getOrigin() + "/dl/setup.bin\",\"date\":\"2024-05-01\"}]}"));

    juce::StringArray entries;
    for (auto* id : { "jorvekpro", "tovaneproforjorvekpro" })
        entries.add ("{\"product\":\"" + juce::String (id) + "\",\"version\":\"" + (offers ? "9.9" : "0.1") + "\",\"url\":\""
                     + server.getOrigin() + "/fw/" + id + ".hex\",\"date\":\"2024-06-01\"}");

    server.setResponse (WebEndpoints::firmwareCataloguePath,
                        LocalHttpServer::Response::text ("{\"versions\":[" + entries.joinIntoString (",") + "],\"changelogs\":{}}"));
    server.setResponse (WebEndpoints::deviceReportPath, LocalHttpServer::Response::text ("accepted"));
    writeServerOrigins (home, server.getOrigin(), server.getOrigin(), server.getOrigin());

    auto environment = onDisplay;
    environment.push_back ("HOME=" + home.getFullPathName().toStdString());
    ChildApplication tool ({ juce::String (PELLION_DEMO_BINARY).toStdString() }, environment, log);
    ASSERT_TRUE (tool.running);

    ASSERT_TRUE (waitUntil ([&] { return ! findManagedWindowsOf (display.get(), tool.pid).empty() || tool.waitForExit (0); }, 30000));

    // The version list, both cores' catalogues (the device core's, then the host core's after its
    // offer was declined) and the device report. Every offer is declined with the Return key,
    // which presses a box's first button, "No".
    int offersAnswered = 0;
    juce::uint32 quietSince = 0;

    const bool trafficDone = waitUntil ([&]
    {
        if (! tool.running || tool.waitForExit (0))
            return true;

        for (auto window : findManagedWindowsOf (display.get(), tool.pid))
        {
            if (getWindowName (display.get(), window) == "Pellion Tools")
                continue;

            // A box: once it has the keyboard focus, Return answers it; it is pressed again
            // should the box still be there a while later.
            auto isShown = [&] { auto w = findManagedWindowsOf (display.get(), tool.pid);
                                 return std::find (w.begin(), w.end(), window) != w.end(); };

            for (int attempt = 0; attempt < 3 && isShown(); ++attempt)
            {
                juce::Thread::sleep (500);
                ChildApplication key ({ "xdotool", "key", "Return" }, onDisplay, home.getChildFile ("xdotool.txt"));
                key.waitForExit (5000);
                waitUntil ([&] { return ! isShown(); }, 3000);
            }

            ++offersAnswered;
            quietSince = 0;
            return false;
        }

        const bool allAsked = countRequests (server, WebEndpoints::versionListPath) >= 1
                               && countRequests (server, WebEndpoints::firmwareCataloguePath) >= 2
                               && countRequests (server, WebEndpoints::deviceReportPath) >= 1;

        if (! allAsked)
            return false;

        if (quietSince == 0)
            quietSince = juce::Time::getMillisecondCounter();

        return juce::Time::getMillisecondCounter() - quietSince > 1000;
    }, 60000);

    ASSERT_TRUE (trafficDone) << "requests: " << server.getNumRequests() << "\n" << log.loadFileAsString();
    ASSERT_TRUE (tool.running) << "ended by itself\n" << log.loadFileAsString();
    EXPECT_EQ (offersAnswered, offers ? 3 : 0);

    // The main window, alone again now. Its X window is looked up only now: the framework replaces
    // the window it maps first once, right after showing it.
    const auto windows = findManagedWindowsOf (display.get(), tool.pid);
    ASSERT_EQ (windows.size(), 1u);
    const auto mainWindow = windows.front();

    // The window manager can still move the window...
    const auto before = positionOnScreen (display.get(), mainWindow);
    requestMoveFromWindowManager (display.get(), mainWindow, before.x > 200 ? 40 : 300, 60);
    EXPECT_TRUE (waitUntil ([&] { return positionOnScreen (display.get(), mainWindow) != before; }, 3000))
        << "the window manager could not move the window";

    // ... and its close request ends the tool within three seconds, cleanly.
    requestCloseFromWindowManager (display.get(), mainWindow);
    const auto closedAt = juce::Time::getMillisecondCounter();
    const bool ended = tool.waitForExit (3000);
    const auto output = log.loadFileAsString();
    ASSERT_TRUE (ended) << "still running 3 s after the window manager's close request\n" << output;
    RecordProperty ("closeMs", (int) (juce::Time::getMillisecondCounter() - closedAt));
    EXPECT_TRUE (WIFEXITED (tool.status)) << "status " << tool.status << "\n" << output;
    EXPECT_EQ (WEXITSTATUS (tool.status), 0) << output;

    for (auto* failure : { "ERROR: AddressSanitizer", "LeakSanitizer", "runtime error:", "JUCE Assertion" })
        EXPECT_FALSE (output.contains (failure)) << output;
}

INSTANTIATE_TEST_SUITE_P (WebTraffic, ApplicationUnderWindowManager, ::testing::Values (
    WindowManagerCase { "OffersAnswered", true },
    WindowManagerCase { "NoOffer", false }),
    [] (const auto& info) { return std::string (info.param.name); });
