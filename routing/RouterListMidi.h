#pragma once

#include "routing/RouterListCommon.h"

/** The routing grid of the "MIDI Router" tab, with the factory routing of each product. */
class RouterListMidi : public RouterListCommon
{
public:
    explicit RouterListMidi (juce::Component* ownerTab);

    /** Gives the current preset, or every preset, the default routing of the product and empties
        the host-port reservations; with writeToDevice the rows and the changed reservations are
        written. */
    void resetRouter (bool writeToDevice, bool allPresets) override;
};
