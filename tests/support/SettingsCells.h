#pragma once

#include "device/MidiController.h"
#include "sim/SimulatedProduct.h"

#include <functional>
#include <optional>
#include <vector>

/** The settings tables of the device model, cell by cell in one fixed order, and the cells a full
    read fetches from a simulated product's store. Comparing them tells whether the model holds
    only what the product sent, and whether it holds all of it. */
class SettingsCells
{
public:
    /** What a full read fetches from a product: its port, mapper and preset counts and which
        single-word settings it has. */
    struct ReadExtent
    {
        int ports = 0, hostPorts = 0, mappers = 0, presets = 0;
        bool trsType = false, sync24 = false, powerDown = false;
    };

    /** Every cell of the model's tables (all presets), in the fixed order. */
    static std::vector<juce::uint32> ofModel (const MidiController& model);

    /** Cells that hold neither their value in before nor the store's value for the cell: values
        the product never sent for that place. before is ofModel of the model before the read. */
    static juce::StringArray findValuesNotSent (const MidiController& model, const std::vector<juce::uint32>& before,
                                                const SimulatedProduct::Settings& store, int storePreset,
                                                const ReadExtent& extent);

    /** Cells a full read fetches whose model value differs from the store's. */
    static juce::StringArray findDifferences (const MidiController& model, const SimulatedProduct::Settings& store,
                                              int storePreset, const ReadExtent& extent);

private:
    using Visitor = std::function<void (const char* table, int row, int column, juce::uint32 modelValue,
                                        std::optional<juce::uint32> storeValue)>;

    /** Calls the visitor for every cell; the store value is given where a full read fetches the cell. */
    static void visit (const MidiController& model, const SimulatedProduct::Settings* store, int storePreset,
                       const ReadExtent& extent, const Visitor& visitor);
    static juce::String describe (const char* table, int row, int column, juce::uint32 modelValue,
                                  std::optional<juce::uint32> expected);
};
