// Feeds arbitrary text to the curve text file reader, whole and as a stream that
// hands it over a few bytes at a time. A refused text changes nothing and names
// its fault, an accepted one holds values 0..127, and both ways give the same.

#include "editors/CurveTextFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace
{
    /** Hands out a text in pieces of at most a few bytes, as a slow stream would. */
    class TrickleStream : public juce::InputStream
    {
    public:
        TrickleStream (const uint8_t* d, size_t s, int piece) : data (d), size ((juce::int64) s), pieceSize (piece) {}

        juce::int64 getTotalLength() override   { return size; }
        bool isExhausted() override             { return position >= size; }
        juce::int64 getPosition() override      { return position; }
        bool setPosition (juce::int64 p) override { position = juce::jlimit ((juce::int64) 0, size, p); return true; }

        int read (void* dest, int maxBytes) override
        {
            const auto n = (int) juce::jmin ((juce::int64) juce::jmin (maxBytes, pieceSize), size - position);
            std::memcpy (dest, data + position, (size_t) n);
            position += n;
            return n;
        }

    private:
        const uint8_t* data;
        juce::int64 size, position = 0;
        int pieceSize;
    };

    CurveValues sentinel()
    {
        CurveValues values;
        values.fill (0xAA);
        return values;
    }
}

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    const auto* text = reinterpret_cast<const char*> (data);

    auto values = sentinel();
    const auto error = CurveTextFile::parse (text, size, values);

    if (error.isNotEmpty())
    {
        if (values != sentinel() || ! error.startsWith ("Error while parsing curve file: "))
            std::abort();
    }
    else
    {
        for (auto value : values)
            if (value > 127)
                std::abort();
    }

    // Read in pieces, the same text gives the same answer.
    TrickleStream stream (data, size, size > 0 ? 1 + data[0] % 16 : 1);
    auto streamed = sentinel();

    if (CurveTextFile::read (stream, streamed) != error || streamed != values)
        std::abort();

    return 0;
}
