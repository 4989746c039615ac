#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>
#include "device/MidiController.h"
#include <X11/Xlib.h>

namespace
{
    /** A bare X server without a window manager lacks some of the atoms the framework uses, and
        the framework installs its own forgiving X error handlers only in a standalone application. */
    int ignoreXError (::Display*, XErrorEvent*) { return 0; }

    /** Every test process gets a home of its own, so that the properties file and the desktop
        folder never touch the user's. */
    juce::File makeTemporaryHome()
    {
        auto home = juce::File::getSpecialLocation (juce::File::tempDirectory)
                        .getChildFile ("pellion-test-home-" + juce::String (juce::Time::currentTimeMillis())
                                       + "-" + juce::String (juce::Random::getSystemRandom().nextInt (1000000)));
        home.getChildFile ("Desktop").createDirectory();
        setenv ("HOME", home.getFullPathName().toRawUTF8(), 1);

        for (auto* variable : { "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_DESKTOP_DIR" })
            unsetenv (variable);

        return home;
    }

    /** Creates the atoms of the window manager's protocols, as a window manager would have done
        before the framework starts: the framework only looks them up, so that on a bare X server
        it would not know a close request from the window manager. The connection stays open for
        the whole run, since a bare X server forgets its atoms when its last client goes. */
    ::Display* internWindowManagerAtoms()
    {
        auto* display = XOpenDisplay (nullptr);

        if (display != nullptr)
        {
            for (auto* name : { "WM_PROTOCOLS", "WM_TAKE_FOCUS", "WM_DELETE_WINDOW", "_NET_WM_PING", "WM_CHANGE_STATE",
                                "WM_STATE", "_NET_WM_WINDOW_TYPE", "_NET_WM_STATE", "_NET_WM_STATE_HIDDEN" })
                XInternAtom (display, name, False);

            XSync (display, False);
        }

        return display;
    }
}

int main (int argc, char** argv)
{
    ::testing::InitGoogleTest (&argc, argv);
    const auto home = makeTemporaryHome();
    XSetErrorHandler (ignoreXError);
    auto* atomsDisplay = internWindowManagerAtoms();
    int result = 0;

    {
        juce::ScopedJuceInitialiser_GUI juce;
        result = RUN_ALL_TESTS();

        // The device object lives for the whole run, as it does in the application.
        MidiController::deleteInstance();
        juce::MessageManager::getInstance()->runDispatchLoopUntil (20);
    }

    if (atomsDisplay != nullptr)
        XCloseDisplay (atomsDisplay);

    home.deleteRecursively();
    return result;
}
