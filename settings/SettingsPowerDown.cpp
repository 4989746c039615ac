#include "settings/SettingsPowerDown.h"
#include "settings/SettingsLook.h"
#include "settings/PowerDownSetting.h"
#include "app/LayoutRules.h"

SettingsPowerDown::SettingsPowerDown()
{
    setName ("SettingsPowerDown");

    SettingsLook::styleGroup (group, TRANS ("Power Down Settings"));

    wakeUpToggle.setName ("new toggle button");
    wakeUpToggle.setButtonText (TRANS ("Wake-Up from USB device activity"));
    wakeUpToggle.setTooltip (TRANS ("If enabled, the product will exit power down mode when USB activity is detected from "
                                    "USB device connector (USB-C from computer)\n"));
    wakeUpToggle.addListener (this);

    const auto timeTooltip = TRANS ("Select here the time of inactivity (no button pressed, no MIDI sent or received) before "
                                    "the products automatically enters power down");
    timeList.setName ("new combo box");
    SettingsLook::styleList (timeList, TRANS ("Select..."), TRANS ("(no choices)"), timeTooltip);
    timeList.addListener (this);

    SettingsLook::styleLabel (timeLabel, "new label", TRANS ("Time before entering power down"), 15.0f);
    timeLabel.setTooltip (timeTooltip);

    for (juce::Component* child : { (juce::Component*) &group, (juce::Component*) &wakeUpToggle,
                                    (juce::Component*) &timeList, (juce::Component*) &timeLabel })
        addAndMakeVisible (child);

    setSize (800, 202);
}

SettingsPowerDown::~SettingsPowerDown() = default;

void SettingsPowerDown::paint (juce::Graphics& g)
{
    g.fillAll (SettingsLook::panelBackground);
}

void SettingsPowerDown::resized()
{
    using LayoutRules::scaled;
    const int w = getWidth(), h = getHeight();

    group.setBounds (w / 2 - scaled (w, 0.73) / 2, scaled (h, 0.0594), scaled (w, 0.73), scaled (h, 0.9109));
    wakeUpToggle.setBounds (scaled (w, 0.23), scaled (h, 0.198), scaled (w, 0.48), scaled (h, 0.1238));
    timeList.setBounds (scaled (w, 0.23), scaled (h, 0.3911), scaled (w, 0.1475), scaled (h, 0.1188));
    timeLabel.setBounds (scaled (w, 0.39), scaled (h, 0.3911), scaled (w, 0.3575), scaled (h, 0.1188));

    LayoutRules::clampControlHeight (timeList);
    LayoutRules::clampControlHeight (wakeUpToggle);
}

//==============================================================================
void SettingsPowerDown::fillTimes()
{
    timeList.clear (juce::dontSendNotification);

    for (int i = 0; i < PowerDownSetting::numTimes; ++i)
        timeList.addItem (PowerDownSetting::powerDownTimes[i], i + 1);
}

void SettingsPowerDown::refresh()
{
    auto* device = MidiController::getInstance();

    if (device == nullptr)
        return;

    const auto word = device->powerDown[device->currentPreset & 0x0F];
    wakeUpToggle.setToggleState (PowerDownSetting::wakesUpOnUsb (word), juce::dontSendNotification);
    timeList.setSelectedItemIndex (PowerDownSetting::getTimeIndex (word), juce::dontSendNotification);
}

void SettingsPowerDown::writePowerDown()
{
    if (auto* device = MidiController::getInstance())
    {
        PowerDownSetting::store (*device, wakeUpToggle.getToggleState(), timeList.getSelectedItemIndex());
        refresh();
    }
}

void SettingsPowerDown::updateEnablement (int mode)
{
    auto* device = MidiController::getInstance();

    if (device == nullptr)
        return;

    const auto state = PowerDownSetting::getPanelState (*device, mode);
    wakeUpToggle.setTooltip (TRANS (state.toggleTooltip));
    timeList.setTooltip (TRANS (state.listTooltip));
    wakeUpToggle.setEnabled (state.enabled);
    timeList.setEnabled (state.enabled);

    if (state.enabled)
        refresh();
}

void SettingsPowerDown::resetPowerDown()
{
    if (auto* device = MidiController::getInstance())
        for (auto& word : device->powerDown)
            word = 0;

    refresh();
}

//==============================================================================
void SettingsPowerDown::buttonClicked (juce::Button* button)
{
    if (button == &wakeUpToggle)
        writePowerDown();
}

void SettingsPowerDown::comboBoxChanged (juce::ComboBox* list)
{
    if (list == &timeList)
        writePowerDown();
}
