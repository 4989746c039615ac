#include "support/DeviceTestSupport.h"
#include "routing/DefaultRouting.h"

namespace
{
    float version (int major, int minor) { return MidiController::firmwareVersionFromDigits (major, minor); }

    /** Port names of one product as the expectations below write them: S<h> host slots, V<i> USB-C
        virtual ports, W the Dorvin's wireless port, D<i> MIDI ports; "S*" every host slot. */
    struct Names
    {
        int hostPorts, virtualPorts, midiPorts;
        bool wireless;

        int firstMidi() const { return hostPorts + virtualPorts + (wireless ? 1 : 0); }

        juce::Array<int> indexesOf (const juce::String& token) const
        {
            if (token == "S*")
            {
                juce::Array<int> all;
                for (int h = 0; h < hostPorts; ++h)
                    all.add (h);
                return all;
            }

            const int n = token.substring (1).getIntValue();

            switch (token[0])
            {
                case 'S': return { n };
                case 'V': return { hostPorts + n };
                case 'W': return { hostPorts + virtualPorts };
                case 'D': return { firstMidi() + n };
                default:  return {};
            }
        }
    };

    Names namesOf (int product)
    {
        switch (product)
        {
            case productDorvin: return { 8, 4, 2, true };
            case productCalder: return { 8, 2, 1, false };
            case productGavrel: return { 12, 4, 4, false };
            case productJorvek: return { 16, 8, 6, false };
            case productLissar: return { 24, 8, 8, false };
            case productNorrim: return { 24, 8, 12, false };
            default:            return { 0, 0, 0, false };
        }
    }

    using Rows = std::array<juce::uint32, MidiController::numRouterRows>;

    /** Rows from lines such as "S0: V2 W D0 D1"; every row not named is empty. */
    Rows rowsFrom (int product, std::initializer_list<const char*> lines)
    {
        Rows rows {};
        const auto names = namesOf (product);

        for (auto* line : lines)
        {
            const auto text = juce::String (line);
            const auto inputs = names.indexesOf (text.upToFirstOccurrenceOf (":", false, false).trim());
            auto outputs = juce::StringArray::fromTokens (text.fromFirstOccurrenceOf (":", false, false), " ", "");
            outputs.removeEmptyStrings();

            for (auto input : inputs)
                for (auto& token : outputs)
                    for (auto output : names.indexesOf (token))
                        rows[(size_t) input] |= 1u << output;
        }

        return rows;
    }

    juce::String describe (const Rows& rows)
    {
        juce::StringArray lines;

        for (size_t i = 0; i < rows.size(); ++i)
            if (rows[i] != 0)
                lines.add (juce::String ((int) i) + ": " + juce::String::toHexString ((juce::int64) rows[i]));

        return lines.joinIntoString (", ");
    }

    Rows presetRows (const MidiController& device, int preset)
    {
        Rows rows {};
        std::copy (device.routerMasks[preset], device.routerMasks[preset] + MidiController::numRouterRows, rows.begin());
        return rows;
    }
}

using DefaultRoutingOfProducts = DeviceFixture;

