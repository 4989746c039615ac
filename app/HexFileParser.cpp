#include "app/HexFileParser.h"
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
    const char* const errorBaseLength      = "Error 3: Line with Base address should be lenght = 2";
    const char* const errorDataLength      = "Error 4: Lenght of line does not match with data lenght";
    const char* const errorNotWords        = "Error 5: Lenght of line is not multiple of word";
    const char* const errorOutOfRange      = "Error 6: Base address is out of range";
    const char* const errorDamagedRecord   = "Error 7: Line checksum does not match";
    const char* const errorIdNotFound      = "Error 8: Product ID Not found in firmware file";
    const char* const errorIdMismatch      = "Error 9: Product ID in firmware does not match connected product ID";
    const char* const errorMissingEnd      = "Error 10: Missing last line code 0x01";
    const char* const errorCannotOpen      = "Error: Cannot create file input stream";
    const char* const deviceCoreBootloader = "The Device core of your Pv is in bootloader mode, please upgrade it first with the firmware file for Device core";
    const char* const hostCoreBootloader   = "The Host core of your Pv is in bootloader mode, please upgrade it first with the firmware file for Host core";
    const char* const completedText        = "Completed";

    constexpr juce::uint32 imageCapacity = (juce::uint32) MidiController::firmwareImageCapacity;
    constexpr juce::uint8 noProductId = 255;

    enum RecordType
    {
        dataRecord            = 0x00,
        endOfFileRecord       = 0x01,
        extendedLinearAddress = 0x04
    };

    /** One record line, split into its fields. A field that lies (partly)
        beyond the line reads its missing characters as nothing, and any
        character that is not a hexadecimal digit is skipped; such a record is
        refused as damaged (see findFault) before any of its values is used. */
    struct HexRecord
    {
        /** The line as UTF-8 bytes. Invalid sequences are taken one byte per
            character, so that no decoding ever reads outside the line. */
        HexRecord (const char* bytes, size_t numBytes)
        {
            decode (reinterpret_cast<const juce::uint8*> (bytes), numBytes);

            if (chars.size() > minimumLength)
                dataEnd = chars.size() - 2;

            count   = readHex (1, 3);
            address = readHex (3, 7);
            type    = readHex (7, 9);
        }

        bool isEmpty() const             { return chars.empty(); }
        bool hasStartCode() const        { return ! chars.empty() && chars[0] == ':'; }
        size_t getNumDataChars() const   { return dataEnd - dataStart; }

        juce::uint8 getDataByte (juce::uint32 index) const
        {
            const auto start = dataStart + 2 * (size_t) index;
            return (juce::uint8) readHex (start, std::min (start + 2, dataEnd));
        }

        /** The value of an extended linear address record: its first two data bytes. */
        juce::uint32 getUpperAddress() const
        {
            return ((juce::uint32) getDataByte (0) << 8) | getDataByte (1);
        }

        bool hasWholeData() const        { return getNumDataChars() / 2 == count; }

        /** True when every character after the start code is a hexadecimal digit. */
        bool hasOnlyHexDigits() const
        {
            return std::all_of (chars.begin() + (chars.empty() ? 0 : 1), chars.end(), [] (juce::juce_wchar c)
            {
                return juce::CharacterFunctions::getHexDigitValue (c) >= 0;
            });
        }

        /** True when the last byte is the two's complement of the sum of the count, the
            address, the type and the N data bytes. A line too short to hold them and a
            checksum has nothing to match. */
        bool checksumMatches() const
        {
            if (chars.size() < minimumLength || getNumDataChars() / 2 < count)
                return false;

            auto sum = count + (address >> 8) + (address & 0xFF) + type + readHex (chars.size() - 2, chars.size());

            for (juce::uint32 i = 0; i < count; ++i)
                sum += getDataByte (i);

            return (sum & 0xFF) == 0;
        }

        /** ':', count, address, type and checksum. */
        static constexpr size_t minimumLength = 11;

        /** Reads the digits of characters [start, end); fields are at most four characters. */
        juce::uint32 readHex (size_t start, size_t end) const
        {
            juce::uint32 value = 0;

            for (auto i = start; i < end && i < chars.size(); ++i)
            {
                const auto digit = juce::CharacterFunctions::getHexDigitValue (chars[i]);

                if (digit >= 0)
                    value = (value << 4) | (juce::uint32) digit;
            }

            return value;
        }

        void decode (const juce::uint8* bytes, size_t numBytes)
        {
            chars.reserve (numBytes);

            for (size_t i = 0; i < numBytes;)
            {
                const auto lead = bytes[i];
                const int extra = lead < 0x80 ? 0
                                : (lead & 0xE0) == 0xC0 ? 1
                                : (lead & 0xF0) == 0xE0 ? 2
                                : (lead & 0xF8) == 0xF0 ? 3 : -1;

                bool complete = extra >= 0 && i + (size_t) extra < numBytes;

                for (int k = 1; complete && k <= extra; ++k)
                    complete = (bytes[i + (size_t) k] & 0xC0) == 0x80;

                if (! complete)
                {
                    chars.push_back ((juce::juce_wchar) 0xFFFD);
                    ++i;
                    continue;
                }

                auto value = (juce::uint32) (extra == 0 ? lead : (lead & (0x3F >> extra)));

                for (int k = 1; k <= extra; ++k)
                    value = (value << 6) | (bytes[i + (size_t) k] & 0x3Fu);

                // An over-long form of an ASCII character is not that character.
                const bool overLong = extra > 0 && value < 0x80;
                chars.push_back ((juce::juce_wchar) (overLong ? 0xFFFDu : value));
                i += (size_t) extra + 1;
            }
        }

        std::vector<juce::juce_wchar> chars;
        size_t dataStart = 9, dataEnd = 9;
        juce::uint32 count = 0, address = 0, type = 0;
    };

    /** The next line of a stream as its raw bytes, without the CR, LF or CR LF that ends it.
        The framework's line reader decodes UTF-8 and may read past the end of an invalid
        sequence; a firmware file need not be valid UTF-8. */
    std::string readRawLine (juce::InputStream& input)
    {
        std::string line;

        while (! input.isExhausted())
        {
            const auto c = input.readByte();

            if (c == '\n')
                break;

            if (c == '\r')
            {
                const auto position = input.getPosition();

                if (input.readByte() != '\n')
                    input.setPosition (position);

                break;
            }

            line += c;
        }

        return line;
    }

    /** Why a record that starts with ':' cannot be read, or nullptr when it can. A character
        that is not a hexadecimal digit marks the record as damaged at once; then the rules of
        its type are tested, then its checksum. A damaged record is never used. */
    const char* findFault (const HexRecord& record)
    {
        if (! record.hasOnlyHexDigits())
            return errorDamagedRecord;

        if (record.type == extendedLinearAddress && record.count != 2)
            return errorBaseLength;

        if (record.type == dataRecord && ! record.hasWholeData())
            return errorDataLength;

        if (record.type == dataRecord && record.count % 4 != 0)
            return errorNotWords;

        if (! record.checksumMatches())
            return errorDamagedRecord;

        return nullptr;
    }

    /** The base of a data record: no 04 record yet means base 0. */
    juce::uint32 baseOf (juce::int32 baseAddress)
    {
        return baseAddress == -1 ? 0u : (juce::uint32) baseAddress;
    }

    juce::int32 baseFrom (const HexRecord& record)
    {
        return (juce::int32) (record.getUpperAddress() << 16);
    }

    /** Stores the record's bytes from position on, skipping those beyond the
        image; position ends just past the record's last byte. */
    void storeData (juce::uint8* image, const HexRecord& record, juce::uint32& position)
    {
        for (juce::uint32 i = 0; i < record.count; ++i, ++position)
            if (position < imageCapacity)
                image[position] = record.getDataByte (i);
    }
}

