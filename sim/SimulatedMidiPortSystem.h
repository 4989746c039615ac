#pragma once

#include "device/MidiPortSystem.h"
#include "sim/SimulatedProductRunner.h"

/** A MIDI port system that presents simulated products instead of the computer's
    ports. Install it with MidiPortSystem::install for tests and the demo build.

    Only plugged-in products are listed; opening a port of a product that is not
    plugged in fails. An opened input of a product that is unplugged receives
    nothing more, and an opened output drops what it is given. Opening chosen
    ports can be made to fail.
*/
class SimulatedMidiPortSystem : public MidiPortSystem
{
public:
    using Receiver = SimulatedProductRunner::Receiver;

    SimulatedMidiPortSystem() = default;
    ~SimulatedMidiPortSystem() override = default;

    /** Adds a product, plugged in unless told otherwise. */
    std::shared_ptr<SimulatedProductRunner> addProduct (const SimulatedProduct::Config& config, bool plugIn = true);
    /** Unplugs a product and forgets it. */
    void removeProduct (const std::shared_ptr<SimulatedProductRunner>& product);
    std::vector<std::shared_ptr<SimulatedProductRunner>> getProducts() const;

    /** Makes opening the input or output with this identifier or name fail (or succeed again). */
    void setInputOpenFails (const juce::String& identifierOrName, bool shouldFail);
    void setOutputOpenFails (const juce::String& identifierOrName, bool shouldFail);

    //==============================================================================
    juce::Array<juce::MidiDeviceInfo> getAvailableInputs() override;
    juce::Array<juce::MidiDeviceInfo> getAvailableOutputs() override;
    /** Opens an input whose messages go to receiver.receiveMidi. */
    std::unique_ptr<Input> openInput (const juce::String& identifier, MidiController& receiver) override;
    std::unique_ptr<Output> openOutput (const juce::String& identifier) override;

    /** Opens an input whose messages go to any receiver. */
    std::unique_ptr<Input> openInputWithReceiver (const juce::String& identifier, Receiver receiver);

private:
    std::shared_ptr<SimulatedProductRunner> findProductWithInput (const juce::String& identifier) const;
    std::shared_ptr<SimulatedProductRunner> findProductWithOutput (const juce::String& identifier) const;

    mutable std::mutex lock;
    std::vector<std::shared_ptr<SimulatedProductRunner>> products;
    juce::StringArray failingInputs, failingOutputs;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SimulatedMidiPortSystem)
};
