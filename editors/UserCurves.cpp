#include "editors/UserCurves.h"

#include <algorithm>

const UserCurveTable defaultUserCurves =
{
    {
        0x00020406, 0x080A0C0E, 0x0F111315, 0x17191A1C, 0x1E202123, 0x2526282A, 0x2B2D2F30, 0x32333536,
        0x38393B3C, 0x3E3F4042, 0x43454647, 0x494A4B4C, 0x4E4F5051, 0x52545556, 0x5758595A, 0x5B5C5D5F,
        0x60606162, 0x63646566, 0x67686969, 0x6A6B6C6D, 0x6D6E6F70, 0x70717272, 0x73737475, 0x75767677,
        0x77787879, 0x797A7A7A, 0x7B7B7B7C, 0x7C7C7D7D, 0x7D7D7E7E, 0x7E7E7E7E, 0x7F7F7F7F, 0x7F7F7F7F,
    },
    {
        0x00010202, 0x03040405, 0x05050606, 0x07080909, 0x0A0A0A0A, 0x0B0C0D0D, 0x0E0F0F0F, 0x10111212,
        0x13141415, 0x15161617, 0x1819191A, 0x1A1B1D1D, 0x1E1E1E20, 0x20212222, 0x23242525, 0x26282829,
        0x2A2B2C2D, 0x2E2E2F31, 0x31323333, 0x35363738, 0x383A3B3D, 0x3D3E3F40, 0x41424344, 0x45474748,
        0x494B4C4C, 0x4D4E5051, 0x52535457, 0x585A5C5D, 0x60616264, 0x66696B6C, 0x6F707576, 0x787A7E7F,
    },
    {
        0x000C141B, 0x1E25282C, 0x2E313639, 0x3B3D4044, 0x4648494B, 0x4E505152, 0x53565759, 0x5A5B5D5F,
        0x60616163, 0x64656666, 0x6869696A, 0x6B6B6C6C, 0x6D6D6E6F, 0x70707070, 0x71727272, 0x72737474,
        0x74757575, 0x75757676, 0x77777777, 0x78787879, 0x79797979, 0x797A7A7A, 0x7A7A7A7A, 0x7A7A7B7B,
        0x7B7B7B7B, 0x7B7B7C7C, 0x7C7C7C7C, 0x7D7D7D7D, 0x7D7D7D7E, 0x7E7F7F7F, 0x7F7F7F7F, 0x7F7F7F7F,
    },
    {
        0x00000000, 0x00010101, 0x01020202, 0x02030303, 0x03040404, 0x04050505, 0x05050606, 0x06060707,
        0x07080808, 0x09090909, 0x0A0A0A0A, 0x0B0B0B0C, 0x0C0C0D0E, 0x0E0F0F0F, 0x10101111, 0x12131314,
        0x14151616, 0x17171819, 0x191A1B1B, 0x1D1E1E1F, 0x20212223, 0x24252628, 0x282A2A2C, 0x2E2F3031,
        0x33353638, 0x393A3D3F, 0x40424347, 0x494B4C4E, 0x52545658, 0x5B5F6163, 0x66696D71, 0x74767A7F,
    }
};

static int shiftOfValue (int j)
{
    return 8 * (3 - (j & 3));
}

juce::uint8 getCurveValue (const CurveWords& words, int j)
{
    jassert (juce::isPositiveAndBelow (j, numCurveValues));
    return (juce::uint8) (words[j / 4] >> shiftOfValue (j));
}

void setCurveValue (CurveWords& words, int j, juce::uint8 value)
{
    jassert (juce::isPositiveAndBelow (j, numCurveValues));
    const auto shift = shiftOfValue (j);
    auto& word = words[j / 4];
    word = (word & ~((juce::uint32) 0xFF << shift)) | ((juce::uint32) value << shift);
}

CurveValues unpackCurve (const CurveWords& words)
{
    CurveValues values;

    for (int j = 0; j < numCurveValues; ++j)
        values[(size_t) j] = getCurveValue (words, j);

    return values;
}

void packCurve (const CurveValues& values, CurveWords& words)
{
    for (int w = 0; w < numCurveWords; ++w)
        words[w] = (juce::uint32) values[(size_t) (4 * w)] << 24
                 | (juce::uint32) values[(size_t) (4 * w + 1)] << 16
                 | (juce::uint32) values[(size_t) (4 * w + 2)] << 8
                 | (juce::uint32) values[(size_t) (4 * w + 3)];
}

bool isFactoryCurve (const CurveWords& words, int curve)
{
    if (! juce::isPositiveAndBelow (curve, numUserCurves))
        return false;

    return std::equal (std::begin (words), std::end (words), std::begin (defaultUserCurves[curve]));
}

void resetUserCurve (UserCurveTable& curves, int curve, int curveCount)
{
    if (juce::isPositiveAndBelow (curve, juce::jmin (curveCount, numUserCurves)))
        std::copy (std::begin (defaultUserCurves[curve]), std::end (defaultUserCurves[curve]), std::begin (curves[curve]));
}

void resetAllUserCurves (UserCurveTable& curves, int curveCount)
{
    for (int curve = 0; curve < numUserCurves; ++curve)
        resetUserCurve (curves, curve, curveCount);
}
