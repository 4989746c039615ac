#pragma once

#include <juce_core/juce_core.h>

class MainComponent;

/** Starts a firmware upgrade and reports its end.

    An upgrade restarts a running product into its bootloader first (the monitor then finds the
    bootloader and the upgrade goes on from its identity reply), or programs a bootloader at once.
    Nothing starts while an image is being programmed, and an image goes only into the core it was
    made for (or the one it was accepted for).
*/
class FirmwareUpgradeController
{
public:
    /** How long the restarted product is given to come back as its bootloader. */
    static constexpr int restartWaitMs = 2000;

    explicit FirmwareUpgradeController (MainComponent& owner) : main (owner) {}

    void startFirmwareUpgrade();
    void reportUpgradeResult (int code);

    /** The one gate: true while an image is being programmed (a step is out, under way or paused). */
    static bool programmingRuns();

    /** The product was lost: a paused upgrade ends, and an image accepted for it is no longer accepted. */
    void productLost();

    /** The user asked for an upgrade that goes on once the product answers as its bootloader. */
    bool upgradeRequested = false;
    /** The user asked to restore the official firmware; the next catalogue answer offers it. */
    bool restoreRequested = false;

private:
    /** Refuses the upgrade: an "Error" box and the status line. */
    void refuse (const juce::String& text);
    /** Restarts the running product into its bootloader and looks for it again. */
    void restartIntoBootloader();
    /** Blocks the message thread while the product re-enumerates. */
    static void waitForRestart();

    MainComponent& main;

    JUCE_DECLARE_NON_COPYABLE (FirmwareUpgradeController)
};
