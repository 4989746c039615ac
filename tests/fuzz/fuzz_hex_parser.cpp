// Feeds arbitrary text to the Intel HEX reader, both as downloaded text and as
// the content of a file, for a product with a programmable flash range.
// The first input byte picks the connected core and whether it runs its bootloader.

#include "app/HexFileParser.h"
#include "device/MidiController.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    static constexpr int programmableCodes[] = { 1, 2, 4, 6, 7, 8, 10, 12 };

    // The device object is deleted at exit, before the framework shuts down.
    static auto* const device = []
    {
        static juce::ScopedJuceInitialiser_GUI juceInitialiser;
        auto* instance = MidiController::getInstance();
        std::atexit ([] { MidiController::deleteInstance(); });
        return instance;
    }();

    if (device == nullptr || size == 0)
        return 0;

    const auto selector = data[0];
    const auto* text = reinterpret_cast<const char*> (data + 1);
    const auto textSize = size - 1;

    HexFileParser parser;
    parser.postStatus = [] (const juce::String&) {};
    parser.showMismatchBox = [] (std::function<void (int)> onResult) { onResult (0); };

    device->setProductCode (programmableCodes[selector % 8]);
    device->deviceMode = (selector & 0x80) != 0 ? 0 : 1;

    // A refused read leaves no image behind (the mismatch box above answers "Cancel").
    auto expectNoImageUnlessAccepted = [] (const juce::String& result)
    {
        if (result.isNotEmpty() && device->firmwareImageSize != 0)
            std::abort();
    };

    if (textSize > 0)
        expectNoImageUnlessAccepted (parser.parseText (juce::String (juce::CharPointer_UTF8 (text),
                                                                     juce::CharPointer_UTF8 (text + textSize))));

    device->setProductCode (programmableCodes[selector % 8]);
    expectNoImageUnlessAccepted (parser.loadData (text, textSize));

    return 0;
}
