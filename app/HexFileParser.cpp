#include "app/HexFileParser.h"
#include "app/HexRecord.h"
#include "app/Upgrader.h"
#include "device/MidiController.h"
#include "device/ProductTables.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace
{
    const char* const errorEmptyLine       = "Error 1: Empty line";
    const char* const errorNoStartCode     = "Error 2: Fw Hex line does not start with ':'";
    const char* const errorOutOfRange      = "Error 6: Base address is out of range";
    const char* const errorIdNotFound      = "Error 8: Product ID Not found in firmware file";
    const char* const errorIdMismatch      = "Error 9: Product ID in firmware does not match connected product ID";
    const char* const errorMissingEnd      = "Error 10: Missing last line code 0x01";
    const char* const errorCannotOpen      = "Error: Cannot create file input stream";
    const char* const deviceCoreBootloader = "The Device core of your Pv is in bootloader mode, please upgrade it first with the firmware file for Device core";
    const char* const hostCoreBootloader   = "The Host core of your Pv is in bootloader mode, please upgrade it first with the firmware file for Host core";
    const char* const completedText        = "Completed";

    constexpr juce::uint32 imageCapacity = (juce::uint32) MidiController::firmwareImageCapacity;
    constexpr juce::uint8 noProductId = 255;

    /** The base of a data record: no 04 record yet means base 0. */
    juce::uint32 baseOf (juce::int32 baseAddress)
    {
        return baseAddress == -1 ? 0u : (juce::uint32) baseAddress;
    }

    juce::int32 baseFrom (const HexRecord& record)
    {
        return (juce::int32) (record.getUpperAddress() << 16);
    }

}

//==============================================================================
HexFileParser::HexFileParser()
    : device (MidiController::getInstance()),
      untouchedFrom (imageCapacity)
{
    jassert (device != nullptr);

    postStatus = [] (const juce::String& text)
    {
        if (auto* d = MidiController::getInstance())
            d->postAsyncMessage (statusText, text);
    };

    showMismatchBox = [] (std::function<void (int)> onResult)
    {
        juce::AlertWindow::showAsync (makeMismatchBoxOptions(), std::move (onResult));
    };

    enableStartUpgrade = [] (juce::Component&) {};
}

HexFileParser::~HexFileParser() = default;

void HexFileParser::paint (juce::Graphics& g)
{
    g.fillAll (getLookAndFeel().findColour (juce::ResizableWindow::backgroundColourId));

    g.setColour (juce::Colour (0xff808080));
    g.drawRect (getLocalBounds(), 1);

    g.setColour (juce::Colours::white);
    g.setFont (14.0f);
    g.drawText ("HexFileParser", getLocalBounds(), juce::Justification::centred, true);
}

void HexFileParser::resized()
{
}

//==============================================================================
void HexFileParser::resetImage()
{
    device->firmwareImageSize = 0;
    device->firmwareImageProductId = noProductId;
    device->firmwareImageAcceptance = {};
    std::fill (device->firmwareImage, device->firmwareImage + untouchedFrom, (juce::uint8) 0xFF);
    untouchedFrom = 0;
    baseAddress = -1;
    writeOffset = 0;
}

void HexFileParser::storeData (const HexRecord& record, juce::uint32& position)
{
    for (juce::uint32 i = 0; i < record.count; ++i, ++position)
        if (position < imageCapacity)
            device->firmwareImage[position] = record.getDataByte (i);

    untouchedFrom = std::max (untouchedFrom, std::min (position, imageCapacity));
}

juce::String HexFileParser::parseLine (const juce::String& line)
{
    const auto* bytes = line.toRawUTF8();
    return parseLine (bytes, std::strlen (bytes));
}

