// The velocity curve drawing without its component: strokes of press, drag, release
// and double-click in pixels of a 384 x 384 area, the straight lines and gap fill
// they use, and the geometry and grid the component paints from.

#include <gtest/gtest.h>
#include "editors/CurveDrawModel.h"

#include <cmath>
#include <functional>
#include <optional>
#include <vector>

namespace
{
    using Points = CurveDrawModel::Points;
    constexpr auto unset = CurveDrawModel::unsetPoint;

    // The pixel nearest to a column and a row of a 384 x 384 area (steps 2.625 and 2.75).
    int xOfColumn (int column)  { return juce::roundToInt (24 + column * 336.0 / 128.0); }
    int yOfRow (int row)        { return juce::roundToInt (16 + row * 352.0 / 128.0); }

    struct Action
    {
        enum Type { press, drag, release, doubleClick } type;
        int x = 0, y = 0;
        bool shift = false, ctrl = false;
    };

    Action pressAt (int column, int row)        { return { Action::press, xOfColumn (column), yOfRow (row) }; }
    Action dragTo (int column, int row)         { return { Action::drag, xOfColumn (column), yOfRow (row) }; }
    Action shiftDragTo (int column, int row)    { return { Action::drag, xOfColumn (column), yOfRow (row), true, false }; }
    Action ctrlDragTo (int column, int row)     { return { Action::drag, xOfColumn (column), yOfRow (row), false, true }; }
    Action dragToPixel (int x, int y)           { return { Action::drag, x, y }; }
    Action releaseMouse()                       { return { Action::release }; }
    Action doubleClickMouse()                   { return { Action::doubleClick }; }

    CurveValues flatValues (int value)
    {
        CurveValues values;
        values.fill ((juce::uint8) value);
        return values;
    }

    CurveValues factoryCurve (int curve)    { return unpackCurve (defaultUserCurves[curve]); }

    /** A drawing area of 384 x 384 on user curve 2 of a table of factory curves. */
    struct Drawing
    {
        CurveDrawModel model;
        UserCurveTable curves;
        int selectedCurve = 1;
        int pressX = 0, pressY = 0;

        Drawing()   { resetAllUserCurves (curves, numUserCurves); }

        void run (const Action& action)
        {
            switch (action.type)
            {
                case Action::press:
                    pressX = action.x;
                    pressY = action.y;
                    model.press ((float) action.x, (float) action.y);
                    break;
                case Action::drag:
                    model.drag ((float) (action.x - pressX), (float) (action.y - pressY), action.shift, action.ctrl);
                    break;
                case Action::release:
                    model.release (selectedCurve >= 0 ? &curves[selectedCurve] : nullptr);
                    break;
                case Action::doubleClick:
                    model.doubleClick();
                    break;
            }
        }

        CurveValues stored() const   { return unpackCurve (curves[1]); }
        int row (int column) const   { return model.getPoints()[(size_t) column]; }
    };
}

