#pragma once

#include <juce_gui_basics/juce_gui_basics.h>
#include "editors/CurveDrawModel.h"

class VelocityCurvesClass;

/** The drawing area of the velocity curve editor: the selected curve over its grid, redrawn
    with the mouse.

    Dragging sets the point under the mouse and joins the columns it skipped; SHIFT keeps the
    row the stroke started on, CTRL draws straight lines from a fixed point. The release fills
    the gaps, stores the drawing into the selected user curve and has the editor write it after
    its debounce; a double-click clears the drawing and leaves the curve as it was stored.
*/
class CurveDrawComponent : public juce::Component
{
public:
    explicit CurveDrawComponent (VelocityCurvesClass& ownerEditor);

    void mouseDown (const juce::MouseEvent&) override;
    void mouseDrag (const juce::MouseEvent&) override;
    void mouseUp (const juce::MouseEvent&) override;
    void mouseDoubleClick (const juce::MouseEvent&) override;
    void paint (juce::Graphics&) override;
    void resized() override;

    /** Every point unset. */
    void clearPoints();
    /** Shows a packed curve. */
    void showCurve (const CurveWords& words);
    /** Shows the values of a curve. */
    void showValues (const CurveValues& values);

    /** The rows of the drawing (255 for an unset point). */
    const CurveDrawModel::Points& getPoints() const noexcept   { return model.getPoints(); }
    bool isMouseDown() const noexcept                           { return model.isMouseDown(); }

private:
    VelocityCurvesClass& editor;
    CurveDrawModel model;

    void paintGrid (juce::Graphics&, const juce::Colour& colour) const;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (CurveDrawComponent)
};
