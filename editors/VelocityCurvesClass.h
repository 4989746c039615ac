#pragma once

#include <juce_gui_basics/juce_gui_basics.h>
#include "editors/CurveDrawComponent.h"

class MainComponent;
class Mapper;

/** The editor of the four user velocity curves, shown by the mapper tab over its pages.

    The user picks a curve, draws it in the drawing area, resets one or all curves to the
    factory curves, or keeps a curve in a text file. Every change goes into the device model's
    userCurves at once; a drawn or loaded curve is written to the product 2000 ms after the
    last change, the resets write all four curves at once. Products whose firmware has no
    curves get a disabled editor with no curve selected.
*/
class VelocityCurvesClass : public juce::Component,
                            public juce::Timer,
                            public juce::Button::Listener,
                            public juce::ComboBox::Listener
{
public:
    static constexpr int writeDelayMs = 2000;
    /** The application property that keeps the grid size. */
    static constexpr const char* gridSettingKey = "CurveEditorGrid";

    /** Built by the mapper tab that shows it (none in tests that show the editor alone). */
    explicit VelocityCurvesClass (Mapper* owner = nullptr);
    ~VelocityCurvesClass() override;

    void paint (juce::Graphics&) override;
    void resized() override;
    void timerCallback() override;
    void buttonClicked (juce::Button*) override;
    void comboBoxChanged (juce::ComboBox*) override;

    //==============================================================================
    /** The grid size from the properties file and the curve choices of the identified product;
        the first curve is selected unless the firmware has no curves. */
    void refreshChoices();
    /** Enables the editor when allowed and the product's firmware has curves. */
    void updateEnablement (bool allowed);

    /** The index of the selected curve (-1 none). */
    int getSelectedCurve() const;
    /** Shows the selected curve in the drawing area, or an empty drawing when none is selected. */
    void showSelectedCurve();

    /** Puts the factory curves back (all, or only the selected one) and shows the selected curve;
        with write, all of the product's curves are written at once. */
    void resetCurves (bool write, bool selectedOnly);
    /** The selected curve was changed: it is marked for writing and goes out 2000 ms after the
        last change, unless it is exactly its factory curve. */
    void scheduleCurveWrite();
    /** A curve that waits to be written keeps its debounce: when the timer was stopped (by a press,
        a double-click, or a curve drawn back into its factory shape), it is started again, so that
        no marked curve is left behind unwritten. */
    void resumeWaitingCurveWrite();

    /** The grid step of the drawing area in points (1 or more). */
    int getGridSize() const noexcept        { return gridSize; }
    Mapper* getOwnerMapper() const noexcept { return ownerMapper; }
    juce::ComboBox& getCurveSelector() noexcept { return curveSelector; }
    juce::String readGridSetting() const;
    void storeGridSetting (const juce::String& text);

    bool isClearOnStartOn() const           { return clearOnStartToggle.getToggleState(); }

    //==============================================================================
    // Curve text files
    void showSaveChooser();
    /** Writes the drawing to a local file; empty on success, else the error text. */
    juce::String saveCurveFile (const juce::URL& location);
    void showLoadChooser();
    /** Reads a curve file into the selected curve, shows it and schedules its write; empty on
        success, else the error text, with nothing changed. */
    juce::String loadCurveFile (const juce::URL& location);

    //==============================================================================
    // The controls, in the order they are built. "Clear this curve", "Clear on start" and the
    // axis labels stay hidden.
    juce::TextButton resetAllCurvesButton { "new button" };
    juce::ComboBox curveSelector { "curveIndexSegment" };
    juce::TextButton resetCurveButton { "resetCurveButton" };
    juce::Label zeroLabel { "new label" };
    juce::Label fullScaleLabel { "new label" };
    juce::TextButton clearCurveButton { "new button" };
    juce::ToggleButton clearOnStartToggle { "new toggle button" };
    juce::Label shiftHintLabel { "new label" };
    juce::TextButton loadButton { "new button" };
    juce::TextButton saveButton { "new button" };
    CurveDrawComponent drawingArea { *this };
    juce::Label ctrlHintLabel { "new label" };
    juce::ComboBox gridCombo { "new combo box" };
    juce::Label gridLabel { "new label" };

private:
    int gridSize = 8;
    Mapper* ownerMapper = nullptr;
    std::unique_ptr<juce::FileChooser> curveChooser;

    /** The application's hub (properties file, full-settings window, boxes); null without one. */
    static MainComponent* getMainComponent();
    void setUpControls();
    void refreshFullSettings();
    /** The debounce's end: the lowest kind with a waiting write goes out (the reply chain sends
        the rest), unless a firmware is being programmed or only a bootloader answers. */
    void writePendingEdits();
    void showFileError (const juce::String& text);
    void requestStorageAccess();

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (VelocityCurvesClass)
};
