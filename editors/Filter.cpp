#include "editors/Filter.h"
#include "device/MidiController.h"
#include "app/MainComponent.h"

Filter::Filter (MainComponent* owner) : mainComponent (owner)
{
    setName ("Filter");
    resetFilters (false, true);
    setSize (800, 448);
    updateEnablement (editorLocked);
}

void Filter::resetFilters (bool, bool allPresets)
{
    auto* device = MidiController::getInstance();
    if (device == nullptr)
        return;

    for (int preset = 0; preset < MidiController::numPresetRows; ++preset)
    {
        if (! allPresets && preset != device->currentPreset)
            continue;

        for (int entry = 0; entry < MidiController::numFilterEntries; ++entry)
        {
            device->filterChannels[preset][entry] = 0;
            device->filterStatus[preset][entry] = 0;
        }
    }
}

void Filter::rebuildPortList() {}
void Filter::showPortFilters (int) {}
void Filter::updateHostPortName (int) {}
void Filter::updatePortName (int) {}
void Filter::updateEnablement (int mode) { lastEnablementMode = mode; }

void Filter::productLost()
{
    if (auto* device = MidiController::getInstance())
    {
        for (int preset = 0; preset < MidiController::numPresetRows; ++preset)
        {
            for (int entry = 0; entry < MidiController::numFilterEntries; ++entry)
            {
                device->filterChannels[preset][entry] = 0;
                device->filterStatus[preset][entry] = 0;
            }
        }
    }

    if (getSelectedEntry() >= 0)
        showPortFilters (getSelectedEntry());

    clearPortSelection();

    if (mainComponent != nullptr)
        if (auto* fullMap = mainComponent->getFullMap())
            fullMap->refresh();

    updateEnablement (editorLocked);
}

void Filter::refreshFromModel()
{
    showPortFilters (getSelectedEntry());
}
