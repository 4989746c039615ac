#include "editors/FilterMessageBits.h"

namespace
{
    struct FilterMessageType
    {
        juce::uint8 status;
        const char* shortName;
    };

    // Indexed by FilterMessageBit.
    constexpr FilterMessageType filterMessageTypes[numFilterMessageBits] =
    {
        { 0x80, "Note off" },
        { 0x90, "Note on" },
        { 0xA0, "Key press" },
        { 0xC0, "Prog ch" },
        { 0xB0, "Ctrl ch" },
        { 0xD0, "Chan press" },
        { 0xE0, "Pitch bend" },
        { 0xF0, "Sysex" },
        { 0xF1, "MTC" },
        { 0xF2, "SPP" },
        { 0xF3, "Song Sel" },
        { 0xF6, "Tune req" },
        { 0xF8, "Clock" },
        { 0xFA, "Start" },
        { 0xFB, "Continue" },
        { 0xFC, "Stop" },
        { 0xFE, "Act sense" },
        { 0xFF, "Reset" }
    };

    constexpr juce::uint8 noFilterBit = 255;
}

juce::uint8 filterBitFromStatus (juce::uint8 status)
{
    for (int bit = 0; bit < numFilterMessageBits; ++bit)
        if (filterMessageTypes[bit].status == status)
            return (juce::uint8) bit;

    return noFilterBit;
}

juce::uint8 filterStatusFromBit (juce::uint8 bit)
{
    // System Reset's own status byte is 0xFF as well, so it needs no case of its own.
    return bit < numFilterMessageBits ? filterMessageTypes[bit].status : (juce::uint8) 0xFF;
}

juce::String filterBitShortName (juce::uint8 bit)
{
    return bit < numFilterMessageBits ? juce::String (filterMessageTypes[bit].shortName) : juce::String();
}
