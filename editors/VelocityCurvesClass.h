#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

class Mapper;

/** The user velocity curve editor, laid over the mapper pages while it is open.

    This holds what the mapper tab and the reply parser rely on: the curve choices of the
    identified product, the selected curve, the factory-curve resets with their writes, and the
    enablement. Drawing and curve files belong to the full editor.
*/
class VelocityCurvesClass : public juce::Component
{
public:
    explicit VelocityCurvesClass (Mapper* owner);

    void paint (juce::Graphics&) override;
    void resized() override;

    /** Offers the curves of the identified product; the first is selected when its firmware keeps
        curves, none otherwise. */
    void refreshChoices();
    /** Shows the selected curve of the device model (called when it was read or reset). */
    void showSelectedCurve();
    /** The selected curve, 0..3 (-1 none). */
    int getSelectedCurve() const;
    /** Puts the selected curve, or all of them, back to the factory curves; with write, marks all
        four curves for writing and writes them at once (from host firmware 3.85). */
    void resetCurves (bool write, bool selectedOnly);
    /** Enables the editor when allowed and the firmware keeps curves. */
    void updateEnablement (bool allowed);

    juce::ComboBox& getCurveSelector()  { return curveSelector; }
    Mapper* getOwnerMapper() const      { return ownerMapper; }

private:
    Mapper* ownerMapper;
    juce::ComboBox curveSelector { "curveIndexSegment" };

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (VelocityCurvesClass)
};
