#include "settings/SettingsPresets.h"
#include "settings/SettingsLook.h"
#include "settings/PresetChangeSetting.h"
#include "app/LayoutRules.h"

SettingsPresets::SettingsPresets()
{
    setName ("SettingsPresets");

    SettingsLook::styleGroup (group, TRANS ("Preset Settings"));

    struct Caption { juce::Label& label; const char* text; const char* tooltip; };
    const Caption captions[] = {
        { valueLabel,   "Value",   "Select the base value used to change preset" },
        { channelLabel, "Channel", "Select the MIDI channel used to change preset" },
        { messageLabel, "Message", "Select the MIDI message used to change preset" },
    };

    for (const auto& caption : captions)
    {
        SettingsLook::styleLabel (caption.label, caption.text, TRANS (caption.text), 13.5f);
        caption.label.setTooltip (TRANS (caption.tooltip));
    }

    SettingsLook::styleList (messageList, "Select...", "Select", TRANS ("Select the MIDI message used to change preset"));
    SettingsLook::styleList (valueList, {}, {},
                             TRANS ("Select the values used to change preset.\n"
                                    "This depends on the number of presets available in the connected device"));
    SettingsLook::styleList (channelList, {}, {},
                             TRANS ("Select the MIDI channel used to change preset\n\nSelect \"Any\" to ignore channel\n"));

    enableToggle.setButtonText (TRANS ("Enable changing preset from MIDI messages"));
    enableToggle.setTooltip (TRANS ("Check this box if you want to update current preset from an incoming MIDI message\n"
                                    "If so, select the MIDI message, channel and values used to change preset"));
    forwardToggle.setButtonText (TRANS ("Forward message to MIDI/USB outputs"));
    forwardToggle.setTooltip (TRANS ("Uncheck if the selected message is only used to change preset and should not be sent "
                                     "to MIDI and USB outputs\n\nOnly the message matching above conditions (Status, channel "
                                     "and values) will be discarded"));

    for (auto* list : { &messageList, &valueList, &channelList })
    {
        list->setName ("new combo box");
        list->addListener (this);
    }

    for (auto* toggle : { &enableToggle, &forwardToggle })
    {
        toggle->setName ("new toggle button");
        toggle->addListener (this);
    }

    for (juce::Component* child : { (juce::Component*) &group, (juce::Component*) &valueLabel, (juce::Component*) &channelLabel,
                                    (juce::Component*) &messageLabel, (juce::Component*) &messageList, (juce::Component*) &valueList,
                                    (juce::Component*) &channelList, (juce::Component*) &enableToggle, (juce::Component*) &forwardToggle })
        addAndMakeVisible (child);

    setSize (800, 202);
}

SettingsPresets::~SettingsPresets() = default;

void SettingsPresets::paint (juce::Graphics& g)
{
    g.fillAll (SettingsLook::panelBackground);
}

void SettingsPresets::resized()
{
    using LayoutRules::scaled;
    const int w = getWidth(), h = getHeight();

    auto place = [w, h] (juce::Component& child, double x, double y, double width, double height)
    {
        child.setBounds (scaled (w, x), scaled (h, y), scaled (w, width), scaled (h, height));
    };

    group.setBounds (w / 2 - scaled (w, 0.73) / 2, scaled (h, 0.0594), scaled (w, 0.73), scaled (h, 0.8911));
    place (enableToggle,  0.23,   0.2228, 0.41,   0.1188);
    place (messageLabel,  0.23,   0.3911, 0.1575, 0.1188);
    place (channelLabel,  0.445,  0.3911, 0.1225, 0.1188);
    place (valueLabel,    0.5875, 0.3911, 0.1512, 0.1188);
    place (messageList,   0.2325, 0.5198, 0.18,   0.1188);
    place (channelList,   0.45,   0.5198, 0.09,   0.1188);
    place (valueList,     0.59,   0.5198, 0.13,   0.1188);
    place (forwardToggle, 0.23,   0.7426, 0.49,   0.1188);

    for (juce::Component* control : { (juce::Component*) &messageList, (juce::Component*) &channelList, (juce::Component*) &valueList,
                                      (juce::Component*) &enableToggle, (juce::Component*) &forwardToggle })
        LayoutRules::clampControlHeight (*control);
}

