#include "support/DeviceTestSupport.h"
#include "settings/PresetSelectorRules.h"

/* What the preset selector offers for a product and firmware, and what a change of it means. */

namespace
{
    float version (int major, int minor) { return MidiController::firmwareVersionFromDigits (major, minor); }

    const juce::String noPresetsTip ("There are no presets available for the connected device\n\n"
                                     "Please update your device firmware to enable this feature");
    const juce::String selectTip ("Select preset to use");
    const juce::String renameTip ("Select preset to use\n\nClick to edit preset name (ASCII characters only, 16 characters max)");
}

using PresetSelectorRulesTest = DeviceFixture;

TEST_F (PresetSelectorRulesTest, ItemsTooltipAndEditingFollowProductAndFirmware)
{
    struct Case { const char* name; int product; float host; int items; juce::String tooltip, placeholder; bool editable, enabled; };

    const Case cases[] = {
        { "Dorvin 1.1",          productDorvin,      version (1, 1), 4,  selectTip,    "Select preset", false, true },
        { "Jorvek 2.7",          productJorvek,      version (2, 7), 6,  selectTip,    "Select preset", false, true },
        { "Jorvek 2.8",          productJorvek,      version (2, 8), 6,  renameTip,    "Select preset", true,  true },
        { "Norrim 4.5",          productNorrim,      version (4, 5), 12, renameTip,    "Select preset", true,  true },
        { "Lissar 4.5",          productLissar,      version (4, 5), 8,  renameTip,    "Select preset", true,  true },
        { "Calder 1.0",          productCalder,      version (1, 0), 0,  noPresetsTip, "No preset",     false, false },
        { "no product",          productNone,        version (4, 5), 0,  noPresetsTip, "No preset",     true,  false },
        { "upgrade mode",        productUpgradeMode, version (4, 5), 0,  noPresetsTip, "No preset",     true,  false },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        connectProduct (c.product, c.host);

        EXPECT_EQ (PresetSelectorRules::getNumItems (device()), c.items);
        EXPECT_EQ (PresetSelectorRules::getTooltip (device()), c.tooltip);
        EXPECT_EQ (PresetSelectorRules::getTextWhenNothingSelected (device()), c.placeholder);
        EXPECT_EQ (PresetSelectorRules::isNameEditable (device()), c.editable);
        EXPECT_EQ (PresetSelectorRules::isSelectorEnabled (device(), true), c.enabled);
        EXPECT_FALSE (PresetSelectorRules::isSelectorEnabled (device(), false));
    }
}

TEST_F (PresetSelectorRulesTest, AChangeOfTheSelectorSwitchesRenamesOrRestores)
{
    using Choice = PresetSelectorRules::Choice;
    struct Case { const char* name; int selected, active; juce::String text; Choice choice; };

    const Case cases[] = {
        { "another item",                  3, 1, "Preset 4",              Choice::switchPreset },
        { "the active item again",         1, 1, "Preset 2",              Choice::renamePreset },
        { "an edited text",               -1, 1, "Chorus",                Choice::renamePreset },
        { "an emptied text",              -1, 1, "",                      Choice::restoreName },
        { "a text of 17 characters",      -1, 1, "abcdefghijklmnopq",     Choice::keepText },
        { "a text with a slash",          -1, 1, "a/b",                   Choice::keepText },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        EXPECT_EQ (PresetSelectorRules::decide (c.selected, c.active, c.text), c.choice);
    }
}

TEST_F (PresetSelectorRulesTest, TheActivePresetIsTheOneChosenLast)
{
    connectProduct (productJorvek, version (4, 5));
    device().currentPreset = 1;
    device().presetSetting = 0x4301;
    EXPECT_EQ (PresetSelectorRules::getActivePreset (device()), 1);

    // Chosen, not yet selected on the product.
    device().presetSetting = 0x4304;
    EXPECT_EQ (PresetSelectorRules::getActivePreset (device()), 4);
}
