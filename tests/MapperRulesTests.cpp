#include <gtest/gtest.h>
#include "editors/MapperFirmwareGates.h"
#include "editors/MapperStatusRules.h"

using R = MapperStatusRules;
using Gates = MapperFirmwareGates;

namespace
{
    constexpr float fw0505 = 0.505f, fw2505 = 2.505f, fw3305 = 3.305f, fw4205 = 4.205f;

    /** A page as it stands after a load of a default record, with the statuses chosen. */
    MapperChoices page (int inStatus, int outStatus)
    {
        MapperChoices c;
        c.inStatus = inStatus;
        c.outStatus = outStatus;
        c.followChannel = c.followValue1 = c.followValue2 = true;
        c.compressValue1 = c.compressValue2 = true;
        return c;
    }

    ::testing::AssertionResult isDisabled (const R& rules, R::Control control)
    {
        if (rules[control].enabled == std::optional<bool> (false))
            return ::testing::AssertionSuccess();

        return ::testing::AssertionFailure() << "control " << (int) control << " is not disabled";
    }

    ::testing::AssertionResult isEnabled (const R& rules, R::Control control)
    {
        if (rules[control].enabled == std::optional<bool> (true))
            return ::testing::AssertionSuccess();

        return ::testing::AssertionFailure() << "control " << (int) control << " is not enabled";
    }

    ::testing::AssertionResult isUnticked (const R& rules, R::Control control)
    {
        if (rules[control].ticked == std::optional<bool> (false))
            return ::testing::AssertionSuccess();

        return ::testing::AssertionFailure() << "control " << (int) control << " is not unticked";
    }
}

//==============================================================================
TEST (MapperFirmwareGatesOf, TooltipsAtEachFirmware)
{
    struct Case { Gates::Feature feature; float firmware; bool product; const char* tooltip; };

    const Case cases[] = {
        { Gates::keepOriginal,     fw0505, true,  "Check if the orginal message must be kept\n\nYou need to update your device firmware to enable this feature" },
        { Gates::keepOriginal,     fw3305, true,  "Check if the orginal message must be kept" },
        { Gates::transposeChannel, fw0505, true,  "Check to transpose incoming MIDI channel\n\nYou need to update your device firmware to enable this feature" },
        { Gates::transposeChannel, 1.105f, true,  "Check to transpose incoming MIDI channel" },
        { Gates::skip,             1.105f, true,  "Select the amount of skipped notes\n\nYou need to update your device firmware to enable this feature" },
        { Gates::skip,             fw2505, true,  "Select the amount of skipped notes" },
        { Gates::compressValue1,   1.105f, true,  "Check to compress/expand output value 1 from input range to output range\n\nYou need to update your device firmware to enable this feature" },
        { Gates::compressValue2,   fw3305, true,  "Check to compress/expand output value 2 from input range to output range" },
        { Gates::curveValue1,      fw3305, true,  "Curves\n\nYou need to update your device firmware to enable this feature" },
        { Gates::curveValue2,      fw3305, true,  "Curves\n\nYou need to update your device firmware to enable this feature" },
        { Gates::curveValue1,      3.905f, true,  "Select curve to use for Output Value 1" },
        { Gates::curveValue2,      fw4205, true,  "Select curve to use for Output Value 2" },
        // Without a product a control below its gate keeps the tooltip it had.
        { Gates::curveValue1,      0.0f,   false, "" },
        { Gates::keepOriginal,     0.0f,   false, "" },
    };

    for (auto c : cases)
        EXPECT_EQ (Gates::getTooltip (c.feature, c.firmware, c.product), juce::String (c.tooltip))
            << "feature " << (int) c.feature << " at " << c.firmware;
}