juce::String HexFileParser::parseLine (const char* bytes, size_t numBytes)
{
    const HexRecord record (bytes, numBytes);

    if (record.isEmpty())
        return errorEmptyLine;

    if (! record.hasStartCode())
        return errorNoStartCode;

    if (const auto* fault = record.findFault())
        return fault;

    switch (record.type)
    {
        case HexRecord::extendedLinearAddress:
            baseAddress = baseFrom (record);
            return {};

        case HexRecord::endOfFileRecord:
            // The range test keeps every record inside the image; the bound only
            // guards the programming steps against a layout that would not.
            device->firmwareImageSize = std::min (writeOffset, imageCapacity);
            return completedText;

        case HexRecord::dataRecord:
        {
            const auto address = baseOf (baseAddress) + record.address;

            if (address < device->flashStart || address >= device->flashEnd)
                return errorOutOfRange;

            // Only the first address is range-tested: a record may run a few bytes past
            // the flash end, which still lies inside the image.
            writeOffset = address - device->flashStart;
            storeData (record, writeOffset);
            return {};
        }

        default:
            return {};
    }
}

juce::uint8 HexFileParser::findProductId() const
{
    static constexpr juce::uint8 marker[] = { 0xC0, 0xDE, 0xFA, 0xCE };
    constexpr juce::uint32 patternLength = 12;

    const auto* image = device->firmwareImage;
    const auto end = std::min (writeOffset, imageCapacity - patternLength + 1);

    for (juce::uint32 j = 0; j < end; ++j)
        if (std::equal (std::begin (marker), std::end (marker), image + j)
             && std::equal (std::begin (marker), std::end (marker), image + j + 8))
            return image[j + 4];

    return noProductId;
}

juce::uint8 HexFileParser::scanProductId (juce::InputStream& input)
{
    return scanImage (input).productId;
}

HexFileParser::ScanResult HexFileParser::scanImage (juce::InputStream& input)
{
    resetImage();

    if (input.isExhausted())
        return {};

    for (;;)
    {
        const auto line = HexRecord::readRawLine (input);
        const HexRecord record (line.data(), line.size());

        if (! record.hasStartCode())
            return {};

        if (const auto* fault = record.findFault())
            return { noProductId, fault == HexRecord::errorDamagedRecord };

        switch (record.type)
        {
            case HexRecord::extendedLinearAddress:
                baseAddress = baseFrom (record);
                break;

            case HexRecord::dataRecord:
                writeOffset = baseOf (baseAddress) + record.address;
                storeData (record, writeOffset);
                break;

            case HexRecord::endOfFileRecord:
                return { findProductId(), false };

            default:
                break;
        }

        if (input.isExhausted())
            return {};
    }
}

juce::String HexFileParser::parseText (const juce::String& text)
{
    resetImage();

    // Lines end at CR, LF or CR LF; a text that ends with a line break has a
    // last, empty line. The bytes are split directly: a downloaded text need
    // not be valid UTF-8.
    const auto* line = text.toRawUTF8();
    const auto* const end = line + std::strlen (line);

    if (line == end)
        return fail (errorMissingEnd);

    for (;;)
    {
        auto* lineEnd = line;

        while (lineEnd < end && *lineEnd != '\r' && *lineEnd != '\n')
            ++lineEnd;

        const auto result = parseLine (line, (size_t) (lineEnd - line));

        if (result.startsWith ("Error"))
            return fail (result);

        if (result.startsWith (completedText))
        {
            const auto imageId = findProductId();

            if (imageId == noProductId)
                return fail (errorIdNotFound);

            if (imageId == device->getProductIdByte())
            {
                device->firmwareImageProductId = imageId;
                return {};
            }

            return fail (errorIdMismatch);
        }

        if (lineEnd == end)
            break;

        line = lineEnd + (lineEnd[0] == '\r' && lineEnd + 1 < end && lineEnd[1] == '\n' ? 2 : 1);
    }

    return fail (errorMissingEnd);
}

juce::String HexFileParser::loadFile (const juce::String& location)
{
    const juce::URL url (location);
    std::unique_ptr<juce::InputStream> input;

    if (url.isLocalFile())
        input = url.getLocalFile().createInputStream();
    else
        input = url.createInputStream (juce::URL::InputStreamOptions (juce::URL::ParameterHandling::inAddress));

    if (input == nullptr)
        return errorCannotOpen;

    // A web stream cannot be rewound, so the input is read once and both passes run on the copy.
    juce::MemoryBlock content;
    input->readIntoMemoryBlock (content, (ssize_t) maxInputSize);
    input.reset();

    return loadData (content.getData(), content.getSize());
}

