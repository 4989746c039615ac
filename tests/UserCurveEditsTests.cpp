// What editing the user curves does to the device model: the firmware gate, the curve the
// editor starts on, and which edits mark a curve for writing.

#include "support/DeviceTestSupport.h"
#include "editors/UserCurveEdits.h"

#include <algorithm>

using UserCurveEditing = DeviceFixture;

TEST_F (UserCurveEditing, OnlyAKnownFirmwareOlderThan385LacksCurves)
{
    struct Case { float firmware; bool editable, writable; };

    const Case cases[] = {
        { 0.0f,   true,  false },      // nothing identified yet
        { 0.1f,   true,  false },
        { 0.205f, false, false },
        { 3.805f, false, false },
        { 3.905f, true,  true },
        { 4.205f, true,  true },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.firmware);
        EXPECT_EQ (UserCurveEdits::isEditingAvailable (c.firmware), c.editable);
        EXPECT_EQ (UserCurveEdits::canWriteCurves (c.firmware), c.writable);
    }
}

TEST_F (UserCurveEditing, TheEditorStartsOnTheFirstCurveOfAProductWithCurves)
{
    EXPECT_EQ (UserCurveEdits::initialSelection (device()), -1) << "no product, no curves";

    connectProduct (productDorvin, 3.805f);
    EXPECT_EQ (UserCurveEdits::initialSelection (device()), -1);

    connectProduct (productDorvin, 4.205f);
    EXPECT_EQ (UserCurveEdits::initialSelection (device()), 0);
}

TEST_F (UserCurveEditing, AnEditMarksItsCurveUnlessItIsTheFactoryCurve)
{
    struct Case { const char* name; float firmware; int curve; bool factoryShape; bool marked; };

    const Case cases[] = {
        { "edited curve 2",            4.205f,  1, false, true },
        { "edited curve 4",            4.205f,  3, false, true },
        { "curve 3 in factory shape",  4.205f,  2, true,  false },
        { "no curve selected",         4.205f, -1, false, false },
        { "index past the curves",     4.205f,  4, false, false },
        { "firmware without curves",   3.805f,  1, false, false },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        connectProduct (productJorvek, c.firmware);
        device().pendingRequests.clearAll();
        resetAllUserCurves (device().userCurves, numUserCurves);

        if (juce::isPositiveAndBelow (c.curve, numUserCurves) && ! c.factoryShape)
            setCurveValue (device().userCurves[c.curve], 64, 64);

        EXPECT_EQ (UserCurveEdits::markEditedCurve (device(), c.curve), c.marked);
        EXPECT_EQ (device().pendingRequests.hasAny (kindVelocityCurve), c.marked);

        if (c.marked)
            EXPECT_TRUE (device().pendingRequests.isWrite (kindVelocityCurve, c.curve));
    }
}

TEST_F (UserCurveEditing, AnEarlierMarkStaysWhenTheCurveReturnsToItsFactoryShape)
{
    connectProduct (productJorvek, 4.205f);
    resetAllUserCurves (device().userCurves, numUserCurves);

    setCurveValue (device().userCurves[2], 10, 90);
    ASSERT_TRUE (UserCurveEdits::markEditedCurve (device(), 2));

    resetUserCurve (device().userCurves, 2, numUserCurves);
    EXPECT_FALSE (UserCurveEdits::markEditedCurve (device(), 2));
    EXPECT_TRUE (device().pendingRequests.isWrite (kindVelocityCurve, 2));
    EXPECT_TRUE (UserCurveEdits::hasWaitingCurveWrite (device()));

    // Curves waiting to be read are no write that waits.
    device().pendingRequests.clearAll();
    device().markForRead (kindVelocityCurve, 1);
    EXPECT_FALSE (UserCurveEdits::hasWaitingCurveWrite (device()));
}

TEST_F (UserCurveEditing, ResetsMarkEveryCurveOfTheProduct)
{
    connectProduct (productJorvek, 4.205f);

    for (auto& curve : device().userCurves)
        std::fill (std::begin (curve), std::end (curve), 0x40404040u);

    UserCurveEdits::resetCurves (device(), 1, true);
    EXPECT_FALSE (isFactoryCurve (device().userCurves[0], 0));
    EXPECT_TRUE (isFactoryCurve (device().userCurves[1], 1));

    ASSERT_TRUE (UserCurveEdits::markAllCurves (device()));
    for (int curve = 0; curve < numUserCurves; ++curve)
        EXPECT_TRUE (device().pendingRequests.isWrite (kindVelocityCurve, curve)) << curve;

    UserCurveEdits::resetCurves (device(), -1, false);
    for (int curve = 0; curve < numUserCurves; ++curve)
        EXPECT_TRUE (isFactoryCurve (device().userCurves[curve], curve)) << curve;

    device().pendingRequests.clearAll();
    connectProduct (productJorvek, 3.805f);
    EXPECT_FALSE (UserCurveEdits::markAllCurves (device()));
    EXPECT_FALSE (device().pendingRequests.hasAny (kindVelocityCurve));
}
