#include "editors/Lfo.h"
#include "editors/LfoObject.h"
#include "editors/EditorFlush.h"
#include "app/LayoutRules.h"
#include "app/MainComponent.h"
#include "device/MidiController.h"

namespace
{
    const juce::Colour backgroundColour (0xff323e44);
    const juce::Colour coral (0xffff7f50);
    const juce::Colour pageTabColour (0xff555555);

    std::unique_ptr<juce::TextButton> makeResetButton (const juce::String& name, const char* text, const char* tooltip)
    {
        auto button = std::make_unique<juce::TextButton> (name);
        button->setTooltip (TRANS (tooltip));
        button->setButtonText (TRANS (text));
        button->setColour (juce::TextButton::buttonColourId, coral);
        return button;
    }
}

Lfo::Lfo (MainComponent* ownerComponent) : owner (ownerComponent)
{
    setName ("Lfo");

    buttonResetAll = makeResetButton ("buttonResetAll", "Reset all LFOs", "This will reset all LFOs to their default values");
    buttonResetAll->addListener (this);
    addAndMakeVisible (*buttonResetAll);

    buttonResetCurrent = makeResetButton ("buttonResetCurrent", "Reset selected LFO",
                                          "This will reset the current selected LFO to its default values");
    buttonResetCurrent->addListener (this);
    addAndMakeVisible (*buttonResetCurrent);

    firmwareWarning = std::make_unique<juce::Label> ("new label", TRANS ("MIDI LFOs requires a more recent firmware, "
                                                                         "please upgrade your device to enable MIDI mappers"));
    firmwareWarning->setFont (juce::Font (15.0f, juce::Font::plain).withTypefaceStyle ("Regular"));
    firmwareWarning->setJustificationType (juce::Justification::centred);
    firmwareWarning->setEditable (false, false, false);
    firmwareWarning->setColour (juce::Label::backgroundColourId, backgroundColour);
    firmwareWarning->setColour (juce::Label::textColourId, juce::Colour (0xffff1f1f));
    firmwareWarning->setColour (juce::TextEditor::textColourId, juce::Colours::black);
    firmwareWarning->setColour (juce::TextEditor::backgroundColourId, juce::Colour (0x00000000));
    addAndMakeVisible (*firmwareWarning);

    tabs = std::make_unique<juce::TabbedComponent> (juce::TabbedButtonBar::TabsAtTop);
    tabs->setTabBarDepth (24);
    tabs->setCurrentTabIndex (-1);
    addAndMakeVisible (*tabs);

    setSize (800, 448);

    for (int i = 0; i < numPages; ++i)
        tabs->addTab (juce::String (i + 1), pageTabColour, new LfoObject (*this, i), true);

    tabs->setCurrentTabIndex (0, false);

    buttonResetAll->setEnabled (false);
    buttonResetCurrent->setEnabled (false);
    tabs->setEnabled (false);
    repaint();

    auto* device = MidiController::getInstance();
    firmwareWarning->setVisible (device != nullptr && showsFirmwareWarning (device->hostFirmwareVersion));
}

Lfo::~Lfo()
{
    stopTimer();
    buttonResetAll = nullptr;
    buttonResetCurrent = nullptr;
    firmwareWarning = nullptr;
    tabs = nullptr;
}

bool Lfo::showsFirmwareWarning (float hostFirmwareVersion)
{
    return hostFirmwareVersion > 0.1f && hostFirmwareVersion < 4.15f;
}

LfoObject* Lfo::getPage (int index) const
{
    return juce::isPositiveAndBelow (index, tabs->getNumTabs()) ? dynamic_cast<LfoObject*> (tabs->getTabContentComponent (index))
                                                              : nullptr;
}

void Lfo::resetLfos (bool)
{
    repaint();

    // Marks of the LFO kind could never be sent and would hold every later chain: none are made.

    if (owner != nullptr)
        if (auto* fullMap = owner->getFullMap())
            fullMap->refresh();
}

void Lfo::timerCallback()
{
    flushEditorWrites (*this);
}

void Lfo::buttonClicked (juce::Button* button)
{
    if (button == buttonResetAll.get())
        resetLfos (false);
    else if (button == buttonResetCurrent.get())
        resetLfos (true);
}

void Lfo::visibilityChanged()
{
    if (isShowing())
        repaint();
}

void Lfo::paint (juce::Graphics& g)
{
    g.fillAll (backgroundColour);
}

void Lfo::resized()
{
    using LayoutRules::scaled;
    const int w = getWidth(), h = getHeight();

    tabs->setTabBarDepth (scaled (h, 0.06696428));

    const int buttonWidth = scaled (w, 0.2);
    const int buttonHeight = scaled (h, 0.0536);
    const int buttonTop = scaled (h, 0.0625) - buttonHeight / 2;
    buttonResetAll->setBounds (scaled (w, 0.34) - buttonWidth / 2, buttonTop, buttonWidth, buttonHeight);
    buttonResetCurrent->setBounds (scaled (w, 0.66) - buttonWidth / 2, buttonTop, buttonWidth, buttonHeight);
    firmwareWarning->setBounds (0, scaled (h, 0.1183) - 12, w, 24);
    tabs->setBounds (0, scaled (h, 0.1607), w, scaled (h, 0.8393));

    LayoutRules::clampControlHeight (*buttonResetAll);
    LayoutRules::clampControlHeight (*buttonResetCurrent);
}
