#include "settings/Presets.h"
#include "app/LayoutRules.h"
#include "app/MainComponent.h"
#include "device/MidiController.h"
#include "settings/PresetFileLoader.h"
#include "settings/PresetFileWriter.h"
#include "settings/PresetName.h"
#include "settings/PresetSelectorRules.h"
#include "device/CallAfterAtLeast.h"

#if PELLION_HAS_RESOURCES
 #include "BinaryData.h"
#endif

namespace
{
    const juce::Colour backgroundColour (0xff323e44);
    const juce::Colour buttonColour (0xffff7f50);

    constexpr int warningMs = 2000;
    const char* const presetFilePattern = "*.pvp";

    MidiController* getDevice()
    {
        return MidiController::getInstance();
    }

    void setUpLabel (juce::Label& label, float fontHeight)
    {
        label.setFont (juce::Font (fontHeight, juce::Font::plain).withTypefaceStyle ("Regular"));
        label.setJustificationType (juce::Justification::centred);
        label.setEditable (false, false, false);
        label.setColour (juce::TextEditor::textColourId, juce::Colours::black);
        label.setColour (juce::TextEditor::backgroundColourId, juce::Colour (0x00000000));
    }
}

//==============================================================================
Presets::Presets (MainComponent* ownerComponent) : owner (ownerComponent)
{
    setName ("Presets");

    presetSelector.setName ("new component");
    addAndMakeVisible (presetSelector);

    buttonLoadSinglePreset.setTooltip (TRANS ("Load a single preset from file\n"));
    buttonLoadSinglePreset.setButtonText (TRANS ("Load"));
    buttonLoadSinglePreset.setColour (juce::TextButton::buttonColourId, buttonColour);
    buttonLoadSinglePreset.addListener (this);
    addAndMakeVisible (buttonLoadSinglePreset);

    setUpLabel (fileLabel, 13.0f);
    fileLabel.setColour (juce::Label::textColourId, juce::Colours::white);
    addAndMakeVisible (fileLabel);

    setUpLabel (messageLabel, 13.5f);
    messageLabel.setColour (juce::Label::backgroundColourId, backgroundColour);
    messageLabel.setColour (juce::Label::textColourId, juce::Colour (0xffff0000));
    addChildComponent (messageLabel);

    editNameButton.setTooltip (TRANS ("Click to edit preset name"));
   #if PELLION_HAS_RESOURCES
    const auto pencil = juce::ImageCache::getFromMemory (BinaryData::pencilGrey_png, BinaryData::pencilGrey_pngSize);
    editNameButton.setImages (false, true, true, pencil, 1.0f, {}, pencil, 1.0f, {}, pencil, 1.0f, {});
   #endif
    editNameButton.addListener (this);
    addAndMakeVisible (editNameButton);

    buttonSaveSinglePreset.setTooltip (TRANS ("Save a single preset to file\n"));
    buttonSaveSinglePreset.setButtonText (TRANS ("Save"));
    buttonSaveSinglePreset.setColour (juce::TextButton::buttonColourId, buttonColour);
    buttonSaveSinglePreset.addListener (this);
    addAndMakeVisible (buttonSaveSinglePreset);

    auto& selector = presetSelector.comboBox;
    selector.setTooltip (TRANS ("Select preset to use\n\nClick to edit preset name"));
    selector.setEditableText (false);
    selector.setJustificationType (juce::Justification::centredLeft);
    selector.setTextWhenNothingSelected (TRANS ("Select preset"));
    selector.setTextWhenNoChoicesAvailable (TRANS ("(no choices)"));

    showFileDialog = [this] (const FileDialogRequest& request, std::function<void (const juce::URL&)> onChosen)
    {
        launchFileChooser (request, std::move (onChosen));
    };

    setSize (156, 72);
}

Presets::~Presets()
{
    fileChooser = nullptr;
}

//==============================================================================
void Presets::paint (juce::Graphics& g)
{
    g.fillAll (backgroundColour);
}

