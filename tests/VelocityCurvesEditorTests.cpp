// The velocity curve editor against a simulated Jorvek: what the product receives after strokes,
// resets and curve files, what a curve read shows, and the grid property. The main component
// deletes the device object for good: one test per process (ctest).

#include "support/CurveEditorTestSupport.h"
#include "editors/CurveTextFile.h"

namespace
{
    juce::File writeCurveText (const juce::String& name, const juce::String& text)
    {
        auto file = juce::File::getSpecialLocation (juce::File::userHomeDirectory).getChildFile (name);
        file.replaceWithText (text);
        return file;
    }

    juce::String curveText (const CurveValues& values)
    {
        return CurveTextFile::format (rowsOf (values));
    }
}

using CurveEditor = CurveEditorFixture;

TEST_F (CurveEditor, AReleaseWritesTheSelectedCurveTwoSecondsAfterTheLastStroke)
{
    auto product = connectJorvek ({ 4, 2 });
    selectCurve (2);
    ASSERT_TRUE (editor().isEnabled());
    DrawingMouse mouse (editor().drawingArea);

    // A flat stroke at 100, then within the debounce one at 30: only the second goes out.
    mouse.press (0, 127 - 100);
    mouse.drag (64, 5, juce::ModifierKeys::shiftModifier);
    mouse.drag (127, 90, juce::ModifierKeys::shiftModifier);
    mouse.release();
    EXPECT_EQ (modelCurve (1), flatCurve (100)) << "the release stores the drawing at once";

    pump (1000);
    EXPECT_TRUE (curveRequests().empty());

    mouse.press (0, 127 - 30);
    mouse.drag (127, 127 - 30);
    mouse.release();
    const auto releaseTime = juce::Time::getMillisecondCounter();
    EXPECT_TRUE (curveRequests().empty());

    ASSERT_TRUE (pumpUntil ([this] { return ! curveRequests (SYSX_TYPE_WRITE).empty(); }, 4000));
    ASSERT_TRUE (waitUntilCurvesAreDone (3000));

    const auto writes = curveRequests (SYSX_TYPE_WRITE);
    ASSERT_EQ (writes.size(), 1u);
    // The framework's timers may fire up to a tenth of a second early.
    EXPECT_GE (writes[0].time - releaseTime, (juce::uint32) VelocityCurvesClass::writeDelayMs - 100);
    EXPECT_LT (writes[0].time - releaseTime, (juce::uint32) VelocityCurvesClass::writeDelayMs + 600);
    EXPECT_EQ (writes[0].message.getRawDataSize(), 172);
    EXPECT_EQ (itemOf (writes[0]), 1);

    EXPECT_EQ (productCurve (*product, 1), flatCurve (30));

    for (int curve : { 0, 2, 3 })
        EXPECT_EQ (productCurve (*product, curve), storedCurve (curve)) << "curve " << curve + 1;
}

TEST_F (CurveEditor, ADrawnCurveIsWrittenEvenWhenTheNextStrokeIsADoubleClickOrItsFactoryShape)
{
    auto product = connectJorvek ({ 4, 2 });
    ASSERT_TRUE (readCurves ({ 0, 1, 2, 3 }));
    DrawingMouse mouse (editor().drawingArea);

    // Curve 2 drawn flat at 70, then the drawing cleared by a double-click (its two clicks
    // included) within the debounce: the drawn curve still goes out.
    selectCurve (2);
    mouse.press (0, 127 - 70);
    mouse.drag (127, 127 - 70);
    mouse.release();

    for (int click = 0; click < 2; ++click)
    {
        mouse.press (64, 10);
        mouse.release();
    }

    mouse.doubleClick();
    EXPECT_EQ (editor().drawingArea.getPoints(), rowsOf (flatCurve (-128 & 0xFF)));

    // Curve 3 drawn flat at 20, then loaded in its factory shape within the debounce: the curve
    // as it now stands goes out, although the factory shape alone marks nothing.
    selectCurve (3);
    mouse.press (0, 127 - 20);
    mouse.drag (127, 127 - 20);
    mouse.release();

    const auto factoryFile = juce::File::getSpecialLocation (juce::File::userHomeDirectory).getChildFile ("factory3.txt");
    factoryFile.replaceWithText (curveText (factoryCurve (2)));
    ASSERT_EQ (editor().loadCurveFile (juce::URL (factoryFile)), "");

    ASSERT_TRUE (pumpUntil ([this] { return curveRequests (SYSX_TYPE_WRITE).size() == 2; },
                            VelocityCurvesClass::writeDelayMs + 3000));
    ASSERT_TRUE (waitUntilCurvesAreDone (3000));

    EXPECT_EQ (productCurve (*product, 1), flatCurve (70));
    EXPECT_EQ (productCurve (*product, 2), factoryCurve (2));
    EXPECT_EQ (productCurve (*product, 0), storedCurve (0));
    EXPECT_EQ (productCurve (*product, 3), storedCurve (3));
}

