#include "routing/SettingsUsbDevPortObject.h"
#include "routing/RouterListCommon.h"
#include "routing/UsbPortsReservation.h"
#include "device/CallAfterAtLeast.h"

namespace
{
    const juce::Colour backgroundColour (0xff323e44);
    const juce::Colour lineColour (0xffff7f50);
    const juce::Colour descriptionColour (0xffeb663e);
    const juce::Colour refusalColour (0xfffe0000);
    const juce::Colour neutralColour (0xfff2f2f2);

    constexpr int refusalShownMs = 3000;

    std::unique_ptr<juce::Label> makeLabel (const juce::String& text, float fontHeight, juce::Rectangle<int> bounds)
    {
        auto label = std::make_unique<juce::Label> ("new label", text);
        label->setFont (juce::Font (fontHeight, juce::Font::plain).withTypefaceStyle ("Regular"));
        label->setJustificationType (juce::Justification::centredLeft);
        label->setEditable (false, false, false);
        label->setBounds (bounds);
        return label;
    }
}

const juce::String SettingsUsbDevPortObject::description (
    "Above ports are device ports\n- Input device port is output port on Pv\n- Output device port is input port on Pv");
const juce::String SettingsUsbDevPortObject::lastCableMessage (
    juce::String ("You must enable at least one input or output\nDisabling all ") + "ports" + " is not allowed");
const juce::String SettingsUsbDevPortObject::tableFullMessage (
    "The ports of 16 devices are set already\nThis device's ports can't be changed");

SettingsUsbDevPortObject::SettingsUsbDevPortObject (RouterListCommon* gridThatOpened, int record, int kind)
    : grid (gridThatOpened), recordIndex (record), routerKind (kind)
{
    setName ("SettingsUsbDevPortObject");

    nameLabel = makeLabel ("-", 15.0f, { 13, 4, 272, 24 });
    addAndMakeVisible (*nameLabel);

    resetButton = std::make_unique<juce::TextButton> ("new button");
    resetButton->setButtonText (TRANS ("Reset"));
    resetButton->setTooltip (TRANS ("Click to reset all ports to enabled"));
    resetButton->setBounds (16, 64, 48, 22);
    resetButton->addListener (this);
    addAndMakeVisible (*resetButton);

    pidValueLabel = makeLabel ("-", 15.0f, { 416, 4, 54, 24 });
    vidLabel = makeLabel (TRANS ("VID:"), 15.0f, { 288, 4, 40, 24 });
    vidValueLabel = makeLabel ("-", 15.0f, { 323, 4, 53, 24 });
    pidLabel = makeLabel (TRANS ("PID:"), 15.0f, { 380, 4, 40, 24 });
    inputsLabel = makeLabel (TRANS ("Inputs"), 15.0f, { 416, 52, 54, 24 });
    outputsLabel = makeLabel (TRANS ("Outputs"), 15.0f, { 415, 73, 54, 24 });
    descriptionLabel = makeLabel (TRANS (description), 13.0f, { 16, 96, 248, 40 });
    descriptionLabel->setColour (juce::Label::textColourId, lineColour);

    for (auto* label : { pidValueLabel.get(), vidLabel.get(), vidValueLabel.get(), pidLabel.get(), inputsLabel.get(),
                         outputsLabel.get(), descriptionLabel.get() })
        addAndMakeVisible (*label);

    autoDisableToggle = std::make_unique<juce::ToggleButton> ("new toggle button");
    autoDisableToggle->setButtonText (TRANS ("Auto-disable port reservation"));
    autoDisableToggle->setTooltip (TRANS ("If this checkbox is enabled, when a USB port is disabled from this screen, if a "
                                          "corresponding port reservation is found, it will be automatically removed"));
    autoDisableToggle->setToggleState (true, juce::dontSendNotification);
    autoDisableToggle->setBounds (289, 112, 179, 17);
    autoDisableToggle->addListener (this);
    addAndMakeVisible (*autoDisableToggle);

    for (int i = 0; i < numCables; ++i)
    {
        const int labelX = i < 9 ? 78 + 21 * i : (int) (73 + 21.2 * i);
        cableLabels[i] = makeLabel (juce::String::formatted ("%d", i + 1), 12.0f, { labelX, 37, 26, 18 });
        addAndMakeVisible (*cableLabels[i]);

        inputToggles[i] = std::make_unique<juce::ToggleButton> ("new toggle in port");
        inputToggles[i]->setBounds (80 + 21 * i, 57, 18, 18);
        outputToggles[i] = std::make_unique<juce::ToggleButton> ("new toggle out port");
        outputToggles[i]->setBounds (80 + 21 * i, 77, 18, 18);

        for (auto* toggle : { inputToggles[i].get(), outputToggles[i].get() })
        {
            toggle->addListener (this);
            addAndMakeVisible (*toggle);
        }
    }

    setSize (480, 140);
    resetButton->setColour (juce::TextButton::buttonColourId, neutralColour);
}

SettingsUsbDevPortObject::~SettingsUsbDevPortObject()
{
    closePanel (true);
}

//==============================================================================
void SettingsUsbDevPortObject::setDevice (const UsbHostDevice& record)
{
    auto* device = MidiController::getInstance();

    if (device == nullptr)
        return;

    edit = std::make_unique<UsbPortMaskEdit> (*device, record);

    const auto vidPid = (juce::uint32) record.vidPid;
    pidValueLabel->setText (juce::String::formatted ("%0Xh", vidPid & 0xFFFF), juce::dontSendNotification);
    vidValueLabel->setText (juce::String::formatted ("%0Xh", (vidPid >> 16) & 0xFFFF), juce::dontSendNotification);
    nameLabel->setText (record.getName(), juce::dontSendNotification);
    showPortStates (edit->getOpeningMask());
}

