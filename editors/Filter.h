#pragma once

#include <juce_gui_basics/juce_gui_basics.h>
#include "app/EditorPanel.h"

class MainComponent;

/** The "MIDI Filter" tab: the channel and message-type filters of each input and output port of
    the current preset.

    The user chooses a port; sixteen channel buttons and eighteen message toggles show and change
    its two filter words. Each change is made in the device model at once and marked for writing,
    and the writes start 1000 ms after the last change. "Reset all filters" clears every port's
    words and writes them at once.
*/
class Filter : public juce::Component,
               public juce::Timer,
               public juce::Button::Listener,
               public juce::ComboBox::Listener,
               public EditorPanel
{
public:
    explicit Filter (MainComponent* owner);
    ~Filter() override;

    void paint (juce::Graphics&) override;
    void resized() override;
    /** The editors' flush: the debounce of the edits has run out. */
    void timerCallback() override;
    void buttonClicked (juce::Button*) override;
    void comboBoxChanged (juce::ComboBox*) override;

    /** Sets the filter words of the current preset (or of all presets) to 0; with send, writes the
        current preset's words at once. Leaves no port chosen. */
    void resetFilters (bool send, bool allPresets);
    /** Lists the ports of the identified product; no port is chosen afterwards. */
    void rebuildPortList();
    /** Shows the current preset's words of the entry, when it is the chosen port's entry. */
    void showPortFilters (int entry);
    /** Enables the controls for the EditorMode (0 idle, 1 locked, 2 busy). */
    void updateEnablement (int mode);
    /** The user renamed port index (entries numbering): its item takes the new name. */
    void updatePortName (int index);
    /** The product reported the device on host record slot (0..A-1 inputs, A..2A-1 outputs). */
    void updateHostPortName (int slot);

    // EditorPanel
    void productLost() override;
    void setEditorMode (EditorMode mode) override  { updateEnablement (mode); }
    void refreshFromModel() override;
    void flushEdits() override;

    /** The filter entry of the chosen port (-1 none). */
    int getSelectedEntry() const;
    /** Leaves no port chosen, without notification. */
    void clearPortSelection();

    /** The EditorMode last given to updateEnablement. */
    int lastEnablementMode = 1;

private:
    void toggleChannel (int channel);
    void messageToggleClicked (juce::Button& toggle);
    /** Restarts the debounce after an edit and brings the full-settings window up to date. */
    void editMade (int entry);
    void refreshFullSettings();
    void renamePortItem (int entry);

    MainComponent* owner;

    juce::OwnedArray<juce::TextButton> channelButtons;
    juce::OwnedArray<juce::ToggleButton> messageToggles;
    std::unique_ptr<juce::Label> channelsLabel, messagesLabel, commonLabel, realtimeLabel;
    std::unique_ptr<juce::ComboBox> portCombo;
    std::unique_ptr<juce::Label> portKindLabel;
    std::unique_ptr<juce::TextButton> buttonReset;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (Filter)
};
