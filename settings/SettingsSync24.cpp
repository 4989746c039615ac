#include "settings/SettingsSync24.h"
#include "settings/SettingsLook.h"
#include "settings/Sync24Setting.h"
#include "app/LayoutRules.h"

namespace
{
    /** Item ids are the input's port index + 2. */
    constexpr int firstItemId = 2;
}

SettingsSync24::SettingsSync24()
{
    setName ("SettingsSync24");

    inputList.setName ("new combo box");
    SettingsLook::styleList (inputList, TRANS ("Select a USB or MIDI input..."), TRANS ("(no choices)"),
                             TRANS ("Select which USB or MIDI Input will trigger SYNC-24 signals\n"));
    inputList.addListener (this);

    outputToggle.setName ("new toggle button");
    outputToggle.setButtonText (TRANS ("Enable Sync-24 Output"));
    outputToggle.setTooltip (TRANS ("Check to enable SYNC-24 output.\nThat will disable the MIDI output "));
    outputToggle.addListener (this);

    addAndMakeVisible (inputList);
    addAndMakeVisible (outputToggle);

    setSize (800, 202);
}

SettingsSync24::~SettingsSync24() = default;

void SettingsSync24::paint (juce::Graphics& g)
{
    g.fillAll (SettingsLook::panelBackground);
}

void SettingsSync24::resized()
{
    using LayoutRules::scaled;
    const int w = getWidth(), h = getHeight();

    outputToggle.setBounds (w / 2 - scaled (w, 0.245) / 2, scaled (h, 0.2772), scaled (w, 0.245), scaled (h, 0.1188));
    inputList.setBounds (w / 2 - scaled (w, 0.3088) / 2, scaled (h, 0.5545), scaled (w, 0.3088), scaled (h, 0.1188));
}

//==============================================================================
void SettingsSync24::fillInputs()
{
    inputList.clear (juce::dontSendNotification);

    auto* device = MidiController::getInstance();

    if (device == nullptr)
        return;

    for (const auto& row : Sync24Setting::getInputList (*device).rows)
    {
        if (row.isSeparator)
            inputList.addSeparator();
        else
            inputList.addItem (row.name, row.itemId);
    }
}

void SettingsSync24::refresh()
{
    auto* device = MidiController::getInstance();

    if (device == nullptr || device->productCode != productNorrim)
        return;

    const auto word = device->sync24[device->currentPreset & 0x0F];
    outputToggle.setToggleState (Sync24Setting::isOutputOn (word), juce::dontSendNotification);
    inputList.setSelectedId (Sync24Setting::getInputIndex (word) + firstItemId, juce::dontSendNotification);
}

void SettingsSync24::writeSync24()
{
    auto* device = MidiController::getInstance();
    const int inputIndex = inputList.getSelectedId() - firstItemId;

    if (device == nullptr || inputIndex < 0)
        return;

    if (Sync24Setting::store (*device, inputIndex, outputToggle.getToggleState()))
        refresh();
}

void SettingsSync24::updateEnablement (int mode)
{
    editorMode = mode;

    auto* device = MidiController::getInstance();
    const bool toggleEnabled = device != nullptr && Sync24Setting::isToggleEnabled (*device, mode);

    outputToggle.setEnabled (toggleEnabled);
    inputList.setEnabled (toggleEnabled && outputToggle.getToggleState());
}

void SettingsSync24::resetSync24()
{
    if (auto* device = MidiController::getInstance())
        for (auto& word : device->sync24)
            word = 0;

    refresh();
}

//==============================================================================
void SettingsSync24::comboBoxChanged (juce::ComboBox* list)
{
    if (list == &inputList)
        writeSync24();
}

void SettingsSync24::buttonClicked (juce::Button* button)
{
    if (button != &outputToggle)
        return;

    writeSync24();

    // The input can be chosen as soon as the output is on, even when no input was chosen yet
    // (and nothing could be stored).
    updateEnablement (editorMode);
}