void Presets::resized()
{
    using LayoutRules::scaled;
    using LayoutRules::controlHeight;
    const int w = getWidth(), h = getHeight();

    const int selectorHeight = controlHeight (scaled (h, 0.3333));
    const int buttonWidth = scaled (w, 0.3654);
    const int buttonHeight = controlHeight (scaled (h, 0.3056));
    const int buttonY = scaled (h, 0.7778) - scaled (h, 0.3056) / 2;

    presetSelector.setBounds (0, 0, w, selectorHeight);
    buttonLoadSinglePreset.setBounds (8, buttonY, buttonWidth, buttonHeight);
    buttonSaveSinglePreset.setBounds (w - buttonWidth - 8, buttonY, buttonWidth, buttonHeight);
    fileLabel.setBounds (0, scaled (h, 0.3333), scaled (w, 0.9872), 16);
    messageLabel.setBounds (0, scaled (h, 0.3472), scaled (w, 0.9872), scaled (h, 0.2222));
    editNameButton.setBounds (juce::roundToInt (0.74 * w), 4, scaled (w, 0.1346),
                              juce::roundToInt (0.6667 * selectorHeight));
}

//==============================================================================
void Presets::fillPresetSelector()
{
    auto* device = getDevice();
    auto& selector = presetSelector.comboBox;
    selector.clear (juce::dontSendNotification);

    if (device == nullptr)
        return;

    selector.setTooltip (TRANS (PresetSelectorRules::getTooltip (*device)));
    selector.setTextWhenNothingSelected (TRANS (PresetSelectorRules::getTextWhenNothingSelected (*device)));

    for (int i = 1; i <= PresetSelectorRules::getNumItems (*device); ++i)
        selector.addItem ("Preset " + juce::String (i), i);

    selector.setEditableText (PresetSelectorRules::isNameEditable (*device));
}

void Presets::resetPresetList()
{
    auto& selector = presetSelector.comboBox;
    selector.setSelectedItemIndex (0, juce::dontSendNotification);
    selector.setText ("Preset 1", juce::dontSendNotification);
    fileLabel.setText ("-", juce::dontSendNotification);

    auto* device = getDevice();

    if (device == nullptr)
        return;

    device->resetPresetNames();

    const int presets = device->productCode >= productDorvin && device->productCode <= productNorrim ? device->getNumPresets() : 0;

    for (int i = 1; i <= juce::jmin (presets, selector.getNumItems()); ++i)
        selector.changeItemText (i, "Preset " + juce::String (i));
}

void Presets::selectPreset (int preset)
{
    if (juce::isPositiveAndBelow (preset, presetSelector.comboBox.getNumItems()))
        presetSelector.comboBox.setSelectedItemIndex (preset, juce::dontSendNotification);

    updateFileLabel (preset);
}

void Presets::getDevicePresetName (int preset, juce::String& name)
{
    auto* device = getDevice();
    name = device != nullptr ? PresetName::getDevicePresetName (*device, preset) : juce::String();
}

void Presets::setPresetItemText (int preset, const juce::String& text)
{
    auto& selector = presetSelector.comboBox;

    if (juce::isPositiveAndBelow (preset, selector.getNumItems()))
    {
        const bool selected = selector.getSelectedItemIndex() == preset;
        selector.changeItemText (preset + 1, text);

        if (selected)
            selector.setText (text, juce::dontSendNotification);
    }
}

bool Presets::checkPresetModified (const juce::String& selectorText)
{
    auto* device = getDevice();
    bool modified = false;

    // While another preset waits to be selected on the product, the model's current preset is not
    // the one the selector shows: nothing is compared until the switch went out.
    if (device != nullptr && getActivePreset() == device->currentPreset)
        modified = fileRecords.checkPresetModified (*device, selectorText);

    buttonSaveSinglePreset.setEnabled (modified && controlsEnabled);
    return modified;
}

void Presets::setControlsEnabled (bool enabled)
{
    controlsEnabled = enabled;

    if (enabled)
        checkPresetModified (presetSelector.comboBox.getText());
    else
        buttonSaveSinglePreset.setEnabled (false);

    buttonLoadSinglePreset.setEnabled (enabled);

    auto* device = getDevice();
    presetSelector.setEnabled (device != nullptr && PresetSelectorRules::isSelectorEnabled (*device, enabled));
}

//==============================================================================
void Presets::showMessage (const juce::String& text)
{
    messageLabel.setText (text, juce::dontSendNotification);
    messageLabel.setVisible (text.isNotEmpty());
}

void Presets::showNameWarning (const juce::String& warning)
{
    if (warning.isEmpty())
        return;

    showMessage (warning);

    // Every warning clears the line 2000 ms later, even when a newer one came in between.
    juce::Component::SafePointer<Presets> bar (this);
    callAfterAtLeast (warningMs, [bar]
    {
        if (bar != nullptr)
            bar->showMessage ({});
    });
}

