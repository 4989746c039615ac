#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** A test that moves the mouse runs on a virtual display of its own, so that no other test's
    window lies under the pointer and no other test moves it.

    The test starts as usual; runCurrentTestOnOwnDisplay() starts the display and runs this
    very test again in a child process there, which isChildRun() tells apart. The child's
    failures are reported as the test's own.
*/
namespace OwnDisplay
{
    /** The tools a test on its own display needs (Xvfb, xdotool, ImageMagick, tesseract); empty when all are installed. */
    juce::String findMissingTool();

    /** True in the child process that runs on the display of its own. */
    bool isChildRun();

    /** In the parent: runs the current test in a child on a display of its own and reports its
        failures (or its skip) as the current test's. */
    void runCurrentTestOnOwnDisplay (int timeoutSeconds = 120);

    /** Runs xdotool with these arguments in the background; the message loop goes on meanwhile.
        False when it could not be started, or did not end well within the time. */
    bool runXdotool (const juce::StringArray& arguments, int timeoutMs = 20000);

    /** Text read by OCR from an area of the screen (scaled by 2; light text on a dark ground, or
        dark text on a light one). */
    juce::String readScreenText (juce::Rectangle<int> screenArea, bool singleLine, bool lightText);
}
