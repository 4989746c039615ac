#pragma once

#include <juce_core/juce_core.h>
#include <juce_graphics/juce_graphics.h>

/** The outside tools the screen tests drive: a virtual display, screenshots and text read from
    them by OCR. */
namespace ScreenTools
{
    /** The full path of an installed tool; empty when it is not installed. */
    juce::String findTool (const juce::String& name);

    /** Runs a tool to its end (15 s at most) and keeps its output when asked. True when it ended
        with exit code 0. */
    bool runTool (const juce::StringArray& arguments, juce::String* output = nullptr);

    /** Starts a virtual display of this size in the process given. It ends by itself once its last
        client has gone. Returns the display's name (":N"), empty when it could not start. */
    juce::String startVirtualDisplay (juce::ChildProcess& display, int width, int height);

    /** Text read by OCR from an area of a screenshot, by way of a cropped copy written to cropFile:
        light text on a dark ground is turned over, scaled by 2 and made sharp; dark text on a light
        ground is only scaled by 3. */
    juce::String readText (const juce::File& screenshot, juce::Rectangle<int> area, bool singleLine,
                           bool lightText, const juce::File& cropFile);
}
