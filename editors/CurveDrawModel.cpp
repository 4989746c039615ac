#include "editors/CurveDrawModel.h"

#include <algorithm>
#include <cmath>

CurveDrawModel::CurveDrawModel()
{
    clearPoints();
}

void CurveDrawModel::setSize (int width, int height)
{
    geometry = CurveDrawGeometry (width, height);
}

//==============================================================================
void CurveDrawModel::clearPoints()
{
    points.fill (unsetPoint);
}

void CurveDrawModel::showValues (const CurveValues& values)
{
    for (int j = 0; j < numPoints; ++j)
        points[(size_t) j] = rowOfValue (values[(size_t) j]);
}

void CurveDrawModel::showCurve (const CurveWords& words)
{
    showValues (unpackCurve (words));
}

void CurveDrawModel::storeCurve (CurveWords& words) const
{
    CurveValues values;

    for (int j = 0; j < numPoints; ++j)
        values[(size_t) j] = valueOfRow (points[(size_t) j]);

    packCurve (values, words);
}

//==============================================================================
void CurveDrawModel::press (float x, float y)
{
    mouseIsDown = true;
    pressX = juce::roundToInt (x);
    pressY = juce::roundToInt (y);
    startColumn = geometry.columnOfX (pressX);
    startRow = geometry.rowOfY (pressY);

    if (startColumn == 0 || startColumn == numPoints - 1)
        points[(size_t) startColumn] = (juce::uint8) startRow;

    outsideArea = false;
}

void CurveDrawModel::drag (float offsetX, float offsetY, bool shiftDown, bool ctrlDown)
{
    currentX = pressX + juce::roundToInt (offsetX);
    currentY = pressY + juce::roundToInt (offsetY);

    if (! outsideArea)
    {
        const auto column = geometry.columnOfX (currentX);
        const auto row = shiftDown ? startRow : geometry.rowOfY (currentY);

        points[(size_t) column] = (juce::uint8) row;

        // The columns skipped since the stroke's start are drawn afresh on a straight line.
        if (column > startColumn + 1)
        {
            std::fill (points.begin() + startColumn + 1, points.begin() + column, unsetPoint);
            drawLine (startColumn, column);
        }
        else if (column < startColumn - 1)
        {
            std::fill (points.begin() + column + 1, points.begin() + startColumn, unsetPoint);
            drawLine (column, startColumn);
        }

        if (! ctrlDown)
        {
            startColumn = column;
            startRow = row;
        }
    }

    outsideArea = ! geometry.isInsidePlot (currentX, currentY);
}

bool CurveDrawModel::release (CurveWords* selectedCurve)
{
    mouseIsDown = false;

    if (selectedCurve == nullptr)
        return false;

    fillGaps();
    storeCurve (*selectedCurve);
    return true;
}

void CurveDrawModel::doubleClick()
{
    clearPoints();
}

//==============================================================================
void CurveDrawModel::drawLine (int start, int end)
{
    if (start < 0 || end >= numPoints || end < start)
        return;

    auto& first = points[(size_t) start];
    auto& last = points[(size_t) end];

    // A stroke that starts on an unset point (a press beside the edge columns of an empty
    // drawing) joins the other end at its row.
    if (first == unsetPoint && last == unsetPoint)
        return;

    if (first == unsetPoint)
        first = last;
    else if (last == unsetPoint)
        last = first;

    const int b = first, a = last;

    for (int i = start + 1; i < end; ++i)
    {
        if (points[(size_t) i] != unsetPoint)
            continue;

        // The step toward the end row is truncated toward zero and then rounded half up
        // from the start row, so a falling row sequence lies one row nearer the start.
        const auto q = (i - start) * (b - a) / (end - start);
        const auto t = (int) (0.5 - q);
        points[(size_t) i] = (juce::uint8) ((b + t) & 0xFF);
    }
}

void CurveDrawModel::fillGaps()
{
    for (int i = 0; i < numPoints; ++i)
    {
        if (points[(size_t) i] != unsetPoint)
            continue;

        int b = -1, e = -1;
        float c = 0.0f, f = 0.0f;

        for (int k = i - 1; k >= 0; --k)
        {
            if (points[(size_t) k] != unsetPoint)
            {
                b = points[(size_t) k];
                c = 1.0f - (float) (i - k) / (float) numPoints;
                break;
            }
        }

        for (int m = i + 1; m < numPoints; ++m)
        {
            if (points[(size_t) m] != unsetPoint)
            {
                e = points[(size_t) m];
                f = 1.0f - (float) (m - i) / (float) numPoints;
                break;
            }
        }

        // The nearer neighbour weighs more; the two weights add up to 1.
        if (c > f)       f = 1.0f - c;
        else if (f > c)  c = 1.0f - f;
        else             c = f = 0.5f;

        double row;

        if (b > e)
            row = e == -1 ? b : std::trunc ((double) b - ((double) ((float) b * c) - (double) ((float) e * f)) * 0.5);
        else if (b < e)
            row = b == -1 ? e : std::trunc ((double) e - ((double) ((float) e * f) - (double) ((float) b * c)) * 0.5);
        else
            row = b == -1 ? 63 : b;

        points[(size_t) i] = (juce::uint8) juce::jlimit (0, numPoints - 1, (int) row);
    }
}
