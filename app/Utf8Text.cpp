#include "app/Utf8Text.h"

namespace
{
    /** The length of the well-formed character at the start of the bytes, or 0. */
    size_t wellFormedLength (const juce::uint8* p, size_t available)
    {
        const auto lead = p[0];

        if (lead < 0x80)
            return 1;

        // The range the second byte must lie in narrows for the leads that would otherwise
        // allow an overlong form (E0, F0), a surrogate half (ED) or more than U+10FFFF (F4).
        size_t length = 0;
        juce::uint8 secondLow = 0x80, secondHigh = 0xBF;

        if (lead >= 0xC2 && lead <= 0xDF)       length = 2;
        else if (lead == 0xE0)                  { length = 3; secondLow = 0xA0; }
        else if (lead == 0xED)                  { length = 3; secondHigh = 0x9F; }
        else if (lead >= 0xE1 && lead <= 0xEF)  length = 3;
        else if (lead == 0xF0)                  { length = 4; secondLow = 0x90; }
        else if (lead >= 0xF1 && lead <= 0xF3)  length = 4;
        else if (lead == 0xF4)                  { length = 4; secondHigh = 0x8F; }
        else                                    return 0;

        if (available < length || p[1] < secondLow || p[1] > secondHigh)
            return 0;

        for (size_t i = 2; i < length; ++i)
            if ((p[i] & 0xC0) != 0x80)
                return 0;

        return length;
    }
}

bool Utf8Text::isWellFormed (const char* bytes, size_t size)
{
    const auto* p = reinterpret_cast<const juce::uint8*> (bytes);

    for (size_t i = 0; i < size;)
    {
        const auto length = wellFormedLength (p + i, size - i);

        if (length == 0)
            return false;

        i += length;
    }

    return true;
}

juce::String Utf8Text::fromBytes (const char* bytes, size_t size)
{
    if (size == 0)
        return {};

    if (isWellFormed (bytes, size))
        return juce::String (juce::CharPointer_UTF8 (bytes), juce::CharPointer_UTF8 (bytes + size));

    // Each byte its own character, written out as well-formed UTF-8 (at most two bytes each).
    juce::HeapBlock<char> utf8 (2 * size);
    auto* out = utf8.get();

    for (size_t i = 0; i < size; ++i)
    {
        const auto byte = (juce::uint8) bytes[i];

        if (byte < 0x80)
        {
            *out++ = (char) byte;
        }
        else
        {
            *out++ = (char) (0xC0 | (byte >> 6));
            *out++ = (char) (0x80 | (byte & 0x3F));
        }
    }

    return juce::String (juce::CharPointer_UTF8 (utf8.get()), juce::CharPointer_UTF8 (out));
}
