#include "editors/VelocityCurvesClass.h"
#include "editors/EditorFlush.h"
#include "editors/CurveDrawGeometry.h"
#include "editors/CurveTextFile.h"
#include "editors/UserCurveEdits.h"
#include "device/MidiController.h"
#include "app/MainComponent.h"

namespace
{
    const juce::Colour backgroundColour (0xff323e44);
    const juce::Colour buttonColour (0xffff7c07);
    const juce::Colour buttonOnColour (0xffff9d44);
    const juce::Colour hintColour (0xffd8d8d8);

    constexpr int numGridChoices = 32;

    void styleLabel (juce::Label& label, const juce::String& text, float height, juce::Justification justification)
    {
        label.setText (text, juce::dontSendNotification);
        label.setFont (juce::Font (height, juce::Font::plain).withTypefaceStyle ("Regular"));
        label.setJustificationType (justification);
        label.setEditable (false, false, false);
        label.setColour (juce::TextEditor::textColourId, juce::Colours::black);
        label.setColour (juce::TextEditor::backgroundColourId, juce::Colour (0x00000000));
    }
}

VelocityCurvesClass::VelocityCurvesClass (Mapper* owner)
    : ownerMapper (owner)
{
    setName ("velocityCurvesClass");
    setUpControls();
    setSize (796, 400);

    updateEnablement (false);
    resetCurves (false, false);

    clearOnStartToggle.setVisible (false);
    clearCurveButton.setVisible (false);
    zeroLabel.setVisible (false);
    fullScaleLabel.setVisible (false);
}

VelocityCurvesClass::~VelocityCurvesClass()
{
    stopTimer();
}

void VelocityCurvesClass::setUpControls()
{
    auto setUpButton = [this] (juce::TextButton& button, const juce::String& text, const juce::String& tooltip)
    {
        button.setButtonText (TRANS (text));
        button.setTooltip (TRANS (tooltip));
        button.setColour (juce::TextButton::buttonColourId, buttonColour);
        button.setColour (juce::TextButton::buttonOnColourId, buttonOnColour);
        button.addListener (this);
        addAndMakeVisible (button);
    };

    setUpButton (resetAllCurvesButton, "Reset all to default", "Click to reset all curves to their default values");

    curveSelector.setTooltip (TRANS ("Curves:\n\nSelect here which user curve to edit"));
    curveSelector.setTextWhenNothingSelected (TRANS ("Select curve to edit"));
    curveSelector.setTextWhenNoChoicesAvailable (TRANS ("Select a curve"));
    curveSelector.setEditableText (false);
    curveSelector.setJustificationType (juce::Justification::centred);
    curveSelector.addListener (this);
    addAndMakeVisible (curveSelector);

    setUpButton (resetCurveButton, "Reset this to default", "Click to reset the selected curve to default");

    styleLabel (zeroLabel, TRANS ("0"), 15.0f, juce::Justification::centredLeft);
    addAndMakeVisible (zeroLabel);
    styleLabel (fullScaleLabel, TRANS ("127"), 15.0f, juce::Justification::centredLeft);
    addAndMakeVisible (fullScaleLabel);

    setUpButton (clearCurveButton, "Clear this curve", "Clear selected curve");

    clearOnStartToggle.setButtonText (TRANS ("Clear on start"));
    clearOnStartToggle.setTooltip (TRANS ("Check to replace the whole curve when starting edition"));
    clearOnStartToggle.addListener (this);
    addAndMakeVisible (clearOnStartToggle);

    styleLabel (shiftHintLabel, TRANS ("SHIFT + mouse to draw constant values"), 13.0f, juce::Justification::centred);
    shiftHintLabel.setColour (juce::Label::textColourId, hintColour);
    addAndMakeVisible (shiftHintLabel);

    setUpButton (loadButton, "Load curve from file", "Load curve from text file");
    setUpButton (saveButton, "Save curve to file", "Save current curve to text file");

    drawingArea.setName ("CurveDrawComponent");
    drawingArea.setSize (384, 384);
    addAndMakeVisible (drawingArea);

    styleLabel (ctrlHintLabel, TRANS ("CTRL + mouse to draw lines"), 13.0f, juce::Justification::centred);
    ctrlHintLabel.setColour (juce::Label::textColourId, hintColour);
    addAndMakeVisible (ctrlHintLabel);

    for (int size = 1; size <= numGridChoices; ++size)
        gridCombo.addItem (juce::String (size), size);

    gridCombo.setTooltip (TRANS ("Select the grid size fot the curve drawing"));
    gridCombo.setTextWhenNothingSelected (TRANS ("Grid"));
    gridCombo.setTextWhenNoChoicesAvailable (TRANS ("(no choices)"));
    gridCombo.setEditableText (false);
    gridCombo.setJustificationType (juce::Justification::centredLeft);
    gridCombo.addListener (this);
    addAndMakeVisible (gridCombo);

    styleLabel (gridLabel, TRANS ("Grid size"), 15.0f, juce::Justification::centredLeft);
    addAndMakeVisible (gridLabel);
}