//==============================================================================
TEST (CurveDrawModel, StrokesOnTheDrawing)
{
    struct Case
    {
        const char* name;
        std::optional<CurveValues> shown;       // the curve shown before the stroke; none: an empty drawing
        bool curveSelected;
        std::vector<Action> actions;
        std::function<void (const Drawing&)> check;
    };

    // A curve read from a product that holds values which show as unset points (128), between
    // a near low row on the left and a far high one on the right: weighing the two neighbours
    // gives row 169 for column 11, which would store 214.
    CurveValues unsetBetweenNearLowAndFarHigh = flatValues (128);
    for (int j = 0; j <= 10; ++j)   unsetBetweenNearLowAndFarHigh[(size_t) j] = 27;     // row 100
    unsetBetweenNearLowAndFarHigh[127] = 7;                                             // row 120

    const auto expectStoredFlat = [] (int value)
    {
        return [value] (const Drawing& d) { EXPECT_EQ (d.stored(), flatValues (value)); };
    };

    const Case cases[] = {
        { "an empty drawing released stores 64 everywhere", {}, true,
          { pressAt (64, 10), releaseMouse() }, expectStoredFlat (64) },

        { "a click in column 0 of an empty drawing stores a flat curve at its row", {}, true,
          { pressAt (0, 30), releaseMouse() }, expectStoredFlat (97) },

        { "a click in column 127 of an empty drawing stores a flat curve at its row", {}, true,
          { pressAt (127, 100), releaseMouse() }, expectStoredFlat (27) },

        { "a click in column 0 at the top row stores 127 everywhere", {}, true,
          { pressAt (0, 0), releaseMouse() }, expectStoredFlat (127) },

        { "a fast drag over a shown curve leaves no gap: skipped columns lie on straight lines", factoryCurve (1), true,
          { pressAt (10, 121), dragTo (15, 112), dragTo (22, 105), dragTo (40, 87), dragTo (41, 86), dragTo (100, 27) },
          [] (const Drawing& d)
          {
              // Column 10 holds row 121 on the shown curve: the stroke starts on it.
              const int vertices[][2] = { { 10, 121 }, { 15, 112 }, { 22, 105 }, { 40, 87 }, { 41, 86 }, { 100, 27 } };

              for (size_t v = 1; v < std::size (vertices); ++v)
              {
                  const auto [c0, r0] = vertices[v - 1];
                  const auto [c1, r1] = vertices[v];

                  // Within the rounding of the line: under two rows off the exact line.
                  for (int j = c0; j <= c1; ++j)
                      EXPECT_LT (std::abs (d.row (j) - (r0 + (r1 - r0) * (double) (j - c0) / (c1 - c0))), 2.0) << "column " << j;
              }

              const auto shown = factoryCurve (1);
              for (int j = 0; j < 128; ++j)
                  if (j < 10 || j > 100)
                      EXPECT_EQ (127 - d.row (j), shown[(size_t) j]) << "column " << j;
          } },

        { "with SHIFT the whole stroke keeps the row of the press", factoryCurve (1), true,
          { pressAt (20, 40), shiftDragTo (21, 90), shiftDragTo (50, 10), shiftDragTo (47, 127), shiftDragTo (70, 0), releaseMouse() },
          [] (const Drawing& d)
          {
              const auto shown = factoryCurve (1);
              const auto stored = d.stored();
              for (int j = 0; j < 128; ++j)
                  EXPECT_EQ (stored[(size_t) j], j >= 21 && j <= 70 ? 87 : shown[(size_t) j]) << "column " << j;
          } },

        { "with CTRL lines start from the press; moving back leaves the longer line beyond the new end", factoryCurve (1), true,
          { pressAt (0, 100), ctrlDragTo (60, 50), ctrlDragTo (40, 80) },
          [] (const Drawing& d)
          {
              EXPECT_EQ (d.row (0), 100);
              EXPECT_EQ (d.row (40), 80);
              EXPECT_EQ (d.row (60), 50);
              for (int j = 1; j < 40; ++j)
                  EXPECT_LT (std::abs (d.row (j) - (100.0 - j / 2.0)), 2.0) << "column " << j;
              for (int j = 41; j < 60; ++j)
                  EXPECT_LT (std::abs (d.row (j) - (100.0 - 50.0 * j / 60.0)), 2.0) << "column " << j;
          } },

        { "a press at column 50 of an empty drawing dragged to 60 joins them at the row of 60", {}, true,
          { pressAt (50, 40), dragTo (60, 20) },
          [] (const Drawing& d)
          {
              for (int j = 0; j < 128; ++j)
                  EXPECT_EQ (d.row (j), j >= 50 && j <= 60 ? 20 : unset) << "column " << j;
          } },

        { "a press in an empty drawing dragged to the left joins them at the row of the drag", {}, true,
          { pressAt (80, 10), dragTo (70, 30), releaseMouse() },
          [] (const Drawing& d)
          {
              for (int j = 70; j <= 80; ++j)
                  EXPECT_EQ (d.row (j), 30) << "column " << j;
              EXPECT_EQ (d.stored(), flatValues (97));
          } },

        { "no stored value exceeds 127 when gaps lie between a near low and a far high row", unsetBetweenNearLowAndFarHigh, true,
          { pressAt (64, 64), releaseMouse() },
          [] (const Drawing& d)
          {
              for (auto value : d.stored())
                  EXPECT_LE (value, 127);
          } },

        { "a double click after drawing clears the drawing but keeps the stored curve", {}, true,
          { pressAt (0, 30), releaseMouse(), pressAt (0, 30), releaseMouse(), doubleClickMouse() },
          [] (const Drawing& d)
          {
              for (int j = 0; j < 128; ++j)
                  EXPECT_EQ (d.row (j), unset) << "column " << j;
              EXPECT_EQ (d.stored(), flatValues (97));
              EXPECT_FALSE (d.model.isMouseDown());
          } },

        { "a release with no curve selected changes no curve and fills nothing", {}, false,
          { pressAt (0, 30), dragTo (5, 30), releaseMouse() },
          [] (const Drawing& d)
          {
              for (int curve = 0; curve < numUserCurves; ++curve)
                  EXPECT_TRUE (isFactoryCurve (d.curves[curve], curve)) << "curve " << curve;
              EXPECT_EQ (d.row (6), unset);
              EXPECT_FALSE (d.model.isMouseDown());
          } },

        { "leaving the plot: the first event outside is held to the border, the next ones and the first back inside are not taken", factoryCurve (1), true,
          { pressAt (100, 60), dragToPixel (383, yOfRow (60)), dragToPixel (383, yOfRow (10)), dragTo (110, 10) },
          [] (const Drawing& d)
          {
              EXPECT_EQ (d.row (127), 60);           // held to the last column, at the row of the event
              EXPECT_NE (d.row (110), 10);
              EXPECT_FALSE (d.model.isOutsideArea());
          } },

        { "back inside the plot, the second event is taken and joined to the border point", factoryCurve (1), true,
          { pressAt (100, 60), dragToPixel (383, yOfRow (60)), dragToPixel (383, yOfRow (10)), dragTo (110, 10), dragTo (105, 0) },
          [] (const Drawing& d)
          {
              EXPECT_EQ (d.row (105), 0);
              for (int j = 106; j < 127; ++j)
                  EXPECT_LT (std::abs (d.row (j) - 60.0 * (j - 105) / 22.0), 2.0) << "column " << j;
              EXPECT_TRUE (d.model.showsCrosshair());
          } },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        Drawing drawing;
        drawing.selectedCurve = c.curveSelected ? 1 : -1;

        if (c.shown)
            drawing.model.showValues (*c.shown);

        for (const auto& action : c.actions)
            drawing.run (action);

        c.check (drawing);
    }
}

