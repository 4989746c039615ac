#pragma once

#include <juce_gui_basics/juce_gui_basics.h>
#include "settings/FullMapObject.h"
#include "settings/FullMapRouteLines.h"

class FullMap;

/** The rows of the full-settings window, one per port of the connected product, and the routing
    lines drawn behind them.

    The rows are built for one product. Whenever the connected product or its port count differs
    from the rows built, matchConnectedProduct builds them again (with no highlight), so a window
    opened before any product was connected works once one is. Layout and painting only ever use
    the rows that exist.
*/
class FullMapList : public juce::Component
{
public:
    explicit FullMapList (FullMap* owner);
    ~FullMapList() override;

    void paint (juce::Graphics&) override;
    void resized() override;

    /** Builds the rows again when they were built for another product or port count; true when it did. */
    bool matchConnectedProduct();
    /** Brings every row's filters, mappers, padlocks and TRS type up to date, then lays the rows
        out once and repaints the lines. */
    void refreshRows();

    /** A row's height, never below the minimum; the rows are laid out again when it changed. */
    void setRowHeight (int height, int row);
    int getRowHeight (int row) const;
    /** The display position of a port's row: the local ports first, then the USB-host slots. */
    int getRowPosition (int portIndex) const;

    int getNumRows() const noexcept              { return rows.size(); }
    FullMapObject* getRow (int portIndex) const  { return rows[portIndex]; }

    /** A click on a row's input or output name: toggles that highlight, recolours the names and
        redraws the lines. */
    void toggleInputHighlight (int portIndex);
    void toggleOutputHighlight (int portIndex);
    int getHighlightedInput() const noexcept     { return routeLines.getHighlightedInput(); }
    int getHighlightedOutput() const noexcept    { return routeLines.getHighlightedOutput(); }
    const FullMapRouteLines& getRouteLines() const noexcept { return routeLines; }

    FullMap* const fullMap;

private:
    void rebuildRows();
    void updateNameColours();
    void paintRoutingLines (juce::Graphics&);

    juce::OwnedArray<FullMapObject> rows;
    juce::Array<int> rowHeights;
    FullMapRouteLines routeLines;
    /** The product the rows were built for, and its USB-host slot count. */
    int builtProduct = productNone;
    int builtHostPorts = 0;
    /** Set while many rows change their height: the rows are laid out once afterwards. */
    bool layoutHeld = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (FullMapList)
};
