#pragma once

#include <juce_core/juce_core.h>

#include <vector>

/** Where the 128 x 128 points of a velocity curve drawing lie in the pixels of a
    drawing area of a given size, and where its grid goes.

    The plot area spans x from 24 to width - 24 and y from 16 to height - 16.
    Column j stands for input value j; row r for the value 127 - r, row 0 at the
    top. Every mapping holds for any size, even one too small to show a plot.
*/
class CurveDrawGeometry
{
public:
    static constexpr int marginX = 24;
    static constexpr int marginY = 16;
    static constexpr int numSteps = 128;
    static constexpr int defaultGridSize = 8;

    CurveDrawGeometry (int width, int height);

    int getWidth() const noexcept   { return width; }
    int getHeight() const noexcept  { return height; }

    /** The column under a pixel x: (x - 24) / columnStep + 0.5 truncated toward zero, held in
        0..127 (columnStep = (width - 48) / 128; 0 when the area is too narrow for a plot). */
    int columnOfX (int x) const;
    /** The row under a pixel y: (y - 16) / rowStep + 0.5 truncated toward zero, held in
        0..127 (rowStep = (height - 32) / 128; 0 when the area is too low for a plot). */
    int rowOfY (int y) const;
    /** True when 24 <= x < width - 24 and 16 <= y < height - 16. */
    bool isInsidePlot (int x, int y) const;

    /** Where the curve passes through column j: 26 + j (width - 48) / 128. */
    float curveXOfColumn (int column) const;
    /** Where the curve passes through row r: 18 + r (height - 32) / 128; an unset
        point (255) lies below the plot. */
    float curveYOfRow (int row) const;

    /** One line of the grid, with the number shown at its tick. */
    struct GridLine
    {
        float position = 0.0f;      // x of a vertical line, y of a horizontal one
        bool hasTick = false;       // a tick and its number are drawn
        juce::int64 number = 0;     // k x gridSize - 1 for the k-th line
    };

    /** The vertical grid lines, left to right: one every gridSize columns, the first
        always, the others while they lie left of width - 24. From a grid of 8 every
        line has a tick; a finer grid ticks every (8 - gridSize)-th line. */
    std::vector<GridLine> getVerticalGridLines (int gridSize) const;
    /** The horizontal grid lines, bottom to top: one every gridSize rows, the first
        always, the others while they lie below y = 16. From a grid of 5 every line
        has a tick; a finer grid ticks every (5 - gridSize)-th line. */
    std::vector<GridLine> getHorizontalGridLines (int gridSize) const;

    /** The grid step of a stored "CurveEditorGrid" text: its leading decimal number
        (white space, an optional sign, digits; held within the int range). No
        number, an empty text, 0 and anything below give 8; sizes above 32 stay
        as they are. The grid-line operations treat a size below 1 the same way. */
    static int gridSizeFromSetting (const juce::String& text);

private:
    int width, height;
    float columnStep, rowStep;

    static int usableGridSize (int gridSize);
    static int indexOf (int offset, float step);
};