TEST_F (CurveEditor, ResetThisToDefaultRestoresOnlyTheSelectedCurveAndWritesAllFour)
{
    auto product = connectJorvek ({ 4, 2 });
    ASSERT_TRUE (readCurves ({ 0, 1, 2, 3 }));
    selectCurve (2);
    EXPECT_EQ (editor().drawingArea.getPoints(), rowsOf (storedCurve (1)));

    editor().resetCurveButton.triggerClick();
    ASSERT_TRUE (pumpUntil ([this] { return curveRequests (SYSX_TYPE_WRITE).size() == 4; }, 5000));
    ASSERT_TRUE (waitUntilCurvesAreDone (3000));

    EXPECT_TRUE (main->statusWasShown ("Writing curves settings..."));
    const auto writes = curveRequests (SYSX_TYPE_WRITE);

    for (int curve = 0; curve < numUserCurves; ++curve)
    {
        SCOPED_TRACE ("curve " + std::to_string (curve + 1));
        EXPECT_EQ (itemOf (writes[(size_t) curve]), curve);

        const auto expected = curve == 1 ? factoryCurve (1) : storedCurve (curve);
        EXPECT_EQ (modelCurve (curve), expected);
        EXPECT_EQ (productCurve (*product, curve), expected);
    }

    EXPECT_EQ (editor().drawingArea.getPoints(), rowsOf (factoryCurve (1)));
}

TEST_F (CurveEditor, ACurveReadRedrawsOnlyTheSelectedCurve)
{
    connectJorvek ({ 4, 2 });
    selectCurve (2);
    DrawingMouse mouse (editor().drawingArea);
    mouse.press (40, 40);
    mouse.doubleClick();

    const auto emptyDrawing = rowsOf (flatCurve (-128 & 0xFF));
    ASSERT_EQ (editor().drawingArea.getPoints(), emptyDrawing);

    ASSERT_TRUE (readCurves ({ 0 }));
    EXPECT_EQ (modelCurve (0), storedCurve (0));
    EXPECT_EQ (editor().drawingArea.getPoints(), emptyDrawing) << "curve 1 is not the one shown";

    ASSERT_TRUE (readCurves ({ 1 }));
    EXPECT_EQ (modelCurve (1), storedCurve (1));
    EXPECT_EQ (editor().drawingArea.getPoints(), rowsOf (storedCurve (1)));
}

TEST_F (CurveEditor, FirmwareWithoutCurvesDisablesTheEditorAndNothingOfTheCurvesIsEverSent)
{
    connectJorvek ({ 3, 8 });

    EXPECT_FALSE (editor().isEnabled());
    EXPECT_FALSE (editor().drawingArea.isEnabled());
    EXPECT_FALSE (editor().loadButton.isEnabled());
    EXPECT_EQ (editor().getSelectedCurve(), -1);
    EXPECT_EQ (editor().curveSelector.getTextWhenNothingSelected(), "Select curve to edit");

    // Whatever still reaches the editor: the mapper's resets, both reset buttons, a stroke, a file.
    editor().resetCurves (true, false);
    editor().resetAllCurvesButton.triggerClick();
    editor().resetCurveButton.triggerClick();
    DrawingMouse mouse (editor().drawingArea);
    mouse.press (0, 20);
    mouse.drag (127, 20);
    mouse.release();
    editor().scheduleCurveWrite();

    const auto file = writeCurveText ("flat.txt", curveText (flatCurve (50)));
    EXPECT_EQ (editor().loadCurveFile (juce::URL (file)), "Error: User curve selected is out of range");

    pump (VelocityCurvesClass::writeDelayMs + 500);
    EXPECT_TRUE (curveRequests().empty());
    EXPECT_FALSE (device().pendingRequests.hasAny (kindVelocityCurve));
}

