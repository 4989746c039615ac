#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** Hands on window-system events that would otherwise wait unread.

    On X11 the framework reads its connection to the X server only when the
    connection's socket has data. Any other exchange with the server on the
    message thread (a repaint that waits for the server, a look at the mouse
    position) can take events off the socket into the X library's own queue,
    where they wait until more data happens to arrive. In a quiet window that
    may be never: the window manager's close request, or its notice that the
    window moved, does nothing.

    Every checkIntervalMs this looks at that queue and, when events wait there,
    has the framework's own handler of the connection read and dispatch them,
    as it would have done had the socket had data. Elsewhere it does nothing.
*/
class WindowEventPump : private juce::Timer
{
public:
    static constexpr int checkIntervalMs = 200;

    /** Works while the window is on the desktop; the window must outlive the pump. */
    explicit WindowEventPump (juce::Component& window);
    ~WindowEventPump() override;

    /** Dispatches the events that wait in the queue; true when there were any. */
    bool handleWaitingEvents();

    /** The number of events that wait in the X library's queue of the framework's connection. */
    static int getNumWaitingEvents();

private:
    void timerCallback() override;

    juce::Component& window;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (WindowEventPump)
};
