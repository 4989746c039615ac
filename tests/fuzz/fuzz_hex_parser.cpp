// Feeds arbitrary text to the Intel HEX reader, both as downloaded text and as
// the content of a file, for a product with a programmable flash range.
// The first input byte picks the connected core and whether it runs its bootloader.
// One reader takes every input, as it would take the loads of one image.

#include "app/HexFileParser.h"
#include "device/MidiController.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace
{
    /** One reader for every input, as a reader serves the loads of one image: each load empties
        only the part of the image the reader wrote before. */
    HexFileParser* makeReader()
    {
        static juce::ScopedJuceInitialiser_GUI juceInitialiser;

        if (MidiController::getInstance() == nullptr)
            return nullptr;

        auto* reader = new HexFileParser();
        reader->postStatus = [] (const juce::String&) {};
        reader->showMismatchBox = [] (std::function<void (int)> onResult) { onResult (0); };

        // The reader and the device object are deleted at exit, before the framework shuts down.
        static HexFileParser* readerToDelete = reader;
        std::atexit ([]
        {
            delete readerToDelete;
            MidiController::deleteInstance();
        });

        return reader;
    }
}

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    static constexpr int programmableCodes[] = { 1, 2, 4, 6, 7, 8, 10, 12 };
    static auto* const parser = makeReader();
    auto* const device = MidiController::getInstance();

    if (parser == nullptr || device == nullptr || size == 0)
        return 0;

    const auto selector = data[0];
    const auto* text = reinterpret_cast<const char*> (data + 1);
    const auto textSize = size - 1;

    device->setProductCode (programmableCodes[selector % 8]);
    device->deviceMode = (selector & 0x80) != 0 ? 0 : 1;

    // A refused read leaves no image behind (the mismatch box above answers "Cancel").
    auto expectNoImageUnlessAccepted = [device] (const juce::String& result)
    {
        if (result.isNotEmpty() && device->firmwareImageSize != 0)
            std::abort();
    };

    if (textSize > 0)
        expectNoImageUnlessAccepted (parser->parseText (juce::String (juce::CharPointer_UTF8 (text),
                                                                      juce::CharPointer_UTF8 (text + textSize))));

    device->setProductCode (programmableCodes[selector % 8]);
    expectNoImageUnlessAccepted (parser->loadData (text, textSize));

    return 0;
}
