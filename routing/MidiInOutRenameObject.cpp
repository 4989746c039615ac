#include "routing/MidiInOutRenameObject.h"
#include "routing/RouterListCommon.h"
#include "routing/RouterCommon.h"
#include "app/MainComponent.h"

namespace
{
    const juce::Colour backgroundColour (0xff323e44);
    const juce::Colour buttonColour (0xffff7f50);

    std::unique_ptr<juce::TextButton> makeButton (const juce::String& text, const juce::String& tooltip, juce::Rectangle<int> bounds)
    {
        auto button = std::make_unique<juce::TextButton> ("new button");
        button->setButtonText (text);
        button->setTooltip (tooltip);
        button->setColour (juce::TextButton::buttonColourId, buttonColour);
        button->setBounds (bounds);
        return button;
    }
}

MidiInOutRenameObject::MidiInOutRenameObject (RouterListCommon* gridThatOpened, int portIndex, int kind)
    : grid (gridThatOpened), port (portIndex), routerKind (kind)
{
    titleLabel = std::make_unique<juce::Label> ("new label", TRANS ("MIDI port rename"));
    titleLabel->setBounds (12, 43, 302, 24);
    addAndMakeVisible (*titleLabel);

    resetButton = makeButton (TRANS ("Reset"), TRANS ("Click to restore this port name to default"), { 16, 82, 51, 24 });

    nameEditor = std::make_unique<juce::TextEditor> ("new text editor");
    nameEditor->setMultiLine (false);
    nameEditor->setReadOnly (false);
    nameEditor->setBounds (100, 82, 205, 24);
    addAndMakeVisible (*nameEditor);

    resetAllButton = makeButton (TRANS ("Reset All Ports names"), TRANS ("Click to restore all ports names to default"), { 15, 12, 133, 20 });
    closeButton = makeButton (TRANS ("Close"), TRANS ("Click to close this window"), { 176, 12, 134, 20 });

    for (auto* button : { resetButton.get(), resetAllButton.get(), closeButton.get() })
    {
        button->addListener (this);
        addAndMakeVisible (*button);
    }

    loadPortName (port);
    setSize (320, 120);
    titleLabel->setFont (juce::Font (14.5f, juce::Font::plain).withTypefaceStyle ("Regular"));
}

MidiInOutRenameObject::~MidiInOutRenameObject()
{
    closePanel (true);
}

//==============================================================================
MainComponent* MidiInOutRenameObject::getMainComponent() const
{
    if (auto* tab = grid != nullptr ? grid->getTab() : nullptr)
        return tab->getMainComponent();

    return nullptr;
}

int MidiInOutRenameObject::getNumPorts() const
{
    auto* device = MidiController::getInstance();
    return device != nullptr ? device->getNumUsbHostPorts() + device->getNumLocalPorts() : 0;
}

juce::String MidiInOutRenameObject::getDefaultPortName (int portIndex) const
{
    auto* device = MidiController::getInstance();

    if (device == nullptr)
        return {};

    const int ports = getNumPorts();
    const bool isInput = portIndex < ports;
    return device->getPortName (isInput ? portIndex : portIndex - ports, isInput ? "In" : "Out", nullptr,
                                true, false, false, true, true, false);
}

void MidiInOutRenameObject::loadPortName (int portIndex)
{
    auto* device = MidiController::getInstance();
    const auto defaultName = getDefaultPortName (portIndex);
    titleLabel->setText (defaultName + " Port rename", juce::dontSendNotification);

    juce::String custom;

    if (device != nullptr && device->serialText.isNotEmpty())
        if (auto* main = getMainComponent())
            custom = main->getDeviceProperty (device->serialText, defaultName);

    shownName = custom.isNotEmpty() ? custom : defaultName;
    nameEditor->setText (shownName, juce::dontSendNotification);
}

void MidiInOutRenameObject::storePortName (int portIndex, const juce::String& key, const juce::String& value)
{
    auto* device = MidiController::getInstance();
    auto* main = getMainComponent();

    if (value.isEmpty() || device == nullptr || device->serialText.isEmpty() || main == nullptr)
        return;

    main->setDeviceProperty (device->serialText, key, value);

    if (grid != nullptr)
        grid->updatePortName (portIndex);

    if (auto* filter = main->getFilter())
        filter->updatePortName (portIndex);

    if (auto* mapper = main->getMapper())
        mapper->updatePortName (portIndex);

    const int ports = getNumPorts();

    if (ports > 0)
    {
        if (auto* fullMap = main->getFullMap())
        {
            if (portIndex < ports)
            {
                if (auto* row = fullMap->getRow (portIndex))
                    row->refreshInputName();
            }
            else if (auto* row = fullMap->getRow (portIndex - ports))
            {
                row->refreshOutputName();
            }

            fullMap->repaint();
        }
    }
}

void MidiInOutRenameObject::resetAllPortNames()
{
    const int ports = getNumPorts();

    for (int i = 0; i < 2 * ports; ++i)
    {
        const auto defaultName = getDefaultPortName (i);
        storePortName (i, defaultName, defaultName);

        if (i == port)
            nameEditor->setText (defaultName, juce::dontSendNotification);
    }

    if (grid != nullptr)
        grid->repaint();
}

//==============================================================================
void MidiInOutRenameObject::buttonClicked (juce::Button* button)
{
    if (button == resetButton.get())
    {
        nameEditor->setText (getDefaultPortName (port), juce::dontSendNotification);
    }
    else if (button == resetAllButton.get())
    {
        resetAllPortNames();
    }
    else if (button == closeButton.get())
    {
        if (auto* box = findParentComponentOfClass<juce::CallOutBox>())
            box->exitModalState (0);
    }
}

void MidiInOutRenameObject::closePanel (bool apply)
{
    if (closed)
        return;

    closed = true;

    if (apply && nameEditor->getText() != shownName)
        storePortName (port, getDefaultPortName (port), nameEditor->getText());
}

void MidiInOutRenameObject::paint (juce::Graphics& g)
{
    g.fillAll (backgroundColour);
    g.setColour (buttonColour);
    g.fillRect (16, 65, 285, 1);
}