//==============================================================================
TEST (MapperStatusRulesOf, NoInputStatusLeavesTheOutputAsItIs)
{
    const R rules (page (-1, -1), fw4205);

    EXPECT_TRUE (isDisabled (rules, R::inValue2Min));
    EXPECT_TRUE (isDisabled (rules, R::inValue2Max));
    EXPECT_EQ (rules[R::skip].visible, std::optional<bool> (false));
    EXPECT_FALSE (rules[R::outValue1Min].enabled.has_value());
    EXPECT_FALSE (rules[R::outValue2Max].enabled.has_value());
    EXPECT_FALSE (rules[R::useInValue2].ticked.has_value());
    EXPECT_EQ (rules.outStatusPlaceholder, "Select...");
}

TEST (MapperStatusRulesOf, MessagesWithoutValue2HaveNoValue2)
{
    // Input "Prog Change" (position 3), output "Chann Aftertouch" (position 5).
    auto choices = page (3, 5);
    choices.useInValue2 = choices.useInValue1 = true;
    const R rules (choices, fw4205);

    EXPECT_TRUE (isDisabled (rules, R::inValue2Min));
    EXPECT_EQ (rules[R::inValue2Min].position, std::optional<int> (0));
    EXPECT_EQ (rules[R::inValue2Max].position, std::optional<int> (127));
    EXPECT_TRUE (isDisabled (rules, R::useInValue2)) << "no value 2 to take value 1 from";
    EXPECT_TRUE (isUnticked (rules, R::useInValue2));
    EXPECT_EQ (rules[R::skip].visible, std::optional<bool> (false));

    EXPECT_TRUE (isDisabled (rules, R::outValue2Min));
    EXPECT_EQ (rules[R::outValue2Max].position, std::optional<int> (127));
    EXPECT_TRUE (isUnticked (rules, R::useInValue1));
    EXPECT_TRUE (isDisabled (rules, R::followValue2));
    EXPECT_TRUE (isDisabled (rules, R::invertValue2));

    EXPECT_TRUE (isEnabled (rules, R::followValue1));
    EXPECT_TRUE (isEnabled (rules, R::keepOriginal));
    EXPECT_TRUE (isDisabled (rules, R::outChannel)) << "the channel follows the input";
}

TEST (MapperStatusRulesOf, NotesAreSkippedOnlyFromFirmware245AndWhileTheOriginalIsNotKept)
{
    struct Case { int inStatus; float firmware; bool keepOriginal; bool shown; };

    for (auto c : { Case { 0, fw4205, false, true }, Case { 0, fw4205, true, false }, Case { 0, 1.105f, false, false },
                    Case { 1, fw4205, false, false }, Case { 7, fw2505, false, true }, Case { 7, 1.105f, false, false } })
    {
        auto choices = page (c.inStatus, c.inStatus == 7 ? -1 : 1);
        choices.keepOriginal = c.keepOriginal;
        const R rules (choices, c.firmware);

        EXPECT_EQ (rules[R::skip].visible, std::optional<bool> (c.shown))
            << "input " << c.inStatus << " at " << c.firmware << (c.keepOriginal ? " keeping the original" : "");

        if (! c.shown && c.inStatus != 7)
            EXPECT_EQ (rules[R::skip].position, std::optional<int> (0));
    }
}

TEST (MapperStatusRulesOf, NotesTransposeTurnsOutputValue1IntoTheTransposition)
{
    auto choices = page (7, -1);
    choices.keepOriginal = true;
    const R rules (choices, fw4205);

    EXPECT_TRUE (rules.outStatusCleared);
    EXPECT_EQ (rules.outStatusPlaceholder, "Transposed Notes");
    EXPECT_TRUE (isDisabled (rules, R::outStatus));
    EXPECT_TRUE (isEnabled (rules, R::outValue1Min));
    EXPECT_TRUE (isEnabled (rules, R::outValue1Max));

    for (auto control : { R::useInValue2, R::followValue1, R::invertValue1, R::keepOriginal, R::compressValue1 })
    {
        EXPECT_TRUE (isDisabled (rules, control));
        EXPECT_TRUE (isUnticked (rules, control));
    }

    // Value 2, the velocity, can still be mapped.
    EXPECT_TRUE (isEnabled (rules, R::useInValue1));
    EXPECT_TRUE (isEnabled (rules, R::invertValue2));
}

