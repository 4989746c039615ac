#include "settings/FullMapWindow.h"
#include "app/MainComponent.h"
#include "device/MidiController.h"

FullMapWindow::FullMapWindow (const juce::String& title, juce::Colour background, MainComponent* owner)
    : DocumentWindow (title, background, DocumentWindow::allButtons, true),
      mainComponent (owner)
{
}

void FullMapWindow::closeButtonPressed()
{
    if (mainComponent != nullptr)
        mainComponent->fullSettingsShown = false;

    setVisible (false);
}

void FullMapWindow::updateTitle()
{
    auto* device = MidiController::getInstance();

    if (device == nullptr || device->hostFirmwareVersion < 1.05f || ! device->isProductKnown())
    {
        setName ("Full settings");
        return;
    }

    auto title = juce::String::formatted ("Full settings [Active preset: %d]", device->currentPreset + 1);

    if (mainComponent != nullptr)
        if (auto* presets = mainComponent->getPresets())
            if (presets->presetFileNames[device->currentPreset & 0x0F].isNotEmpty())
                title << "[" << presets->presetFileNames[device->currentPreset & 0x0F] << "]";

    setName (title);
}