//==============================================================================
void VelocityCurvesClass::paint (juce::Graphics& g)
{
    g.fillAll (backgroundColour);
}

void VelocityCurvesClass::resized()
{
    const auto w = (float) getWidth();
    const auto h = (float) getHeight();
    auto r = [] (float value) { return juce::roundToInt (value); };

    const auto bw = r (0.1713f * w);
    const auto bh = r (0.06f * h);
    auto buttonBox = [&] (float cx, float cy) { return juce::Rectangle<int> (r (cx * w) - bw / 2, r (cy * h) - bh, bw, bh); };

    resetAllCurvesButton.setBounds (buttonBox (0.1856f, 0.3f));
    curveSelector.setBounds (r (0.1856f * w) - bw / 2, r (0.12f * h), bw, bh);
    resetCurveButton.setBounds (buttonBox (0.1856f, 0.4f));
    clearCurveButton.setBounds (buttonBox (0.3169f, 0.34f));
    clearOnStartToggle.setBounds (r (0.12f * w), r (0.82f * h), bw, 18);
    shiftHintLabel.setBounds (r (0.025f * w), r (0.9125f * h), r (0.3287f * w), 19);
    loadButton.setBounds (buttonBox (0.1856f, 0.6725f));
    saveButton.setBounds (buttonBox (0.1856f, 0.7725f));

    const auto dw = r (0.4925f * w);
    const auto dh = r (0.98f * h);
    drawingArea.setBounds (r (0.6637f * w) - dw / 2, r (0.5f * h) - dh / 2, dw, dh);

    ctrlHintLabel.setBounds (r (0.025f * w), r (0.95f * h), r (0.3287f * w), 19);

    const auto gh = r (0.06f * h);
    gridCombo.setBounds (r (0.1913f * w), r (0.51f * h) - gh / 2, r (0.07f * w), gh);
    gridLabel.setBounds (r (0.0988f * w), r (0.51f * h) - 12, r (0.0813f * w), 24);

    // The axis labels (hidden) sit beside the bottom left and the top right of the drawing.
    zeroLabel.setBounds (drawingArea.getX() - 40, drawingArea.getBottom() - 24, 40, 24);
    fullScaleLabel.setBounds (drawingArea.getRight(), drawingArea.getY(), 40, 24);
}

//==============================================================================
void VelocityCurvesClass::refreshChoices()
{
    gridSize = CurveDrawGeometry::gridSizeFromSetting (readGridSetting());
    gridCombo.setSelectedId (gridSize <= numGridChoices ? gridSize : 0, juce::dontSendNotification);

    curveSelector.clear (juce::dontSendNotification);

    if (auto* device = MidiController::getInstance())
    {
        for (int curve = 0; curve < device->getNumVelocityCurves(); ++curve)
            curveSelector.addItem (juce::String::formatted ("User curve %d", curve + 1), curve + 1);

        curveSelector.setSelectedItemIndex (UserCurveEdits::initialSelection (*device), juce::dontSendNotification);
    }

    // The drawing follows the new selection.
    showSelectedCurve();
}

