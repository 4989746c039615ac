#include "editors/Filter.h"
#include "editors/EditorFlush.h"
#include "editors/FilterEdits.h"
#include "editors/FilterEnablement.h"
#include "editors/FilterMessageBits.h"
#include "editors/FilterPortList.h"
#include "editors/UnavailablePortMenuItem.h"
#include "app/LayoutRules.h"
#include "app/MainComponent.h"
#include "device/MidiController.h"

namespace
{
    const juce::Colour backgroundColour (0xff323e44);
    const juce::Colour coral (0xffff7f50);

    constexpr int debounceMs = 1000;
    constexpr int numChannels = 16;

    const char* const messageCaptions[numFilterMessageBits] =
    {
        "Note Off", "Note On", "Key Pressure", "Program Change", "Control Change", "Channel Pressure", "Pitch Bend",
        "System Exclusive", "Midi Time Code", "Song Pointer Pos", "Song Select", "Tune Request", "Clock", "Start",
        "Continue", "Stop", "Active Sense", "System Reset"
    };

    /** The channel messages: their toggles say that they are filtered on every channel. */
    constexpr int numChannelMessageBits = filterSystemExclusive;

    // Tops of the eight rows of buttons and toggles, as fractions of the height.
    constexpr double rowTops[] = { 0.2924, 0.3638, 0.4353, 0.5067, 0.5781, 0.6495, 0.7210, 0.7924 };

    std::unique_ptr<juce::Label> makeLabel (const juce::String& text, const juce::String& tooltip)
    {
        auto label = std::make_unique<juce::Label> ("new label", text);
        label->setTooltip (tooltip);
        label->setFont (juce::Font (14.5f, juce::Font::plain).withTypefaceStyle ("Regular"));
        label->setJustificationType (juce::Justification::centred);
        label->setEditable (false, false, false);
        label->setColour (juce::TextEditor::textColourId, juce::Colours::black);
        label->setColour (juce::TextEditor::backgroundColourId, juce::Colour (0x00000000));
        return label;
    }

    MidiController* device()
    {
        return MidiController::getInstance();
    }
}

Filter::Filter (MainComponent* ownerComponent) : owner (ownerComponent)
{
    setName ("Filter");

    auto addChannelButton = [this] (int channel)
    {
        auto* button = channelButtons.add (new juce::TextButton ("new button"));
        button->setButtonText (juce::String (channel + 1));
        button->setTooltip (TRANS ("All messages of this MIDI channel will be filtered out"));
        button->setColour (juce::TextButton::buttonOnColourId, coral);
        button->setClickingTogglesState (false);
        button->addListener (this);
        addAndMakeVisible (button);
    };

    auto addMessageToggles = [this] (int firstBit, int endBit)
    {
        for (int bit = firstBit; bit < endBit; ++bit)
        {
            auto* toggle = messageToggles.add (new juce::ToggleButton ("new toggle button"));
            toggle->setButtonText (TRANS (messageCaptions[bit]));

            if (bit < numChannelMessageBits)
                toggle->setTooltip (TRANS ("Those message type will be filtered out in all MIDI channels"));

            toggle->addListener (this);
            addAndMakeVisible (toggle);
        }
    };

    auto addLabel = [this] (std::unique_ptr<juce::Label>& label, const char* text, const char* tooltip)
    {
        label = makeLabel (TRANS (text), tooltip != nullptr ? TRANS (tooltip) : juce::String());
        addAndMakeVisible (*label);
    };

    addChannelButton (0);
    addLabel (channelsLabel, "Channels\n", "All messages of the selected below MIDI channels will be filtered out");

    for (int channel = 1; channel < numChannels; ++channel)
        addChannelButton (channel);

    addLabel (messagesLabel, "Messages\n", "When channel message is selected below, it will be filtered for all MIDI channels");
    addMessageToggles (filterNoteOff, filterTimeCode);
    addLabel (commonLabel, "Common\n", "When common message is selected below, it will be filtered");
    addLabel (realtimeLabel, "Realtime", "When realtime message is selected below, it will be filtered");
    addMessageToggles (filterTimeCode, numFilterMessageBits);

    portCombo = std::make_unique<juce::ComboBox> ("new combo box");
    portCombo->setTooltip (TRANS ("Select USB or MIDI ports where filtering is applied\n"));
    portCombo->setEditableText (false);
    portCombo->setJustificationType (juce::Justification::centredLeft);
    portCombo->setTextWhenNothingSelected (TRANS ("Select USB / MIDI input to filter"));
    portCombo->setTextWhenNoChoicesAvailable (TRANS ("Select USB / MIDI input to filter"));
    portCombo->addListener (this);
    addAndMakeVisible (*portCombo);

    addLabel (portKindLabel, "Input\n", nullptr);

    buttonReset = std::make_unique<juce::TextButton> ("buttonReset");
    buttonReset->setButtonText (TRANS ("Reset all filters"));
    buttonReset->setTooltip (TRANS ("This will reset  all filters to their default values"));
    buttonReset->setColour (juce::TextButton::buttonColourId, coral);
    buttonReset->addListener (this);
    addAndMakeVisible (*buttonReset);

    resetFilters (false, true);
    setSize (800, 448);
    updateEnablement (editorLocked);
}

