#pragma once

#include "routing/RouterGridLayout.h"

/** The routes of the current preset as the grid draws them: one line per route between shown
    rows, and the outputs ticked for the selected input. Worked out whenever the routing, the
    rows or the selection change; painting only draws the result.
*/
struct RouteLines
{
    static constexpr juce::uint32 routeColour = 0xffffa500;

    struct Line
    {
        juce::Line<float> line;
        float opacity = 0.25f;
        float thickness = 1.0f;
    };

    std::vector<Line> lines;
    /** Outputs routed from the selected input. */
    bool ticked[RouterGridLayout::portSlotCapacity] = {};

    /** selectedInput -1: none. Nothing is drawn or ticked while the reservation view is open,
        without a product, or in firmware-upgrade mode. */
    static RouteLines compute (const MidiController& device, const RouterGridLayout& layout, int gridWidth,
                               int selectedInput, bool reservationViewOpen);
};
