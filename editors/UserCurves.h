#pragma once

#include <juce_core/juce_core.h>

#include <array>

/** The four user velocity curves and the factory curves.

    A curve holds 128 values 0..127; value j is the curve's output for the input
    value j. The device model keeps each curve as 32 words, four values to a
    word with the first value of each group of four in the top byte: value j
    lies in word j / 4 at bit 8 x (3 - j % 4). A read or write of the user
    curve kind carries one curve as its 32 words in this order.
*/
constexpr int numUserCurves = 4;
constexpr int numCurveWords = 32;
constexpr int numCurveValues = 128;

/** One packed curve, the shape of one row of the device model's userCurves. */
using CurveWords = juce::uint32[numCurveWords];
/** All four packed curves, the shape of the device model's userCurves. */
using UserCurveTable = juce::uint32[numUserCurves][numCurveWords];
/** One curve unpacked: entry j is the value for the input value j. */
using CurveValues = std::array<juce::uint8, numCurveValues>;

/** The factory curves, packed. Each rises from 0 to 127 without falling; at
    input 64 they give 96, 42, 116 and 20. */
extern const UserCurveTable defaultUserCurves;

/** Value j of a packed curve (j in 0..127). */
juce::uint8 getCurveValue (const CurveWords& words, int j);
/** Sets value j of a packed curve (j in 0..127), leaving the word's other three values. */
void setCurveValue (CurveWords& words, int j, juce::uint8 value);

CurveValues unpackCurve (const CurveWords& words);
void packCurve (const CurveValues& values, CurveWords& words);

/** True when the packed curve equals factory curve `curve` word for word (false for
    a curve index outside 0..3): such a curve is not written after an edit. */
bool isFactoryCurve (const CurveWords& words, int curve);

/** Copies factory curve `curve` into the table when 0 <= curve < curveCount;
    otherwise changes nothing. curveCount is the product's number of user curves. */
void resetUserCurve (UserCurveTable& curves, int curve, int curveCount);

/** Copies every factory curve below curveCount into the table (all four for a
    known product, none without one). */
void resetAllUserCurves (UserCurveTable& curves, int curveCount);
