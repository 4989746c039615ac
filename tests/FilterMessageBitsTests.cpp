// The message types a port can filter out: every status byte and every bit value
// against the one table of bits, status bytes and short labels.

#include <gtest/gtest.h>
#include "editors/FilterMessageBits.h"

#include <map>

TEST (FilterMessageBits, EveryStatusByteAndEveryBitAgainstTheTable)
{
    struct Row { int bit; int status; const char* shortName; };

    const Row rows[] = {
        {  0, 0x80, "Note off" },
        {  1, 0x90, "Note on" },
        {  2, 0xA0, "Key press" },
        {  3, 0xC0, "Prog ch" },
        {  4, 0xB0, "Ctrl ch" },
        {  5, 0xD0, "Chan press" },
        {  6, 0xE0, "Pitch bend" },
        {  7, 0xF0, "Sysex" },
        {  8, 0xF1, "MTC" },
        {  9, 0xF2, "SPP" },
        { 10, 0xF3, "Song Sel" },
        { 11, 0xF6, "Tune req" },
        { 12, 0xF8, "Clock" },
        { 13, 0xFA, "Start" },
        { 14, 0xFB, "Continue" },
        { 15, 0xFC, "Stop" },
        { 16, 0xFE, "Act sense" },
        { 17, 0xFF, "Reset" },
    };

    std::map<int, int> bitOfStatus;
    for (const auto& row : rows)
        bitOfStatus[row.status] = row.bit;

    // A byte of no row has no bit: data bytes, channel messages with a channel other than 1,
    // and the undefined or end-of-exclusive system bytes 0xF4, 0xF5, 0xF7, 0xF9, 0xFD.
    for (int status = 0; status < 256; ++status)
    {
        SCOPED_TRACE ("status " + juce::String::toHexString (status).toStdString());
        const auto found = bitOfStatus.find (status);
        EXPECT_EQ ((int) filterBitFromStatus ((juce::uint8) status), found != bitOfStatus.end() ? found->second : 255);
    }

    // Every bit value: the row's status byte and label up to bit 17 (whose status byte is 0xFF),
    // 0xFF and no label beyond.
    for (int bit = 0; bit < 256; ++bit)
    {
        SCOPED_TRACE ("bit " + std::to_string (bit));
        const auto* row = bit < (int) std::size (rows) ? &rows[bit] : nullptr;
        EXPECT_EQ ((int) filterStatusFromBit ((juce::uint8) bit), row != nullptr ? row->status : 0xFF);
        EXPECT_EQ (filterBitShortName ((juce::uint8) bit), juce::String (row != nullptr ? row->shortName : ""));
    }

    EXPECT_EQ ((int) std::size (rows), (int) numFilterMessageBits);
    EXPECT_EQ ((int) filterBitFromStatus (0x91), 255);
    EXPECT_EQ ((int) filterBitFromStatus (0xB5), 255);
    EXPECT_EQ ((int) filterProgramChange, 3);
    EXPECT_EQ ((int) filterControlChange, 4);
}
