#pragma once

#include "device/DeviceEvents.h"

class MainComponent;
class MidiController;

/** Tells the editors, the preset bar and the full-settings window what happened on the device side.

    This is the one place that says which of them hears what, and in which order: the order in
    which each reply and each request must bring the views up to date. The main component owns it
    and installs it in the device object.
*/
class DeviceEventHub : public DeviceEvents
{
public:
    explicit DeviceEventHub (MainComponent& owner) : main (owner) {}

    void requestGoingOut (int type, int kind) override;
    void itemAnswered (int type, int kind, int item) override;
    void chainEnded (bool fullRead) override;
    void settingsReset() override;
    void identityArriving() override;
    void bootloaderAnswered (bool upgradeContinues) override;
    void hostRecordChanged (int index) override;
    void dumpTextArrived (const juce::String& text) override;
    void deviceDescriptorArrived() override;

private:
    void itemRead (int kind, int item);
    void presetSettingRead();
    void itemAcknowledged (int kind);
    MidiController* device() const;

    MainComponent& main;

    JUCE_DECLARE_NON_COPYABLE (DeviceEventHub)
};