Filter::~Filter()
{
    stopTimer();
}

//==============================================================================
int Filter::getSelectedEntry() const
{
    return FilterPortList::getEntryOfItemId (portCombo->getSelectedId());
}

void Filter::clearPortSelection()
{
    portCombo->setSelectedId (0, juce::dontSendNotification);
}

void Filter::rebuildPortList()
{
    auto* d = device();

    if (d == nullptr)
        return;

    const FilterPortList list (*d);
    portCombo->clear (juce::dontSendNotification);

    for (const auto& row : list.rows)
    {
        switch (row.type)
        {
            case FilterPortList::Row::Type::heading:    portCombo->addSectionHeading (row.text); break;
            case FilterPortList::Row::Type::separator:  portCombo->addSeparator(); break;
            case FilterPortList::Row::Type::port:
                if (row.available)
                    portCombo->addItem (row.text, row.itemId);
                else
                    UnavailablePortMenuItem::addTo (*portCombo, row.itemId, row.text);
                break;
        }
    }

    portCombo->setTextWhenNothingSelected (TRANS (list.getPlaceholder()));
    portCombo->setTextWhenNoChoicesAvailable (TRANS (list.getPlaceholder()));
    portKindLabel->setText (TRANS (list.getKindLabel()), juce::dontSendNotification);

    updateEnablement (editorIdle);
    showPortFilters (getSelectedEntry());
}

void Filter::showPortFilters (int entry)
{
    auto* d = device();

    if (d == nullptr || entry < 0 || entry != getSelectedEntry())
        return;

    const auto channels = FilterEdits::getChannelWord (*d, entry);
    const auto messages = FilterEdits::getMessageWord (*d, entry);

    for (int channel = 0; channel < channelButtons.size(); ++channel)
        channelButtons[channel]->setToggleState (((channels >> channel) & 1u) != 0, juce::dontSendNotification);

    for (int bit = 0; bit < messageToggles.size(); ++bit)
        messageToggles[bit]->setToggleState (((messages >> bit) & 1u) != 0, juce::dontSendNotification);
}

void Filter::updateEnablement (int mode)
{
    lastEnablementMode = mode;

    auto* d = device();
    const int entry = getSelectedEntry();
    const auto enablement = FilterEnablement::forMode (d != nullptr ? d->deviceMode : 255, mode, entry >= 0);

    portCombo->setEnabled (enablement.portList);
    buttonReset->setEnabled (enablement.resetButton);

    for (auto* button : channelButtons)
        button->setEnabled (enablement.editing);

    for (auto* toggle : messageToggles)
        toggle->setEnabled (enablement.editing);

    if (entry < 0)
    {
        for (auto* button : channelButtons)
            button->setToggleState (false, juce::dontSendNotification);

        for (auto* toggle : messageToggles)
            toggle->setToggleState (false, juce::dontSendNotification);
    }
}

//==============================================================================
void Filter::toggleChannel (int channel)
{
    auto* d = device();
    const int entry = getSelectedEntry();

    if (d == nullptr || ! FilterEdits::isEntryHeld (entry))
        return;

    FilterEdits::toggleChannel (*d, entry, channel);
    editMade (entry);
}

void Filter::messageToggleClicked (juce::Button& toggle)
{
    auto* d = device();
    const int entry = getSelectedEntry();
    const int bit = messageToggles.indexOf (dynamic_cast<juce::ToggleButton*> (&toggle));

    if (d == nullptr || bit < 0 || ! FilterEdits::isEntryHeld (entry))
        return;

    FilterEdits::setMessageFiltered (*d, entry, filterStatusFromBit ((juce::uint8) bit), toggle.getToggleState());
    editMade (entry);
}

void Filter::editMade (int entry)
{
    showPortFilters (entry);
    stopTimer();
    startTimer (debounceMs);
    refreshFullSettings();
}

void Filter::timerCallback()
{
    flushEditorWrites (*this);
}

void Filter::flushEdits()
{
    // The edits are marked as they are made: only their writes wait for the debounce.
    if (isTimerRunning())
        flushEditorWrites (*this);
}

void Filter::resetFilters (bool send, bool allPresets)
{
    auto* d = device();

    if (d == nullptr)
        return;

    FilterEdits::clearFilters (*d, allPresets);

    if (getSelectedEntry() >= 0)
        showPortFilters (getSelectedEntry());

    if (send)
    {
        d->postAsyncMessage (statusText, "Writing filter settings...");
        FilterEdits::markAllForWrite (*d);
        d->sendPending (kindChannelFilter);
    }

    clearPortSelection();
    updateEnablement (lastEnablementMode);
    refreshFullSettings();
}

void Filter::refreshFullSettings()
{
    if (owner != nullptr)
        if (auto* fullMap = owner->getFullMap())
            fullMap->refresh();
}

