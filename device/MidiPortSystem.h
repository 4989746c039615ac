#pragma once

#include <juce_audio_devices/juce_audio_devices.h>

class MidiController;

/** The one seam between the device object and the computer's MIDI ports.

    The application uses the operating system's ports through JUCE (see
    JuceMidiPortSystem). Tests and the demo build install a system of their own
    that presents simulated products instead.
*/
class MidiPortSystem
{
public:
    virtual ~MidiPortSystem() = default;

    /** An opened MIDI input. Messages go to MidiController::receiveMidi, on
        whatever thread the port delivers them. */
    class Input
    {
    public:
        virtual ~Input() = default;
        virtual void start() = 0;
        virtual void stop() = 0;
    };

    /** An opened MIDI output. */
    class Output
    {
    public:
        virtual ~Output() = default;
        virtual void sendMessageNow (const juce::MidiMessage& message) = 0;
        /** Stops a background sender, if any, and drops what it still queues. */
        virtual void discardPendingMessages() {}
    };

    virtual juce::Array<juce::MidiDeviceInfo> getAvailableInputs() = 0;
    virtual juce::Array<juce::MidiDeviceInfo> getAvailableOutputs() = 0;

    /** Opens the input with this identifier; its messages go to receiver. Null when it can't be opened. */
    virtual std::unique_ptr<Input> openInput (const juce::String& identifier, MidiController& receiver) = 0;

    /** Opens the output with this identifier. Null when it can't be opened. */
    virtual std::unique_ptr<Output> openOutput (const juce::String& identifier) = 0;

    /** The system in use: the one installed last, or the operating system's ports. */
    static MidiPortSystem& get();

    /** Installs a system in place of the operating system's ports (null: back to those). */
    static void install (std::shared_ptr<MidiPortSystem> system);

    /** The installed system, shared, so that a caller can keep it alive while it works. */
    static std::shared_ptr<MidiPortSystem> getShared();
};

/** The operating system's MIDI ports, through juce::MidiInput and juce::MidiOutput. */
class JuceMidiPortSystem : public MidiPortSystem
{
public:
    juce::Array<juce::MidiDeviceInfo> getAvailableInputs() override;
    juce::Array<juce::MidiDeviceInfo> getAvailableOutputs() override;
    std::unique_ptr<Input> openInput (const juce::String& identifier, MidiController& receiver) override;
    std::unique_ptr<Output> openOutput (const juce::String& identifier) override;
};
