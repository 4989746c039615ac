#include "settings/FullMap.h"
#include "app/MainComponent.h"

namespace
{
    int getNumProductPorts()
    {
        auto* device = MidiController::getInstance();
        return device != nullptr ? device->getNumUsbHostPorts() + device->getNumLocalPorts() : 0;
    }
}

FullMap::FullMap (MainComponent* owner) : mainComponent (owner)
{
    setName ("FullMap");

    addAndMakeVisible (viewport);
    viewport.setScrollBarsShown (true, false, false, false);
    viewport.setScrollBarThickness (4);

    auto ownedList = std::make_unique<FullMapList> (this);
    list = ownedList.get();
    viewport.setViewedComponent (ownedList.release(), true);

    viewport.setBounds (0, 0, 1120, 600);
    setSize (1120, 600);
}

FullMap::~FullMap()
{
    viewport.setViewedComponent (nullptr);
    list = nullptr;
}

void FullMap::userTriedToCloseWindow()
{
    setVisible (false);
}

void FullMap::paint (juce::Graphics& g)
{
    g.fillAll (juce::Colour (0xff323e44));
}

void FullMap::resized()
{
    viewport.setSize (getWidth(), getHeight());
    list->setSize (getWidth(), getHeight());
}

void FullMap::refresh()
{
    ++refreshCount;

    if (mainComponent == nullptr)
        return;

    auto* window = mainComponent->fullMapWindow.get();

    if (window != nullptr)
        window->updateTitle();

    if (getNumProductPorts() == 0)
    {
        // The toggle of the main component hides a visible window.
        if (window != nullptr && window->isVisible())
            mainComponent->showFullSettings();

        return;
    }

    list->matchConnectedProduct();
    list->refreshRows();
}

void FullMap::refreshPortName (int portIndex)
{
    const int numPorts = getNumProductPorts();

    if (numPorts == 0 || portIndex < 0)
        return;

    // A rebuilt list has just named every row.
    if (! list->matchConnectedProduct())
    {
        if (portIndex < numPorts)
        {
            if (auto* row = getRow (portIndex))
                row->refreshInputName();
        }
        else if (auto* row = getRow (portIndex - numPorts))
        {
            row->refreshOutputName();
        }
    }

    repaint();
}

void FullMap::refreshHostPortName (int recordIndex)
{
    auto* device = MidiController::getInstance();

    if (getNumProductPorts() == 0 || device == nullptr)
        return;

    const int hostPorts = device->getNumUsbHostPorts();

    if (! list->matchConnectedProduct() && juce::isPositiveAndBelow (recordIndex, 2 * hostPorts))
    {
        if (recordIndex < hostPorts)
        {
            if (auto* row = getRow (recordIndex))
                row->refreshInputName();
        }
        else if (auto* row = getRow (recordIndex - hostPorts))
        {
            row->refreshOutputName();
        }
    }

    repaint();
}

FullMapObject* FullMap::getRow (int index)
{
    return list->getRow (index);
}
