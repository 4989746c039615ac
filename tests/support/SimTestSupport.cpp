#include "SimTestSupport.h"

SimulatedPorts::SimulatedPorts() : system (std::make_shared<SimulatedMidiPortSystem>())
{
    MidiPortSystem::install (system);
}

SimulatedPorts::~SimulatedPorts()
{
    MidiPortSystem::install (nullptr);
}

void SimulatedDeviceFixture::SetUp()
{
    DeviceFixture::SetUp();
    ports = std::make_unique<SimulatedPorts>();
}

void SimulatedDeviceFixture::TearDown()
{
    if (auto* d = MidiController::getInstance())
    {
        d->closeInput();
        d->closeOutput();
    }

    ports = nullptr;
    DeviceFixture::TearDown();
}

std::shared_ptr<SimulatedProductRunner> SimulatedDeviceFixture::addProduct (const SimulatedProduct::Config& config)
{
    return ports->addProduct (config);
}

bool SimulatedDeviceFixture::openPorts (SimulatedProductRunner& product)
{
    device().inputIdentifier = product.getInputInfo().identifier;
    device().outputIdentifier = product.getOutputInfo().identifier;
    return device().openInput (device().inputIdentifier) == 1 && device().openOutput (device().outputIdentifier) == 1;
}

juce::StringArray SimulatedDeviceFixture::receivedHex (SimulatedProductRunner& product)
{
    juce::StringArray result;

    for (auto& block : product.getReceivedMessages())
        result.add (hexBytes (static_cast<const juce::uint8*> (block.getData()), (int) block.getSize()));

    return result;
}