//==============================================================================
void Filter::renamePortItem (int entry)
{
    if (auto* d = device())
        UnavailablePortMenuItem::renameItem (*portCombo, FilterPortList::getItemIdOfEntry (entry),
                                             FilterPortList::getPortName (*d, entry));
}

void Filter::updatePortName (int index)
{
    if (portCombo->getNumItems() == 0 || ! juce::isPositiveAndBelow (index, portCombo->getNumItems()))
        return;

    renamePortItem (index);
}

void Filter::updateHostPortName (int slot)
{
    auto* d = device();

    if (d == nullptr || portCombo->getNumItems() == 0)
        return;

    const int hostPorts = d->getNumUsbHostPorts();

    // Host inputs are the first entries, host outputs the first entries after the inputs.
    if (juce::isPositiveAndBelow (slot, hostPorts))
        renamePortItem (slot);
    else if (juce::isPositiveAndBelow (slot - hostPorts, hostPorts))
        renamePortItem (slot + d->getNumLocalPorts());
}

//==============================================================================
void Filter::productLost()
{
    stopTimer();

    if (auto* d = device())
        FilterEdits::clearFilters (*d, true);

    showPortFilters (getSelectedEntry());
    clearPortSelection();
    refreshFullSettings();
    updateEnablement (editorLocked);
}

void Filter::refreshFromModel()
{
    showPortFilters (getSelectedEntry());
}

//==============================================================================
void Filter::buttonClicked (juce::Button* button)
{
    if (button == buttonReset.get())
    {
        resetFilters (true, false);
        return;
    }

    const int channel = channelButtons.indexOf (dynamic_cast<juce::TextButton*> (button));

    if (channel >= 0)
        toggleChannel (channel);
    else if (button != nullptr)
        messageToggleClicked (*button);
}

void Filter::comboBoxChanged (juce::ComboBox* combo)
{
    if (combo != portCombo.get())
        return;

    showPortFilters (getSelectedEntry());
    updateEnablement (editorIdle);
}

//==============================================================================
void Filter::paint (juce::Graphics& g)
{
    using LayoutRules::scaled;
    const int w = getWidth(), h = getHeight();

    g.fillAll (backgroundColour);
    g.setColour (coral);

    // A bar under each of the four headings.
    const int barTop = scaled (h, 0.2377) - 1;
    g.fillRect (scaled (w, 0.1169) - scaled (w, 0.1212) / 2, barTop, scaled (w, 0.1212), 3);
    g.fillRect (scaled (w, 0.2869), barTop, scaled (w, 0.1613), 3);
    g.fillRect (scaled (w, 0.5569), barTop, scaled (w, 0.1713), 3);
    g.fillRect (scaled (w, 0.8063), barTop, scaled (w, 0.1313), 3);
}

void Filter::resized()
{
    using LayoutRules::scaled;
    using LayoutRules::controlHeight;
    const int w = getWidth(), h = getHeight();

    const int buttonHeight = scaled (h, 0.0536);
    const int toggleHeight = controlHeight (scaled (h, 0.058));

    for (int channel = 0; channel < channelButtons.size(); ++channel)
    {
        const double centre = channel < 8 ? 0.0788 : 0.155;
        channelButtons[channel]->setBounds (scaled (w, centre) - 20, scaled (h, rowTops[channel % 8]), 40, buttonHeight);
    }

    const int headingTop = scaled (h, 0.2031);
    channelsLabel->setBounds (scaled (w, 0.115) - 104 / 2, headingTop - 12, 104, 24);
    messagesLabel->setBounds (scaled (w, 0.3675) - 128 / 2, headingTop - 13, 128, 26);
    commonLabel->setBounds (scaled (w, 0.6425) - 136 / 2, headingTop - 13, 136, 26);
    realtimeLabel->setBounds (scaled (w, 0.8712) - 104 / 2, headingTop - 13, 104, 26);

    for (int bit = 0; bit < messageToggles.size(); ++bit)
    {
        // Channel messages and sysex, then the common messages, then the realtime messages.
        const bool realtime = bit >= filterClock;
        const bool common = bit >= filterTimeCode && ! realtime;
        const int row = realtime ? bit - filterClock : common ? bit - filterTimeCode : bit;
        const double left = realtime ? 0.8013 : common ? 0.5513 : 0.2812;

        messageToggles[bit]->setBounds (scaled (w, left), scaled (h, rowTops[row]), realtime ? 120 : 144, toggleHeight);
    }

    const int comboWidth = scaled (w, 0.3725);
    const int comboTop = scaled (h, 0.0893) - scaled (h, 0.0536) / 2;
    portCombo->setBounds (w / 2 - comboWidth / 2, comboTop, comboWidth, controlHeight (scaled (h, 0.0536)));
    portKindLabel->setBounds (scaled (w, 0.155), scaled (h, 0.0893) - 12, scaled (w, 0.1338), 24);
    buttonReset->setBounds (portCombo->getRight() + 43, portCombo->getY(), 120, controlHeight (scaled (h, 0.0536)));
}
