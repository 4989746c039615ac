#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The host port reservation view of the routing grid. */
class UsbPortsReservation : public juce::Component
{
public:
    void showReservation (int) {}
    void storePreviousDevice (const juce::String&, const juce::String&, int, int) {}
};
