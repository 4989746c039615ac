#include "SettingsCells.h"

void SettingsCells::visit (const MidiController& d, const SimulatedProduct::Settings* s, int storePreset,
                           const ReadExtent& e, const Visitor& visitor)
{
    using Store = std::optional<juce::uint32>;
    const Store none;

    auto fromStore = [s, &none] (bool fetched, juce::uint32 value) { return (s != nullptr && fetched) ? Store (value) : none; };

    visitor ("preset setting", 0, 0, d.presetSetting, fromStore (true, s != nullptr ? s->presetSetting : 0u));

    const int routerRows = juce::jmin (e.ports, MidiController::numRouterRows);
    const int filterEntries = juce::jmin (2 * e.ports, MidiController::numFilterEntries);

    for (int p = 0; p < MidiController::numPresetRows; ++p)
    {
        const bool current = p == storePreset;

        for (int i = 0; i < MidiController::numRouterRows; ++i)
            visitor ("router", p, i, d.routerMasks[p][i],
                     fromStore (current && i < routerRows, s != nullptr ? s->routerMasks[p][i] : 0u));

        for (int i = 0; i < MidiController::numFilterEntries; ++i)
        {
            visitor ("channel filter", p, i, d.filterChannels[p][i],
                     fromStore (current && i < filterEntries, s != nullptr ? s->filterChannels[p][i] : 0u));
            visitor ("message filter", p, i, d.filterStatus[p][i],
                     fromStore (current && i < filterEntries, s != nullptr ? s->filterStatus[p][i] : 0u));
        }

        for (int m = 0; m < MidiController::numMapperSlots; ++m)
            for (int w = 0; w < 6; ++w)
                visitor ("mapper", p, m * 6 + w, d.mapperRecords[p][m].getWord (w),
                         fromStore (current && m < e.mappers, s != nullptr ? s->mappers[p][m].getWord (w) : 0u));

        visitor ("trs type", p, 0, (juce::uint32) d.trsType[p], fromStore (current && e.trsType, s != nullptr ? s->trsType[p] : 0u));
        visitor ("sync-24", p, 0, (juce::uint32) d.sync24[p], fromStore (current && e.sync24, s != nullptr ? s->sync24[p] : 0u));
        visitor ("power-down", p, 0, (juce::uint32) d.powerDown[p], fromStore (current && e.powerDown, s != nullptr ? s->powerDown[p] : 0u));

        for (int w = 0; w < 4; ++w)
            visitor ("preset name", p, w, d.presetNames[p][w], fromStore (p < e.presets, s != nullptr ? s->presetNames[p][w] : 0u));
    }

    for (int i = 0; i < MidiController::numUsbDevicePortMasks; ++i)
    {
        visitor ("port mask device", i, 0, (juce::uint32) d.usbDevicePortMasks[i].vidPid,
                 fromStore (true, s != nullptr ? (juce::uint32) s->usbDevicePortMasks[i].vidPid : 0u));
        visitor ("port mask", i, 1, d.usbDevicePortMasks[i].mask, fromStore (true, s != nullptr ? s->usbDevicePortMasks[i].mask : 0u));
    }

    for (int i = 0; i < MidiController::numPortReservations; ++i)
    {
        const bool fetched = i < 2 * e.hostPorts;
        visitor ("reservation device", i, 0, (juce::uint32) d.portReservations[i].vidPid,
                 fromStore (fetched, s != nullptr ? (juce::uint32) s->portReservations[i].vidPid : 0u));
        visitor ("reservation cable", i, 1, d.portReservations[i].cable,
                 fromStore (fetched, s != nullptr ? s->portReservations[i].cable : 0u));
    }

    for (int w = 0; w < 6; ++w)
        visitor ("usb product name", 0, w, d.usbProductName[w], fromStore (true, s != nullptr ? s->usbProductName[w] : 0u));
}

std::vector<juce::uint32> SettingsCells::ofModel (const MidiController& model)
{
    std::vector<juce::uint32> cells;
    visit (model, nullptr, -1, {}, [&cells] (const char*, int, int, juce::uint32 value, std::optional<juce::uint32>)
    {
        cells.push_back (value);
    });
    return cells;
}

juce::StringArray SettingsCells::findValuesNotSent (const MidiController& model, const std::vector<juce::uint32>& before,
                                                    const SimulatedProduct::Settings& store, int storePreset,
                                                    const ReadExtent& extent)
{
    juce::StringArray problems;
    size_t index = 0;

    visit (model, &store, storePreset, extent,
           [&] (const char* table, int row, int column, juce::uint32 value, std::optional<juce::uint32> storeValue)
    {
        const auto previous = index < before.size() ? before[index] : value;
        ++index;

        if (value != previous && value != storeValue)
            problems.add (describe (table, row, column, value, storeValue));
    });

    return problems;
}

juce::StringArray SettingsCells::findDifferences (const MidiController& model, const SimulatedProduct::Settings& store,
                                                  int storePreset, const ReadExtent& extent)
{
    juce::StringArray problems;

    visit (model, &store, storePreset, extent,
           [&] (const char* table, int row, int column, juce::uint32 value, std::optional<juce::uint32> storeValue)
    {
        if (storeValue.has_value() && value != *storeValue)
            problems.add (describe (table, row, column, value, storeValue));
    });

    return problems;
}

juce::String SettingsCells::describe (const char* table, int row, int column, juce::uint32 modelValue,
                                      std::optional<juce::uint32> expected)
{
    return juce::String (table) + juce::String::formatted (" [%d][%d] holds %08X, the product has ", row, column, (unsigned) modelValue)
         + (expected.has_value() ? juce::String::formatted ("%08X", (unsigned) *expected) : juce::String ("nothing for it"));
}