TEST (CurveDrawModel, ShowingAndStoringACurveKeepEveryValue)
{
    // Values 0..255: rows 127 - value modulo 256, so 128 shows as an unset point, and back.
    CurveWords words;
    CurveValues values;
    for (int j = 0; j < 128; ++j)
        values[(size_t) j] = (juce::uint8) (j * 2 + 1);
    packCurve (values, words);

    CurveDrawModel model;
    model.showCurve (words);
    EXPECT_EQ (model.getPoints()[0], 126);
    EXPECT_EQ (model.getPoints()[63], 0);
    EXPECT_EQ (model.getPoints()[64], 254);

    CurveWords stored = {};
    model.storeCurve (stored);
    EXPECT_EQ (unpackCurve (stored), values);
}

//==============================================================================
TEST (CurveDrawModel, StraightLinesBetweenTwoColumns)
{
    struct Case
    {
        const char* name;
        std::vector<std::pair<int, int>> setPoints;     // column, row before the line
        int start, end;
        std::vector<std::pair<int, int>> expected;      // column, row after it
    };

    const Case cases[] = {
        // A rising row sequence (a falling curve) lies on the line; a falling one lies one row
        // nearer the start row from the first whole step on.
        { "rising rows",            { { 10, 20 }, { 14, 28 } }, 10, 14, { { 11, 22 }, { 12, 24 }, { 13, 26 }, { 14, 28 } } },
        { "falling rows",           { { 10, 28 }, { 14, 20 } }, 10, 14, { { 11, 27 }, { 12, 25 }, { 13, 23 }, { 14, 20 } } },
        { "flat",                   { { 0, 5 }, { 127, 5 } },    0, 127, { { 1, 5 }, { 64, 5 }, { 126, 5 } } },
        { "set points between stay", { { 10, 20 }, { 12, 99 }, { 14, 28 } }, 10, 14, { { 11, 22 }, { 12, 99 }, { 13, 26 } } },
        { "unset start takes the end's row",  { { 14, 28 } }, 10, 14, { { 10, 28 }, { 12, 28 }, { 14, 28 } } },
        { "unset end takes the start's row",  { { 10, 20 } }, 10, 14, { { 10, 20 }, { 12, 20 }, { 14, 20 } } },
        { "both ends unset: nothing",         {},               10, 14, { { 10, unset }, { 12, unset }, { 14, unset } } },
        { "end before start: nothing",        { { 10, 20 }, { 14, 28 } }, 14, 10, { { 12, unset } } },
        { "past the last column: nothing",    { { 120, 20 } }, 120, 128, { { 121, unset } } },
        { "before the first column: nothing", { { 5, 20 } },    -1, 5,   { { 0, unset }, { 4, unset } } },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        CurveValues shown = flatValues (128);   // every point unset
        for (auto [column, row] : c.setPoints)
            shown[(size_t) column] = (juce::uint8) (127 - row);

        CurveDrawModel model;
        model.showValues (shown);
        model.drawLine (c.start, c.end);

        for (auto [column, row] : c.expected)
            EXPECT_EQ (model.getPoints()[(size_t) column], row) << "column " << column;
    }
}

