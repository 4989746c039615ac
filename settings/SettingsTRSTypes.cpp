#include "settings/SettingsTRSTypes.h"
#include "settings/Settings.h"
#include "settings/SettingsLook.h"
#include "settings/TrsTypeSetting.h"
#include "app/LayoutRules.h"

namespace
{
    constexpr int typeGroup = 2;
}

SettingsTRSTypes::SettingsTRSTypes (Settings* ownerPage) : owner (ownerPage)
{
    setName ("SettingsTRSTypes");

    SettingsLook::styleGroup (group, TRANS ("TRS Output"));

    typeAButton.setButtonText (TRANS ("Type A"));
    typeAButton.setTooltip (TRANS ("Check this to setup TRS output Type A"));
    typeBButton.setButtonText (TRANS ("Type B"));
    typeBButton.setTooltip (TRANS ("Check this to setup TRS output Type B"));

    for (auto* button : { &typeAButton, &typeBButton })
    {
        button->setName ("new toggle button");
        button->setRadioGroupId (typeGroup);
        button->addListener (this);
    }

    typeAButton.setToggleState (true, juce::dontSendNotification);

    outputList.setName ("new combo box");
    SettingsLook::styleList (outputList, TRANS ("Select a TRS Output..."), TRANS ("(no choices)"),
                             TRANS ("Select here which TRS output to configure\n"
                                    "TRS inputs are compatible with Type A and B without configuration"));
    outputList.addListener (this);

    SettingsLook::styleLabel (noteLabel, "new label", TRANS ("TRS inputs are compatible with Type A and B without configuration"),
                              13.0f, juce::Justification::centred);
    noteLabel.setFont (juce::Font (13.0f, juce::Font::italic));
    noteLabel.setColour (juce::Label::textColourId, juce::Colour (0xffb7b7b7));

    for (juce::Component* child : { (juce::Component*) &group, (juce::Component*) &typeAButton, (juce::Component*) &typeBButton,
                                    (juce::Component*) &outputList, (juce::Component*) &noteLabel })
        addAndMakeVisible (child);

    setSize (800, 202);
}

SettingsTRSTypes::~SettingsTRSTypes() = default;

void SettingsTRSTypes::paint (juce::Graphics& g)
{
    g.fillAll (SettingsLook::panelBackground);
}

void SettingsTRSTypes::resized()
{
    using LayoutRules::scaled;
    const int w = getWidth(), h = getHeight();

    group.setBounds (w / 2 - scaled (w, 0.13) / 2, scaled (h, 0.3168), scaled (w, 0.13), scaled (h, 0.4852));

    const auto g = group.getBounds();
    auto placeInGroup = [&g] (juce::Component& child, double y)
    {
        child.setBounds (g.getX() + scaled (g.getWidth(), 0.1154), g.getY() + scaled (g.getHeight(), y),
                         scaled (g.getWidth(), 0.7211), scaled (g.getHeight(), 0.2347));
    };

    placeInGroup (typeAButton, 0.2857);
    placeInGroup (typeBButton, 0.602);

    const int listHeight = scaled (h, 0.1188);
    outputList.setBounds (w / 2 - scaled (w, 0.275) / 2, scaled (h, 0.1782) - listHeight / 2, scaled (w, 0.275), listHeight);
    noteLabel.setBounds (w / 2 - scaled (w, 0.9475) / 2, scaled (h, 0.8713), scaled (w, 0.9475), scaled (h, 0.1188));

    for (juce::Component* control : { (juce::Component*) &outputList, (juce::Component*) &typeAButton, (juce::Component*) &typeBButton })
        LayoutRules::clampControlHeight (*control);
}

//==============================================================================
void SettingsTRSTypes::fillOutputs()
{
    auto* device = MidiController::getInstance();

    if (device == nullptr)
        return;

    const auto outputs = TrsTypeSetting::getOutputNumbers (device->productCode);

    if (outputs.isEmpty())
        return;

    outputList.clear (juce::dontSendNotification);

    for (auto number : outputs)
        outputList.addItem (TrsTypeSetting::getOutputItemText (number), number);
}

void SettingsTRSTypes::refresh()
{
    auto* device = MidiController::getInstance();
    const int index = outputList.getSelectedItemIndex();

    if (device == nullptr || TrsTypeSetting::getBit (device->productCode, index) < 0)
        return;

    const bool typeA = TrsTypeSetting::isTypeA (device->trsType[device->currentPreset & 0x0F], device->productCode, index);
    typeAButton.setToggleState (typeA, juce::dontSendNotification);
    typeBButton.setToggleState (! typeA, juce::dontSendNotification);
}

void SettingsTRSTypes::storeType()
{
    auto* device = MidiController::getInstance();

    if (device == nullptr || ! TrsTypeSetting::store (*device, outputList.getSelectedItemIndex(), typeAButton.getToggleState()))
        return;

    refresh();

    if (owner != nullptr)
        owner->refreshFullMap();
}

void SettingsTRSTypes::updateEnablement (int mode)
{
    auto* device = MidiController::getInstance();
    const bool listEnabled = device != nullptr && TrsTypeSetting::isOutputListEnabled (*device, mode);
    const bool typesEnabled = listEnabled && outputList.getSelectedItemIndex() >= 0;

    outputList.setEnabled (listEnabled);
    typeAButton.setEnabled (typesEnabled);
    typeBButton.setEnabled (typesEnabled);
}

void SettingsTRSTypes::resetTypes()
{
    if (auto* device = MidiController::getInstance())
        for (auto& word : device->trsType)
            word = TrsTypeSetting::resetWord;

    refresh();
}

//==============================================================================
void SettingsTRSTypes::buttonClicked (juce::Button* button)
{
    // Choosing "Type B" turns "Type A" off through the radio group: the notification of "Type A"
    // stores either choice, once.
    if (button == &typeAButton)
        storeType();
}

void SettingsTRSTypes::comboBoxChanged (juce::ComboBox* list)
{
    if (list == &outputList)
    {
        updateEnablement (editorIdle);
        refresh();
    }
}
