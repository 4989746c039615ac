#include "settings/FullMapWindow.h"
#include "settings/FullMap.h"
#include "settings/FullMapRowTexts.h"
#include "app/MainComponent.h"

FullMapWindow::FullMapWindow (const juce::String& title, juce::Colour background, MainComponent* owner)
    : DocumentWindow (title, background, DocumentWindow::allButtons, true),
      mainComponent (owner)
{
    setUsingNativeTitleBar (true);
    setResizable (true, true);
    centreWithSize (getWidth(), getHeight());
    setResizeLimits (980, 525, 1680, 900);
    updateTitle();

    auto content = std::make_unique<FullMap> (owner);
    fullMap = content.get();
    setContentOwned (content.release(), true);
}

FullMapWindow::~FullMapWindow()
{
    if (mainComponent != nullptr)
        mainComponent->fullSettingsShown = false;

    // Nobody reaches the content any more while the window deletes it.
    fullMap = nullptr;
    clearContentComponent();
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

    if (device == nullptr)
    {
        setName ("Full settings");
        return;
    }

    juce::String fileName;

    if (mainComponent != nullptr)
        if (auto* presets = mainComponent->getPresets())
            fileName = presets->presetFileNames[device->currentPreset % MidiController::numPresetRows];

    setName (FullMapRowTexts::windowTitle (*device, fileName));
}
