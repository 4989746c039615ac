#pragma once

#include "editors/CurveDrawGeometry.h"
#include "editors/UserCurves.h"

#include <array>

/** What the velocity curve drawing area holds and what the mouse does to it.

    The drawing is 128 points, one per column (input value); each holds a row,
    row r standing for the value 127 - r, or 255 while the point is unset. A
    stroke runs from press to release: dragging sets the point under the mouse
    and joins the columns it skipped with a straight line; with SHIFT the stroke
    keeps the row it started on; with CTRL every line starts from the same point,
    so the user draws straight lines from there. The release fills the points
    that are still unset from their neighbours and stores the drawing into the
    selected curve; a double-click clears the drawing but leaves the curves.

    The drawing component owns one of these, passes it the mouse events in its
    own pixels and paints what it holds.
*/
class CurveDrawModel
{
public:
    static constexpr int numPoints = numCurveValues;
    static constexpr juce::uint8 unsetPoint = 255;
    static constexpr int defaultSize = 384;

    using Points = std::array<juce::uint8, numPoints>;

    /** An empty drawing (every point unset) of 384 x 384 pixels. */
    CurveDrawModel();

    /** The size of the drawing area in pixels; mouse positions are in the same pixels. */
    void setSize (int width, int height);
    const CurveDrawGeometry& getGeometry() const noexcept   { return geometry; }

    //==============================================================================
    const Points& getPoints() const noexcept                { return points; }
    /** Every point unset. */
    void clearPoints();
    /** Shows a curve: point j becomes row 127 - value j (modulo 256, so a value of
        128 shows as an unset point). */
    void showValues (const CurveValues& values);
    void showCurve (const CurveWords& words);
    /** Stores the drawing as a packed curve: value j = 127 - point j, modulo 256. */
    void storeCurve (CurveWords& words) const;

    //==============================================================================
    /** Mouse press at (x, y), rounded to whole pixels: the stroke starts at that
        column and row. Only a press in column 0 or 127 sets a point at once. */
    void press (float x, float y);

    /** Mouse drag by (offsetX, offsetY) from the press, rounded to whole pixels,
        with the modifier keys held at that moment. Sets the point under the mouse
        (with SHIFT: at the stroke's row) and fills the columns between it and the
        stroke's start with a straight line. An event is taken only when the
        previous position lay inside the plot area; one that leaves it is held to
        the border column and row. */
    void drag (float offsetX, float offsetY, bool shiftDown, bool ctrlDown);

    /** Mouse release: ends the stroke. With selectedCurve set (a valid curve is
        selected) it fills the gaps and stores the drawing there, and returns true;
        with none it changes nothing else and returns false. */
    bool release (CurveWords* selectedCurve);

    /** Double-click: the drawing is cleared; the stored curves keep their values. */
    void doubleClick();

    //==============================================================================
    /** Fills the unset points strictly between start and end on a straight line
        between the rows of the two ends (nothing unless 0 <= start <= end <= 127).
        An unset end takes the row of the other end; with both ends unset nothing
        is drawn. Each point gets its row once, so the fill always ends. */
    void drawLine (int start, int end);

    /** Gives every unset point, left to right, a row from its nearest set
        neighbours (points filled earlier in the pass count as set): the gaps before
        the first and after the last set point take that point's row, an empty
        drawing becomes row 63 (value 64). Rows are held within 0..127, so a stored
        value never exceeds 127. */
    void fillGaps();

    //==============================================================================
    bool isMouseDown() const noexcept               { return mouseIsDown; }
    /** True when the last drag position lay outside the plot area. */
    bool isOutsideArea() const noexcept             { return outsideArea; }
    /** The crosshair goes through the current position while the mouse is down inside the plot. */
    bool showsCrosshair() const noexcept            { return mouseIsDown && ! outsideArea; }
    int getCurrentX() const noexcept                { return currentX; }
    int getCurrentY() const noexcept                { return currentY; }

private:
    CurveDrawGeometry geometry { defaultSize, defaultSize };
    Points points;
    bool mouseIsDown = false;
    int pressX = -1, pressY = -1;
    int currentX = 0, currentY = 0;
    int startColumn = 0, startRow = 0;      // where the next line of the stroke starts
    bool outsideArea = false;

    static juce::uint8 rowOfValue (int value)   { return (juce::uint8) ((127 - value) & 0xFF); }
    static juce::uint8 valueOfRow (int row)     { return (juce::uint8) ((127 - row) & 0xFF); }
};