juce::String HexFileParser::loadData (const void* data, size_t numBytes)
{
    juce::MemoryInputStream input (data, numBytes, false);

    const auto scan = scanImage (input);
    const auto imageId = scan.productId;

    if (scan.damagedRecord)
        return fail (HexRecord::errorDamagedRecord);

    if (imageId == noProductId)
        return fail (errorIdNotFound);

    const auto refusal = switchCoreIfNeeded (imageId);

    if (refusal.isNotEmpty())
        return fail (refusal);

    resetImage();
    input.setPosition (0);

    if (input.isExhausted())
        return fail (errorMissingEnd);

    for (;;)
    {
        const auto line = HexRecord::readRawLine (input);
        const auto result = parseLine (line.data(), line.size());

        if (result.startsWith ("Error"))
            return fail (result);

        if (result.startsWith (completedText))
            break;

        if (input.isExhausted())
            return fail (errorMissingEnd);
    }

    device->firmwareImageProductId = imageId;

    if (imageId == device->getProductIdByte())
        return {};

    // The image stays loaded until the user answers the box.
    openMismatchBox();
    return errorIdMismatch;
}

//==============================================================================
juce::String HexFileParser::fail (const juce::String& text)
{
    device->firmwareImageSize = 0;
    return text;
}

juce::String HexFileParser::switchCoreIfNeeded (juce::uint8 imageId)
{
    const int connectedId = device->getProductIdByte();

    if (imageId == connectedId)
        return {};

    for (int product = 1; product <= ProductTables::numProducts; ++product)
    {
        const int hostId = ProductTables::hostIdOf (product);
        const int deviceId = ProductTables::deviceIdOf (product);

        if (imageId == hostId && connectedId == deviceId)
        {
            if (device->deviceMode == 0)
                return deviceCoreBootloader;

            if (postStatus != nullptr)
                postStatus ("Switched product to Pv host");

            device->setProductCode (product);
            return {};
        }

        if (imageId == deviceId && connectedId == hostId)
        {
            if (device->deviceMode == 0)
                return hostCoreBootloader;

            if (postStatus != nullptr)
                postStatus ("Switched product to Sv device");

            device->setProductCode (product + ProductTables::numProducts);
            return {};
        }
    }

    return {};
}

void HexFileParser::openMismatchBox()
{
    // The box answers after this reader is gone: the callback keeps only copies
    // of the hooks and a safe pointer to the Firmware tab, if the owner is one.
    juce::Component::SafePointer<juce::Component> firmwareTab (dynamic_cast<Upgrader*> (owner));
    auto status = postStatus;
    auto enable = enableStartUpgrade;
    const MidiController::ImageAcceptance acceptance { device->getProductIdByte(), device->serialText };

    if (showMismatchBox == nullptr)
        return;

    showMismatchBox ([firmwareTab, status, enable, acceptance] (int result)
    {
        if (result == 1)
        {
            // The upgrade checks the image against the core it meets: this answer lets it through
            // for the core and the product that were connected when the image was loaded.
            if (auto* d = MidiController::getInstance())
                d->firmwareImageAcceptance = acceptance;

            if (status != nullptr)
                status ("Firmware file loaded with warning");

            if (firmwareTab != nullptr && enable != nullptr)
                enable (*firmwareTab);
        }
        else if (auto* d = MidiController::getInstance())
        {
            d->firmwareImageSize = 0;
        }
    });
}

juce::MessageBoxOptions HexFileParser::makeMismatchBoxOptions()
{
    return juce::MessageBoxOptions()
               .withIconType (juce::MessageBoxIconType::WarningIcon)
               .withTitle ("Warning")
               .withMessage ("Product ID in firmware does not match connected product ID, upgrading may result "
                             "in a bricked product, would you like to upgrade anyway?")
               .withButton ("Yes: Upgrade anyway")
               .withButton ("Cancel");
}
