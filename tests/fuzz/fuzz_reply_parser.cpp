// Feeds arbitrary byte streams through the reply intake and the reply parser of a connected device
// model, with nothing but the device library: no window, no editors.
//
// The first two bytes pick the situation: the product code (each host and device core, a product in
// its bootloader), its firmware versions, the current preset, whether a firmware image is being
// programmed and at which step, and whether each message comes as the answer to the request that is
// out or unasked. The rest is cut into messages at every F7; each is framed with F0, and a message
// left without its F7 at the end of the input is delivered as it is.

#include "device/MidiController.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

namespace juce
{
    bool dispatchNextMessageOnSystemQueue (bool returnIfNoPendingMessages);
}

namespace
{
    const juce::String inputId ("fuzz-input");

    /** What the device object posted to the message thread, in the order posted. The messages
        are kept here rather than in the message queue, whose every post and delivery costs
        system calls. The list keeps its storage from input to input. */
    std::vector<std::unique_ptr<AsyncMessage>> postedMessages;

    /** What the device object asked to be called after a delay. Each input makes these calls
        at its end, as if their time had come: a framework timer left from one input to the next
        would pile up, and leave every input with more allocated than it found. */
    std::vector<std::function<void()>> delayedCalls;

    MidiController& deviceObject()
    {
        // The device object is deleted at exit, before the framework shuts down.
        static auto* const device = []
        {
            juce::MessageManager::getInstance();
            auto* instance = MidiController::getInstance();
            instance->asyncMessageSink = [] (std::unique_ptr<AsyncMessage> message)
            {
                postedMessages.push_back (std::move (message));
            };
            instance->delayedCallSink = [] (int, std::function<void()> function)
            {
                delayedCalls.push_back (std::move (function));
            };
            std::atexit ([]
            {
                postedMessages.clear();
                delayedCalls.clear();
                MidiController::deleteInstance();
                juce::MessageManager::deleteInstance();
            });
            return instance;
        }();

        return *device;
    }

    /** Delivers what the device object posted, those posted meanwhile too. */
    void deliverPostedMessages (MidiController& d)
    {
        // A message handled may post more, which land at the end of the list.
        for (size_t i = 0; i < postedMessages.size(); ++i)
        {
            auto message = std::move (postedMessages[i]);
            d.handleMessage (*message);
        }

        postedMessages.clear();
    }

    /** Delivers the rest: what the device object posted, then whatever its timers queued. */
    void drainMessages (MidiController& d)
    {
        do
            deliverPostedMessages (d);
        while (juce::dispatchNextMessageOnSystemQueue (true));
    }

    /** Makes the delayed calls, those they ask for too, each followed by what it posted. */
    void makeDelayedCalls (MidiController& d)
    {
        for (size_t i = 0; i < delayedCalls.size(); ++i)
        {
            auto call = std::move (delayedCalls[i]);
            call();
            drainMessages (d);
        }

        delayedCalls.clear();
    }

    /** The firmware version numbers of every pair of digits, worked out once: turning digits into a
        version goes through its text, which would cost more than the rest of a run. */
    float versionFromDigits (int major, int minor)
    {
        static const auto table = []
        {
            std::array<float, 100> versions {};

            for (int i = 0; i < 100; ++i)
                versions[(size_t) i] = MidiController::firmwareVersionFromDigits (i / 10, i % 10);

            return versions;
        }();

        return table[(size_t) (major * 10 + minor)];
    }

    /** The device object starts each input as it was made and as each input leaves it: with no product. */
    void connect (MidiController& d, uint8_t situation, uint8_t versions)
    {
        const int code = 1 + situation % 13;
        d.setProductCode (code);
        d.deviceMode = code == productUpgradeMode || (situation & 0x80) != 0 ? 0 : 1;
        d.hostFirmwareVersion = versionFromDigits ((versions >> 4) % 10, versions % 10);
        d.deviceFirmwareVersion = versionFromDigits ((versions & 0x08) != 0 ? 7 : 6, versions % 10);
        d.serialText = "000000010000000200000003";
        d.currentPreset = (juce::uint8) ((situation >> 4) & 0x07);
        d.descriptorDumpActive = (juce::uint8) ((situation >> 3) & 0x01);

        // A firmware image of 1 KiB, being programmed at the step the situation gives (0: not at all).
        const int step = (versions >> 6) & 0x03;
        d.upgradeStep = step;
        d.firmwareImageSize = step != 0 ? 1024u : 0u;
        d.programAddress = d.flashStart;
        d.setAcceptedInput (inputId);
    }

    /** Makes the message the answer the device object waits for, as the request it answers would. */
    void awaitAnswerTo (MidiController& d, const juce::uint8* bytes, int size)
    {
        if (size < 10)
            return;

        auto& awaited = d.awaitedReply;
        awaited.type = bytes[6] & 0x0F;
        awaited.kind = bytes[7];
        awaited.item = (awaited.type == SYSX_TYPE_READ || awaited.type == SYSX_TYPE_WRITE) ? bytes[9] : -1;
        awaited.generation = d.pendingRequests.getGeneration (awaited.kind, awaited.item);
        awaited.answered = false;
        d.waitingForReply = 1;
    }
}

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;

    auto& d = deviceObject();
    connect (d, data[0], data[1]);
    const bool asAnswers = (data[1] & 0x80) == 0;

    // Kept from input to input: it grows to the longest input and is never made again.
    static std::vector<juce::uint8> message;
    message.resize (juce::jmax (message.size(), size + 2));
    size_t position = 2;

    while (position < size)
    {
        int length = 0;
        message[length++] = 0xF0;

        while (position < size && length < (int) size + 1)
        {
            const auto byte = data[position++];

            if (byte == 0xF0 && length == 1)
                continue;

            message[length++] = byte;

            if (byte == 0xF7)
                break;
        }

        if (asAnswers)
            awaitAnswerTo (d, message.data(), length);

        d.receiveMidi (inputId, juce::MidiMessage (message.data(), length));

        // Only a message of ten bytes or more that ends in F7 can be taken in, and so post anything.
        if (length >= 10 && message[(size_t) length - 1] == 0xF7)
            deliverPostedMessages (d);
    }

    drainMessages (d);
    makeDelayedCalls (d);

    // Back to no product, so that the input frees what it made the model hold. An input that
    // leaves more allocated than it found sends the fuzzer into a full leak scan of the heap,
    // which would cost more than the input itself.
    d.stopTimer();
    d.setProductCode (productNone);
    d.resetDeviceState();
    return 0;
}
