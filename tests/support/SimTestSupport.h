#pragma once

#include "DeviceTestSupport.h"
#include "sim/SimulatedMidiPortSystem.h"

/** Puts a simulated port system in place of the computer's MIDI ports for as long as it lives. */
class SimulatedPorts
{
public:
    SimulatedPorts();
    ~SimulatedPorts();

    std::shared_ptr<SimulatedProductRunner> addProduct (const SimulatedProduct::Config& config, bool plugIn = true)
    {
        return system->addProduct (config, plugIn);
    }

    std::shared_ptr<SimulatedMidiPortSystem> system;
};

/** A device fixture whose device object talks to simulated products through the port seam. */
class SimulatedDeviceFixture : public DeviceFixture
{
protected:
    void SetUp() override;
    void TearDown() override;

    /** A simulated product, plugged in. */
    std::shared_ptr<SimulatedProductRunner> addProduct (const SimulatedProduct::Config& config);

    /** Opens the product's ports the way a connection does; true when both opened. */
    bool openPorts (SimulatedProductRunner& product);

    /** The requests the product received, as "F0 00 ..." texts. */
    static juce::StringArray receivedHex (SimulatedProductRunner& product);

    std::unique_ptr<SimulatedPorts> ports;
};
