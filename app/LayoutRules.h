#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** How the panels lay themselves out: by fractions of their size, rounded to whole pixels, with
    buttons and lists held between 18 and 24 pixels high. */
namespace LayoutRules
{
    constexpr int minControlHeight = 18;
    constexpr int maxControlHeight = 24;

    /** A position or size as a fraction of a panel's size, rounded to the nearest pixel. */
    inline int scaled (int size, double fraction)  { return juce::roundToInt (size * fraction); }

    /** A button's or list's height held within the allowed range. */
    inline int controlHeight (int height)          { return juce::jlimit (minControlHeight, maxControlHeight, height); }

    /** Keeps a laid-out control's width and top, and holds its height within the allowed range. */
    inline void clampControlHeight (juce::Component& control)
    {
        control.setSize (control.getWidth(), controlHeight (control.getHeight()));
    }
}
