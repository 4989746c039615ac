#pragma once

#include "device/DeviceTypes.h"

/** Small facts of the system-exclusive format shared by the request builder and the reply parsers. */
namespace SysexFormat
{
    /** 32-bit values per item of a setting kind (-1: not a setting kind). */
    inline int valuesPerItem (int kind)
    {
        static constexpr int counts[] = { 1, 1, 1, 6, 1, 1, 1, 4, 2, 2, 1, 32, -1, 6 };
        return juce::isPositiveAndBelow (kind, (int) std::size (counts)) ? counts[kind] : -1;
    }

    /** Kinds with a single item 0 that requests never take from the pending list. */
    inline bool alwaysItemZero (int kind)
    {
        return kind == kindPresetSetting || kind == kindTrsType || kind == kindSync24 || kind == kindPowerDown;
    }

    /** A reply received whole: exactly the expected length, F7 last. */
    inline bool endsAt (const juce::uint8* reply, int receivedLength, int expectedLength)
    {
        return receivedLength == expectedLength && reply[expectedLength - 1] == 0xF7;
    }

    /** Bytes 6 up to the checksum sum, in 7 bits, to the checksum byte. */
    inline bool checksumMatches (const juce::uint8* reply, int length)
    {
        return sysexChecksum (reply, 6, length - 2) == reply[length - 2];
    }
}