void VelocityCurvesClass::updateEnablement (bool allowed)
{
    auto* device = MidiController::getInstance();
    const auto enabled = allowed && (device == nullptr || UserCurveEdits::isEditingAvailable (device->hostFirmwareVersion));

    setEnabled (enabled);

    for (juce::Component* control : { (juce::Component*) &resetAllCurvesButton, (juce::Component*) &resetCurveButton,
                                      (juce::Component*) &curveSelector, (juce::Component*) &loadButton,
                                      (juce::Component*) &saveButton, (juce::Component*) &clearCurveButton,
                                      (juce::Component*) &clearOnStartToggle, (juce::Component*) &drawingArea })
        control->setEnabled (enabled);
}

int VelocityCurvesClass::getSelectedCurve() const
{
    return curveSelector.getSelectedItemIndex();
}

void VelocityCurvesClass::showSelectedCurve()
{
    auto* device = MidiController::getInstance();
    const auto curve = getSelectedCurve();

    if (device != nullptr && UserCurveEdits::isCurve (*device, curve))
        drawingArea.showCurve (device->userCurves[curve]);
    else
        drawingArea.clearPoints();
}

//==============================================================================
void VelocityCurvesClass::resetCurves (bool write, bool selectedOnly)
{
    auto* device = MidiController::getInstance();

    if (device == nullptr)
        return;

    UserCurveEdits::resetCurves (*device, getSelectedCurve(), selectedOnly);
    showSelectedCurve();

    if (write && UserCurveEdits::canWriteCurves (device->hostFirmwareVersion))
    {
        device->postAsyncMessage (statusText, "Writing curves settings...");

        if (UserCurveEdits::markAllCurves (*device))
            device->sendPending (kindVelocityCurve);
    }

    refreshFullSettings();
}

void VelocityCurvesClass::scheduleCurveWrite()
{
    stopTimer();
    auto* device = MidiController::getInstance();

    if (device != nullptr && UserCurveEdits::markEditedCurve (*device, getSelectedCurve()))
    {
        startTimer (writeDelayMs);
        refreshFullSettings();
        return;
    }

    resumeWaitingCurveWrite();
}

void VelocityCurvesClass::resumeWaitingCurveWrite()
{
    auto* device = MidiController::getInstance();

    if (! isTimerRunning() && device != nullptr && UserCurveEdits::hasWaitingCurveWrite (*device))
        startTimer (writeDelayMs);
}

void VelocityCurvesClass::timerCallback()
{
    writePendingEdits();
}

void VelocityCurvesClass::writePendingEdits()
{
    flushEditorWrites (*this);
}

//==============================================================================
void VelocityCurvesClass::comboBoxChanged (juce::ComboBox* comboBox)
{
    if (comboBox == &curveSelector)
    {
        showSelectedCurve();
    }
    else if (comboBox == &gridCombo && gridCombo.getSelectedItemIndex() >= 0)
    {
        gridSize = gridCombo.getSelectedItemIndex() + 1;
        drawingArea.repaint();
        storeGridSetting (juce::String (gridSize));
    }
}

void VelocityCurvesClass::buttonClicked (juce::Button* button)
{
    if (button == &resetAllCurvesButton)
        resetCurves (true, false);
    else if (button == &resetCurveButton)
        resetCurves (true, true);
    else if (button == &clearCurveButton)
        drawingArea.clearPoints();
    else if (button == &loadButton)
        showLoadChooser();
    else if (button == &saveButton)
        showSaveChooser();
}

//==============================================================================
MainComponent* VelocityCurvesClass::getMainComponent()
{
    // The editor sits in the mapper tab, which the tabs take out of the window while another tab
    // is shown: the hub is reached through the device object, which keeps it for the application.
    auto* device = MidiController::getInstance();
    return device != nullptr ? device->mainComponent : nullptr;
}

juce::String VelocityCurvesClass::readGridSetting() const
{
    auto* main = getMainComponent();

    if (main == nullptr || main->propertiesFile == nullptr || ! main->propertiesFile->isValidFile())
        return {};

    return main->propertiesFile->getValue (gridSettingKey);
}

