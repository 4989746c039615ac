#include "settings/PowerDownSetting.h"

namespace
{
    constexpr juce::uint32 wakeUpBit = 1u << 1;
    constexpr int minutesShift = 2;
    constexpr juce::uint32 minutesMask = 0xFFu << minutesShift;
}

juce::int32 PowerDownSetting::makeWord (bool wakeUp, int timeIndex)
{
    juce::uint32 word = wakeUp ? wakeUpBit : 0;

    if (juce::isPositiveAndBelow (timeIndex, numTimes))
        word |= (juce::uint32) powerDownMinutes[timeIndex] << minutesShift;

    return (juce::int32) word;
}

bool PowerDownSetting::wakesUpOnUsb (juce::int32 word)
{
    return ((juce::uint32) word & wakeUpBit) != 0;
}

int PowerDownSetting::getMinutes (juce::int32 word)
{
    return (int) (((juce::uint32) word & minutesMask) >> minutesShift);
}

int PowerDownSetting::getTimeIndex (juce::int32 word)
{
    const int minutes = getMinutes (word);

    for (int i = 0; i < numTimes; ++i)
        if (powerDownMinutes[i] == minutes)
            return i;

    return 0;
}

void PowerDownSetting::store (MidiController& device, bool wakeUp, int timeIndex)
{
    device.powerDown[device.currentPreset & 0x0F] = makeWord (wakeUp, timeIndex);
    device.writePowerDown();
}

PowerDownSetting::PanelState PowerDownSetting::getPanelState (const MidiController& device, int editorMode)
{
    PanelState state;

    if (device.hostFirmwareVersion < 3.75f || ! device.isProductKnown())
    {
        state.toggleTooltip = state.listTooltip = "Please update the firmware to the latest version to enable this feature";
        return state;
    }

    state.enabled = device.deviceMode == 1 && editorMode == editorIdle;
    state.toggleTooltip = "If enabled, the product will exit power down mode when USB activity is detected from USB device "
                          "connector (USB-C from computer)";
    state.listTooltip = "Select here the time of inactivity (no button pressed, no MIDI sent or received) before the products "
                        "automatically enters power down)";
    return state;
}
