#pragma once

#include <juce_core/juce_core.h>

#include <string>
#include <vector>

/** One line of an Intel HEX file, split into its fields.

    A field that lies (partly) beyond the line reads its missing characters as nothing, and any
    character that is not a hexadecimal digit is skipped; such a record is refused as damaged (see
    findFault) before any of its values is used.
*/
class HexRecord
{
public:
    enum Type
    {
        dataRecord            = 0x00,
        endOfFileRecord       = 0x01,
        extendedLinearAddress = 0x04
    };

    /** The line as UTF-8 bytes. Invalid sequences are taken one byte per character, so that no
        decoding ever reads outside the line. */
    HexRecord (const char* bytes, size_t numBytes);

    bool isEmpty() const             { return chars.empty(); }
    bool hasStartCode() const        { return ! chars.empty() && chars[0] == ':'; }
    size_t getNumDataChars() const   { return dataEnd - dataStart; }

    juce::uint8 getDataByte (juce::uint32 index) const;
    /** The value of an extended linear address record: its first two data bytes. */
    juce::uint32 getUpperAddress() const;
    bool hasWholeData() const        { return getNumDataChars() / 2 == count; }
    /** True when every character after the start code is a hexadecimal digit. */
    bool hasOnlyHexDigits() const;
    /** True when the last byte is the two's complement of the sum of the count, the address, the
        type and the N data bytes. A line too short to hold them and a checksum has nothing to match. */
    bool checksumMatches() const;

    /** Why a record that starts with ':' cannot be read ("Error 3" to "Error 5", or "Error 7" for a
        stray character or a checksum that does not match), or nullptr when it can. A stray character
        marks the record as damaged at once; then the rules of its type are tested, then its
        checksum. A damaged record is never used. */
    const char* findFault() const;

    /** The next line of a stream as its raw bytes, without the CR, LF or CR LF that ends it. The
        framework's line reader decodes UTF-8 and may read past the end of an invalid sequence; a
        firmware file need not be valid UTF-8. */
    static std::string readRawLine (juce::InputStream& input);

    static const char* const errorBaseLength;
    static const char* const errorDataLength;
    static const char* const errorNotWords;
    static const char* const errorDamagedRecord;

    /** ':', count, address, type and checksum. */
    static constexpr size_t minimumLength = 11;

    juce::uint32 count = 0, address = 0, type = 0;

private:
    /** Reads the digits of characters [start, end); fields are at most four characters. */
    juce::uint32 readHex (size_t start, size_t end) const;
    void decode (const juce::uint8* bytes, size_t numBytes);

    std::vector<juce::juce_wchar> chars;
    size_t dataStart = 9, dataEnd = 9;
};
