#pragma once

#include "routing/RouterCommon.h"
#include "app/EditorPanel.h"

class MainComponent;

/** The "MIDI Router" tab. */
class RouterMidi : public RouterCommon,
                   public EditorPanel
{
public:
    explicit RouterMidi (MainComponent* owner);

    /** Gives the routing its default for the product (current preset or all presets) and frees the USB port masks. */
    void resetRouter (bool write, bool allPresets);

    // EditorPanel
    void productLost() override;
    void setEditorMode (EditorMode mode) override  { updateEnablement (mode); }
    void refreshFromModel() override               { refreshRouter(); }

private:
    MainComponent* mainComponent;
};