int Presets::getActivePreset() const
{
    auto* device = getDevice();
    return device != nullptr ? PresetSelectorRules::getActivePreset (*device) : 0;
}

void Presets::setActivePreset (int preset)
{
    auto* device = getDevice();

    if (device == nullptr || preset < 0 || preset == getActivePreset())
        return;

    // Edits still held by a debounce belong to the preset they were made in.
    if (owner != nullptr)
        owner->flushEditorEdits();

    device->switchPreset (preset);
}

void Presets::updateFileLabel (int preset)
{
    if (! juce::isPositiveAndBelow (preset, PresetFileRecords::numPresets))
        return;

    auto& selector = presetSelector.comboBox;
    const auto check = PresetName::check (selector.getText());

    if (! check.valid)
    {
        showNameWarning (check.warning);

        juce::String name;
        getDevicePresetName (preset, name);
        selector.setText (name, juce::dontSendNotification);
    }

    fileLabel.setText (presetFileNames[preset].isEmpty() ? juce::String ("-") : presetFileNames[preset],
                       juce::dontSendNotification);
    checkPresetModified (selector.getText());
}

void Presets::sendPresetName (int preset, const juce::String& name)
{
    auto* device = getDevice();

    if (device != nullptr && PresetName::storeAndSend (*device, preset, name) && owner != nullptr)
        if (auto* fullMap = owner->getFullMap())
            fullMap->refresh();
}

//==============================================================================
juce::String Presets::savePresetFile (const juce::URL& file, int preset)
{
    auto* device = getDevice();

    if (device == nullptr)
        return {};

    const auto result = PresetFileWriter::save (*device, fileRecords, file, preset);
    showNameWarning (result.nameWarning);

    if (result.error.isNotEmpty() || file.isEmpty())
        return result.error;

    const int p = juce::isPositiveAndBelow (preset, PresetFileRecords::numPresets) ? preset : getActivePreset();

    if (result.presetRenamed)
    {
        setPresetItemText (p, result.presetName);

        if (owner != nullptr)
            if (auto* fullMap = owner->getFullMap())
                fullMap->refresh();
    }

    if (presetSelector.comboBox.getSelectedItemIndex() == p)
        updateFileLabel (p);

    if (owner != nullptr)
        owner->setDeviceProperty (device->serialText, "Preset " + juce::String (p + 1), presetFileUrls[p]);

    return {};
}

juce::String Presets::loadPresetFile (const juce::URL& file, int preset, bool send)
{
    auto* device = getDevice();

    if (device == nullptr || file.isEmpty())
        return {};

    // The editors' held edits are marked first, so that the load can tell them from its own marks.
    if (owner != nullptr)
        owner->flushEditorEdits();

    const auto result = PresetFileLoader::loadFile (*device, fileRecords, file,
                                                    preset < 0 ? getActivePreset() : preset, send);

    if (result.error.isNotEmpty())
        return result.error;

    if (result.presetName.isNotEmpty())
        setPresetItemText (result.preset, result.presetName);

    presetSelector.comboBox.setSelectedItemIndex (result.preset, juce::dontSendNotification);

    if (owner != nullptr)
        owner->refreshEditorsShowing (result.changedKinds);

    if (result.saveDialogTitle.isNotEmpty())
        chooseFileAndSave (result.saveDialogTitle);

    updateFileLabel (result.preset);
    return {};
}

//==============================================================================
void Presets::chooseFileAndLoad (int preset)
{
    juce::Component::SafePointer<Presets> bar (this);

    askForStorageAccess ([bar, preset]
    {
        if (bar == nullptr)
            return;

        bar->showFileDialog ({ "Load preset from file...", juce::File::getCurrentWorkingDirectory(), false },
                             [bar, preset] (const juce::URL& chosen)
        {
            if (bar == nullptr || chosen.isEmpty())
                return;

            const auto error = bar->loadPresetFile (chosen, preset, true);

            if (error.isNotEmpty())
                bar->showErrorBox (error);
        });
    });
}

void Presets::chooseFileAndSave (const juce::String& title)
{
    juce::Component::SafePointer<Presets> bar (this);

    askForStorageAccess ([bar, title]
    {
        if (bar == nullptr)
            return;

        const auto initialFile = juce::File::getCurrentWorkingDirectory()
                                     .getChildFile (bar->presetSelector.comboBox.getText() + ".pvp");

        bar->showFileDialog ({ title, initialFile, true }, [bar] (const juce::URL& chosen)
        {
            if (bar == nullptr || chosen.isEmpty())
                return;

            // The preset active when the file is chosen is the one written.
            const auto error = bar->savePresetFile (chosen, bar->getActivePreset());

            if (error.isNotEmpty())
                bar->showErrorBox (error);
        });
    });
}