//==============================================================================
HexFileParser::HexFileParser()
    : device (MidiController::getInstance())
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
    std::fill (std::begin (device->firmwareImage), std::end (device->firmwareImage), (juce::uint8) 0xFF);
    baseAddress = -1;
    writeOffset = 0;
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

    if (const auto* fault = findFault (record))
        return fault;

    switch (record.type)
    {
        case extendedLinearAddress:
            baseAddress = baseFrom (record);
            return {};

        case endOfFileRecord:
            // The range test keeps every record inside the image; the bound only
            // guards the programming steps against a layout that would not.
            device->firmwareImageSize = std::min (writeOffset, imageCapacity);
            return completedText;

        case dataRecord:
        {
            const auto address = baseOf (baseAddress) + record.address;

            if (address < device->flashStart || address >= device->flashEnd)
                return errorOutOfRange;

            // Only the first address is range-tested: a record may run a few bytes past
            // the flash end, which still lies inside the image.
            writeOffset = address - device->flashStart;
            storeData (device->firmwareImage, record, writeOffset);
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
        const auto line = readRawLine (input);
        const HexRecord record (line.data(), line.size());

        if (! record.hasStartCode())
            return {};

        if (const auto* fault = findFault (record))
            return { noProductId, fault == errorDamagedRecord };

        switch (record.type)
        {
            case extendedLinearAddress:
                baseAddress = baseFrom (record);
                break;

            case dataRecord:
                writeOffset = baseOf (baseAddress) + record.address;
                storeData (device->firmwareImage, record, writeOffset);
                break;

            case endOfFileRecord:
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
        return fail (errorDamagedRecord);

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
        const auto line = readRawLine (input);
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
