#include "settings/SettingsButton.h"
#include "settings/SettingsLook.h"
#include "settings/PresetChangeSetting.h"
#include "app/LayoutRules.h"

namespace
{
    constexpr int buttonActionGroup = 1;
}

SettingsButton::SettingsButton()
{
    setName ("SettingsButton");

    SettingsLook::styleGroup (group, TRANS ("Button Settings (Short push)"));

    changePresetButton.setButtonText (TRANS ("Change current preset"));
    changePresetButton.setTooltip (TRANS ("Use a short push on the button to change current preset"));
    sendPanicButton.setButtonText (TRANS ("Send Panic (All Notes Off)"));
    sendPanicButton.setTooltip (TRANS ("Use a short push on the button to send Panic (All notes OFF to all outputs)"));

    for (auto* button : { &changePresetButton, &sendPanicButton })
    {
        button->setName ("new toggle button");
        button->setRadioGroupId (buttonActionGroup);
        button->addListener (this);
    }

    changePresetButton.setToggleState (true, juce::dontSendNotification);

    addAndMakeVisible (group);
    addAndMakeVisible (changePresetButton);
    addAndMakeVisible (sendPanicButton);

    setSize (800, 202);
}

SettingsButton::~SettingsButton() = default;

void SettingsButton::paint (juce::Graphics& g)
{
    g.fillAll (SettingsLook::panelBackground);
}

void SettingsButton::resized()
{
    using LayoutRules::scaled;
    const int w = getWidth(), h = getHeight();

    group.setBounds (w / 2 - scaled (w, 0.73) / 2, scaled (h, 0.0594), scaled (w, 0.73), scaled (h, 0.8614));
    changePresetButton.setBounds (scaled (w, 0.23), scaled (h, 0.198), scaled (w, 0.48), scaled (h, 0.1188));
    sendPanicButton.setBounds (scaled (w, 0.23), scaled (h, 0.3564), scaled (w, 0.48), scaled (h, 0.1188));
}

//==============================================================================
void SettingsButton::refresh()
{
    auto* device = MidiController::getInstance();

    if (device == nullptr)
        return;

    const bool panic = PresetChangeSetting::sendsPanic (device->presetSetting);
    sendPanicButton.setToggleState (panic, juce::dontSendNotification);
    changePresetButton.setToggleState (! panic, juce::dontSendNotification);
}

void SettingsButton::writeButtonMode()
{
    auto* device = MidiController::getInstance();

    if (device == nullptr)
        return;

    device->presetSetting = PresetChangeSetting::withButtonAction (device->presetSetting, sendPanicButton.getToggleState());
    refresh();
    device->writePresetSetting();
}

void SettingsButton::updateEnablement (int mode)
{
    auto* device = MidiController::getInstance();

    if (device == nullptr || ! PresetChangeSetting::isAvailable (*device))
    {
        for (auto* button : { &changePresetButton, &sendPanicButton })
        {
            button->setTooltip (TRANS ("Please update the firmware to the latest version to enable this feature"));
            button->setEnabled (false);
        }

        return;
    }

    changePresetButton.setTooltip (TRANS ("Use a short push on the button to change current preset"));
    sendPanicButton.setTooltip (TRANS ("Use a short push on the button to send Panic (All Notes OFF to all outputs)"));

    const bool editable = PresetChangeSetting::isEditable (*device, mode);
    changePresetButton.setEnabled (editable);
    sendPanicButton.setEnabled (editable);

    if (editable)
        refresh();
}

//==============================================================================
void SettingsButton::buttonClicked (juce::Button* button)
{
    // Choosing one action turns the other off through the radio group, which notifies as well:
    // only the action now chosen stores and writes.
    if ((button == &changePresetButton || button == &sendPanicButton) && button->getToggleState())
        writeButtonMode();
}
