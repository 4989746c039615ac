#pragma once

#include "routing/RouterCommon.h"
#include "routing/UsbPortsReservation.h"
#include "app/EditorPanel.h"

class MainComponent;

/** The "MIDI Router" tab. */
class RouterMidi : public RouterCommon,
                   public EditorPanel
{
public:
    explicit RouterMidi (MainComponent* owner);

    /** Gives the routing its default for the product (current preset or all presets) and frees
        every USB device cable mask entry, without writing them. */
    void resetRouter (bool writeToDevice, bool allPresets) override;

    // EditorPanel
    void productLost() override;
    void setEditorMode (EditorMode mode) override  { updateEnablement (mode); }
    void refreshFromModel() override               { refreshRouter(); }
    void flushEdits() override;
};