//==============================================================================
void SettingsPresets::fillChoices()
{
    auto* device = MidiController::getInstance();

    for (auto* list : { &messageList, &valueList, &channelList })
        list->clear (juce::dontSendNotification);

    if (device == nullptr)
        return;

    messageList.addItemList (PresetChangeSetting::getMessageItems (*device), 1);
    valueList.addItemList (PresetChangeSetting::getValueItems (device->productCode), 1);

    const auto channels = PresetChangeSetting::getChannelItems();

    for (int i = 0; i < channels.size(); ++i)
    {
        if (i == PresetChangeSetting::anyChannelIndex)
            channelList.addSeparator();

        channelList.addItem (channels[i], i + 1);
    }
}

void SettingsPresets::refresh()
{
    auto* device = MidiController::getInstance();

    if (device == nullptr || ! PresetChangeSetting::canShow (*device))
        return;

    const auto word = device->presetSetting;
    const auto choice = PresetChangeSetting::getChoice (word, *device);

    enableToggle.setToggleState (choice.changeFromMidi, juce::dontSendNotification);

    // The choices of the message only mean something while it changes presets, and only while
    // the panel can be edited at all.
    const bool choicesUsable = choice.changeFromMidi && enableToggle.isEnabled();

    for (juce::Component* control : { (juce::Component*) &messageList, (juce::Component*) &channelList,
                                      (juce::Component*) &valueList, (juce::Component*) &forwardToggle })
        control->setEnabled (choicesUsable);

    messageList.setSelectedItemIndex (choice.messageIndex, juce::dontSendNotification);
    valueLabel.setText (PresetChangeSetting::getValueLabel (word), juce::dontSendNotification);
    valueList.setSelectedItemIndex (choice.valueIndex, juce::dontSendNotification);
    channelList.setSelectedItemIndex (choice.channelIndex, juce::dontSendNotification);
    forwardToggle.setToggleState (choice.forward, juce::dontSendNotification);
}

void SettingsPresets::writePresetSetting()
{
    auto* device = MidiController::getInstance();

    if (device == nullptr)
        return;

    PresetChangeSetting::Choice choice;
    choice.changeFromMidi = enableToggle.getToggleState();
    choice.messageIndex = messageList.getSelectedItemIndex();
    choice.valueIndex = valueList.getSelectedItemIndex();
    choice.channelIndex = channelList.getSelectedItemIndex();
    choice.forward = forwardToggle.getToggleState();

    device->presetSetting = PresetChangeSetting::withChoice (device->presetSetting, choice, *device);

    // Shown before the write: the write sets the panel busy as it goes out.
    refresh();
    device->writePresetSetting();
}

void SettingsPresets::updateEnablement (int mode)
{
    auto* device = MidiController::getInstance();

    if (device == nullptr || ! PresetChangeSetting::isEditable (*device, mode))
    {
        for (juce::Component* control : { (juce::Component*) &enableToggle, (juce::Component*) &messageList, (juce::Component*) &channelList,
                                          (juce::Component*) &valueList, (juce::Component*) &forwardToggle })
            control->setEnabled (false);

        return;
    }

    enableToggle.setEnabled (true);
    refresh();
}

//==============================================================================
void SettingsPresets::comboBoxChanged (juce::ComboBox* list)
{
    if (list == &messageList || list == &valueList || list == &channelList)
        writePresetSetting();
}

void SettingsPresets::buttonClicked (juce::Button* button)
{
    if (button == &enableToggle || button == &forwardToggle)
        writePresetSetting();
}