TEST (MapperStatusRulesOf, FilterMessageLeavesNothingOfTheOutputToChoose)
{
    auto choices = page (0, 7);
    choices.keepOriginal = true;
    const R rules (choices, fw4205);

    for (auto control : { R::outValue1Min, R::outValue1Max, R::outValue2Min, R::outValue2Max, R::useInValue2, R::useInValue1,
                          R::followValue1, R::followValue2, R::invertValue1, R::invertValue2, R::keepOriginal,
                          R::compressValue1, R::compressValue2, R::outChannel, R::followChannel, R::transposeChannel,
                          R::curveValue1, R::curveValue2, R::userCurve1, R::userCurve2 })
        EXPECT_TRUE (isDisabled (rules, control));

    EXPECT_TRUE (isUnticked (rules, R::keepOriginal)) << "a dropped message leaves no original";
    EXPECT_EQ (rules[R::skip].visible, std::optional<bool> (false));
    EXPECT_TRUE (isEnabled (rules, R::outStatus));
}

TEST (MapperStatusRulesOf, GlobalChannelUpdateChangesTheChannelOnly)
{
    const R rules (page (8, -1), fw4205);

    EXPECT_TRUE (rules.outStatusCleared);
    EXPECT_EQ (rules.outStatusPlaceholder, "Global ch. update");
    EXPECT_TRUE (isDisabled (rules, R::outStatus));

    for (auto control : { R::inValue1Min, R::inValue1Max, R::inValue2Min, R::inValue2Max, R::outValue1Min, R::outValue2Max,
                          R::invertValue1, R::compressValue2, R::curveValue1 })
        EXPECT_TRUE (isDisabled (rules, control));

    EXPECT_TRUE (isEnabled (rules, R::outChannel));
    EXPECT_TRUE (isEnabled (rules, R::transposeChannel));
    EXPECT_TRUE (isDisabled (rules, R::followChannel));
    EXPECT_TRUE (isUnticked (rules, R::followChannel));
}

TEST (MapperStatusRulesOf, FirmwareFeaturesStayOffWhateverTheStatuses)
{
    struct Case { float firmware; bool keepOriginal, compress, transpose, curves; };

    for (auto c : { Case { fw0505, false, false, false, false }, Case { fw3305, true, true, true, false },
                    Case { fw4205, true, true, true, true } })
    {
        auto choices = page (0, 2);
        choices.followValue1 = choices.followValue2 = false;
        const R rules (choices, c.firmware);
        EXPECT_EQ (rules[R::keepOriginal].enabled, std::optional<bool> (c.keepOriginal)) << c.firmware;
        EXPECT_EQ (rules[R::compressValue2].enabled, std::optional<bool> (c.compress)) << c.firmware;
        EXPECT_EQ (rules[R::transposeChannel].enabled, std::optional<bool> (c.transpose)) << c.firmware;
        EXPECT_EQ (rules[R::curveValue2].enabled, std::optional<bool> (c.curves)) << c.firmware;
        EXPECT_EQ (rules[R::userCurve1].enabled, std::optional<bool> (c.curves)) << c.firmware;

        if (! c.compress)
            EXPECT_TRUE (isUnticked (rules, R::compressValue1)) << c.firmware;
    }
}

TEST (MapperStatusRulesOf, FollowsDisableTheirOutputListsAndACurveOnValue2TakesTheFollowsPlace)
{
    auto choices = page (0, 0);
    choices.followValue1 = false;
    choices.followValue2 = true;
    choices.followChannel = false;
    const R following (choices, fw4205);

    EXPECT_TRUE (isEnabled (following, R::outValue1Min));
    EXPECT_TRUE (isDisabled (following, R::outValue2Min));
    EXPECT_TRUE (isDisabled (following, R::compressValue2));
    EXPECT_TRUE (isEnabled (following, R::outChannel));

    choices.followValue2 = false;
    choices.curveValue2 = true;
    const R curve (choices, fw4205);
    EXPECT_TRUE (isDisabled (curve, R::followValue2));
    EXPECT_TRUE (isEnabled (curve, R::outValue2Min));
}
