#pragma once

#include "DeviceTestSupport.h"
#include "sim/SimulatedMidiPortSystem.h"
#include "app/MainComponent.h"

/** Puts a simulated port system in place of the computer's MIDI ports for as long as it lives. */
class SimulatedPorts
{
public:
    SimulatedPorts();
    ~SimulatedPorts();

    std::shared_ptr<SimulatedProductRunner> addProduct (const SimulatedProduct::Config& config, bool plugIn = true)
    {
        return system->addProduct (config, plugIn);
    }

    std::shared_ptr<SimulatedMidiPortSystem> system;
};

/** A device fixture whose device object talks to simulated products through the port seam. */
class SimulatedDeviceFixture : public DeviceFixture
{
protected:
    void SetUp() override;
    void TearDown() override;

    /** A simulated product, plugged in. */
    std::shared_ptr<SimulatedProductRunner> addProduct (const SimulatedProduct::Config& config);

    /** Opens the product's ports the way a connection does; true when both opened. */
    bool openPorts (SimulatedProductRunner& product);

    /** The requests the product received, as "F0 00 ..." texts. */
    static juce::StringArray receivedHex (SimulatedProductRunner& product);

    std::unique_ptr<SimulatedPorts> ports;
};

//==============================================================================
/** A simulated port system that also notes every port scan and every message the tool
    sends to any output (even to a port whose product is gone). */
class ObservedPortSystem : public SimulatedMidiPortSystem
{
public:
    struct Sent
    {
        juce::uint32 time;
        juce::MidiMessage message;
    };

    juce::Array<juce::MidiDeviceInfo> getAvailableInputs() override;
    std::unique_ptr<Output> openOutput (const juce::String& identifier) override;

    /** The times (millisecond counter) of the scans so far. */
    juce::Array<juce::uint32> getScanTimes() const;
    std::vector<Sent> getSent() const;
    /** The system-exclusive requests sent with this id byte (-1: any), type and kind. */
    std::vector<Sent> getSentRequests (int idByte, int type, int kind) const;

private:
    class LoggedOutput;
    void logSent (const juce::MidiMessage& message);

    mutable std::mutex observedLock;
    juce::Array<juce::uint32> scanTimes;
    std::vector<Sent> sent;
};

/** A main component that keeps the history of its status and information lines and keeps
    device alerts instead of showing them. */
class RecordingMainComponent : public MainComponent
{
public:
    struct Line
    {
        juce::uint32 time;
        juce::String text;
    };

    void setStatusText (const juce::String& text) override;
    void setInfoText (const juce::String& text) override;
    void showDeviceAlert (bool warningIcon, const juce::String& text, std::function<void()> onClosed) override;

    bool statusWasShown (const juce::String& text) const;

    std::vector<Line> statusLines, infoLines;
    juce::StringArray deviceAlerts, boxes;
    /** The boxes with two buttons that are still open, oldest first (one-button boxes are closed
        as soon as they are read). */
    struct OpenBox
    {
        juce::MessageBoxOptions options;
        std::function<void (int)> answer;
    };
    std::vector<OpenBox> openBoxes;

    /** Reads a box: notes its text, closes it at once when it has one button, else keeps it open. */
    void readBox (const juce::String& text, const juce::MessageBoxOptions& options, std::function<void (int)> answer);
    /** Presses a button of the oldest open box that has it, as a user would; false when none has it. */
    bool answerBox (const juce::String& buttonText);
};

/** The application without its window: a recording main component over observed simulated ports.
    The main component deletes the device object for good, so a test using this fixture must be
    the only one in its process (ctest runs every test in a process of its own). */
class SimulatedAppFixture : public DeviceFixture
{
protected:
    void SetUp() override;
    void TearDown() override;

    std::shared_ptr<SimulatedProductRunner> addProduct (const SimulatedProduct::Config& config, bool plugIn = true);

    /** Pumps until a full read has ended: the end-of-reading command went out (this many times
        in all), nothing waits for a reply and the status line shows "-". */
    bool pumpUntilReadEnds (int timeoutMs, size_t readsEnded = 1);

    std::shared_ptr<ObservedPortSystem> ports;
    std::unique_ptr<RecordingMainComponent> main;
};

/** The tool's properties file under a home folder, where the framework places it:
    "Kelmora Pro"/"Pellion Tools.pvProperties". */
juce::File toolPropertiesFileIn (const juce::File& home);
/** The same under this test process's home. */
juce::File toolPropertiesFile();
/** Writes the three server origins into the tool's properties file under a home folder, before
    a main component reads them; returns the file. */
juce::File writeServerOrigins (const juce::File& home, const juce::String& update, const juce::String& catalogue,
                               const juce::String& report);
