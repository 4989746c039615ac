#pragma once

#include "routing/RouterCommon.h"

class MainComponent;

/** The "MIDI Router" tab. */
class RouterMidi : public RouterCommon
{
public:
    explicit RouterMidi (MainComponent* owner);

    /** Gives the routing its default for the product (current preset or all presets) and frees the USB port masks. */
    void resetRouter (bool write, bool allPresets);

private:
    MainComponent* mainComponent;
};
