#include "editors/CurveDrawGeometry.h"

#include <limits>

CurveDrawGeometry::CurveDrawGeometry (int w, int h)
    : width (w),
      height (h),
      columnStep ((float) (w - 2 * marginX) / (float) numSteps),
      rowStep ((float) (h - 2 * marginY) / (float) numSteps)
{
}

int CurveDrawGeometry::indexOf (int offset, float step)
{
    // An area too small for a plot has no steps: everything lies on the first point.
    if (! (step > 0.0f))
        return 0;

    // Truncation toward zero and then 0..127, done in floating point so that far-off
    // positions never overflow the conversion.
    const auto scaled = (float) offset / step + 0.5f;

    if (! (scaled >= 1.0f))
        return 0;

    if (scaled >= (float) (numSteps - 1))
        return numSteps - 1;

    return (int) scaled;
}

int CurveDrawGeometry::columnOfX (int x) const
{
    return indexOf (x - marginX, columnStep);
}

int CurveDrawGeometry::rowOfY (int y) const
{
    return indexOf (y - marginY, rowStep);
}

bool CurveDrawGeometry::isInsidePlot (int x, int y) const
{
    return x >= marginX && x < width - marginX && y >= marginY && y < height - marginY;
}

float CurveDrawGeometry::curveXOfColumn (int column) const
{
    return (float) (marginX + 2) + (float) column * (float) (width - 2 * marginX) / (float) numSteps;
}

float CurveDrawGeometry::curveYOfRow (int row) const
{
    return (float) (marginY + 2) + (float) row * (float) (height - 2 * marginY) / (float) numSteps;
}

int CurveDrawGeometry::usableGridSize (int gridSize)
{
    return gridSize >= 1 ? gridSize : defaultGridSize;
}

std::vector<CurveDrawGeometry::GridLine> CurveDrawGeometry::getVerticalGridLines (int gridSize) const
{
    const auto size = usableGridSize (gridSize);
    const auto step = (float) (width - 2 * marginX) * (float) size / (float) numSteps;
    std::vector<GridLine> lines;

    for (int k = 1;; ++k)
    {
        const auto x = (float) k * step + (float) marginX;

        if (k > 1 && ! (x < (float) (width - marginX)))
            break;

        lines.push_back ({ x, size >= 8 || k % (8 - size) == 0, (juce::int64) k * size - 1 });

        // An area too narrow for a plot has no step to advance by.
        if (! (step > 0.0f))
            break;
    }

    return lines;
}

std::vector<CurveDrawGeometry::GridLine> CurveDrawGeometry::getHorizontalGridLines (int gridSize) const
{
    const auto size = usableGridSize (gridSize);
    const auto step = (float) (height - 2 * marginY) * (float) size / (float) numSteps;
    std::vector<GridLine> lines;

    for (int k = 1;; ++k)
    {
        const auto y = (float) height - (float) k * step - (float) marginY;

        if (k > 1 && ! (y > (float) marginY))
            break;

        lines.push_back ({ y, size >= 5 || k % (5 - size) == 0, (juce::int64) k * size - 1 });

        if (! (step > 0.0f))
            break;
    }

    return lines;
}

int CurveDrawGeometry::gridSizeFromSetting (const juce::String& text)
{
    auto p = text.getCharPointer();

    while (juce::CharacterFunctions::isWhitespace (*p))
        ++p;

    const bool negative = *p == '-';

    if (*p == '-' || *p == '+')
        ++p;

    // Digits beyond the int range keep the nearest int; only a positive size is a grid.
    juce::int64 magnitude = 0;

    for (; *p >= '0' && *p <= '9'; ++p)
        magnitude = juce::jmin (magnitude * 10 + (*p - '0'), (juce::int64) std::numeric_limits<int>::max());

    if (negative || magnitude == 0)
        return defaultGridSize;

    return (int) magnitude;
}