TEST (CurveDrawModel, GapsTakeTheRowOfTheNearestDrawnPoint)
{
    CurveValues shown = flatValues (128);
    for (int j = 40; j <= 80; ++j)
        shown[(size_t) j] = (juce::uint8) j;

    CurveDrawModel model;
    model.showValues (shown);
    model.fillGaps();

    for (int j = 0; j < 128; ++j)
        EXPECT_EQ (127 - model.getPoints()[(size_t) j], juce::jlimit (40, 80, j)) << "column " << j;
}

//==============================================================================
TEST (CurveDrawGeometry, PixelsToColumnsAndRowsAtEverySize)
{
    struct Case { const char* name; int width, height, x, y, column, row; bool inside; };

    const Case cases[] = {
        { "top left of the plot",          384, 384,  24,  16,   0,   0, true },
        { "left of the plot is column 0",  384, 384,   0,   0,   0,   0, false },
        { "half a step rounds up",         384, 384,  26,  18,   1,   1, true },
        { "last column and row",           384, 384, 357, 365, 127, 127, true },
        { "right border is outside",       384, 384, 360, 368, 127, 127, false },
        { "far outside holds to 127",      384, 384, 100000, 100000, 127, 127, false },
        { "far left holds to 0",           384, 384, -100000, -100000, 0, 0, false },
        { "a wide area",                   1000, 200, 500, 100, 64, 64, true },
        { "no plot: width 48",               48,  32,  24,  16,   0,   0, false },
        { "no plot: empty area",              0,   0,  10,  10,   0,   0, false },
        { "no plot: empty area, far right",   0,   0, 500, 500,   0,   0, false },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        const CurveDrawGeometry geometry (c.width, c.height);
        EXPECT_EQ (geometry.columnOfX (c.x), c.column);
        EXPECT_EQ (geometry.rowOfY (c.y), c.row);
        EXPECT_EQ (geometry.isInsidePlot (c.x, c.y), c.inside);
    }

    const CurveDrawGeometry geometry (384, 384);
    EXPECT_FLOAT_EQ (geometry.curveXOfColumn (0), 26.0f);
    EXPECT_FLOAT_EQ (geometry.curveXOfColumn (128), 362.0f);
    EXPECT_FLOAT_EQ (geometry.curveYOfRow (64), 194.0f);
}

