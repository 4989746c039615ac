#include "settings/Presets.h"
#include "device/MidiController.h"
#include "settings/PresetName.h"

Presets::Presets (MainComponent* owner) : mainComponent (owner)
{
    setName ("Presets");
}

void Presets::fillPresetSelector() {}

void Presets::resetPresetList()
{
    if (auto* device = MidiController::getInstance())
        device->resetPresetNames();
}

void Presets::selectPreset (int) {}

void Presets::getDevicePresetName (int preset, juce::String& name)
{
    auto* device = MidiController::getInstance();
    name = device != nullptr ? PresetName::getDevicePresetName (*device, preset) : juce::String();
}

bool Presets::checkPresetModified (const juce::String&) { return false; }

void Presets::confirmSaveOnQuit()
{
    juce::JUCEApplicationBase::quit();
}

void Presets::setPresetItemText (int preset, const juce::String& text)
{
    if (preset >= 0 && preset < presetSelector.getNumItems())
    {
        presetSelector.changeItemText (preset + 1, text);
        if (presetSelector.getSelectedItemIndex() == preset)
            presetSelector.setText (text, juce::dontSendNotification);
    }
}

void Presets::setControlsEnabled (bool enabled)
{
    if (enabled)
        checkPresetModified (presetSelector.getText());
    else
        saveButton.setEnabled (false);

    loadButton.setEnabled (enabled);

    auto* device = MidiController::getInstance();
    presetSelector.setEnabled (enabled && device != nullptr && device->hostFirmwareVersion >= 1.05f
                               && device->isProductKnown());
}

void Presets::productLost()
{
    for (int p = 0; p < 16; ++p)
    {
        presetFilePaths[p].clear();
        presetFileNames[p].clear();
    }

    presetSelector.setSelectedItemIndex (-1, juce::dontSendNotification);
    resetPresetList();
    saveButton.setEnabled (false);
    loadButton.setEnabled (false);
    presetSelector.setEnabled (false);
}

void Presets::refreshFromModel()
{
    if (auto* device = MidiController::getInstance())
        selectPreset (device->currentPreset);
}
