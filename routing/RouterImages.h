#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The pictures the routing grid and its panels show, from the embedded PNG files (invalid
    images when the build has none). */
namespace RouterImages
{
    juce::Image usbA();
    juce::Image usbC();
    juce::Image bluetooth();
    juce::Image midi();
    juce::Image pencil();
    juce::Image locked();
    juce::Image unlocked();

    /** Gives an image button its picture: the normal image only, scaled into the button. */
    void setPicture (juce::ImageButton& button, const juce::Image& picture);
}
