#pragma once

#include "device/MidiController.h"

/** The powerDown word of a preset (Jorvek and Norrim): bit 1 wakes the product on USB activity
    from the computer, bits 2-9 the minutes of inactivity before it powers down; a store clears
    every other bit.
*/
struct PowerDownSetting
{
    static constexpr int numTimes = 7;
    /** The time list's items. */
    static constexpr const char* powerDownTimes[numTimes] = { "Disable", "15m", "30m", "1h", "1h30m", "2h", "3h" };
    /** The minutes of each item. */
    static constexpr juce::uint8 powerDownMinutes[numTimes] = { 0, 15, 30, 60, 90, 120, 180 };

    /** The word for a wake-up choice and a time list position (-1 or 0: never power down). */
    static juce::int32 makeWord (bool wakeUp, int timeIndex);
    static bool wakesUpOnUsb (juce::int32 word);
    static int getMinutes (juce::int32 word);
    /** The first item whose minutes the word holds; "Disable" (0) when none does. */
    static int getTimeIndex (juce::int32 word);

    /** Stores the choice as the current preset's word and writes it (the write goes only to a
        Jorvek or a Norrim). */
    static void store (MidiController& device, bool wakeUp, int timeIndex);

    /** The panel's controls: below host firmware 3.75, or without a known product, both are
        disabled with the firmware notice as their tooltip. */
    struct PanelState
    {
        bool enabled = false;
        juce::String toggleTooltip, listTooltip;
    };

    static PanelState getPanelState (const MidiController& device, int editorMode);
};