void Presets::launchFileChooser (const FileDialogRequest& request, std::function<void (const juce::URL&)> onChosen)
{
    fileChooser = std::make_unique<juce::FileChooser> (TRANS (request.title), request.initialFile, presetFilePattern, true);

    const int flags = request.saving
                        ? juce::FileBrowserComponent::saveMode | juce::FileBrowserComponent::canSelectFiles
                              | juce::FileBrowserComponent::warnAboutOverwriting
                        : juce::FileBrowserComponent::openMode | juce::FileBrowserComponent::canSelectFiles;

    fileChooser->launchAsync (flags, [onChosen = std::move (onChosen)] (const juce::FileChooser& chooser)
    {
        onChosen (chooser.getURLResult());
    });
}

void Presets::askForStorageAccess (std::function<void()> then)
{
    juce::Component::SafePointer<Presets> bar (this);

    juce::RuntimePermissions::request (juce::RuntimePermissions::readExternalStorage, [bar, then = std::move (then)] (bool granted)
    {
        if (bar == nullptr)
            return;

        if (! granted && bar->owner != nullptr)
            bar->owner->boxPresenter.show (juce::MessageBoxOptions()
                                               .withIconType (juce::MessageBoxIconType::WarningIcon)
                                               .withTitle (TRANS ("Permissions warning"))
                                               .withMessage (TRANS ("External storage access permission not granted, some files may be inaccessible."))
                                               .withButton (TRANS ("OK")));

        then();
    });
}

void Presets::showErrorBox (const juce::String& text)
{
    if (owner != nullptr)
        owner->boxPresenter.show (juce::MessageBoxOptions()
                                      .withIconType (juce::MessageBoxIconType::InfoIcon)
                                      .withTitle (TRANS ("Error"))
                                      .withMessage (text)
                                      .withButton (TRANS ("OK")));
}

//==============================================================================
void Presets::confirmSaveOnQuit()
{
    auto* device = getDevice();

    // An edit of the last moments counts too.
    if (device != nullptr && device->deviceMode != 0)
        checkPresetModified (presetSelector.comboBox.getText());

    if (device == nullptr || owner == nullptr || fileRecords.getPresetsToSaveOnQuit (*device).isEmpty())
    {
        juce::JUCEApplicationBase::quit();
        return;
    }

    juce::Component::SafePointer<Presets> bar (this);

    owner->boxPresenter.show (juce::MessageBoxOptions()
                                  .withIconType (juce::MessageBoxIconType::InfoIcon)
                                  .withTitle (TRANS ("Save presets file(s)"))
                                  .withMessage (TRANS ("One or more preset have changed and were not saved into the presets file(s)\n\n"
                                                       "Would you like to update the presets file(s) with the new settings ?"))
                                  .withButton (TRANS ("No"))
                                  .withButton (TRANS ("Yes, save file(s)")),
                              [bar] (int result)
    {
        auto* d = getDevice();

        // The application goes next: a failed write is not reported.
        if (result == 0 && bar != nullptr && d != nullptr)
            for (int preset : bar->fileRecords.getPresetsToSaveOnQuit (*d))
                bar->savePresetFile (juce::URL (bar->presetFileUrls[preset]), preset);

        juce::JUCEApplicationBase::quit();
    });
}

//==============================================================================
void Presets::buttonClicked (juce::Button* button)
{
    auto* device = getDevice();

    if (button == &buttonLoadSinglePreset)
        chooseFileAndLoad (getActivePreset());
    else if (button == &buttonSaveSinglePreset)
        chooseFileAndSave ("Save preset to file...");
    else if (button == &editNameButton && device != nullptr && PresetSelectorRules::isNameEditable (*device))
        presetSelector.comboBox.showEditor();
}

//==============================================================================
void Presets::productLost()
{
    fileRecords.forgetFiles();
    presetSelector.comboBox.setSelectedItemIndex (-1, juce::dontSendNotification);
    resetPresetList();
    setControlsEnabled (false);
    presetSelector.setEnabled (false);
}

void Presets::refreshFromModel()
{
    selectPreset (getActivePreset());
}
