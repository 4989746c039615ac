#pragma once

#include <juce_gui_basics/juce_gui_basics.h>
#include "settings/FullMapObject.h"

class MainComponent;

/** The full-settings window's content: one row per port. */
class FullMap : public juce::Component
{
public:
    explicit FullMap (MainComponent* owner);

    /** Brings the window up to date with the device model; never sends. */
    void refresh();
    /** The row of a port index (null when there is none). */
    FullMapObject* getRow (int index);

    int refreshCount = 0;

private:
    MainComponent* mainComponent;
    juce::OwnedArray<FullMapObject> rows;
};
