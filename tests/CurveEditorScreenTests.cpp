// The velocity curve editor on screen, driven by a real pointer and keyboard (xdotool) on a
// display of its own: its texts read back by OCR, a stroke with SHIFT and CTRL read back from
// the simulated product's store.

#include "support/CurveEditorTestSupport.h"
#include "support/OwnDisplay.h"
#include "app/WindowEventPump.h"

namespace
{
    /** The editor on the screen in a window of its own, at a fixed place. */
    class EditorWindow
    {
    public:
        explicit EditorWindow (VelocityCurvesClass& editorToShow) : editor (editorToShow)
        {
            host.setBounds (screenOrigin.x, screenOrigin.y, editor.getWidth(), editor.getHeight());
            host.addAndMakeVisible (editor);
            editor.setTopLeftPosition (0, 0);
            host.addToDesktop (0);
            host.setVisible (true);
            eventPump = std::make_unique<WindowEventPump> (host);
        }

        ~EditorWindow()
        {
            eventPump = nullptr;
            host.removeChildComponent (&editor);
        }

        bool isOnScreen() const     { return host.getPeer() != nullptr && host.isShowing(); }

        /** The screen position of a column and row of the drawing. */
        juce::Point<int> screenPixelOf (int column, int row) const
        {
            return pixelOf (editor.drawingArea.getLocalBounds(), column, row).roundToInt()
                     + editor.drawingArea.getScreenPosition();
        }

        static constexpr juce::Point<int> screenOrigin { 100, 100 };

    private:
        VelocityCurvesClass& editor;
        juce::Component host;
        // As in the application's window: events the X library has read ahead are not left waiting.
        std::unique_ptr<WindowEventPump> eventPump;
    };

    juce::StringArray moveTo (juce::Point<int> p)
    {
        return { "mousemove", "--sync", juce::String (p.x), juce::String (p.y), "sleep", "0.15" };
    }
}

class CurveEditorOnScreen : public CurveEditorFixture
{
};

TEST_F (CurveEditorOnScreen, AStrokeWithShiftAndCtrlReachesTheProduct)
{
    if (! OwnDisplay::isChildRun())
    {
        OwnDisplay::runCurrentTestOnOwnDisplay();
        return;
    }

    auto product = connectJorvek ({ 4, 2 });
    ASSERT_TRUE (readCurves ({ 0, 1, 2, 3 }));
    selectCurve (2);

    EditorWindow window (editor());
    ASSERT_TRUE (pumpUntil ([&window] { return window.isOnScreen(); }, 10000));

    // The pointer rests on the press point once the drawing sees it there: the window takes events.
    const auto& area = editor().drawingArea;
    ASSERT_TRUE (OwnDisplay::runXdotool (moveTo (window.screenPixelOf (0, 40))));
    ASSERT_TRUE (pumpUntil ([&area] { return area.isMouseOver(); }, 10000));

    // The editor as the user sees it (the selector's text without its arrow, the buttons without their rims).
    const auto& e = editor();
    const struct { const juce::Component& control; bool lightText; const char* text; } shown[] = {
        { e.resetAllCurvesButton, false, "Reset all to default" },
        { e.resetCurveButton,     false, "Reset this to default" },
        { e.gridLabel,            true,  "Grid size" },
        { e.loadButton,           false, "Load curve from file" },
        { e.saveButton,           false, "Save curve to file" },
        { e.shiftHintLabel,       true,  "SHIFT + mouse to draw constant values" },
        { e.ctrlHintLabel,        true,  "CTRL + mouse to draw lines" },
    };

    for (const auto& s : shown)
        EXPECT_EQ (OwnDisplay::readScreenText (s.control.getScreenBounds().reduced (3), true, s.lightText), juce::String (s.text));

    const auto selector = e.curveSelector.getScreenBounds().reduced (3);
    EXPECT_EQ (OwnDisplay::readScreenText (selector.withTrimmedRight (selector.getHeight()), true, false), "User curve 2");

    // Pressed on column 0 at value 87 (row 40); SHIFT keeps that row to column 60. Then CTRL draws
    // lines from column 60: out to column 110 at the top, back to column 90 at value 97 (row 30).
    const auto drawingOrigin = area.getScreenPosition();

    struct Move { int column, row; bool shift, ctrl; };
    const Move moves[] = { { 30, 100, true, false }, { 60, 5, true, false }, { 110, 0, false, true }, { 90, 30, false, true } };

    juce::StringArray script { "mousedown", "1", "sleep", "0.15" };
    bool shiftHeld = false, ctrlHeld = false;

    auto holdKey = [&script] (const char* key, bool& held, bool wanted)
    {
        if (held != wanted)
            script.addArray ({ wanted ? "keydown" : "keyup", key, "sleep", "0.15" });

        held = wanted;
    };

    for (const auto& m : moves)
    {
        holdKey ("shift", shiftHeld, m.shift);
        holdKey ("ctrl", ctrlHeld, m.ctrl);
        script.addArray (moveTo (window.screenPixelOf (m.column, m.row)));
    }

    script.addArray ({ "mouseup", "1", "sleep", "0.15" });
    holdKey ("shift", shiftHeld, false);
    holdKey ("ctrl", ctrlHeld, false);

    ASSERT_TRUE (OwnDisplay::runXdotool (script));

    // The release has the curve written: every event of the stroke has been taken by then.
    ASSERT_TRUE (pumpUntil ([this] { return ! curveRequests (SYSX_TYPE_WRITE).empty(); },
                            VelocityCurvesClass::writeDelayMs + 10000));
    ASSERT_TRUE (waitUntilCurvesAreDone (5000));

    // The same events, replayed on a drawing of the same size.
    CurveDrawModel replay;
    replay.setSize (area.getWidth(), area.getHeight());
    replay.showValues (storedCurve (1));
    const auto press = window.screenPixelOf (0, 40) - drawingOrigin;
    replay.press ((float) press.x, (float) press.y);

    for (const auto& m : moves)
    {
        const auto p = window.screenPixelOf (m.column, m.row) - drawingOrigin;
        replay.drag ((float) (p.x - press.x), (float) (p.y - press.y), m.shift, m.ctrl);
    }

    CurveWords expectedWords;
    ASSERT_TRUE (replay.release (&expectedWords));
    const auto expected = unpackCurve (expectedWords);

    EXPECT_EQ (modelCurve (1), expected);

    // What that is: flat at 87 under SHIFT, the short CTRL line ends at 97, the longer one still
    // reaches full scale, and the columns the stroke never touched keep their values.
    for (int j = 0; j <= 60; ++j)
        EXPECT_EQ (expected[(size_t) j], 87) << j;

    EXPECT_EQ (expected[90], 97);
    EXPECT_EQ (expected[110], 127);
    EXPECT_GT (expected[91], expected[90]) << "beyond the new end lies the longer line";

    for (int j = 111; j < numCurveValues; ++j)
        EXPECT_EQ (expected[(size_t) j], storedValue (1, j)) << j;

    EXPECT_EQ (curveRequests (SYSX_TYPE_WRITE).size(), 1u);
    EXPECT_EQ (productCurve (*product, 1), expected);
}
