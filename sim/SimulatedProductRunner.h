#pragma once

#include <juce_audio_devices/juce_audio_devices.h>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

#include "sim/SimulatedProduct.h"

/** One simulated product as the computer sees it: plugged into USB or not, with
    one MIDI input and one MIDI output, answering on its own thread.

    Requests the tool sends are queued and answered one at a time, in order, like
    the framework's MIDI input thread delivers the real product's replies. Every
    message received and sent is logged. A restart into the bootloader
    re-enumerates the product: its ports disappear, and come back with the
    bootloader's names and new identifiers after the configured delay.

    "Input" and "output" are seen from the tool: the tool opens the input to
    receive replies and the output to send requests.
*/
class SimulatedProductRunner
{
public:
    /** Where an opened input delivers: the input's identifier and the message. */
    using Receiver = std::function<void (const juce::String& sourceIdentifier, const juce::MidiMessage& message)>;

    explicit SimulatedProductRunner (const SimulatedProduct::Config& config);
    ~SimulatedProductRunner();

    SimulatedProduct& getProduct() noexcept  { return product; }

    //==============================================================================
    /** Plugs the product in with new port identifiers (nothing when it already is). After an
        unplug the product starts afresh (SimulatedProduct::powerUp): held in its bootloader when
        holdInBootloader is set. */
    void plugIn (bool holdInBootloader = false);
    /** Unplugs it: queued requests are dropped, opened ports go dead, a due re-enumeration is
        cancelled, and the product loses its power. */
    void unplug();
    bool isPluggedIn() const;

    /** The product's ports while plugged in. */
    juce::MidiDeviceInfo getInputInfo() const;
    juce::MidiDeviceInfo getOutputInfo() const;

    //==============================================================================
    /** Connects a receiver to the input with this identifier. Returns the connection's
        id, or -1 when the identifier is not the input of the plugged product. The
        connection receives nothing until it is started. */
    int connectInput (const juce::String& identifier, Receiver receiver);
    void setInputStarted (int connection, bool started);
    /** Ends a connection; once this returns, its receiver is not called any more. */
    void disconnectInput (int connection);

    /** A message the tool sends to the output with this identifier. False (and the
        message dropped) when that port is gone. */
    bool receiveFromTool (const juce::String& outputIdentifier, const juce::MidiMessage& message);

    //==============================================================================
    /** Attaches a USB device to a host port and sends the records of the slots it takes; returns its handle. */
    int attachUsbDevice (const SimulatedProduct::UsbDeviceSpec& spec);
    /** Detaches a device and sends the records of the slots it frees. */
    void detachUsbDevice (int deviceHandle);
    void sendDeviceResetNotice();
    void sendUsbError (int code);
    /** Sends messages as if the product sent them on its own. */
    void sendUnsolicited (const juce::Array<juce::MemoryBlock>& messages);
    /** The preset is changed on the product's own controls. */
    void changePresetOnProduct (int preset);
    /** After programming: leaves the bootloader and re-enumerates as the application, in a new version when one is given. */
    void replugAsApplication (SimulatedProduct::FirmwareVersion newVersion = {});
    /** A pause before each message the product sends. */
    void setReplyDelay (int milliseconds);

    //==============================================================================
    /** Every message the product received while plugged in, in order, as raw bytes. */
    juce::Array<juce::MemoryBlock> getReceivedMessages() const;
    /** Every message the product sent while plugged in, in order, as raw bytes. */
    juce::Array<juce::MemoryBlock> getSentMessages() const;
    void clearLogs();

    /** Waits until nothing is queued or being answered and no re-enumeration is due. */
    bool waitUntilIdle (int timeoutMs);

    //==============================================================================
    /** A fault on the way between the product and the tool, injected once. */
    enum class FaultOnTheWay
    {
        dropAnswer,         ///< the request is carried out, its answer is lost
        corruptAnswerByte,  ///< one byte between F0 and F7 of the answer has its lowest bit flipped
        truncateAnswer,     ///< the answer loses its tail: F7 follows one of its earlier bytes
        delayAnswer,        ///< the answer arrives only after the given delay
        unplugWhileOut      ///< the product is unplugged as the request arrives; it is not carried out
    };

    /** Injects a fault at the request of this index (from 0) among the settings, command and
        programming requests the product receives from now on; information requests (the identity
        request and the like) and bytes that are no request are not counted. The byte a corruption
        or a truncation picks follows from the index. Replaces a fault not injected yet. */
    void injectFaultOnce (FaultOnTheWay fault, int requestIndex, int delayMs = 0);
    /** True once the fault was injected. */
    bool faultWasInjected() const;

private:
    struct Job
    {
        int enumeration = 0;
        bool isRequest = false;
        juce::MemoryBlock request;
        juce::Array<juce::MemoryBlock> messages;
    };

    struct Connection
    {
        int id = 0;
        Receiver receiver;
        bool started = false;
    };

    struct ArmedFault
    {
        bool armed = false, injected = false;
        FaultOnTheWay fault = FaultOnTheWay::dropAnswer;
        int requestIndex = 0, delayMs = 0, requestsCounted = 0;
    };

    void run();
    void process (const Job& job);
    /** Counts the request; when the armed fault is due, gives it (and disarms it). */
    bool takeDueFault (const juce::MemoryBlock& request, ArmedFault& due);
    static void spoilAnswer (juce::MemoryBlock& answer, FaultOnTheWay fault, int requestIndex);
    /** Takes the ports away: queued requests dropped, opened ports dead, no re-enumeration due. */
    void removePorts();
    void deliver (const juce::MemoryBlock& message, int enumeration);
    void reenumerate();
    bool pauseUnlessExiting (int milliseconds);

    SimulatedProduct product;
    const int runnerId;

    mutable std::mutex stateLock;   // plugging, jobs, logs and scheduling
    std::condition_variable stateChanged;
    bool plugged = false;
    int enumeration = 0;
    juce::MidiDeviceInfo inputInfo, outputInfo;
    std::deque<Job> jobs;
    bool busy = false;
    bool reenumerationDue = false;
    std::chrono::steady_clock::time_point reenumerationTime;
    int replyDelayMs = 0;
    bool exiting = false;
    bool powerLost = false;
    ArmedFault armedFault;
    juce::Array<juce::MemoryBlock> receivedLog, sentLog;

    juce::CriticalSection connectionLock;   // held while delivering; taken before stateLock, never after
    std::vector<Connection> connections;
    int nextConnectionId = 1;

    std::thread thread;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SimulatedProductRunner)
};