TEST (CurveDrawGeometry, GridSizeSettingFallsBackTo8)
{
    struct Case { const char* text; int size; };

    const Case cases[] = {
        { "", 8 }, { "16", 16 }, { "1", 1 }, { "32", 32 }, { "40", 40 }, { " 12 px", 12 }, { "+5", 5 },
        { "0", 8 }, { "-3", 8 }, { "-0", 8 }, { "grid", 8 }, { "- 4", 8 },
        { "99999999999999999999", 2147483647 }, { "-99999999999999999999", 8 },
    };

    for (const auto& c : cases)
        EXPECT_EQ (CurveDrawGeometry::gridSizeFromSetting (c.text), c.size) << "\"" << c.text << "\"";
}

TEST (CurveDrawGeometry, GridLinesEndAtEverySizeAndStep)
{
    struct Case
    {
        const char* name;
        int width, height, gridSize;
        size_t vertical, horizontal;
        std::vector<juce::int64> tickedVerticalNumbers;     // the first ones
        std::vector<juce::int64> tickedHorizontalNumbers;
    };

    const Case cases[] = {
        { "grid 8",                     384, 384, 8,  15, 15, { 7, 15, 23 }, { 7, 15, 23 } },
        { "grid 16",                    384, 384, 16,  7,  7, { 15, 31 },    { 15, 31 } },
        { "grid 1 ticks every 7th and every 4th line", 384, 384, 1, 127, 127, { 6, 13 }, { 3, 7 } },
        { "grid 4 ticks every 4th and every line",     384, 384, 4,  31,  31, { 15, 31 }, { 3, 7, 11 } },
        { "grid 40",                    384, 384, 40,  3,  3, { 39, 79 },   { 39, 79 } },
        { "grid of the largest int",    384, 384, 2147483647, 1, 1, { 2147483646 }, { 2147483646 } },
        { "grid 0 counts as 8",         384, 384, 0,  15, 15, { 7, 15 },     { 7, 15 } },
        { "grid -5 counts as 8",        384, 384, -5, 15, 15, { 7, 15 },     { 7, 15 } },
        { "an area without a plot",      20,  10, 8,   1,  1, { 7 },         { 7 } },
        { "an empty area, grid 1",        0,   0, 1,   1,  1, {},            {} },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        const CurveDrawGeometry geometry (c.width, c.height);
        const auto vertical = geometry.getVerticalGridLines (c.gridSize);
        const auto horizontal = geometry.getHorizontalGridLines (c.gridSize);

        EXPECT_EQ (vertical.size(), c.vertical);
        EXPECT_EQ (horizontal.size(), c.horizontal);

        const auto tickedNumbers = [] (const std::vector<CurveDrawGeometry::GridLine>& lines, size_t count)
        {
            std::vector<juce::int64> numbers;
            for (const auto& line : lines)
                if (line.hasTick && numbers.size() < count)
                    numbers.push_back (line.number);
            return numbers;
        };

        if (! c.tickedVerticalNumbers.empty())
            EXPECT_EQ (tickedNumbers (vertical, c.tickedVerticalNumbers.size()), c.tickedVerticalNumbers);
        if (! c.tickedHorizontalNumbers.empty())
            EXPECT_EQ (tickedNumbers (horizontal, c.tickedHorizontalNumbers.size()), c.tickedHorizontalNumbers);
    }

    // Lines run left to right and bottom to top inside the plot.
    const auto lines = CurveDrawGeometry (384, 384).getVerticalGridLines (8);
    EXPECT_FLOAT_EQ (lines.front().position, 45.0f);
    EXPECT_FLOAT_EQ (lines.back().position, 339.0f);
    EXPECT_FLOAT_EQ (CurveDrawGeometry (384, 384).getHorizontalGridLines (8).front().position, 346.0f);
}
