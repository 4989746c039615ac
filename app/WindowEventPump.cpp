// The framework's X11 declarations are wanted here, so they are asked for before its headers.
#define JUCE_GUI_BASICS_INCLUDE_XHEADERS 1

#include "app/WindowEventPump.h"

#if JUCE_LINUX || JUCE_BSD
 #include <juce_events/native/juce_linux_EventLoopInternal.h>
#endif

WindowEventPump::WindowEventPump (juce::Component& windowToWatch)
    : window (windowToWatch)
{
    startTimer (checkIntervalMs);
}

WindowEventPump::~WindowEventPump()
{
    stopTimer();
}

void WindowEventPump::timerCallback()
{
    handleWaitingEvents();
}

int WindowEventPump::getNumWaitingEvents()
{
   #if JUCE_LINUX || JUCE_BSD
    auto* system = juce::XWindowSystem::getInstanceWithoutCreating();
    auto* display = system != nullptr ? system->getDisplay() : nullptr;

    if (display == nullptr)
        return 0;

    // Only what the X library has already read: this never waits for the server.
    juce::XWindowSystemUtilities::ScopedXLock lock;
    return juce::X11Symbols::getInstance()->xEventsQueued (display, QueuedAlready);
   #else
    return 0;
   #endif
}

bool WindowEventPump::handleWaitingEvents()
{
   #if JUCE_LINUX || JUCE_BSD
    auto* system = juce::XWindowSystem::getInstanceWithoutCreating();
    auto* display = system != nullptr ? system->getDisplay() : nullptr;

    if (display == nullptr || window.getPeer() == nullptr || getNumWaitingEvents() == 0)
        return false;

    // The framework's own handler of its X connection reads and dispatches every waiting event,
    // just as it does when the connection's socket has data.
    juce::LinuxEventLoopInternal::invokeEventLoopCallbackForFd (juce::X11Symbols::getInstance()->xConnectionNumber (display));
    return true;
   #else
    return false;
   #endif
}
