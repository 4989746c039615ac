#include "editors/CurveDrawComponent.h"
#include "editors/UserCurveEdits.h"
#include "editors/VelocityCurvesClass.h"
#include "device/MidiController.h"

namespace
{
    const juce::Colour textColour (0xffd3d3d3);
    const juce::Colour curveColour (0xffeb663e);
}

CurveDrawComponent::CurveDrawComponent (VelocityCurvesClass& ownerEditor) : editor (ownerEditor)
{
    setName ("CurveDrawComponent");
    setSize (CurveDrawModel::defaultSize, CurveDrawModel::defaultSize);
}

//==============================================================================
void CurveDrawComponent::mouseDown (const juce::MouseEvent& e)
{
    editor.stopTimer();

    if (editor.isClearOnStartOn())
        model.clearPoints();

    model.press (e.position.x, e.position.y);
}

void CurveDrawComponent::mouseDrag (const juce::MouseEvent& e)
{
    // The modifier keys come with the event: asking the window system for them would take
    // other events off its connection while the mouse moves.
    const auto offset = e.position - e.mouseDownPosition;
    model.drag (offset.x, offset.y, e.mods.isShiftDown(), e.mods.isCtrlDown());
    repaint();
}

void CurveDrawComponent::mouseUp (const juce::MouseEvent&)
{
    auto* device = MidiController::getInstance();
    const auto curve = editor.getSelectedCurve();
    const auto hasCurve = device != nullptr && UserCurveEdits::isCurve (*device, curve);

    const auto stored = model.release (hasCurve ? &device->userCurves[curve] : nullptr);
    repaint();

    if (stored)
        editor.scheduleCurveWrite();
}

void CurveDrawComponent::mouseDoubleClick (const juce::MouseEvent&)
{
    editor.stopTimer();
    model.doubleClick();
    repaint();

    // The curve stays as it was stored: a write of it that was waiting still goes out.
    editor.resumeWaitingCurveWrite();
}

void CurveDrawComponent::resized()
{
    model.setSize (getWidth(), getHeight());
}

//==============================================================================
void CurveDrawComponent::clearPoints()
{
    model.clearPoints();
    repaint();
}

void CurveDrawComponent::showCurve (const CurveWords& words)
{
    model.showCurve (words);
    repaint();
}

void CurveDrawComponent::showValues (const CurveValues& values)
{
    model.showValues (values);
    repaint();
}

//==============================================================================
void CurveDrawComponent::paint (juce::Graphics& g)
{
    const auto& geometry = model.getGeometry();
    const auto w = (float) getWidth();
    const auto h = (float) getHeight();
    const auto left = (float) CurveDrawGeometry::marginX;
    const auto top = (float) CurveDrawGeometry::marginY;

    g.setFont (juce::Font ("Arial", 12.0f, juce::Font::plain).withExtraKerningFactor (-0.05f));
    g.setColour (textColour.withAlpha (0.6f));
    g.drawText ("0", juce::Rectangle<float> (4.0f, h - 16.0f, 40.0f, 16.0f), juce::Justification::centred, false);

    paintGrid (g, textColour);

    juce::Path curve;

    for (int column = 0; column < CurveDrawModel::numPoints; ++column)
    {
        const juce::Point<float> point (geometry.curveXOfColumn (column),
                                        geometry.curveYOfRow (model.getPoints()[(size_t) column]));

        if (column == 0)
            curve.startNewSubPath (point);
        else
            curve.lineTo (point);
    }

    g.setColour (curveColour);
    g.strokePath (curve, juce::PathStrokeType (4.0f, juce::PathStrokeType::curved, juce::PathStrokeType::rounded));

    g.setColour (textColour);
    g.drawRect (juce::Rectangle<float> (left, top, w - 2.0f * left, h - 2.0f * top), 1.0f);

    if (model.showsCrosshair())
    {
        const auto x = (float) model.getCurrentX();
        const auto y = (float) model.getCurrentY();

        g.setColour (curveColour.withAlpha (0.6f));
        g.drawLine (left + 1.0f, y, w - left - 1.0f, y, 1.0f);
        g.drawLine (x, top + 1.0f, x, h - top - 1.0f, 1.0f);
    }
}

void CurveDrawComponent::paintGrid (juce::Graphics& g, const juce::Colour& colour) const
{
    const auto& geometry = model.getGeometry();
    const auto gridSize = editor.getGridSize();
    const auto w = (float) getWidth();
    const auto h = (float) getHeight();
    const auto left = (float) CurveDrawGeometry::marginX;
    const auto top = (float) CurveDrawGeometry::marginY;

    for (const auto& line : geometry.getVerticalGridLines (gridSize))
    {
        g.setColour (colour.withAlpha (0.2f));
        g.drawLine (line.position, top, line.position, h - top, 1.0f);

        if (line.hasTick)
        {
            g.setColour (colour.withAlpha (0.6f));
            g.drawLine (line.position, h - top - 5.0f, line.position, h - top, 1.0f);
            g.drawText (juce::String (line.number), juce::Rectangle<float> (line.position - 20.0f, h - top, 40.0f, 16.0f),
                        juce::Justification::centred, false);
        }
    }

    for (const auto& line : geometry.getHorizontalGridLines (gridSize))
    {
        g.setColour (colour.withAlpha (0.2f));
        g.drawLine (left, line.position, w - left, line.position, 1.0f);

        if (line.hasTick)
        {
            g.setColour (colour.withAlpha (0.6f));
            g.drawLine (w - left, line.position, w - left - 5.0f, line.position, 1.0f);
            g.drawText (juce::String (line.number), juce::Rectangle<float> (w - 32.0f, line.position - 8.0f, 40.0f, 16.0f),
                        juce::Justification::centred, false);
        }
    }
}
