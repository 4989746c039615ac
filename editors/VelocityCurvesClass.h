#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

class Mapper;

/** The user velocity curve editor, opened from the mapper tab. */
class VelocityCurvesClass : public juce::Component
{
public:
    explicit VelocityCurvesClass (Mapper*) {}

    void showSelectedCurve() {}
    int getSelectedCurve() const { return selectedCurve; }
    void refreshChoices() {}
    void resetCurves (bool, bool) {}
    void updateEnablement (bool) {}

private:
    int selectedCurve = 0;
};
