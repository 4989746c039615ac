#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The user velocity curve editor, opened from the mapper tab. */
class VelocityCurvesClass : public juce::Component
{
public:
    void showSelectedCurve() {}
    int getSelectedCurve() const { return selectedCurve; }

private:
    int selectedCurve = 0;
};
