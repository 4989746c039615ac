#pragma once

#include "SimTestSupport.h"
#include "SettingsCells.h"

#include <vector>

/** The application without its window, with one simulated product, driven through the roads that a
    fault on the way can break: a full read of all settings, and the programming of a whole image
    into the Calder's host core. Every wait is quick: replies time out after a fraction of their
    time, the programming pauses are shortened, and the test ticks the connection monitor itself
    while it waits for a product to come or go.

    The main component deletes the device object for good, so a test using this fixture must be the
    only one in its process (ctest runs every test in a process of its own).
*/
class FaultRunFixture : public DeviceFixture
{
public:
    using Fault = SimulatedProductRunner::FaultOnTheWay;

    FaultRunFixture();
    ~FaultRunFixture() override;

    /** The faults of the matrix, with their names. */
    static const std::vector<std::pair<Fault, const char*>>& allFaults();

    /** The indexes to run for a road of this many requests: every one, or the first and last ten
        and every 50th between. */
    static std::vector<int> indexesToRun (int roadLength, bool everyIndex);

protected:
    void SetUp() override;
    void TearDown() override;

    //==============================================================================
    // The read road: the product is unplugged between cases.

    /** Adds the product (unplugged) and reads it once without a fault; the number of requests of
        the read (settings reads and the end-of-reading command), or 0 when the read failed. */
    int startReadRoad (int productCode);
    /** Plugs the product in with a fault at this request of its full read, checks what the fault
        left behind, then replugs it, reads it again and unplugs it. The problems found. */
    juce::StringArray runReadCase (Fault fault, int index);

    //==============================================================================
    // The flash road: between cases the product's bootloader is connected, with the image loaded.

    /** Adds a Calder, reads it, loads a whole image for its host core, connects its bootloader and
        programs the image once without a fault; the number of programming requests, or 0 when any
        of it failed. */
    int startFlashRoad();
    /** Starts the upgrade with a fault at this programming request, checks that it is reported as
        failed, replugs the product and restores the image, replugs it again and checks that the
        application starts, then brings the bootloader back and loads the image again. */
    juce::StringArray runFlashCase (Fault fault, int index);

    //==============================================================================
    // Steps that the roads, and tests written out step by step, are made of.

    /** Adds the product with host firmware 4.6 and device firmware 7.1, plugged in or not. */
    void addProduct (int productCode, bool plugIn);
    /** Makes the whole image of the Calder's host core and writes it as a HEX file. */
    void makeImage();

    /** Ticks the connection monitor every few milliseconds, pumping the message loop between ticks,
        until the predicate holds or the time is up. */
    bool tickUntil (std::function<bool()> predicate, int timeoutMs = waitLimitMs);
    /** Runs the message loop for a moment after the message thread was blocked (the restart into
        the bootloader blocks it for two seconds), so that the framework's timers are on time again. */
    void letTimersCatchUp();
    /** Unplugs the product (when it is plugged) and waits until the tool shows that it is gone. */
    bool unplugAndWaitForDisconnect();
    /** The tool shows that no product is connected. */
    bool showsNoDevice() const;
    /** What the tool shows now, for a problem's text: the connection state, the information line and
        the last status texts. */
    juce::String whatIsShown() const;
    /** The application answered and its full read has ended. */
    bool applicationReadEnded() const;
    /** The bootloader answered and nothing is being programmed or awaited. */
    bool bootloaderIdle() const;
    /** The image is loaded from its HEX file; true when the Firmware tab took it. */
    bool loadImage();
    /** Presses "Start upgrade" when it is enabled; false when it is not. */
    bool pressStartUpgrade();
    /** Programming has ended, one way or the other. */
    bool programmingOver() const;
    /** The flash of the product's programmed range, compared with the image; empty when equal. */
    juce::String compareFlashWithImage() const;
    bool successShown() const;
    /** The last status text that reports the end of an upgrade (empty: none). */
    juce::String upgradeEndShown() const;
    /** The programming requests of this kind the product received since its logs were cleared. */
    int countRequestsOfKind (int programmingKind) const;
    /** Forgets the recorded status and information lines, boxes, alerts and the product's logs. */
    void clearRecords();

    /** How long a reply is awaited, in milliseconds (the erase's when erase is set). */
    int replyTimeoutMs (bool erase) const;

    static constexpr int waitLimitMs = 30000;
    static const juce::String successText;

    std::shared_ptr<SimulatedMidiPortSystem> ports;
    std::unique_ptr<RecordingMainComponent> main;
    std::shared_ptr<SimulatedProductRunner> runner;
    SettingsCells::ReadExtent extent;
    std::vector<juce::uint8> image;
    juce::File imageFile;

    /** The model's tables as the last identification left them, before anything was read. */
    std::vector<juce::uint32> modelBeforeRead;

private:
    class EventsRecorder;
    std::unique_ptr<EventsRecorder> eventsRecorder;

    /** What a read case finds right after the fault: problems, empty when it ended well. */
    juce::StringArray checkReadAfterFault (const SimulatedProduct::Settings& store, int storePreset, Fault fault);
};
