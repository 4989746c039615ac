#pragma once

#include <juce_gui_basics/juce_gui_basics.h>
#include "app/EditorPanel.h"

class MainComponent;

/** The "MIDI Filter" tab: channel and message-type filters per input and output port. */
class Filter : public juce::Component,
               public EditorPanel
{
public:
    explicit Filter (MainComponent* owner);

    /** Sets the filters of the current preset (or all presets) to 0, and writes them when send is true. */
    void resetFilters (bool send, bool allPresets);
    void rebuildPortList();
    void showPortFilters (int entry);
    void updateHostPortName (int hostRecordIndex);
    void updatePortName (int portIndex);
    void updateEnablement (int mode);

    // EditorPanel
    void productLost() override;
    void setEditorMode (EditorMode mode) override  { updateEnablement (mode); }
    void refreshFromModel() override;

    /** The filter entry selected in the port choice (-1 none). */
    int getSelectedEntry() const { return selectedEntry; }
    /** Clears the port choice's selection without notification. */
    void clearPortSelection() { selectedEntry = -1; }

    int lastEnablementMode = 1;

private:
    MainComponent* mainComponent;
    int selectedEntry = -1;
};