void SettingsUsbDevPortObject::showPortStates (juce::uint32 mask)
{
    for (int i = 0; i < numCables; ++i)
    {
        inputToggles[i]->setEnabled (edit != nullptr && edit->hasInputCable (i));
        inputToggles[i]->setToggleState (((mask >> (16 + i)) & 1) != 0, juce::dontSendNotification);
        outputToggles[i]->setEnabled (edit != nullptr && edit->hasOutputCable (i));
        outputToggles[i]->setToggleState (((mask >> i) & 1) != 0, juce::dontSendNotification);
    }
}

//==============================================================================
void SettingsUsbDevPortObject::buttonClicked (juce::Button* button)
{
    auto* device = MidiController::getInstance();

    if (device == nullptr || edit == nullptr || closed)
        return;

    if (button == resetButton.get())
    {
        showPortStates (UsbPortMaskEdit::allEnabled);
        const auto result = edit->resetAll (*device);

        if (result == UsbPortMaskEdit::Result::tableFull)
            refuse (tableFullMessage);
        else if (result == UsbPortMaskEdit::Result::stored)
            updateResetButton();

        return;
    }

    for (int i = 0; i < numCables; ++i)
    {
        if (button == inputToggles[i].get())  { toggleInputPort (i); return; }
        if (button == outputToggles[i].get()) { toggleOutputPort (i); return; }
    }

    // The "Auto-disable port reservation" toggle is read when the panel closes.
}

void SettingsUsbDevPortObject::toggleOutputPort (int cable)  { toggleCable (false, cable); }
void SettingsUsbDevPortObject::toggleInputPort (int cable)   { toggleCable (true, cable); }

void SettingsUsbDevPortObject::toggleCable (bool inputCable, int cable)
{
    auto* device = MidiController::getInstance();

    if (device == nullptr || edit == nullptr)
        return;

    auto& toggle = inputCable ? *inputToggles[cable] : *outputToggles[cable];

    switch (edit->setCable (*device, inputCable, cable, toggle.getToggleState()))
    {
        case UsbPortMaskEdit::Result::lastCableRefused:
            checkSomePortEnabled();
            refuse (lastCableMessage);
            break;

        case UsbPortMaskEdit::Result::tableFull:
            refuse (tableFullMessage);
            break;

        case UsbPortMaskEdit::Result::stored:
            showDescription();
            updateResetButton();
            break;

        case UsbPortMaskEdit::Result::unchanged:
            break;
    }
}

bool SettingsUsbDevPortObject::checkSomePortEnabled()
{
    showDescription();

    for (int i = 0; i < numCables; ++i)
        if ((inputToggles[i]->isEnabled() && inputToggles[i]->getToggleState())
             || (outputToggles[i]->isEnabled() && outputToggles[i]->getToggleState()))
            return true;

    return false;
}

void SettingsUsbDevPortObject::showDescription()
{
    descriptionLabel->setText (TRANS (description), juce::dontSendNotification);
    descriptionLabel->setColour (juce::Label::textColourId, descriptionColour);
}

void SettingsUsbDevPortObject::refuse (const juce::String& message)
{
    if (auto* device = MidiController::getInstance())
        showPortStates (edit->getStoredMask (*device));

    descriptionLabel->setText (message, juce::dontSendNotification);
    descriptionLabel->setColour (juce::Label::textColourId, refusalColour);

    juce::Component::SafePointer<SettingsUsbDevPortObject> safeThis (this);
    callAfterAtLeast (refusalShownMs, [safeThis]
    {
        if (auto* panel = safeThis.getComponent())
            panel->showDescription();
    });
}

void SettingsUsbDevPortObject::updateResetButton()
{
    auto* device = MidiController::getInstance();

    if (device == nullptr || edit == nullptr || edit->findSlot (*device) < 0)
        return;

    const bool ownMask = edit->getStoredMask (*device) != UsbPortMaskEdit::allEnabled;
    resetButton->setEnabled (ownMask);
    resetButton->setColour (juce::TextButton::buttonColourId, ownMask ? descriptionColour : neutralColour);
}

//==============================================================================
void SettingsUsbDevPortObject::closePanel (bool apply)
{
    if (closed)
        return;

    closed = true;
    auto* device = MidiController::getInstance();
    auto* view = grid != nullptr ? grid->getUsbPortsReservation() : nullptr;

    if (! apply || device == nullptr || edit == nullptr || view == nullptr)
        return;

    const auto emptied = edit->close (*device, view->getTable(), autoDisableToggle->getToggleState());

    if (grid->isReservationViewOpen())
        for (auto entry : emptied)
            view->showReservation (entry);

    if (! edit->wasMarked())
        return;

    grid->hostListRefreshPending = true;
    grid->refreshFullMap();

    if (grid->isReservationViewOpen())
        grid->togglePortReservationView();

    grid->startTimer (RouterListCommon::debounceMs);
}

void SettingsUsbDevPortObject::paint (juce::Graphics& g)
{
    g.fillAll (backgroundColour);
    g.setColour (lineColour);
    g.fillRect (16, 32, 448, 1);
}
