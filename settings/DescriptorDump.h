#pragma once

#include "device/MidiController.h"

/** The USB descriptor dump that the support contact asks for when the product does not recognise a
    USB MIDI device: a short header about the tool, the product and its firmware, then what the
    product reports of the next device plugged into it (its host-port records, descriptors and
    strings), collected as text and copied to the clipboard.

    The dump command is not a setting: it goes out on its own, but never over a request whose reply
    is still awaited (that reply would then be taken for nothing and the chain would stall). While one
    is, the command waits and goes out as soon as the line is free, unless the dump ended meanwhile.
*/
class DescriptorDump : private juce::Timer
{
public:
    /** What the dump editor shows before the first dump. */
    static constexpr const char* prompt = "Press above button and connect unrecognized device\n";
    /** Where the copied dump is to be sent. */
    static constexpr const char* supportAddress = "support@pellion.invalid";
    static constexpr const char* copyNoticeTitle = "Info copied to clipboard";
    /** How often a waiting command looks whether the line is free. */
    static constexpr int retryIntervalMs = 50;

    DescriptorDump() = default;
    ~DescriptorDump() override;

    /** The five pieces of the header: the tool's version, the product, both firmware versions
        (the host's printed with one decimal), and the line that says the dump waits for data. */
    static juce::StringArray getHeader (const MidiController& device, const juce::String& applicationVersion);

    /** The notice shown once the dump was copied. */
    static juce::String getCopyNoticeMessage();

    /** The dump can be started: the application answering from host firmware 2.45, the mode idle. */
    static bool isEnabled (const MidiController& device, int editorMode);

    /** Marks a dump as running and sends its command, at once or once the awaited reply is in.
        False when the product can't take the command: nothing is sent, the dump stays marked. */
    bool start (MidiController& device);

    /** True while the command waits for the line. */
    bool isCommandWaiting() const   { return isTimerRunning(); }

private:
    void timerCallback() override;
    /** Sends the command now; false when the builder refuses it. */
    static bool sendCommand (MidiController& device);

    JUCE_DECLARE_NON_COPYABLE (DescriptorDump)
};