TEST_F (CurveEditor, CurveFilesLoadIntoTheSelectedCurveAndARefusedFileChangesNothing)
{
    auto product = connectJorvek ({ 4, 2 });
    ASSERT_TRUE (readCurves ({ 0, 1, 2, 3 }));

    // A curve drawn into curve 1, saved and loaded into curve 3.
    selectCurve (1);
    DrawingMouse mouse (editor().drawingArea);
    mouse.press (0, 120);
    mouse.drag (127, 3);
    mouse.release();
    const auto drawn = modelCurve (0);

    const auto file = juce::File::getSpecialLocation (juce::File::userHomeDirectory).getChildFile ("drawn.txt");
    ASSERT_EQ (editor().saveCurveFile (juce::URL (file)), "");

    selectCurve (3);
    ASSERT_EQ (editor().loadCurveFile (juce::URL (file)), "");
    EXPECT_EQ (modelCurve (2), drawn);
    EXPECT_EQ (editor().drawingArea.getPoints(), rowsOf (drawn));

    ASSERT_TRUE (pumpUntil ([this] { return curveRequests (SYSX_TYPE_WRITE).size() == 2; }, 4000));
    ASSERT_TRUE (waitUntilCurvesAreDone (3000));
    EXPECT_EQ (productCurve (*product, 0), drawn);
    EXPECT_EQ (productCurve (*product, 2), drawn);

    // Refused files leave the curve, the drawing and the product as they were.
    struct Refused { const char* name; juce::String text; juce::String error; };
    auto withLine = [] (int line, const juce::String& text)
    {
        auto lines = juce::StringArray::fromLines (curveText (flatCurve (10)));
        lines.set (line - 1, text);
        return lines.joinIntoString ("\n");
    };

    const Refused refused[] = {
        { "value above 127", withLine (5, "200"),  "Error while parsing curve file: Value at line 5 is 200 (> 127)" },
        { "negative value",  withLine (9, " -1"),  "Error while parsing curve file: Value at line 9 is -1 (< 0)" },
        { "beyond int",      withLine (2, "99999999999"), "Error while parsing curve file: Value at line 2 is 2147483647 (> 127)" },
        { "three lines",     "1\n2\n3\n",          "Error while parsing curve file: only 3 values (128 expected)" },
        { "empty file",      "",                   "Error while parsing curve file: only 0 values (128 expected)" },
    };

    selectCurve (4);
    const auto writesBefore = curveRequests (SYSX_TYPE_WRITE).size();

    for (const auto& r : refused)
    {
        SCOPED_TRACE (r.name);
        EXPECT_EQ (editor().loadCurveFile (juce::URL (writeCurveText ("refused.txt", r.text))), r.error);
        EXPECT_EQ (modelCurve (3), storedCurve (3));
        EXPECT_EQ (editor().drawingArea.getPoints(), rowsOf (storedCurve (3)));
    }

    EXPECT_EQ (editor().loadCurveFile (juce::URL (file.getSiblingFile ("missing.txt"))), "Error: Cannot find input file");

    // A curve loaded in exactly its factory shape is not written.
    ASSERT_EQ (editor().loadCurveFile (juce::URL (writeCurveText ("factory.txt", curveText (factoryCurve (3))))), "");
    EXPECT_EQ (modelCurve (3), factoryCurve (3));
    EXPECT_FALSE (editor().isTimerRunning());

    pump (VelocityCurvesClass::writeDelayMs + 300);
    EXPECT_EQ (curveRequests (SYSX_TYPE_WRITE).size(), writesBefore);
    EXPECT_EQ (productCurve (*product, 3), storedCurve (3));
}

TEST_F (CurveEditor, TheGridSizeSurvivesARestartAndNoSizeBelow1IsUsed)
{
    ASSERT_NE (main->propertiesFile, nullptr);
    ASSERT_TRUE (main->propertiesFile->isValidFile());

    editor().refreshChoices();
    EXPECT_EQ (editor().getGridSize(), 8) << "no stored size";
    EXPECT_EQ (editor().gridCombo.getSelectedId(), 8);

    editor().gridCombo.setSelectedId (16, juce::sendNotificationSync);
    EXPECT_EQ (main->propertiesFile->getValue ("CurveEditorGrid"), "16");
    ASSERT_TRUE (main->propertiesFile->saveIfNeeded());

    // A restart: the file read again and an editor built afresh.
    main->propertiesFile = std::make_unique<juce::PropertiesFile> (MainComponent::getPropertiesOptions());
    {
        VelocityCurvesClass restarted;
        restarted.refreshChoices();
        EXPECT_EQ (restarted.getGridSize(), 16);
        EXPECT_EQ (restarted.gridCombo.getSelectedId(), 16);
    }

    struct Case { const char* stored; int size, chosenEntry; };

    const Case cases[] = {
        { "0",           8,  8 },
        { "-4",          8,  8 },
        { "-2147483649", 8,  8 },
        { "grid",        8,  8 },
        { "12 points",   12, 12 },
        { "40",          40, 0 },     // used as it is, with no entry chosen
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.stored);
        main->propertiesFile->setValue ("CurveEditorGrid", c.stored);
        editor().refreshChoices();
        EXPECT_EQ (editor().getGridSize(), c.size);
        EXPECT_EQ (editor().gridCombo.getSelectedId(), c.chosenEntry);

        // Painting the grid ends.
        const auto image = editor().drawingArea.createComponentSnapshot (editor().drawingArea.getLocalBounds());
        EXPECT_TRUE (image.isValid());
    }
}