void VelocityCurvesClass::storeGridSetting (const juce::String& text)
{
    auto* main = getMainComponent();

    if (main == nullptr || main->propertiesFile == nullptr || ! main->propertiesFile->isValidFile())
        return;

    main->propertiesFile->setValue (gridSettingKey, text);
    main->propertiesFile->setNeedsToBeSaved (true);
}

void VelocityCurvesClass::refreshFullSettings()
{
    if (auto* main = getMainComponent())
        if (auto* fullMap = main->getFullMap())
            fullMap->refresh();
}

//==============================================================================
void VelocityCurvesClass::requestStorageAccess()
{
    juce::Component::SafePointer<VelocityCurvesClass> safeThis (this);

    juce::RuntimePermissions::request (juce::RuntimePermissions::writeExternalStorage, [safeThis] (bool granted)
    {
        if (granted || safeThis == nullptr)
            return;

        if (auto* main = getMainComponent())
            main->boxPresenter.show (juce::MessageBoxOptions()
                                         .withIconType (juce::MessageBoxIconType::WarningIcon)
                                         .withTitle (TRANS ("Permissions warning"))
                                         .withMessage (TRANS ("External storage access permission not granted, some files may be inaccessible."))
                                         .withButton (TRANS ("OK")));
    });
}

void VelocityCurvesClass::showFileError (const juce::String& text)
{
    if (auto* main = getMainComponent())
        main->boxPresenter.show (juce::MessageBoxOptions()
                                     .withIconType (juce::MessageBoxIconType::InfoIcon)
                                     .withTitle ("Error")
                                     .withMessage (text)
                                     .withButton (TRANS ("OK")));
}

void VelocityCurvesClass::showSaveChooser()
{
    requestStorageAccess();

    curveChooser = std::make_unique<juce::FileChooser> (TRANS ("Save curve to file..."),
                                                        juce::File::getCurrentWorkingDirectory().getChildFile ("curve.txt"),
                                                        "*.txt");

    juce::Component::SafePointer<VelocityCurvesClass> safeThis (this);

    curveChooser->launchAsync (juce::FileBrowserComponent::saveMode | juce::FileBrowserComponent::canSelectFiles
                                   | juce::FileBrowserComponent::warnAboutOverwriting,
                               [safeThis] (const juce::FileChooser& chooser)
    {
        const auto location = chooser.getURLResult();

        if (safeThis == nullptr || location.isEmpty())
            return;

        if (auto error = safeThis->saveCurveFile (location); error.isNotEmpty())
            safeThis->showFileError (error);
    });
}

juce::String VelocityCurvesClass::saveCurveFile (const juce::URL& location)
{
    // An existing file is replaced only once the new one is completely written.
    return CurveTextFile::save (location, drawingArea.getPoints());
}

void VelocityCurvesClass::showLoadChooser()
{
    requestStorageAccess();

    curveChooser = std::make_unique<juce::FileChooser> (TRANS ("Load curve from file..."),
                                                        juce::File::getCurrentWorkingDirectory(), "*.txt");

    juce::Component::SafePointer<VelocityCurvesClass> safeThis (this);

    curveChooser->launchAsync (juce::FileBrowserComponent::openMode | juce::FileBrowserComponent::canSelectFiles
                                   | juce::FileBrowserComponent::filenameBoxIsReadOnly,
                               [safeThis] (const juce::FileChooser& chooser)
    {
        const auto location = chooser.getURLResult();

        if (safeThis == nullptr || location.isEmpty())
            return;

        if (auto error = safeThis->loadCurveFile (location); error.isNotEmpty())
            safeThis->showFileError (error);
    });
}

juce::String VelocityCurvesClass::loadCurveFile (const juce::URL& location)
{
    auto* device = MidiController::getInstance();
    const auto curve = getSelectedCurve();

    if (auto error = CurveTextFile::checkSelectedCurve (curve, device != nullptr ? device->getNumVelocityCurves() : 0);
        error.isNotEmpty())
        return error;

    const auto result = CurveTextFile::load (location);

    if (! result.values.has_value())
        return result.error;

    packCurve (*result.values, device->userCurves[curve]);
    drawingArea.showValues (*result.values);
    scheduleCurveWrite();
    return {};
}
