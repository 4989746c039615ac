// The user velocity curves as the device model packs them, and the factory curves.

#include <gtest/gtest.h>
#include "device/MidiController.h"
#include "editors/UserCurves.h"

#include <algorithm>
#include <type_traits>

// The editors' curve operations work on the device model's table in place.
static_assert (std::is_same_v<decltype (std::declval<MidiController&>().userCurves), UserCurveTable>);

TEST (UserCurves, FactoryCurvesRiseFromZeroToFullScale)
{
    const int valueAt64[numUserCurves] = { 96, 42, 116, 20 };

    for (int curve = 0; curve < numUserCurves; ++curve)
    {
        SCOPED_TRACE ("curve " + std::to_string (curve + 1));
        const auto values = unpackCurve (defaultUserCurves[curve]);

        EXPECT_EQ (values.front(), 0);
        EXPECT_EQ (values.back(), 127);
        EXPECT_EQ (values[64], valueAt64[curve]);
        EXPECT_TRUE (std::is_sorted (values.begin(), values.end()));
    }
}

TEST (UserCurves, ValueJLiesInWordJOver4WithTheFirstValueInTheTopByte)
{
    // Word 1 of factory curve 1 is 080A0C0E: values 4 to 7 are 8, 10, 12, 14.
    CurveWords words;
    std::copy (std::begin (defaultUserCurves[0]), std::end (defaultUserCurves[0]), std::begin (words));

    EXPECT_EQ (words[1], 0x080A0C0Eu);
    for (int j = 4; j < 8; ++j)
        EXPECT_EQ (getCurveValue (words, j), 8 + 2 * (j - 4));

    setCurveValue (words, 5, 0x55);
    EXPECT_EQ (words[1], 0x08550C0Eu);
    EXPECT_EQ (words[0], defaultUserCurves[0][0]);
    EXPECT_EQ (words[2], defaultUserCurves[0][2]);

    // Packing the unpacked values gives back the words.
    CurveWords repacked = {};
    packCurve (unpackCurve (words), repacked);
    EXPECT_TRUE (std::equal (std::begin (words), std::end (words), std::begin (repacked)));
}

TEST (UserCurves, ResetCopiesOnlyTheCurvesThatExist)
{
    struct Case { const char* name; int curve, curveCount; bool resetsAll; bool expectFactory[numUserCurves]; };

    const Case cases[] = {
        { "curve 2 of a product",      1, 4, false, { false, true, false, false } },
        { "curve 4 of a product",      3, 4, false, { false, false, false, true } },
        { "negative index",           -1, 4, false, { false, false, false, false } },
        { "index past the curves",     4, 4, false, { false, false, false, false } },
        { "no product",                0, 0, false, { false, false, false, false } },
        { "all of a product",          0, 4, true,  { true, true, true, true } },
        { "all without a product",     0, 0, true,  { false, false, false, false } },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        UserCurveTable curves;
        for (auto& curve : curves)
            std::fill (std::begin (curve), std::end (curve), 0x11223344u);

        if (c.resetsAll)
            resetAllUserCurves (curves, c.curveCount);
        else
            resetUserCurve (curves, c.curve, c.curveCount);

        for (int curve = 0; curve < numUserCurves; ++curve)
        {
            EXPECT_EQ (isFactoryCurve (curves[curve], curve), c.expectFactory[curve]) << "curve " << curve;
            if (! c.expectFactory[curve])
                EXPECT_EQ (curves[curve][31], 0x11223344u) << "curve " << curve;
        }
    }
}

TEST (UserCurves, OnlyTheExactFactoryCurveCountsAsFactory)
{
    CurveWords words;
    std::copy (std::begin (defaultUserCurves[2]), std::end (defaultUserCurves[2]), std::begin (words));

    EXPECT_TRUE (isFactoryCurve (words, 2));
    EXPECT_FALSE (isFactoryCurve (words, 1));
    EXPECT_FALSE (isFactoryCurve (words, -1));
    EXPECT_FALSE (isFactoryCurve (words, 4));

    setCurveValue (words, 127, 126);
    EXPECT_FALSE (isFactoryCurve (words, 2));
}