TEST_F (DefaultRoutingOfProducts, EachProductAndFirmwareGetsItsPattern)
{
    struct Case
    {
        const char* name;
        int product;
        float firmware;
        Rows expected;
    };

    const float below = version (4, 2), from = version (4, 3);

    const Case cases[] = {
        { "Dorvin below 4.25", productDorvin, below,
          rowsFrom (productDorvin, { "S0: V2 W D0 D1", "S1: V3 W D0 D1", "S2: W D0 D1", "S3: W D0 D1", "S4: W D0 D1",
                                     "S5: W D0 D1", "S6: W D0 D1", "S7: W D0 D1", "V0: W D0", "V1: D1", "V2: S0", "V3: S1",
                                     "W: S0 V0 D0 D1", "D0: S0 V0 W", "D1: S1 V1 W" }) },
        { "Dorvin from 4.25", productDorvin, from,
          rowsFrom (productDorvin, { "S*: W D0 D1", "V0: W D0", "V1: D1", "W: S* V0 D0 D1", "D0: S* V0 W", "D1: S* V1 W" }) },
        { "Calder below 4.25", productCalder, below,
          rowsFrom (productCalder, { "S*: D0", "S0: V1", "V0: D0", "V1: S0", "D0: S0 V0" }) },
        { "Calder from 4.25", productCalder, from,
          rowsFrom (productCalder, { "S*: D0", "V0: D0", "D0: S* V0" }) },
        { "Gavrel below 4.25", productGavrel, below,
          rowsFrom (productGavrel, { "S*: D0 D1 D2 D3", "V0: D0", "V1: D1", "V2: D2", "V3: D3",
                                     "D0: S0 V0", "D1: S1 V1", "D2: S2 V2", "D3: S3 V3" }) },
        { "Gavrel from 4.25", productGavrel, from,
          rowsFrom (productGavrel, { "S*: D0 D1 D2 D3", "V0: D0", "V1: D1", "V2: D2", "V3: D3",
                                     "D0: S* V0", "D1: S* V1", "D2: S* V2", "D3: S* V3" }) },
        { "Jorvek below 4.25 pairs its ports by number", productJorvek, below,
          rowsFrom (productJorvek, { "S0: V0 D0", "S1: V1 D1", "S2: V2 D2", "S3: V3 D3", "S4: V4 D4", "S5: V5 D5", "S6: V6", "S7: V7",
                                     "V0: S0 D0", "V1: S1 D1", "V2: S2 D2", "V3: S3 D3", "V4: S4 D4", "V5: S5 D5", "V6: S6", "V7: S7",
                                     "D0: S0 V0", "D1: S1 V1", "D2: S2 V2", "D3: S3 V3", "D4: S4 V4", "D5: S5 V5" }) },
        { "Jorvek from 4.25", productJorvek, from,
          rowsFrom (productJorvek, { "S*: D0 D1 D2 D3 D4 D5", "V0: D0", "V1: D1", "V2: D2", "V3: D3", "V4: D4", "V5: D5",
                                     "D0: S* V0", "D1: S* V1", "D2: S* V2", "D3: S* V3", "D4: S* V4", "D5: S* V5" }) },
        // The MIDI ports of the two largest products lie at 32 and above: only what the table holds.
        { "Lissar below 4.25", productLissar, below,
          rowsFrom (productLissar, { "D0: S0 V0", "D1: S1 V1", "D2: S2 V2", "D3: S3 V3" }) },
        { "Lissar from 4.25", productLissar, from,
          rowsFrom (productLissar, { "D0: S* V0", "D1: S* V1", "D2: S* V2", "D3: S* V3" }) },
        { "Norrim below 4.25", productNorrim, below,
          rowsFrom (productNorrim, { "D0: S0 V0", "D1: S1 V1", "D2: S2 V2", "D3: S3 V3" }) },
        { "Norrim from 4.25", productNorrim, from,
          rowsFrom (productNorrim, { "D0: S* V0", "D1: S* V1", "D2: S* V2", "D3: S* V3" }) },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        connectProduct (c.product, c.firmware);
        device().currentPreset = 2;

        for (auto& preset : device().routerMasks)
            for (auto& row : preset)
                row = 0xA5A5A5A5u;

        DefaultRouting::resetPresets (device(), false);
        EXPECT_EQ (describe (presetRows (device(), 2)), describe (c.expected));
        EXPECT_EQ (device().routerMasks[1][0], 0xA5A5A5A5u) << "another preset keeps its routing";
        EXPECT_EQ (device().routerMasks[3][35], 0xA5A5A5A5u) << "another preset keeps its routing";

        DefaultRouting::resetPresets (device(), false);
        EXPECT_EQ (describe (presetRows (device(), 2)), describe (c.expected)) << "a second reset gives the same table";

        DefaultRouting::resetPresets (device(), true);

        for (int p = 0; p < MidiController::numPresetRows; ++p)
            EXPECT_EQ (describe (presetRows (device(), p)), describe (c.expected)) << "preset " << p;
    }
}

TEST_F (DefaultRoutingOfProducts, CodesWithoutPortsGetEmptyRows)
{
    for (int code : { 7, 8, 9, 10, 11, 12, (int) productUpgradeMode, (int) productNone })
    {
        SCOPED_TRACE (code);
        device().setProductCode (code);
        device().hostFirmwareVersion = version (4, 6);

        for (auto& preset : device().routerMasks)
            for (auto& row : preset)
                row = 0xFFFFFFFFu;

        DefaultRouting::resetPresets (device(), true);

        bool allZero = true;
        for (auto& preset : device().routerMasks)
            for (auto row : preset)
                allZero = allZero && row == 0;

        EXPECT_TRUE (allZero);
    }
}

TEST_F (DefaultRoutingOfProducts, OnlyRoutesTheTableHoldsAreRoutable)
{
    EXPECT_TRUE (DefaultRouting::isRoutable (0, 0));
    EXPECT_TRUE (DefaultRouting::isRoutable (35, 31));
    EXPECT_FALSE (DefaultRouting::isRoutable (36, 0));
    EXPECT_FALSE (DefaultRouting::isRoutable (0, 32));
    EXPECT_FALSE (DefaultRouting::isRoutable (-1, 3));
    EXPECT_FALSE (DefaultRouting::isRoutable (3, -1));
}
