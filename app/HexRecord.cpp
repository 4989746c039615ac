#include "app/HexRecord.h"

#include <algorithm>

const char* const HexRecord::errorBaseLength    = "Error 3: Line with Base address should be lenght = 2";
const char* const HexRecord::errorDataLength    = "Error 4: Lenght of line does not match with data lenght";
const char* const HexRecord::errorNotWords      = "Error 5: Lenght of line is not multiple of word";
const char* const HexRecord::errorDamagedRecord = "Error 7: Line checksum does not match";

HexRecord::HexRecord (const char* bytes, size_t numBytes)
{
    decode (reinterpret_cast<const juce::uint8*> (bytes), numBytes);

    if (chars.size() > minimumLength)
        dataEnd = chars.size() - 2;

    count   = readHex (1, 3);
    address = readHex (3, 7);
    type    = readHex (7, 9);
}

juce::uint8 HexRecord::getDataByte (juce::uint32 index) const
{
    const auto start = dataStart + 2 * (size_t) index;
    return (juce::uint8) readHex (start, std::min (start + 2, dataEnd));
}

juce::uint32 HexRecord::getUpperAddress() const
{
    return ((juce::uint32) getDataByte (0) << 8) | getDataByte (1);
}

bool HexRecord::hasOnlyHexDigits() const
{
    return std::all_of (chars.begin() + (chars.empty() ? 0 : 1), chars.end(), [] (juce::juce_wchar c)
    {
        return juce::CharacterFunctions::getHexDigitValue (c) >= 0;
    });
}

bool HexRecord::checksumMatches() const
{
    if (chars.size() < minimumLength || getNumDataChars() / 2 < count)
        return false;

    auto sum = count + (address >> 8) + (address & 0xFF) + type + readHex (chars.size() - 2, chars.size());

    for (juce::uint32 i = 0; i < count; ++i)
        sum += getDataByte (i);

    return (sum & 0xFF) == 0;
}

const char* HexRecord::findFault() const
{
    if (! hasOnlyHexDigits())
        return errorDamagedRecord;

    if (type == extendedLinearAddress && count != 2)
        return errorBaseLength;

    if (type == dataRecord && ! hasWholeData())
        return errorDataLength;

    if (type == dataRecord && count % 4 != 0)
        return errorNotWords;

    if (! checksumMatches())
        return errorDamagedRecord;

    return nullptr;
}

juce::uint32 HexRecord::readHex (size_t start, size_t end) const
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

void HexRecord::decode (const juce::uint8* bytes, size_t numBytes)
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

std::string HexRecord::readRawLine (juce::InputStream& input)
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
