// The framework's X11 declarations are wanted here, so they are asked for before its headers.
#define JUCE_GUI_BASICS_INCLUDE_XHEADERS 1

#include "support/SimTestSupport.h"
#include "app/brisaHostAppApplication.h"
#include "app/WindowEventPump.h"

// The window's main component deletes the device object for good: one test per process (ctest).

using WindowEventPumpTest = SimulatedDeviceFixture;

TEST_F (WindowEventPumpTest, CloseRequestTakenIntoTheXQueueStillReachesTheCloseButtonRoad)
{
    const auto home = juce::File::getSpecialLocation (juce::File::userHomeDirectory);
    writeServerOrigins (home, "http://127.0.0.1:9", "http://127.0.0.1:9", "http://127.0.0.1:9");
    auto window = std::make_unique<brisaHostAppApplication::MainWindow> ("Pellion Tools");
    pump (300);

    auto* peer = window->getPeer();
    auto* system = juce::XWindowSystem::getInstanceWithoutCreating();
    auto* display = system != nullptr ? system->getDisplay() : nullptr;

    if (peer == nullptr || display == nullptr)
        GTEST_SKIP() << "no X display";

    // The window manager's close request arrives while another exchange with the server runs on
    // the message thread: the X library reads it into its queue, and the socket has nothing more.
    XEvent request {};
    request.xclient.type = ClientMessage;
    request.xclient.window = (::Window) peer->getNativeHandle();
    request.xclient.message_type = XInternAtom (display, "WM_PROTOCOLS", False);
    request.xclient.format = 32;
    request.xclient.data.l[0] = (long) XInternAtom (display, "WM_DELETE_WINDOW", False);
    request.xclient.data.l[1] = CurrentTime;
    XSendEvent (display, request.xclient.window, False, NoEventMask, &request);
    XSync (display, False);
    ASSERT_GT (WindowEventPump::getNumWaitingEvents(), 0);

    // Without a product the close button's road quits at once; the waiting request is handled
    // within a check or two, not whenever some other X traffic happens to come.
    EXPECT_TRUE (pumpUntil ([] { return juce::MessageManager::getInstance()->hasStopMessageBeenSent(); },
                            5 * WindowEventPump::checkIntervalMs))
        << "the close request was left waiting in the queue";
    EXPECT_EQ (WindowEventPump::getNumWaitingEvents(), 0);

    window = nullptr;
}
