#include "sim/SimulatedMidiPortSystem.h"
#include "device/MidiController.h"

namespace
{
    class SimulatedInput : public MidiPortSystem::Input
    {
    public:
        SimulatedInput (std::weak_ptr<SimulatedProductRunner> productToUse, int connectionId)
            : product (std::move (productToUse)), connection (connectionId)
        {
        }

        ~SimulatedInput() override
        {
            if (auto p = product.lock())
                p->disconnectInput (connection);
        }

        void start() override
        {
            if (auto p = product.lock())
                p->setInputStarted (connection, true);
        }

        void stop() override
        {
            if (auto p = product.lock())
                p->setInputStarted (connection, false);
        }

    private:
        std::weak_ptr<SimulatedProductRunner> product;
        int connection;
    };

    class SimulatedOutput : public MidiPortSystem::Output
    {
    public:
        SimulatedOutput (std::weak_ptr<SimulatedProductRunner> productToUse, juce::String portIdentifier)
            : product (std::move (productToUse)), identifier (std::move (portIdentifier))
        {
        }

        void sendMessageNow (const juce::MidiMessage& message) override
        {
            if (auto p = product.lock())
                p->receiveFromTool (identifier, message);
        }

    private:
        std::weak_ptr<SimulatedProductRunner> product;
        juce::String identifier;
    };
}

//==============================================================================
std::shared_ptr<SimulatedProductRunner> SimulatedMidiPortSystem::addProduct (const SimulatedProduct::Config& config, bool plugIn)
{
    auto product = std::make_shared<SimulatedProductRunner> (config);

    if (plugIn)
        product->plugIn();

    const std::lock_guard<std::mutex> sl (lock);
    products.push_back (product);
    return product;
}

void SimulatedMidiPortSystem::removeProduct (const std::shared_ptr<SimulatedProductRunner>& product)
{
    if (product == nullptr)
        return;

    product->unplug();

    const std::lock_guard<std::mutex> sl (lock);
    products.erase (std::remove (products.begin(), products.end(), product), products.end());
}

std::vector<std::shared_ptr<SimulatedProductRunner>> SimulatedMidiPortSystem::getProducts() const
{
    const std::lock_guard<std::mutex> sl (lock);
    return products;
}

void SimulatedMidiPortSystem::setInputOpenFails (const juce::String& identifierOrName, bool shouldFail)
{
    const std::lock_guard<std::mutex> sl (lock);

    if (shouldFail)
        failingInputs.addIfNotAlreadyThere (identifierOrName);
    else
        failingInputs.removeString (identifierOrName);
}

void SimulatedMidiPortSystem::setOutputOpenFails (const juce::String& identifierOrName, bool shouldFail)
{
    const std::lock_guard<std::mutex> sl (lock);

    if (shouldFail)
        failingOutputs.addIfNotAlreadyThere (identifierOrName);
    else
        failingOutputs.removeString (identifierOrName);
}

//==============================================================================
juce::Array<juce::MidiDeviceInfo> SimulatedMidiPortSystem::getAvailableInputs()
{
    juce::Array<juce::MidiDeviceInfo> inputs;

    for (auto& product : getProducts())
        if (product->isPluggedIn())
            inputs.add (product->getInputInfo());

    return inputs;
}

juce::Array<juce::MidiDeviceInfo> SimulatedMidiPortSystem::getAvailableOutputs()
{
    juce::Array<juce::MidiDeviceInfo> outputs;

    for (auto& product : getProducts())
        if (product->isPluggedIn())
            outputs.add (product->getOutputInfo());

    return outputs;
}

std::unique_ptr<MidiPortSystem::Input> SimulatedMidiPortSystem::openInput (const juce::String& identifier, MidiController& receiver)
{
    return openInputWithReceiver (identifier, [&receiver] (const juce::String& source, const juce::MidiMessage& message)
    {
        receiver.receiveMidi (source, message);
    });
}

std::unique_ptr<MidiPortSystem::Input> SimulatedMidiPortSystem::openInputWithReceiver (const juce::String& identifier, Receiver receiver)
{
    auto product = findProductWithInput (identifier);

    if (product == nullptr)
        return nullptr;

    {
        const std::lock_guard<std::mutex> sl (lock);

        if (failingInputs.contains (identifier) || failingInputs.contains (product->getInputInfo().name))
            return nullptr;
    }

    auto connection = product->connectInput (identifier, std::move (receiver));

    if (connection < 0)
        return nullptr;

    return std::make_unique<SimulatedInput> (product, connection);
}

std::unique_ptr<MidiPortSystem::Output> SimulatedMidiPortSystem::openOutput (const juce::String& identifier)
{
    auto product = findProductWithOutput (identifier);

    if (product == nullptr)
        return nullptr;

    {
        const std::lock_guard<std::mutex> sl (lock);

        if (failingOutputs.contains (identifier) || failingOutputs.contains (product->getOutputInfo().name))
            return nullptr;
    }

    return std::make_unique<SimulatedOutput> (product, identifier);
}

//==============================================================================
std::shared_ptr<SimulatedProductRunner> SimulatedMidiPortSystem::findProductWithInput (const juce::String& identifier) const
{
    for (auto& product : getProducts())
        if (product->isPluggedIn() && product->getInputInfo().identifier == identifier)
            return product;

    return nullptr;
}

std::shared_ptr<SimulatedProductRunner> SimulatedMidiPortSystem::findProductWithOutput (const juce::String& identifier) const
{
    for (auto& product : getProducts())
        if (product->isPluggedIn() && product->getOutputInfo().identifier == identifier)
            return product;

    return nullptr;
}
