#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

class MainComponent;

/** Finds the product among the MIDI ports and watches it: one tick a second.

    While nothing is served, each tick scans the ports and connects to the product it finds. While a
    product is served and nothing waits, each tick scans again; a changed result or changed ports
    count as a lost product, whose reset the main component runs shortly after. On two models the
    tick also sends the Active Sensing keep-alive.
*/
class ConnectionMonitor : private juce::Timer
{
public:
    static constexpr int intervalMs = 1000;

    explicit ConnectionMonitor (MainComponent& owner);
    ~ConnectionMonitor() override;

    /** Forgets the served product and starts the search again. */
    void restartDeviceSearch();
    /** One tick of the monitor. */
    void tick();
    /** Watches the product that answers as its bootloader, after an upgrade connected by hand. */
    void watchBootloader();
    /** After the reset of a lost product: nothing is served. */
    void forgetProduct();

    void start()                      { startTimer (intervalMs); }
    void stop()                       { stopTimer(); }
    bool isRunning() const noexcept   { return isTimerRunning(); }

    /** 0 nothing served, 13 a product in firmware-upgrade mode, else the product code served. */
    int connectionState = 0;
    /** The chosen ports' positions in the Settings page's lists (255 none), written by the port scan. */
    int selectedInputIndex = 255;
    int selectedOutputIndex = 255;
    /** The scan result when the product was taken (-1 after a disconnect). */
    int lastScanCode = -1;

private:
    void timerCallback() override     { tick(); }
    /** Opens the product's input and output and asks for its identity; false when a port can't be opened. */
    bool openPortsAndRequestIdentity();
    void scheduleDisconnect();
    void sendKeepAlive();

    MainComponent& main;

    JUCE_DECLARE_NON_COPYABLE (ConnectionMonitor)
};
