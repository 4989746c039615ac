#include "settings/FullMapList.h"
#include "settings/FullMapLayout.h"

namespace
{
    struct ProductPorts
    {
        int product = productNone, hostPorts = 0, localPorts = 0;
    };

    ProductPorts getConnectedPorts()
    {
        if (auto* device = MidiController::getInstance())
            return { device->productCode, device->getNumUsbHostPorts(), device->getNumLocalPorts() };

        return {};
    }
}

FullMapList::FullMapList (FullMap* owner) : fullMap (owner)
{
    rebuildRows();
    setName ("FullMapList");
    setSize (1120, 600);
}

FullMapList::~FullMapList()
{
    rows.clear();
}

bool FullMapList::matchConnectedProduct()
{
    const auto connected = getConnectedPorts();

    if (connected.product == builtProduct && connected.hostPorts + connected.localPorts == rows.size())
        return false;

    rebuildRows();
    return true;
}

void FullMapList::rebuildRows()
{
    const auto connected = getConnectedPorts();
    const int numPorts = connected.hostPorts + connected.localPorts;

    rows.clear();
    rowHeights.clear();
    routeLines.clearHighlight();
    builtProduct = connected.product;
    builtHostPorts = connected.hostPorts;

    {
        const juce::ScopedValueSetter<bool> holdLayout (layoutHeld, true);

        for (int port = 0; port < numPorts; ++port)
        {
            rowHeights.add (FullMapLayout::minRowHeight);
            auto* row = rows.add (std::make_unique<FullMapObject> (this, port));
            addAndMakeVisible (row);
            row->refreshAll();
        }
    }

    updateNameColours();
    resized();
    repaint();
}

void FullMapList::refreshRows()
{
    {
        const juce::ScopedValueSetter<bool> holdLayout (layoutHeld, true);

        for (auto* row : rows)
        {
            row->refreshInputFilters();
            row->refreshOutputFilters();
            row->refreshMappers();
            row->repaint();
            row->refreshReservationIcons();
            row->refreshTrsType();
        }
    }

    resized();
    repaint();
}

void FullMapList::setRowHeight (int height, int row)
{
    if (! juce::isPositiveAndBelow (row, rowHeights.size()))
        return;

    const int newHeight = juce::jmax (height, (int) FullMapLayout::minRowHeight);

    if (rowHeights[row] == newHeight)
        return;

    rowHeights.set (row, newHeight);

    if (! layoutHeld)
        resized();
}

int FullMapList::getRowHeight (int row) const
{
    return rowHeights[row];
}

int FullMapList::getRowPosition (int portIndex) const
{
    return FullMapLayout::getRowPosition (portIndex, builtHostPorts, rows.size() - builtHostPorts);
}

void FullMapList::resized()
{
    const auto tops = FullMapLayout::getRowTops (rowHeights, builtHostPorts);
    int height = 0;

    for (int port = 0; port < rows.size(); ++port)
    {
        rows[port]->setBounds (0, tops[port], getWidth(), rowHeights[port]);
        height += rowHeights[port];
    }

    // Setting the height runs this once more, which then finds nothing to change.
    setSize (getWidth(), height);
}

void FullMapList::toggleInputHighlight (int portIndex)
{
    routeLines.toggleInput (portIndex);
    updateNameColours();
    repaint();
}

void FullMapList::toggleOutputHighlight (int portIndex)
{
    routeLines.toggleOutput (portIndex);
    updateNameColours();
    repaint();
}

void FullMapList::updateNameColours()
{
    for (auto* row : rows)
    {
        row->setInputNameColour (juce::Colour (routeLines.getInputNameColour (row->portIndex)));
        row->setOutputNameColour (juce::Colour (routeLines.getOutputNameColour (row->portIndex)));
    }
}

void FullMapList::paint (juce::Graphics& g)
{
    paintRoutingLines (g);
}

void FullMapList::paintRoutingLines (juce::Graphics& g)
{
    auto* device = MidiController::getInstance();

    // Rows built for a product that is gone show no routing until they are built again.
    if (device == nullptr || device->productCode != builtProduct)
        return;

    const float x1 = (float) FullMapLayout::getLineStartX (getWidth());
    const float x2 = (float) FullMapLayout::getLineEndX (getWidth());
    const auto colour = juce::Colour (FullMapRouteLines::lineColour);

    for (const auto& line : routeLines.getLines (*device, rows.size()))
    {
        const auto* from = rows[line.input];
        const auto* to = rows[line.output];
        const float y1 = (float) (from->getY() + from->getHeight() / 2);
        const float y2 = (float) (to->getY() + FullMapLayout::lineEndOffset);

        g.setColour (colour.withAlpha (line.getOpacity()));
        g.drawLine (x1, y1, x2, y2, line.getWidth());
    }
}
